#include "ui/LogOld.h"

#include "base/TextPane.h"
#include "logging/DiagnosticLogger.h"

namespace UnitMain {

std::string OperationLogLine(Base::TDateTime now, std::string_view msg) {
    std::string line = Base::FormatDateTime("dd-hh-mm-ss", now);
    line += ' ';
    line += msg;
    return line;
}

void LogOld(Base::TTextPane& target, std::string_view msg, const Base::TClock& clock) {
    target.AddLine(OperationLogLine(clock.Now(), msg));
    std::string mirrored = "LogOld: ";
    mirrored += msg;
    Logging::Logger().Send(mirrored);
}

} // namespace UnitMain
