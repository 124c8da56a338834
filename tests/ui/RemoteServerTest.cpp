// Remote control over TCP: real sockets on the loopback addresses against the whole program and
// the virtual instruments. What a client may send and what it gets back, how many may connect,
// what closes one, what the operation log and the window say, and the "Remote" settings.

#include "app/Headless.h"
#include "app/TMoistrel.h"
#include "app/TRemoteControl.h"
#include "app/TRemoteServer.h"
#include "base/RecordingDialogs.h"
#include "settings/ProfileFile.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/ProgramPlaces.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TMemoPane.h"

#include <QApplication>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// One client of the generator, as lab software would be.
class TClient {
public:
    explicit TClient(std::uint16_t port, const QHostAddress& host = QHostAddress(QHostAddress::LocalHost)) {
        fSocket.connectToHost(host, port);
        // The server accepts from the event loop; waiting here lets it run.
        fConnected =
            QTest::qWaitFor([this] { return fSocket.state() == QAbstractSocket::ConnectedState; }, 10000);
    }

    bool Connected() const { return fConnected; }
    void Write(const std::string& bytes) {
        fSocket.write(bytes.data(), static_cast<qint64>(bytes.size()));
        fSocket.flush();
    }
    // The next answer line; empty when none came within the wait.
    std::string ReadLine() {
        if (!QTest::qWaitFor([this] { return fSocket.canReadLine(); }, 20000)) {
            return {};
        }
        std::string line = fSocket.readLine().toStdString();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        return line;
    }
    std::string Ask(const std::string& query) {
        Write(query + "\n");
        return ReadLine();
    }
    // True once the server has closed this client.
    bool WaitClosed() {
        return QTest::qWaitFor([this] { return fSocket.state() == QAbstractSocket::UnconnectedState; },
                               10000);
    }
    void Close() {
        fSocket.disconnectFromHost();
        if (fSocket.state() != QAbstractSocket::UnconnectedState) {
            fSocket.waitForDisconnected(5000);
        }
    }

private:
    QTcpSocket fSocket;
    bool fConnected = false;
};

class RemoteServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        program.Startup();
        remote = std::make_unique<App::TRemoteControl>(program);
        App::TRemoteServerOptions options;
        options.Port = 0;
        std::string error;
        ASSERT_TRUE(remote->Listen(options, error)) << error;
        port = remote->Server().Port();
        ASSERT_NE(port, 0);
    }
    void TearDown() override { remote.reset(); }

    std::string RemoteLine() { return program.Form().Setup->LabelRemoteControl->text().toStdString(); }
    bool Logged(const std::string& text) {
        for (const std::string& line : program.Form().MemoLog->Lines()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    bool WaitForClients(std::size_t count) {
        return QTest::qWaitFor([&] { return remote->Server().Clients() == count; }, 10000);
    }

    TestSupport::TSimHarness sim{TestSupport::ManualClock()};
    TestSupport::TTempFolder folder{"moistrel-remote-server"};
    Base::TRecordingDialogs dialogs;
    App::TMoistrel program{sim.Clock(), TestSupport::PlacesIn(folder), &dialogs};
    std::unique_ptr<App::TRemoteControl> remote;
    std::uint16_t port = 0;
};

TEST_F(RemoteServerTest, AClientIsAnsweredLineByLineAndTheWindowCountsIt) {
    EXPECT_EQ(RemoteLine(), "Remote control: on, port " + std::to_string(port) + ", 0 clients");
    TClient client(port);
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(WaitForClients(1));
    EXPECT_EQ(RemoteLine(), "Remote control: on, port " + std::to_string(port) + ", 1 client");

    EXPECT_NE(client.Ask("*IDN?").find("Moistrel"), std::string::npos);
    EXPECT_EQ(client.Ask("SYST:STAT?"), "0,\"Simulation\"");
    // CR LF ends a line as LF does; two queries of one line share one answer line.
    client.Write("syst:err?\r\nPROG:COUN?;:SYSTem:STATe?\n");
    EXPECT_EQ(client.ReadLine(), "0,\"No error\"");
    EXPECT_EQ(client.ReadLine(), "0;0,\"Simulation\"");
    // A line split over several packets is one line.
    client.Write("*ID");
    QTest::qWait(50);
    client.Write("N?\n");
    EXPECT_NE(client.ReadLine().find("Moistrel"), std::string::npos);

    client.Close();
    ASSERT_TRUE(WaitForClients(0));
    EXPECT_EQ(RemoteLine(), "Remote control: on, port " + std::to_string(port) + ", 0 clients");
    EXPECT_TRUE(Logged("Remote client 127.0.0.1:"));
    EXPECT_TRUE(Logged(" disconnected"));
}

TEST_F(RemoteServerTest, TheIPv6LoopbackIsServedToo) {
    QTcpServer probe;
    if (!probe.listen(QHostAddress(QHostAddress::LocalHostIPv6), 0)) {
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    }
    probe.close();
    TClient client(port, QHostAddress(QHostAddress::LocalHostIPv6));
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(client.Ask("SYST:STAT?"), "0,\"Simulation\"");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Logged("Remote client [::1]:"); }, 5000));
}

