// moistrel-probe: a service tool for technicians. Lists the serial ports, identifies an MFC and
// prints the validation report of the setup screen, or finds and initialises the pump, using the
// same routines as the program.

#include "base/FormatSettings.h"
#include "base/MemoryTextPane.h"
#include "logging/DiagnosticLogger.h"
#include "mfc/MFCIdentity.h"
#include "pump/PumpProtocol.h"
#include "serial/ListComPorts.h"
#include "setup/ValidationReport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const HelpText = R"(Usage: moistrel-probe [--diag] COMMAND [ARGS]

Commands:
  ports                                  list the serial ports as the program lists them: the machine's
                                         serial devices, then every path in MOISTREL_SERIAL_PORTS
                                         (colon-separated)
  mfc PORT [--address N] [--cull N] [--readout MS]
                                         identify the MFC at Modbus address N (default 1) on PORT and
                                         print the validation report of the setup screen; --cull takes
                                         N units off each table's dynamic range (default 20 for
                                         address 1, 10 otherwise, as the program's settings do);
                                         --readout is how long each read waits for the first byte of
                                         the reply (default 50 ms, as the program waits), for a slow
                                         adapter or a busy machine
  pump PORT [--limit S] [--readout MS]   find and initialise the pump on PORT and print the detection
                                         report; --limit is how long the pump may take to report
                                         standby (default 50 s); --readout is how long each exchange
                                         waits for the first byte of the answer (default 1000 ms, as
                                         the program waits)

PORT is a name from the list: a plain name opens /dev/NAME, an absolute path opens as it stands
(the links of moistrel-sim, for example /tmp/moistrel-sim-root/mfc-a).

Options:
  --diag    send the diagnostic messages to standard error
  --help    show this text

Exit status: 0 when the instrument was found (or the ports were listed), 1 when it was not,
2 for a usage error.
)";

// Prints the report as it grows. On a terminal the "Elapsed" line is redrawn in place; elsewhere
// only the last version of a replaced line is printed.
class TConsolePane final : public Base::TTextPane {
public:
    TConsolePane() : fTerminal(isatty(STDOUT_FILENO) == 1) {}
    ~TConsolePane() override { Flush(); }
    TConsolePane(const TConsolePane&) = delete;
    TConsolePane& operator=(const TConsolePane&) = delete;

    void AddLine(const std::string& line) override {
        std::vector<std::string> parts = Base::SplitTextLines(line);
        if (parts.empty()) {
            parts.emplace_back();
        }
        for (const std::string& part : parts) {
            Flush();
            fLines.AddLine(part);
            fPending = true;
            if (fTerminal) {
                std::cout << part << std::flush;
            }
        }
    }
    void ReplaceLastLine(const std::string& line) override {
        fLines.ReplaceLastLine(line);
        fPending = true;
        if (fTerminal) {
            std::cout << "\r\033[K" << line << std::flush;
        }
    }
    void Clear() override {
        Flush();
        fLines.Clear();
    }
    void SetText(const std::string& text) override {
        Clear();
        AddLine(text);
    }
    std::vector<std::string> Lines() const override { return fLines.Lines(); }
    std::string Text() const override { return fLines.Text(); }

    // Ends the line being shown.
    void Flush() {
        if (fPending) {
            std::cout << (fTerminal ? "" : fLines.Lines().back()) << '\n' << std::flush;
            fPending = false;
        }
    }

private:
    bool fTerminal;
    bool fPending = false;
    Base::TMemoryTextPane fLines;
};

int Usage(const std::string& problem) {
    std::cerr << "moistrel-probe: " << problem << "\nTry 'moistrel-probe --help'.\n";
    return 2;
}

bool ParseNumber(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end != nullptr && *end == '\0';
}

int ListPorts() {
    for (const std::string& port : SerialPort::ListComPorts()) {
        std::cout << port << '\n';
    }
    return 0;
}

int ProbeMFC(const std::string& port, const std::vector<std::string>& options) {
    long address = 1;
    std::optional<long> cull;
    SerialPortVogtlin::TMFCTiming timing;
    for (std::size_t i = 0; i < options.size(); ++i) {
        long value = 0;
        if ((options[i] == "--address" || options[i] == "--cull" || options[i] == "--readout") &&
            i + 1 < options.size() && ParseNumber(options[i + 1], value)) {
            if (options[i] == "--readout") {
                if (value < 1 || value > 60000) {
                    return Usage("the read-out time must be 1 to 60000 ms");
                }
                timing.ReadoutTimeoutMS = static_cast<std::uint32_t>(value);
            } else if (options[i] == "--address") {
                if (value < 1 || value > 247) {
                    return Usage("the Modbus address must be 1 to 247");
                }
                address = value;
            } else {
                if (value < 0 || value > 65535) {
                    return Usage("the cull must be 0 to 65535");
                }
                cull = value;
            }
            ++i;
        } else {
            return Usage("unknown or incomplete option '" + options[i] + "'");
        }
    }
    SerialPortVogtlin::TMFCDetails mfc;
    mfc.ComPortName = port;
    mfc.ModBusAddress = static_cast<std::uint32_t>(address);
    mfc.DynamicRangeCull = static_cast<std::int32_t>(cull.value_or(address == 1 ? 20 : 10));

    std::cout << '\n' << Setup::MFCQueryLine(port, mfc.ModBusAddress) << '\n';
    SerialPortVogtlin::IdentifyMFC(mfc, timing);
    for (const std::string& line : Setup::MFCValidationReport(mfc, address == 2)) {
        std::cout << line << '\n';
    }
    return mfc.Validated ? 0 : 1;
}

int ProbePump(const std::string& port, const std::vector<std::string>& options) {
    UnitMain::TPumpFindInitOptions findOptions;
    for (std::size_t i = 0; i < options.size(); ++i) {
        long value = 0;
        if (options[i] == "--limit" && i + 1 < options.size() && ParseNumber(options[i + 1], value) &&
            value >= 0 && value <= 3600) {
            findOptions.PollLimit = std::chrono::seconds(value);
            ++i;
        } else if (options[i] == "--readout" && i + 1 < options.size() &&
                   ParseNumber(options[i + 1], value)) {
            if (value < 1 || value > 60000) {
                return Usage("the read-out time must be 1 to 60000 ms");
            }
            findOptions.ReadoutTimeoutMS = static_cast<std::uint32_t>(value);
            ++i;
        } else {
            return Usage("unknown or incomplete option '" + options[i] + "'");
        }
    }
    TConsolePane pane;
    const bool found = UnitMain::PumpFindInit(port, pane, findOptions);
    pane.Flush();
    return found ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Base::SetFormatSettings(Base::FormatSettingsFromLocale());
    std::vector<std::string> args(argv + 1, argv + argc);
    bool diag = false;
    std::vector<std::string> rest;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << HelpText;
            return 0;
        }
        if (arg == "--diag") {
            diag = true;
        } else {
            rest.push_back(arg);
        }
    }
    if (diag) {
        Logging::TLogDestination destination;
        destination.Viewer.Active = true;
        Logging::Logger().SetDestination(destination);
        Logging::Logger().SetEnabled(true);
    }
    if (rest.empty()) {
        return Usage("no command given");
    }
    const std::string command = rest[0];
    if (command == "ports" && rest.size() == 1) {
        return ListPorts();
    }
    if ((command == "mfc" || command == "pump") && rest.size() >= 2) {
        const std::vector<std::string> options(rest.begin() + 2, rest.end());
        return command == "mfc" ? ProbeMFC(rest[1], options) : ProbePump(rest[1], options);
    }
    return Usage("unknown command or missing port: '" + command + "'");
}
