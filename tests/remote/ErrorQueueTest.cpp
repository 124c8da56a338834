#include "remote/ErrorQueue.h"

#include "remote/RemoteText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Remote::TScpiError;

TEST(ErrorQueueTest, EntriesComeOutFirstInFirstOutThenNoError) {
    Remote::TErrorQueue queue;
    EXPECT_EQ(queue.Pop(), "0,\"No error\"");
    queue.Push(TScpiError::seUndefinedHeader);
    queue.Push(TScpiError::seSyntaxError);
    queue.Push(TScpiError::seSettingsConflict, "Start refused: No segment program to execute.");
    queue.Push(TScpiError::seNoError); // nothing to report
    EXPECT_EQ(queue.Size(), 3U);
    EXPECT_EQ(queue.Pop(), "-113,\"Undefined header\"");
    EXPECT_EQ(queue.Pop(), "-102,\"Syntax error\"");
    EXPECT_EQ(queue.Pop(), "-221,\"Settings conflict;Start refused: No segment program to execute.\"");
    EXPECT_EQ(queue.Pop(), "0,\"No error\"");
    EXPECT_TRUE(queue.Empty());
}

TEST(ErrorQueueTest, AFullQueueEndsInOneOverflowAndDropsTheRest) {
    Remote::TErrorQueue queue(4);
    for (int i = 0; i < 10; ++i) {
        queue.Push(i % 2 == 0 ? TScpiError::seSyntaxError : TScpiError::seUndefinedHeader);
    }
    EXPECT_EQ(queue.Size(), 4U);
    EXPECT_EQ(queue.Pop(), "-102,\"Syntax error\"");
    EXPECT_EQ(queue.Pop(), "-113,\"Undefined header\"");
    EXPECT_EQ(queue.Pop(), "-102,\"Syntax error\"");
    EXPECT_EQ(queue.Pop(), "-350,\"Queue overflow\"");
    EXPECT_EQ(queue.Pop(), "0,\"No error\"");
    // Room again: errors are kept again.
    queue.Push(TScpiError::seMissingParameter);
    EXPECT_EQ(queue.Pop(), "-109,\"Missing parameter\"");
}

TEST(ErrorQueueTest, TheTextStaysOneQuotedLineOfAtMost255Characters) {
    EXPECT_EQ(
        Remote::ScpiErrorLine(TScpiError::seSettingsConflict, "Load refused:\r\nthe \"program\"\tis\x01 odd"),
        "-221,\"Settings conflict;Load refused:  the \"\"program\"\" is  odd\"");
    // 300 two-byte characters: the text is cut after 255 characters, never inside one.
    std::string long_info;
    for (int i = 0; i < 300; ++i) {
        long_info += "\xc3\xb6";
    }
    const std::string line = Remote::ScpiErrorLine(TScpiError::seExecutionError, long_info);
    const std::string prefix = "-200,\"Execution error;";
    ASSERT_EQ(line.substr(0, prefix.size()), prefix);
    const std::string inside = line.substr(6, line.size() - 7);
    EXPECT_EQ(inside.size(), std::string("Execution error;").size() + 2 * (255 - 16));
    EXPECT_EQ(line.back(), '"');
    EXPECT_TRUE(Remote::IsText(line));
}

TEST(ErrorQueueTest, NumbersAreWrittenShortestWithAPointAndNotANumberAsInstrumentsDo) {
    struct TRow {
        double Value;
        std::string Text;
    };
    const std::vector<TRow> rows = {
        {0.5, "0.5"},
        {1800, "1800"},
        {-10, "-10"},
        {1e-05, "1e-05"},
        {0.1 + 0.2, "0.30000000000000004"},
        {49.873, "49.873"},
        {std::nan(""), "9.91E+37"},
        {HUGE_VAL, "9.9E+37"},
        {-HUGE_VAL, "-9.9E+37"},
    };
    for (const TRow& row : rows) {
        EXPECT_EQ(Remote::ScpiNumber(row.Value), row.Text);
    }
}

TEST(ErrorQueueTest, TextIsWellFormedUtf8WithoutControlsButTabAndCR) {
    struct TRow {
        std::string Bytes;
        bool Text;
    };
    const std::vector<TRow> rows = {
        {"SYST:STAT?", true},
        {"SET:GAS:A \"\xc3\xb6 \xe2\x82\xac \xf0\x9f\x98\x80\"\t\r", true},
        {std::string("A\0B", 3), false},
        {"\x1b[A", false},
        {"\x7f", false},
        {"\xc2\x85", false},         // C1 next line
        {"\xff", false},             // never in UTF-8
        {"\xc3", false},             // cut short
        {"\xc0\xaf", false},         // overlong '/'
        {"\xe0\x80\xaf", false},     // overlong '/'
        {"\xed\xa0\x80", false},     // a surrogate
        {"\xf4\x90\x80\x80", false}, // above U+10FFFF
        {"\x80", false},             // a continuation byte alone
        {"\n", false},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Bytes);
        EXPECT_EQ(Remote::IsText(row.Bytes), row.Text);
    }
}

} // namespace
