#include "remote/RemoteSession.h"

#include "RecordingInstrument.h"

#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Remote::TActionResult;
using Remote::TRefusalKind;
using RemoteTest::TRecordingInstrument;

struct TSession {
    TRecordingInstrument Instrument;
    Remote::TRemoteSession Session{Instrument};

    Remote::TSessionOutput Send(const std::string& bytes) { return Session.Feed(bytes); }
    // What SYST:ERR? answers, one entry after the other, up to "No error"; the calls it makes are none.
    Lines Errors() {
        Lines errors;
        while (true) {
            const Remote::TSessionOutput output = Session.Feed("SYST:ERR?\n");
            if (output.Lines.size() != 1) {
                ADD_FAILURE() << "SYST:ERR? gave " << output.Lines.size() << " lines";
                return errors;
            }
            if (output.Lines.front() == "0,\"No error\"") {
                return errors;
            }
            errors.push_back(output.Lines.front());
        }
    }
};

struct TCommandRow {
    std::vector<std::string> Spellings; // short form, long form, mixed case...
    std::string Answer;                 // the answer line; empty: none
    std::vector<std::string> Calls;     // what the instrument is asked
    std::string Refusing;               // the call that refuses in the wrong state; empty: it cannot
    TRefusalKind Kind = TRefusalKind::rkSettingsConflict;
    std::string
        Error; // the queue's entry for that refusal, with the refusal text "<Refusing> refused: not now"
};

