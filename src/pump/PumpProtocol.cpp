#include "pump/PumpProtocol.h"

#include "base/NumberFormat.h"
#include "logging/DiagnosticLogger.h"
#include "pump/PumpAnswer.h"
#include "pump/PumpCommands.h"
#include "serial/SerialPort.h"
#include "serial/SerialResponse.h"

#include <string_view>

namespace UnitMain {

namespace {

constexpr std::int32_t PumpBaudRate = 9600;

std::string Line(std::string_view text) {
    return std::string(text);
}

} // namespace

bool SendPumpCommand(const TPumpDetails& Pump, const std::string& Command) {
    try {
        SerialPort::TSerialPort port;
        port.fPort = Pump.Port;
        port.fBaudRate = PumpBaudRate;
        SerialPort::TSerialResponse response;
        port.Send2(Command + "\r", true, response);
        if (response.Response.empty()) {
            Logging::Logger().Send("Pump on " + Pump.Port + ": no answer to " + Command + " (" +
                                   response.Status + ")");
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool PumpFindInit(const std::string& Port, Base::TTextPane& Pane, const TPumpFindInitOptions& Options) {
    try {
        const Base::TClock& clock = *Options.Clock;
        const auto processPending = [&Options] {
            if (Options.MainThread != nullptr) {
                Options.MainThread->ProcessPending();
            }
        };
        const auto pause = [&clock](std::chrono::milliseconds duration) { clock.Sleep(duration); };
        // One port and one response record serve every exchange; the report after a failed model
        // query shows what that record holds then.
        SerialPort::TSerialPort port;
        port.fPort = Port;
        port.fBaudRate = PumpBaudRate;
        port.fWindowsReadLoopTimeoutMS = Options.ReadLoopTimeoutMS;
        port.fReadoutTimeoutMS = Options.ReadoutTimeoutMS;
        SerialPort::TSerialResponse response;

        Pane.AddLine("");
        Pane.AddLine("Query port         :" + Port);

        port.Send2(Line(PumpLineEmpty), true, response);
        pause(Options.ShortPause);
        port.Send2(Line(PumpLineStopFill), false, response);
        pause(Options.ShortPause);
        // Judge the model query by its own answer only: when the query cannot be sent at all the
        // record must not still hold the answer to the empty line.
        response.Response.clear();
        port.Send2(Line(PumpLineModelQuery), true, response);

        if (!PumpAnswerNamesModel(response.Response)) {
            Pane.AddLine("Send data          :" + response.SentMessage);
            Pane.AddLine("Comm Status        :" + response.Status);
            Pane.AddLine("Comm Response      :\"" + response.Response + "\"");
            Pane.AddLine(
                " -> No pump found on this port, or a problem with the port. Read manual about drivers. "
                "Turn the Moistrel off and few seconds later on, and try again.");
            Logging::Logger().Send("PumpFindInit " + Port + ": no pump (" + response.Status + ")");
            return false;
        }

        Pane.AddLine("Found pump on port :" + Port);
        Pane.AddLine("Initializing correct settings...");
        port.Send2(std::string(PumpCommandInitialise) + "\r", true, response);
        Pane.AddLine(" -> " + std::string(PumpCommandInitialise));
        const auto limitSeconds = std::chrono::duration_cast<std::chrono::seconds>(Options.PollLimit).count();
        Pane.AddLine(" -> Wait until pump is silent. Timeout in " + std::to_string(limitSeconds) +
                     " seconds");
        Pane.AddLine(" -> Elapsed: 0 s");
        processPending();

        const double limit = std::chrono::duration<double>(Options.PollLimit).count();
        const Base::TDateTime start = clock.Now();
        const auto elapsedSeconds = [&clock, start] { return (clock.Now() - start) * Base::SecondsPerDay; };
        bool busy = true;
        while (busy && elapsedSeconds() < limit) {
            // A poll that gets no answer (or cannot open the port) must not be judged by an
            // earlier answer left in the record, such as the idle reply to the initialisation.
            response.Response.clear();
            port.Send2(Line(PumpLineStatusQuery), true, response);
            busy = !PumpAnswerIsStandby(response.Response);
            pause(Options.PollPause);
            processPending();
            Pane.ReplaceLastLine(" -> Elapsed: " + Base::FormatMask("##", elapsedSeconds()) + " s");
        }

        // busy still true when not a single poll was answered with standby.
        if (busy) {
            Pane.AddLine(" -> Pump failed to report standby and error free within timeout period.");
            Logging::Logger().Send("PumpFindInit " + Port + ": pump found, no standby within the limit");
        } else {
            Pane.AddLine(" -> Pump is OK and on standby.");
            Logging::Logger().Send("PumpFindInit " + Port + ": pump found and on standby");
        }
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace UnitMain
