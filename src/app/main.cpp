// Moistrel: the control program of the gas-mixture and humidity generator.
// Checks for a display, fixes the format settings, builds the program and runs the event loop.

#include "app/DisplayCheck.h"
#include "app/Headless.h"
#include "app/TMoistrel.h"
#include "app/TRemoteControl.h"
#include "base/Clock.h"
#include "base/FormatSettings.h"
#include "logging/LiveSink.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // A reader of our standard error (the live log) that goes away must not end a run.
    Logging::IgnoreBrokenPipe();
    std::string optionProblem;
    const std::optional<App::THeadlessOptions> headless =
        App::HeadlessOptions(std::vector<std::string>(argv + 1, argv + argc), optionProblem);
    if (!optionProblem.empty()) {
        std::fprintf(stderr,
                     "moistrel: %s\nUsage: moistrel [--headless [--program FILE] [--confirm-gases]]\n",
                     optionProblem.c_str());
        return App::ExitNotStarted;
    }
    if (headless) {
        return App::RunHeadless(*headless, argc, argv);
    }
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
    App::TMoistrel program(clock, App::ProgramPlaces());
    program.Startup();
    // Lab software may drive the generator when the settings file allows it.
    App::TRemoteControl remote(program);
    remote.Start();
    program.Form().show();
    return QApplication::exec();
}
