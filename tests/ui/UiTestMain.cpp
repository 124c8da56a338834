// main() of the window tests: one QApplication for the whole binary, offscreen unless the caller
// chose a platform, and the locale-independent separators the expected texts are written with.

#include "base/FormatSettings.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Qt Charts keeps some layout objects of a chart alive past the chart once a second window (the
// chart editor) has been shown beside it; they are the library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libQt6Charts.so\n";
}

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    Base::SetFormatSettings(Base::TFormatSettings{});
    const int result = RUN_ALL_TESTS();
    // Objects that Qt released with deleteLater during the tests go now, before the leak check.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
