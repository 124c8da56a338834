#include "pump/PumpStop.h"

#include "base/DateTime.h"
#include "base/NumberFormat.h"
#include "logging/DiagnosticLogger.h"
#include "pump/PumpAnswer.h"
#include "pump/PumpCommands.h"
#include "serial/SerialPort.h"
#include "serial/SerialResponse.h"

namespace UnitMain {

namespace {

constexpr std::int32_t PumpBaudRate = 9600;

} // namespace

TPumpStopStep JudgePumpStopAnswer(std::string_view answer, double elapsedSeconds, double limitSeconds) {
    if (PumpAnswerIsStandby(answer)) {
        return pssIdle;
    }
    return elapsedSeconds < limitSeconds ? pssPollMore : pssNotIdle;
}

std::string PumpStopFailure(const std::string& port, std::string_view lastAnswer, double limitSeconds) {
    const std::string limit = Base::FormatGeneral(limitSeconds);
    if (!PumpAnswerIsValid(lastAnswer)) {
        return "Pump on " + port + ": no valid answer within " + limit + " s after the stop (last answer \"" +
               std::string(lastAnswer) + "\")";
    }
    return "Pump on " + port + ": not idle within " + limit + " s after the stop (last answer \"" +
           std::string(lastAnswer) + "\")";
}

TPumpStopResult StopPumpConfirmed(const std::string& port, Base::TTextPane& pane,
                                  const TPumpStopOptions& options) {
    TPumpStopResult result;
    const Base::TClock& clock = *options.Clock;
    const auto stamp = [&clock] { return Base::FormatDateTime("hh:nn:ss.zzz", clock.Now()); };
    const double limit = std::chrono::duration<double>(options.IdleLimit).count();
    try {
        SerialPort::TSerialPort serial;
        serial.fPort = port;
        serial.fBaudRate = PumpBaudRate;
        serial.fWindowsReadLoopTimeoutMS = options.ReadLoopTimeoutMS;
        serial.fReadoutTimeoutMS = options.ReadoutTimeoutMS;
        const std::string stopLine(PumpLineStopFill);
        pane.AddLine(stamp() + " Command : " + stopLine);
        const Base::TDateTime sent = clock.Now();
        SerialPort::TSerialResponse response;
        serial.Send2(stopLine, true, response);
        result.Response = response.Response;
        pane.AddLine(stamp() + " Response: " + response.Response);

        std::string last = response.Response;
        const auto elapsed = [&clock, sent] { return (clock.Now() - sent) * Base::SecondsPerDay; };
        TPumpStopStep step = JudgePumpStopAnswer(last, elapsed(), limit);
        while (step == pssPollMore) {
            clock.Sleep(options.PollPause);
            // A poll that gets no answer must not be judged by the answer before it.
            SerialPort::TSerialResponse poll;
            serial.Send2(std::string(PumpLineStatusQuery), true, poll);
            ++result.Polls;
            last = poll.Response;
            step = JudgePumpStopAnswer(last, elapsed(), limit);
        }
        result.Stopped = step == pssIdle;
        if (!result.Stopped) {
            Logging::Logger().Send(PumpStopFailure(port, last, limit));
        }
    } catch (...) {
        result.Stopped = false;
        Logging::Logger().Send("Pump on " + port + ": the stop failed unexpectedly");
    }
    return result;
}

} // namespace UnitMain