// Every command in its short and long form and in mixed case: its answer and the calls it makes,
// and, for every action, the instrument's refusal as it reaches the error queue.
TEST(RemoteSessionTest, TheCommandTable) {
    const std::string conflict = "-221,\"Settings conflict;";
    const TRecordingInstrument defaults;
    const std::vector<TCommandRow> rows = {
        {{"*IDN?", "*idn?", "*Idn?"}, defaults.IdentityText, {"Identity"}, "", {}, ""},
        {{"*OPC?", "*opc?"}, "1", {}, "", {}, ""},
        {{"*CLS", "*cls"}, "", {}, "", {}, ""},
        {{"SYST:ERR?", "SYSTem:ERRor?", "syst:err:next?", "System:Error:Next?"},
         "0,\"No error\"",
         {},
         "",
         {},
         ""},
        {{"SYST:STAT?", "SYSTem:STATe?", "syst:state?", ":Syst:Stat?"},
         "1,\"Stopped\"",
         {"State"},
         "",
         {},
         ""},
        {{"PROG:LOAD \"run.mixprog\"", "PROGram:LOAD \"run.mixprog\"", "prog:load 'run.mixprog'"},
         "",
         {"LoadProgram(run.mixprog)"},
         "LoadProgram",
         TRefusalKind::rkFileNotFound,
         "-256,\"File name not found;LoadProgram refused: not now\""},
        {{"PROG:CLE", "PROGram:CLEar", "prog:clear"},
         "",
         {"ClearProgram"},
         "ClearProgram",
         TRefusalKind::rkSettingsConflict,
         conflict},
        {{"PROG:APP:TARG RH,50,1800", "PROGram:APPend:TARGet rh,50,1800",
          "prog:append:target Rh , 5e1 ,1.8E3"},
         "",
         {"AppendTarget(RH,50,1800,)"},
         "AppendTarget",
         TRefusalKind::rkOutOfRange,
         "-222,\"Data out of range;AppendTarget refused: not now\""},
        {{"PROG:APP:TARG DEWP,-10,60", "PROGram:APPend:TARGet DEWPoint,-10,60",
          "Prog:App:Targ dewpoint,-10.0,+60"},
         "",
         {"AppendTarget(DEWP,-10,60,)"},
         "AppendTarget",
         TRefusalKind::rkSettingsConflict,
         conflict},
        {{"PROG:APP:TARG PPM,5000,600,\"Ethanol\"", "PROGram:APPend:TARGet PPM,5000,600,'Ethanol'",
          "prog:app:targ ppm,5e3,600,Ethanol"},
         "",
         {"AppendTarget(PPM,5000,600,Ethanol)"},
         "AppendTarget",
         TRefusalKind::rkIllegalValue,
         "-224,\"Illegal parameter value;AppendTarget refused: not now\""},
        {{"PROG:COUN?", "PROGram:COUNt?", "prog:count?"}, "3", {"ProgramCount"}, "", {}, ""},
        {{"PROG:STAR", "PROGram:STARt", "prog:start"},
         "",
         {"StartProgram"},
         "StartProgram",
         TRefusalKind::rkSettingsConflict,
         conflict},
        {{"PROG:STOP", "PROGram:STOP", "prog:stop"},
         "",
         {"StopProgram"},
         "StopProgram",
         TRefusalKind::rkSettingsConflict,
         conflict},
        {{"PROG:SEGM?", "PROGram:SEGMent?", "prog:segment?"}, "2,3,1234.5", {"Segment"}, "", {}, ""},
        {{"MEAS:FLOW:A?", "MEASure:FLOW:A?", "meas:flow:a?"}, "0.5", {"FlowA"}, "", {}, ""},
        {{"MEAS:FLOW:B?", "MEASure:FLOW:B?", "meas:flow:b?"}, "0.25", {"FlowB"}, "", {}, ""},
        {{"MEAS:TOT:A?", "MEASure:TOTalizer:A?", "meas:totalizer:a?"}, "12.75", {"TotalizerA"}, "", {}, ""},
        {{"MEAS:RH?", "MEASure:RH?", "meas:rh?"}, "49.873", {"RelativeHumidity"}, "", {}, ""},
        {{"MEAS:PPM?", "MEASure:PPM?", "meas:ppm?"}, "15320.5", {"PPM"}, "", {}, ""},
        {{"DATA:LAST?", "data:last?"}, defaults.LastLine, {"LastDataLine"}, "", {}, ""},
        {{"DATA:HEAD?", "DATA:HEADer?", "data:header?"}, defaults.Header, {"DataHeader"}, "", {}, ""},
        {{"SET:VAL", "SETup:VALidate", "set:validate"},
         "",
         {"Validate"},
         "Validate",
         TRefusalKind::rkExecution,
         "-200,\"Execution error;Validate refused: not now\""},
        {{"SET:GAS:A \"Air\"", "SETup:GAS:A \"Air\"", "set:gas:a 'Air'"},
         "",
         {"SelectGasA(Air)"},
         "SelectGasA",
         TRefusalKind::rkSettingsConflict,
         conflict},
        {{"SET:GAS:B \"N2 \xc3\xb6\"", "SETup:GAS:B \"N2 \xc3\xb6\"", "Setup:Gas:B \"N2 \xc3\xb6\""},
         "",
         {"SelectGasB(N2 \xc3\xb6)"},
         "SelectGasB",
         TRefusalKind::rkSettingsConflict,
         conflict},
        {{"SET:GAS:CONF", "SETup:GAS:CONFirm", "set:gas:confirm"},
         "",
         {"RemoteGasConfirmationAllowed", "ConfirmGases"},
         "ConfirmGases",
         TRefusalKind::rkSettingsConflict,
         conflict},
    };
    // The rows hold every command of the table.
    std::set<Remote::TCommandId> covered;
    for (const TCommandRow& row : rows) {
        const Remote::TScpiParse parse = Remote::ParseScpiCommand(row.Spellings.front());
        std::vector<std::string> path;
        if (const std::optional<Remote::TCommandEntry> entry = Remote::FindCommand(parse.Command, path)) {
            covered.insert(entry->Id);
        }
    }
    EXPECT_EQ(covered.size(), Remote::CommandTable().size());

    for (const TCommandRow& row : rows) {
        for (const std::string& spelling : row.Spellings) {
            SCOPED_TRACE(spelling);
            for (const std::string end : {"\n", "\r\n"}) {
                TSession client;
                const Remote::TSessionOutput output = client.Send(spelling + end);
                EXPECT_EQ(output.Lines, row.Answer.empty() ? Lines{} : Lines{row.Answer});
                EXPECT_FALSE(output.Close);
                EXPECT_EQ(client.Instrument.Calls, row.Calls);
                EXPECT_EQ(client.Errors(), Lines{});
                if (!row.Refusing.empty()) {
                    // An action goes to the operation log as the client wrote it.
                    EXPECT_EQ(output.Actions, (std::vector<Remote::TRemoteAction>{{spelling, true, ""}}));
                } else {
                    EXPECT_TRUE(output.Actions.empty());
                }
            }
            if (row.Refusing.empty()) {
                continue;
            }
            TSession client;
            const std::string refusal = row.Refusing + " refused: not now";
            client.Instrument.Refusals[row.Refusing] = TActionResult::Refused(refusal, row.Kind);
            const Remote::TSessionOutput output = client.Send(spelling + "\n");
            EXPECT_EQ(output.Lines, Lines{});
            EXPECT_EQ(client.Instrument.Calls, row.Calls);
            EXPECT_EQ(output.Actions, (std::vector<Remote::TRemoteAction>{{spelling, false, refusal}}));
            const std::string error = row.Error == conflict ? conflict + refusal + "\"" : row.Error;
            EXPECT_EQ(client.Errors(), Lines{error});
        }
    }
}

