#include "pump/PumpAnswer.h"

#include "pump/PumpCommands.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(PumpAnswer, ThirdCharacterGraveAccentIsStandby) {
    struct TCase {
        std::string Answer;
        bool Standby;
    };
    const TCase cases[] = {
        {"/0`", true},       {"/0`C24000", true}, {"ab`", true}, // the first two characters are not examined
        {"/0@", false},                                          // busy
        {"/0", false},                                           // two characters count as busy
        {"`", false},        {"", false},         {"/0a", false},
        {"/`0", false},      // the accent in the wrong place
        {"\u00E90`", true},  // third character, not third byte of the UTF-8 text
        {"/0\u00E0", false}, // a-grave is not the grave accent
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(UnitMain::PumpAnswerIsStandby(c.Answer), c.Standby) << '"' << c.Answer << '"';
    }
}

TEST(PumpAnswer, ModelNameAnywhereInTheAnswer) {
    struct TCase {
        std::string Answer;
        bool Named;
    };
    const TCase cases[] = {
        {"/0`C3000", true}, {"/0`C24000", true}, {"/0`XP pump C24000 v1.4", true},
        {"C3000", true},    {"/0`C2400", false}, {"/0`c3000", false},
        {"/0`C300", false}, {"", false},         {"/0`C 3000", false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(UnitMain::PumpAnswerNamesModel(c.Answer), c.Named) << '"' << c.Answer << '"';
    }
}

TEST(PumpCommands, LinesFollowTheGrammar) {
    // "/1", letters with unsigned numbers, CR at the end of the complete lines only.
    for (const std::string_view line :
         {UnitMain::PumpLineStopFill, UnitMain::PumpLineModelQuery, UnitMain::PumpLineStatusQuery,
          UnitMain::PumpLinePrime3000, UnitMain::PumpLinePrime24000, UnitMain::PumpLinePrimeSlow192000,
          UnitMain::PumpLinePrimeFast192000}) {
        EXPECT_EQ(line.substr(0, 2), "/1") << line;
        EXPECT_EQ(line.back(), '\r') << line;
        EXPECT_EQ(line.find(' '), std::string_view::npos) << line;
    }
    for (const std::string_view command : {UnitMain::PumpCommandInitialise, UnitMain::PumpCommandStopRefill,
                                           UnitMain::PumpCommandDebugDefault}) {
        EXPECT_EQ(command.substr(0, 2), "/1") << command;
        EXPECT_EQ(command.find('\r'), std::string_view::npos) << command;
    }
}

} // namespace
