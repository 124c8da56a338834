#include "support/LogCapture.h"

#include "logging/DiagnosticLogger.h"
#include "support/LogMessages.h"

#include <algorithm>

namespace TestSupport {

TLogCapture::TLogCapture() {
    fFileName = "capture.csl";
    Logging::TLogDestination destination;
    destination.LogFile.Active = true;
    destination.LogFile.FilePath = fFolder.Path();
    destination.LogFile.FileName = fFileName;
    Logging::Logger().SetDestination(destination);
    Logging::Logger().SetEnabled(true);
}

TLogCapture::~TLogCapture() {
    Logging::Logger().SetDestination(Logging::TLogDestination{});
    Logging::Logger().CloseDispatcher();
}

std::vector<std::string> TLogCapture::Messages() const {
    return TestSupport::ReadLogMessages(fFolder.File(fFileName));
}

bool TLogCapture::Contains(const std::string& message) const {
    const std::vector<std::string> messages = Messages();
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

} // namespace TestSupport
