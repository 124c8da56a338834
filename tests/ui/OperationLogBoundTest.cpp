// The operation log keeps its newest lines only: the window's pane and the memory pane both drop
// their oldest lines beyond a maximum, and the window's "Log" page keeps the last 20 000.

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/MemoryTextPane.h"
#include "logging/LogOld.h"
#include "ui/TForm1.h"
#include "ui/widgets/TMemoPane.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

template <typename T> class BoundedPane : public ::testing::Test {
protected:
    std::unique_ptr<Base::TTextPane> Make(std::size_t maximum) {
        if constexpr (std::is_same_v<T, Widgets::TMemoPane>) {
            auto pane = std::make_unique<Widgets::TMemoPane>(11, true);
            pane->SetMaximumLines(static_cast<int>(maximum));
            return pane;
        } else {
            return std::make_unique<T>(maximum);
        }
    }
};

using PaneKinds = ::testing::Types<Widgets::TMemoPane, Base::TMemoryTextPane>;
TYPED_TEST_SUITE(BoundedPane, PaneKinds);

TYPED_TEST(BoundedPane, KeepsTheNewestLines) {
    auto pane = this->Make(4);
    for (int i = 1; i <= 5; ++i) {
        pane->AddLine("line " + std::to_string(i));
    }
    EXPECT_EQ(pane->Lines(), (std::vector<std::string>{"line 2", "line 3", "line 4", "line 5"}));
    pane->AddLine("six\r\nseven"); // two lines at once
    EXPECT_EQ(pane->Lines(), (std::vector<std::string>{"line 4", "line 5", "six", "seven"}));
    pane->ReplaceLastLine("seven, counted");
    EXPECT_EQ(pane->Text(), "line 4\r\nline 5\r\nsix\r\nseven, counted\r\n");
    pane->SetText("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n");
    EXPECT_EQ(pane->Lines(), (std::vector<std::string>{"c", "d", "e", "f"}));
    pane->Clear();
    EXPECT_TRUE(pane->Lines().empty());
    pane->AddLine("after the clear");
    EXPECT_EQ(pane->Lines(), std::vector<std::string>{"after the clear"});
}

TEST(OperationLog, TheWindowsLogPageKeepsTheLast20000Lines) {
    Base::TManualClock clock{Base::EncodeDateTime({2024, 5, 20, 14, 5, 33, 0})};
    UnitMain::TForm1 form{clock};
    ASSERT_EQ(form.MemoLog->MaximumLines(), 20000);
    for (int i = 0; i < 20005; ++i) {
        Logging::LogOld(*form.MemoLog, "Thread: line " + std::to_string(i), clock);
    }
    const std::vector<std::string> lines = form.MemoLog->Lines();
    ASSERT_EQ(lines.size(), 20000U);
    EXPECT_EQ(lines.front(), "20-14-05-33 Thread: line 5");
    EXPECT_EQ(lines.back(), "20-14-05-33 Thread: line 20004");
    // The other panes keep everything.
    EXPECT_EQ(form.MemoPump->MaximumLines(), 0);
}

} // namespace