TEST_F(RemoteServerTest, AFifthClientIsToldAndClosedWhileTheFourGoOn) {
    std::vector<std::unique_ptr<TClient>> clients;
    for (int k = 0; k < 4; ++k) {
        clients.push_back(std::make_unique<TClient>(port));
        ASSERT_TRUE(clients.back()->Connected());
    }
    ASSERT_TRUE(WaitForClients(4));
    TClient fifth(port);
    const std::string told = fifth.ReadLine();
    EXPECT_EQ(told, "-200,\"Execution error;Too many remote clients; at most 4\"");
    EXPECT_TRUE(fifth.WaitClosed());
    EXPECT_TRUE(Logged("refused: 4 clients are connected already"));
    EXPECT_EQ(remote->Server().Clients(), 4U);
    for (const auto& client : clients) {
        EXPECT_EQ(client->Ask("SYST:STAT?"), "0,\"Simulation\"");
    }
    // Once one goes, another may come.
    clients.front()->Close();
    ASSERT_TRUE(WaitForClients(3));
    TClient next(port);
    ASSERT_TRUE(next.Connected());
    EXPECT_EQ(next.Ask("SYST:STAT?"), "0,\"Simulation\"");
}

TEST_F(RemoteServerTest, ALineOverTheLimitClosesThatClientOnly) {
    TClient other(port);
    TClient flooding(port);
    ASSERT_TRUE(other.Connected());
    ASSERT_TRUE(flooding.Connected());
    ASSERT_TRUE(WaitForClients(2));
    flooding.Write(std::string(5000, 'A'));
    const std::string last = flooding.ReadLine();
    EXPECT_EQ(last.rfind("-363,\"Input buffer overrun", 0), 0U) << last;
    EXPECT_TRUE(flooding.WaitClosed());
    ASSERT_TRUE(WaitForClients(1));
    EXPECT_TRUE(Logged("closed: a line longer than 4096 bytes"));
    EXPECT_EQ(other.Ask("SYST:STAT?"), "0,\"Simulation\"");
}

TEST_F(RemoteServerTest, BytesThatAreNotTextGiveAnErrorAndTheClientGoesOn) {
    TClient client(port);
    ASSERT_TRUE(client.Connected());
    using namespace std::string_literals;
    client.Write("\x00\xff\xfe\x01 PROG:STAR\n"s);
    client.Write("\xc3\x28\n"s); // not UTF-8
    for (int line = 0; line < 2; ++line) {
        const std::string error = client.Ask("SYST:ERR?");
        EXPECT_EQ(error.rfind("-101,\"Invalid character", 0), 0U) << error;
    }
    EXPECT_EQ(client.Ask("SYST:ERR?"), "0,\"No error\"");
    EXPECT_EQ(client.Ask("SYST:STAT?"), "0,\"Simulation\"");
    EXPECT_EQ(program.State().MixerState, UnitMain::msSimulation);
}

