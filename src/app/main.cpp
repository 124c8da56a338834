// Moistrel: the control program of the gas-mixture and humidity generator.
// Checks for a display, fixes the format settings, builds the program and runs the event loop.

#include "app/DisplayCheck.h"
#include "app/TMoistrel.h"
#include "base/Clock.h"
#include "base/FormatSettings.h"
#include "base/Paths.h"
#include "logging/LoggingSetup.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Until the settings file is read at start-up, the logging mode comes from MOISTREL_LOGGING_MODE:
// "0"/"Off", "1"/"Live", "2"/"File"; anything else is off.
int LoggingModeFromEnvironment() {
    const char* value = std::getenv("MOISTREL_LOGGING_MODE");
    const std::string mode = value == nullptr ? std::string() : std::string(value);
    if (mode == "1" || mode == "Live") {
        return Logging::lmLive;
    }
    if (mode == "2" || mode == "File") {
        return Logging::lmFile;
    }
    return Logging::lmOff;
}

} // namespace

int main(int argc, char* argv[]) {
    // Without a display the toolkit would abort; say plainly what is missing instead.
    const std::string displayProblem = App::DisplayProblem();
    if (!displayProblem.empty()) {
        std::fprintf(stderr,
                     "moistrel: %s.\nStart it from a desktop session, or under Xvfb: xvfb-run -a moistrel\n",
                     displayProblem.c_str());
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moistrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Moistrel"));
    Base::SetFormatSettings(Base::FormatSettingsFromLocale());

    Base::TSystemClock clock;
    App::TMoistrel program(clock);
    program.Startup({LoggingModeFromEnvironment(), Base::ProgramFolder()});
    program.Form().show();
    return QApplication::exec();
}