TEST(RemoteSessionTest, GasConfirmationIsRefusedUnlessTheSettingsAllowIt) {
    TSession client;
    client.Instrument.ConfirmationAllowed = false;
    const Remote::TSessionOutput output = client.Send("SET:GAS:CONF\n");
    EXPECT_EQ(client.Instrument.Calls, Lines{"RemoteGasConfirmationAllowed"});
    const std::string refusal =
        "Confirming the gases from a remote client is off: set \"Confirm gases\" to 1 in "
        "section \"Remote\" of the settings file to allow it.";
    EXPECT_EQ(output.Actions, (std::vector<Remote::TRemoteAction>{{"SET:GAS:CONF", false, refusal}}));
    EXPECT_EQ(client.Errors(),
              Lines{"-221,\"Settings conflict;Confirming the gases from a remote client is off: set "
                    "\"\"Confirm gases\"\" to 1 in section \"\"Remote\"\" of the settings file to "
                    "allow it.\""});
}

TEST(RemoteSessionTest, MalformedLinesGiveTheirErrorAndCallNothing) {
    struct TRow {
        std::string Line;
        std::string Error;
    };
    const std::string undefined = "-113,\"Undefined header\"";
    const std::string syntax = "-102,\"Syntax error\"";
    const std::string notAllowed = "-108,\"Parameter not allowed\"";
    const std::string missing = "-109,\"Missing parameter\"";
    const std::string type = "-104,\"Data type error\"";
    const std::string illegal = "-224,\"Illegal parameter value\"";
    const std::vector<TRow> rows = {
        {"FOO?", undefined},
        {"SYST:STAT", undefined}, // a query sent as a setting
        {"PROG:STAR?", undefined},
        {"*IDN", undefined},
        {"*RST", undefined},
        {"SYST:STA?", undefined}, // neither the short nor the long form
        {"SYST:STATUS?", undefined},
        {"SYST:ERR:NEX?", undefined},
        {"PROG STAR", undefined},
        {"MEAS:FLOW?", undefined},
        {"MEAS:FLOW:C?", undefined},
        {"SYST:STAT:EXTRA?", undefined},
        {"PROG::STAR", syntax},
        {"PROG:STAR:", syntax},
        {"MEAS:FLOW:A?garbage", syntax},
        {"PROG:LOAD \"unterminated", syntax},
        {"PROG:APP:TARG RH,,1800", syntax},
        {"PROG:APP:TARG RH,50,1800,", syntax},
        {"PROG:APP:TARG RH,5O,1800", syntax},
        {"*IDN? x", notAllowed},
        {"SYST:ERR? ALL", notAllowed},
        {"PROG:STAR 1", notAllowed},
        {"PROG:STOP NOW", notAllowed},
        {"PROG:LOAD \"a\",\"b\"", notAllowed},
        {"PROG:APP:TARG RH,50,1800,\"H2O\"", notAllowed},
        {"PROG:APP:TARG PPM,50,1800,\"H2O\",1", notAllowed},
        {"PROG:LOAD", missing},
        {"SET:GAS:A", missing},
        {"PROG:APP:TARG RH,50", missing},
        {"PROG:APP:TARG PPM,50,1800", missing},
        {"PROG:LOAD 5", type},
        {"PROG:LOAD run", type},
        {"SET:GAS:B 2", type},
        {"PROG:APP:TARG \"RH\",50,1800", type},
        {"PROG:APP:TARG RH,fifty,1800", type},
        {"PROG:APP:TARG 50,RH,1800", type},
        {"PROG:APP:TARG PPM,50,1800,7", type},
        {"PROG:LOAD \"\"", illegal},
        {"SET:GAS:A \"  \"", illegal},
        {"PROG:APP:TARG XX,50,1800", illegal},
        {"PROG:APP:TARG RHX,50,1800", illegal},
        {"PROG:APP:TARG RH,50,0", illegal},
        {"PROG:APP:TARG RH,50,-60", illegal},
        {"PROG:APP:TARG RH,1e999,1800", illegal},
        {"PROG:APP:TARG PPM,50,1800,\"\"", illegal},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Line);
        TSession client;
        const Remote::TSessionOutput output = client.Send(row.Line + "\n");
        EXPECT_EQ(output.Lines, Lines{});
        EXPECT_TRUE(output.Actions.empty());
        EXPECT_FALSE(output.Close);
        EXPECT_EQ(client.Instrument.Calls, Lines{});
        EXPECT_EQ(client.Errors(), Lines{row.Error});
    }
}

