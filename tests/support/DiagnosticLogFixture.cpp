#include "support/DiagnosticLogFixture.h"

#include "logging/DiagnosticLogger.h"
#include "support/LogMessages.h"

namespace TestSupport {

void TDiagnosticLogTest::TearDown() {
    Logging::Logger().SetEnabled(false);
    Logging::Logger().CloseDispatcher();
    Logging::Logger().SetDestination({});
}

std::vector<std::string> TDiagnosticLogTest::LoggedMessages(double started) {
    Logging::Logger().CloseDispatcher();
    return ReadLogMessages(fFolder.File(Logging::LogFileNameFor(started)));
}

} // namespace TestSupport
