#include "ui/LoggingSetup.h"

#include "logging/DiagnosticLogger.h"

namespace UnitMain {

void SetupDiagnosticLogging(int loggingMode, Base::TDateTime now, const std::string& folder) {
    Logging::TDiagnosticLogger& logger = Logging::Logger();
    if (loggingMode == lmFile || loggingMode == lmLive) {
        if (loggingMode == lmLive) {
            logger.Clear();
        }
        Logging::TLogDestination destination;
        destination.LogFile.Active = true;
        destination.LogFile.FileName = Logging::LogFileNameFor(now);
        destination.LogFile.FilePath = folder;
        destination.Viewer.Active = loggingMode == lmLive;
        logger.SetDestination(destination);
        logger.SetEnabled(true);
    } else {
        logger.SetEnabled(false);
    }
    logger.Send("Logging system initialized");
}

} // namespace UnitMain