TEST(RemoteSessionTest, SeveralCommandsOnOneLineShareTheHeaderPathAndOneAnswerLine) {
    struct TRow {
        std::string Line;
        Lines Answers;
        Lines Calls;
        Lines Errors;
    };
    const std::vector<TRow> rows = {
        {"MEAS:FLOW:A?;B?", {"0.5;0.25"}, {"FlowA", "FlowB"}, {}},
        {"MEAS:FLOW:A?;:MEAS:RH?;*OPC?;PPM?",
         {"0.5;49.873;1;15320.5"},
         {"FlowA", "RelativeHumidity", "PPM"},
         {}},
        {"MEAS:FLOW:A?;MEAS:RH?", {"0.5;49.873"}, {"FlowA", "RelativeHumidity"}, {}},
        // A header is looked up from the previous command's node, then from the root only.
        {"PROG:APP:TARG RH,10,60;COUN?", {}, {"AppendTarget(RH,10,60,)"}, {"-113,\"Undefined header\""}},
        {"PROG:CLE;APP:TARG RH,10,60;TARG RH,30,60;:PROG:COUN?",
         {"3"},
         {"ClearProgram", "AppendTarget(RH,10,60,)", "AppendTarget(RH,30,60,)", "ProgramCount"},
         {}},
        {"PROG:LOAD \"a;b.mixprog\";STAR", {}, {"LoadProgram(a;b.mixprog)", "StartProgram"}, {}},
        {"PROG:CLE;", {}, {"ClearProgram"}, {}},
        {";;", {}, {}, {}},
        {"", {}, {}, {}},
        {"   \t", {}, {}, {}},
        // After a failure the rest of the line is not executed...
        {"MEAS:FLOW:A?;FOO?;MEAS:FLOW:B?", {"0.5"}, {"FlowA"}, {"-113,\"Undefined header\""}},
        {"PROG:CLE;PROG:APP:TARG RH,50;PROG:STAR", {}, {"ClearProgram"}, {"-109,\"Missing parameter\""}},
        {"PROG::X;PROG:STAR", {}, {}, {"-102,\"Syntax error\""}},
        // ...but a stop is always obeyed.
        {"FOO;PROG:STAR;PROG:STOP", {}, {"StopProgram"}, {"-113,\"Undefined header\""}},
        {"PROG:APP:TARG RH,50,0;:PROG:STOP", {}, {"StopProgram"}, {"-224,\"Illegal parameter value\""}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Line);
        TSession client;
        const Remote::TSessionOutput output = client.Send(row.Line + "\n");
        EXPECT_EQ(output.Lines, row.Answers);
        EXPECT_EQ(client.Instrument.Calls, row.Calls);
        EXPECT_EQ(client.Errors(), row.Errors);
    }
}

TEST(RemoteSessionTest, ARefusedActionStopsTheRestOfItsLine) {
    TSession client;
    client.Instrument.Refusals["LoadProgram"] =
        TActionResult::Refused("Cannot read \"gone.mixprog\".", TRefusalKind::rkFileNotFound);
    const Remote::TSessionOutput output = client.Send("PROG:LOAD \"gone.mixprog\";PROG:STAR;PROG:COUN?\n");
    EXPECT_EQ(output.Lines, Lines{});
    EXPECT_EQ(client.Instrument.Calls, Lines{"LoadProgram(gone.mixprog)"});
    EXPECT_EQ(client.Errors(), Lines{"-256,\"File name not found;Cannot read \"\"gone.mixprog\"\".\""});
}