TEST_F(RemoteServerTest, CommandsThatChangeSomethingGoIntoTheOperationLogWithTheirClient) {
    TClient client(port);
    ASSERT_TRUE(client.Connected());
    // One done, one refused (nothing is set up), one query that changes nothing.
    client.Write("PROG:CLE\nPROG:STAR\n");
    EXPECT_EQ(client.Ask("SYST:ERR?").rfind("-221,", 0), 0U);
    EXPECT_EQ(client.Ask("PROG:COUN?"), "0");
    std::string clientLine;
    for (const std::string& line : program.Form().MemoLog->Lines()) {
        if (line.find("Remote client 127.0.0.1:") != std::string::npos &&
            line.find(" connected") != std::string::npos) {
            clientLine = line;
        }
    }
    ASSERT_FALSE(clientLine.empty());
    const std::string name = clientLine.substr(clientLine.find("127.0.0.1:"));
    const std::string who = name.substr(0, name.find(' '));
    EXPECT_TRUE(Logged("Remote client " + who + ": PROG:CLE"));
    EXPECT_TRUE(Logged("Remote client " + who + ": PROG:STAR (refused: "));
    EXPECT_FALSE(Logged("COUN"));
    EXPECT_FALSE(Logged("SYST:ERR"));
}

TEST(HeadlessOptions, AreReadFromTheCommandLine) {
    const std::string here = std::filesystem::current_path().string();
    const struct {
        std::vector<std::string> Arguments;
        bool Headless;
        std::string ProgramFile;
        bool ConfirmGases;
        std::string Error;
    } rows[] = {
        {{}, false, "", false, ""},
        {{"-platform", "offscreen"}, false, "", false, ""}, // the window's own options pass
        {{"--headless"}, true, "", false, ""},
        {{"--headless", "--confirm-gases"}, true, "", true, ""},
        {{"--headless", "--program", "runs/a.mixprog"}, true, here + "/runs/a.mixprog", false, ""},
        {{"--headless", "--program", "/data/b.mixprog", "--confirm-gases"},
         true,
         "/data/b.mixprog",
         true,
         ""},
        {{"--headless", "--program"}, false, "", false, "--program needs a file"},
        {{"--headless", "--fast"}, false, "", false, "unknown option --fast"},
    };
    for (const auto& row : rows) {
        std::string error;
        const std::optional<App::THeadlessOptions> options = App::HeadlessOptions(row.Arguments, error);
        const std::string arguments = testing::PrintToString(row.Arguments);
        EXPECT_EQ(options.has_value(), row.Headless) << arguments;
        EXPECT_EQ(error, row.Error) << arguments;
        if (options) {
            EXPECT_EQ(options->ProgramFile, row.ProgramFile) << arguments;
            EXPECT_EQ(options->ConfirmGases, row.ConfirmGases) << arguments;
        }
    }
}

TEST(RemotePeer, OnlyThisComputerIsServed) {
    const struct {
        const char* Address;
        bool Allowed;
    } rows[] = {{"127.0.0.1", true},        {"127.12.0.9", true}, {"::1", true},
                {"::ffff:127.0.0.1", true}, {"10.0.0.5", false},  {"192.168.1.20", false},
                {"::ffff:10.0.0.5", false}, {"fe80::1", false},   {"2001:db8::7", false},
                {"0.0.0.0", false},         {"::", false}};
    for (const auto& row : rows) {
        EXPECT_EQ(App::RemotePeerAllowed(QHostAddress(QString::fromLatin1(row.Address))), row.Allowed)
            << row.Address;
    }
}

