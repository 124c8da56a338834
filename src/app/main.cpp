// Moistrel: the control program of the gas-mixture and humidity generator.
// Builds the long-lived objects, opens the main window with its defaults and runs the event loop.

#include "app/DisplayCheck.h"
#include "base/Clock.h"
#include "base/FormatSettings.h"
#include "base/Paths.h"
#include "logging/DiagnosticLogger.h"
#include "state/MoistrelState.h"
#include "ui/LoggingSetup.h"
#include "ui/TForm1.h"
#include "ui/controllers/TDesignController.h"
#include "ui/controllers/TFluidDesignController.h"

#include <QApplication>
#include <QTimer>
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
        return UnitMain::lmLive;
    }
    if (mode == "2" || mode == "File") {
        return UnitMain::lmFile;
    }
    return UnitMain::lmOff;
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
    UnitMain::TForm1 form(clock);
    UnitMain::SetupDiagnosticLogging(LoggingModeFromEnvironment(), clock.Now(), Base::ProgramFolder());

    // ---- Controllers: the handlers that join the window to the program's core are created here,
    // ---- given `form`, `clock` and `form.Dialogs()`, before the timer starts.
    UnitMain::TMoistrelState state;
    UnitMain::TDesignController design(form, state);
    UnitMain::TFluidDesignController fluidDesign(form, state, design);
    // The designed liquid as a first start without settings leaves it: pure water, on the pump.
    fluidDesign.StartWithWater();
    design.Startup();

    form.SetOnClose([] { Logging::Logger().CloseDispatcher(); });
    form.PageControl1->setCurrentIndex(UnitMain::TForm1::pgSetup);
    form.show();
    form.Timer1->start();
    return QApplication::exec();
}
