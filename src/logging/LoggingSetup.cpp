#include "logging/LoggingSetup.h"

#include "logging/DiagnosticLogger.h"

namespace Logging {

void SetupDiagnosticLogging(int loggingMode, Base::TDateTime now, const std::string& folder) {
    TDiagnosticLogger& logger = Logger();
    if (loggingMode == lmFile || loggingMode == lmLive) {
        TLogDestination destination;
        destination.LogFile.Active = true;
        destination.LogFile.FileName = LogFileNameFor(now);
        destination.LogFile.FilePath = folder;
        destination.Viewer.Active = loggingMode == lmLive;
        logger.SetDestination(destination);
        logger.SetEnabled(true);
        // The live viewer starts empty. Clearing it before the logger is enabled would be lost, so
        // it comes after, and before the first message.
        if (loggingMode == lmLive) {
            logger.Clear();
        }
    } else {
        logger.SetEnabled(false);
    }
    logger.Send("Logging system initialized");
}

} // namespace Logging