// A client bound to this machine's network address (not a loopback one) reaches the loopback
// listener as another computer's client would look: it is refused.
TEST_F(RemoteServerTest, APeerThatIsNotALoopbackAddressIsRefused) {
    QHostAddress outside;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
            outside = address;
            break;
        }
    }
    if (outside.isNull()) {
        GTEST_SKIP() << "this machine has no network address besides the loopback ones";
    }
    QTcpSocket client;
    ASSERT_TRUE(client.bind(outside, 0)) << client.errorString().toStdString();
    client.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    ASSERT_TRUE(client.waitForConnected(10000)) << client.errorString().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 10000));
    EXPECT_TRUE(Logged("Remote client " + outside.toString().toStdString() + ":"));
    EXPECT_TRUE(Logged("refused: only this computer may connect"));
    EXPECT_EQ(remote->Server().Clients(), 0U);
    EXPECT_EQ(RemoteLine(), "Remote control: on, port " + std::to_string(port) + ", 0 clients");
}

TEST_F(RemoteServerTest, AClientThatVanishesMidLineLeavesTheOthersServed) {
    TClient other(port);
    ASSERT_TRUE(other.Connected());
    {
        auto vanishing = std::make_unique<QTcpSocket>();
        vanishing->connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        ASSERT_TRUE(vanishing->waitForConnected(10000));
        ASSERT_TRUE(WaitForClients(2));
        vanishing->write("PROG:CLE;PROG:APP:TA");
        vanishing->flush();
        QTest::qWait(50);
        vanishing->abort();
    }
    ASSERT_TRUE(WaitForClients(1));
    EXPECT_EQ(other.Ask("PROG:COUN?"), "0");
    EXPECT_FALSE(Logged("PROG:CLE")) << "half a line is never executed";
}

TEST_F(RemoteServerTest, TenThousandRandomLinesChangeNothingAndTheClientIsStillAnswered) {
    TClient client(port);
    ASSERT_TRUE(client.Connected());
    std::mt19937 random(20261211);
    // Printable bytes, separators, quotes, controls and bytes above 127; no line end inside.
    const std::string alphabet = "PROGSTARSYSTEMVALGAS:;,?*\"' 0123456789.-+eE\t\x01\x7f\x80\xc3\xff";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    std::string lines;
    for (int k = 0; k < 10000; ++k) {
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            lines += alphabet[pick(random)];
        }
        lines += '\n';
        if (lines.size() > 64 * 1024) {
            client.Write(lines);
            lines.clear();
            QApplication::processEvents();
        }
    }
    client.Write(lines);
    client.Write("*CLS\n");
    // Whatever the lines asked, the answers are lines and the client is still served.
    std::string answer;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            answer = client.Ask("SYST:STAT?;:SYST:ERR?");
            return answer.find("Simulation") != std::string::npos;
        },
        60000));
    EXPECT_EQ(remote->Server().Clients(), 1U);
    EXPECT_EQ(program.State().MixerState, UnitMain::msSimulation);
}

// A run driven from start to end over TCP: three targets, started, followed to their end and seen
// stopped.
TEST_F(RemoteServerTest, AClientRunsAProgramOfThreeTargetsToItsEnd) {
    UnitMain::TMoistrelState& s = program.State();
    TestSupport::ValidatedOnPorts(s, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
    UnitMain::TTargetBox* box = program.Form().Operation->GroupBoxTarget;
    box->EditTargetCarrier->SetValue(0.02);
    box->EditTargetBShare->SetValue(0.0);
    QApplication::processEvents();

    TClient client(port);
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(client.Ask("PROG:CLE;APP:TARG RH,40,1;TARG RH,50,1;TARG RH,30,1;:PROG:COUN?"), "3");
    client.Write("PROG:STAR\n");
    EXPECT_EQ(client.Ask("SYST:ERR?"), "0,\"No error\"");
    EXPECT_EQ(client.Ask("SYST:STAT?").rfind("2,\"", 0), 0U);
    std::string state;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            state = client.Ask("SYST:STAT?");
            return state.rfind("2,", 0) != 0 && state.rfind("3,", 0) != 0;
        },
        60000))
        << state;
    EXPECT_EQ(state, "1,\"Stopped\"");
    EXPECT_EQ(client.Ask("PROG:SEGM?"), "0,3,0");
    EXPECT_NE(client.Ask("DATA:LAST?").find("RH 30 %"), std::string::npos);
}