TEST(RemoteSessionTest, LinesArriveInAnyPiecesAndEndWithLFOrCRLF) {
    TSession client;
    const std::string bytes = "*IDN?\r\nMEAS:FLOW:A?\nPROG:COUN?\r\n\nSYST:STAT?";
    Lines answers;
    for (const char byte : bytes) {
        for (std::string& line : client.Send(std::string(1, byte)).Lines) {
            answers.push_back(std::move(line));
        }
    }
    EXPECT_EQ(answers, (Lines{client.Instrument.IdentityText, "0.5", "3"}));
    // The last line has no end yet: it waits.
    EXPECT_EQ(client.Instrument.Calls, (Lines{"Identity", "FlowA", "ProgramCount"}));
    EXPECT_EQ(client.Send("\n").Lines, Lines{"1,\"Stopped\""});

    TSession together;
    EXPECT_EQ(together.Send(bytes + "\r\n").Lines,
              (Lines{together.Instrument.IdentityText, "0.5", "3", "1,\"Stopped\""}));
}

TEST(RemoteSessionTest, BytesThatAreNotTextGiveAnErrorAndTheLineIsNotExecuted) {
    const std::vector<std::string> rows = {
        std::string("PROG:STAR\0", 10), std::string("\0", 1),  "PROG:STAR\x1b",
        "SET:GAS:A \"\xff\"",           "SET:GAS:A \"\xc3\"",  "SET:GAS:A \"\xc0\xaf\"",
        "SET:GAS:A \"\xed\xa0\x80\"",   "SET:GAS:A \"a\x7f\"", "SET:GAS:A \"\xc2\x9b\"",
        "PROG:STAR\rPROG:STOP\x04",
    };
    for (const std::string& line : rows) {
        SCOPED_TRACE(line);
        TSession client;
        const Remote::TSessionOutput output = client.Send(line + "\n");
        EXPECT_EQ(output.Lines, Lines{});
        EXPECT_FALSE(output.Close);
        EXPECT_EQ(client.Instrument.Calls, Lines{});
        EXPECT_EQ(client.Errors(), Lines{"-101,\"Invalid character\""});
        // The client goes on.
        EXPECT_EQ(client.Send("PROG:COUN?\n").Lines, Lines{"3"});
    }
    // Tabs and a CR within a line are blanks.
    TSession client;
    EXPECT_EQ(client.Send("MEAS:FLOW:A?\t;\tMEAS:FLOW:B?\r\r\n").Lines, Lines{"0.5;0.25"});
}

TEST(RemoteSessionTest, ALineOverTheLimitClosesTheClientWithAnError) {
    const std::string command = "MEAS:FLOW:A?";
    const std::string longest =
        command + std::string(Remote::TRemoteSession::LineLimit - command.size(), ' ');
    for (const std::string end : {"\n", "\r\n"}) {
        TSession client;
        EXPECT_EQ(client.Send(longest + end).Lines, Lines{"0.5"});
        EXPECT_FALSE(client.Session.Closed());
    }

    const std::string overrun = "-363,\"Input buffer overrun;line longer than 4096 bytes\"";
    for (const std::string end : {"\n", "\r\n"}) {
        TSession client;
        const Remote::TSessionOutput output = client.Send(longest + " " + end);
        EXPECT_EQ(output.Lines, Lines{overrun});
        EXPECT_TRUE(output.Close);
        EXPECT_EQ(client.Instrument.Calls, Lines{});
        // Nothing more is read from a closed client.
        const Remote::TSessionOutput after = client.Send("PROG:STAR\n");
        EXPECT_TRUE(after.Close);
        EXPECT_EQ(after.Lines, Lines{});
        EXPECT_EQ(client.Instrument.Calls, Lines{});
    }

    // A client that never ends its line is closed as soon as it passes the limit, not kept reading.
    TSession client;
    Remote::TSessionOutput output;
    std::size_t sent = 0;
    while (!output.Close && sent < 3 * Remote::TRemoteSession::LineLimit) {
        output = client.Send(std::string(100, 'A'));
        sent += 100;
    }
    EXPECT_TRUE(output.Close);
    EXPECT_EQ(sent, 4100U);
    EXPECT_EQ(output.Lines, Lines{overrun});

    // A line of exactly the limit ending in CR waits for its LF.
    TSession waiting;
    EXPECT_FALSE(waiting.Send(longest + "\r").Close);
    EXPECT_EQ(waiting.Send("\n").Lines, Lines{"0.5"});
}

TEST(RemoteSessionTest, TheErrorQueueKeepsItsOrderOverflowsAndIsClearedByCLS) {
    TSession client;
    client.Send("FOO\nPROG::X\nPROG:LOAD\n");
    EXPECT_EQ(client.Errors(),
              (Lines{"-113,\"Undefined header\"", "-102,\"Syntax error\"", "-109,\"Missing parameter\""}));

    for (int i = 0; i < 40; ++i) {
        client.Send(i == 0 ? "PROG:LOAD 1\n" : "FOO\n");
    }
    Lines expected(Remote::TErrorQueue::DefaultCapacity - 1, "-113,\"Undefined header\"");
    expected.front() = "-104,\"Data type error\"";
    expected.push_back("-350,\"Queue overflow\"");
    EXPECT_EQ(client.Errors(), expected);

    client.Send("FOO\nBAR\n*CLS\n");
    EXPECT_EQ(client.Errors(), Lines{});
    // *CLS on the line after an error clears it too; errors after it are kept.
    client.Send("FOO\n*cls;BAR\n");
    EXPECT_EQ(client.Errors(), Lines{"-113,\"Undefined header\""});
}

TEST(RemoteSessionTest, AnswersStayOnOneLine) {
    TSession client;
    client.Instrument.IdentityText = "Moistrel,\r\nModel";
    client.Instrument.Status = {6, "Could not stop flow!\r\nManually power off"};
    client.Instrument.FlowAValue = std::nan("");
    client.Instrument.LastLine = "";
    EXPECT_EQ(client.Send("*IDN?\n").Lines, Lines{"Moistrel,  Model"});
    EXPECT_EQ(client.Send("SYST:STAT?\n").Lines, Lines{"6,\"Could not stop flow!  Manually power off\""});
    EXPECT_EQ(client.Send("MEAS:FLOW:A?\n").Lines, Lines{"9.91E+37"});
    // Before the first run there is no data line: the answer is an empty line, still one line.
    EXPECT_EQ(client.Send("DATA:LAST?\n").Lines, Lines{""});
}

TEST(RemoteSessionTest, AFailureInsideTheInstrumentIsAnExecutionErrorAndTheClientGoesOn) {
    TSession client;
    client.Instrument.Throwing = "StartProgram";
    Remote::TSessionOutput output = client.Send("PROG:STAR;:MEAS:RH?\n");
    EXPECT_EQ(output.Lines, Lines{});
    EXPECT_EQ(output.Actions,
              (std::vector<Remote::TRemoteAction>{{"PROG:STAR", false, "StartProgram failed: port gone"}}));
    EXPECT_EQ(client.Instrument.Calls, Lines{"StartProgram"});
    EXPECT_EQ(client.Errors(), Lines{"-200,\"Execution error;StartProgram failed: port gone\""});

    client.Instrument.Throwing = "FlowA";
    output = client.Send("MEAS:FLOW:A?;B?\nMEAS:FLOW:B?\n");
    EXPECT_EQ(output.Lines, Lines{"0.25"});
    EXPECT_EQ(client.Errors(), Lines{"-200,\"Execution error;FlowA failed: port gone\""});
}

TEST(RemoteSessionTest, SessionsKeepTheirOwnErrors) {
    TRecordingInstrument instrument;
    Remote::TRemoteSession first(instrument);
    Remote::TRemoteSession second(instrument);
    first.Feed("FOO\n");
    EXPECT_EQ(second.Feed("SYST:ERR?\n").Lines, Lines{"0,\"No error\""});
    EXPECT_EQ(first.Feed("SYST:ERR?\n").Lines, Lines{"-113,\"Undefined header\""});
}

} // namespace