struct TSettingsCase {
    const char* Text; // the "Remote" section's lines
    bool Enabled;
    std::uint16_t Port;
    const char* Problem; // a part of it; empty for none
};

class RemoteSettings : public testing::TestWithParam<TSettingsCase> {};

TEST_P(RemoteSettings, AreReadWithTheirDefaults) {
    const TSettingsCase& c = GetParam();
    Settings::TProfileFile file("unused.ini");
    file.Parse(std::string("[Remote]\n") + c.Text);
    const App::TRemoteSettings settings = App::ReadRemoteSettings(file);
    EXPECT_EQ(settings.Enabled, c.Enabled) << c.Text;
    EXPECT_EQ(settings.Port, c.Port) << c.Text;
    if (std::string(c.Problem).empty()) {
        EXPECT_EQ(settings.Problem, "") << c.Text;
    } else {
        EXPECT_NE(settings.Problem.find(c.Problem), std::string::npos) << settings.Problem;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RemoteSettings,
    testing::Values(TSettingsCase{"", false, 5025, ""}, TSettingsCase{"Enabled=1\n", true, 5025, ""},
                    TSettingsCase{"Enabled=0\nPort=6000\n", false, 6000, ""},
                    TSettingsCase{"Enabled=1\nPort=65535\n", true, 65535, ""},
                    TSettingsCase{"Enabled=2\n", false, 5025, ""},
                    TSettingsCase{"Enabled=yes\n", false, 5025, "[Remote] Enabled=yes cannot be read"},
                    TSettingsCase{"Enabled=1\nPort=0\n", true, 5025, "[Remote] Port=0 is not a port"},
                    TSettingsCase{"Enabled=1\nPort=70000\n", true, 5025, "[Remote] Port=70000 is not a port"},
                    TSettingsCase{"Enabled=1\nPort=50 25\n", true, 5025,
                                  "[Remote] Port=50 25 cannot be read"}));

// At start-up the settings file decides: on with its port, or off.
TEST(RemoteControlStart, FollowsTheSettingsFile) {
    QTcpServer probe; // a free port for this test
    ASSERT_TRUE(probe.listen(QHostAddress(QHostAddress::LocalHost), 0));
    const std::uint16_t free = probe.serverPort();
    probe.close();
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "not enabled");
        TestSupport::TTempFolder folder{"moistrel-remote-start"};
        const App::TProgramPlaces places = TestSupport::PlacesIn(folder);
        Settings::TProfileFile file(places.SettingsFile);
        file.WriteInteger("Remote", "Enabled", enabled ? 1 : 0);
        file.WriteInteger("Remote", "Port", free);
        std::string error;
        ASSERT_TRUE(file.Save(error)) << error;
        TestSupport::TSimHarness sim{TestSupport::ManualClock()};
        Base::TRecordingDialogs dialogs;
        App::TMoistrel program{sim.Clock(), places, &dialogs};
        program.Startup();
        App::TRemoteControl remote(program);
        remote.Start();
        EXPECT_EQ(remote.Server().Listening(), enabled);
        const std::string line = program.Form().Setup->LabelRemoteControl->text().toStdString();
        if (enabled) {
            EXPECT_EQ(remote.Server().Port(), free);
            EXPECT_EQ(line, "Remote control: on, port " + std::to_string(free) + ", 0 clients");
            TClient client(free);
            ASSERT_TRUE(client.Connected());
            EXPECT_EQ(client.Ask("SYST:STAT?"), "0,\"Simulation\"");
        } else {
            EXPECT_EQ(line, "Remote control: off");
            TClient client(free);
            EXPECT_FALSE(client.Connected());
        }
    }
}

} // namespace
