#include "remote/ScpiCommand.h"

#include "remote/CommandTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Remote::TParameterKind;
using Remote::TScpiError;
using Remote::TScpiParameter;

TScpiParameter Number(double value) {
    return {TParameterKind::pkNumber, value, ""};
}
TScpiParameter String(const std::string& text) {
    return {TParameterKind::pkString, 0.0, text};
}
TScpiParameter Mnemonic(const std::string& text) {
    return {TParameterKind::pkMnemonic, 0.0, text};
}

struct TReadRow {
    std::string Text;
    bool Common;
    bool Absolute;
    std::vector<std::string> Mnemonics;
    bool Query;
    std::vector<TScpiParameter> Parameters;
};

TEST(ScpiCommandTest, ReadsHeadersQueriesAndEachKindOfParameter) {
    const std::vector<TReadRow> rows = {
        {"*IDN?", true, false, {"IDN"}, true, {}},
        {"  *cls\t", true, false, {"cls"}, false, {}},
        {":SYST:STAT?", false, true, {"SYST", "STAT"}, true, {}},
        {"syst:err:next?", false, false, {"syst", "err", "next"}, true, {}},
        {"PROG:APP:TARG RH,50,1800",
         false,
         false,
         {"PROG", "APP", "TARG"},
         false,
         {Mnemonic("RH"), Number(50), Number(1800)}},
        {"PROG:APP:TARG  dewp , -10.5 ,\t.5e1",
         false,
         false,
         {"PROG", "APP", "TARG"},
         false,
         {Mnemonic("dewp"), Number(-10.5), Number(5)}},
        {"PROG:APP:TARG PPM,+5E3,6.,'H2O'",
         false,
         false,
         {"PROG", "APP", "TARG"},
         false,
         {Mnemonic("PPM"), Number(5000), Number(6), String("H2O")}},
        {"PROG:LOAD \"a \"\"quoted\"\" name; with semicolon\"",
         false,
         false,
         {"PROG", "LOAD"},
         false,
         {String("a \"quoted\" name; with semicolon")}},
        {"PROG:LOAD 'it''s \"here\"'", false, false, {"PROG", "LOAD"}, false, {String("it's \"here\"")}},
        {"SET:GAS:A \"\"", false, false, {"SET", "GAS", "A"}, false, {String("")}},
        {"SET:GAS:A \"Luft \xc3\xb6\"", false, false, {"SET", "GAS", "A"}, false, {String("Luft \xc3\xb6")}},
        {"A_1:B2?", false, false, {"A_1", "B2"}, true, {}},
        {"X 1e-300", false, false, {"X"}, false, {Number(1e-300)}},
    };
    for (const TReadRow& row : rows) {
        SCOPED_TRACE(row.Text);
        const Remote::TScpiParse parse = Remote::ParseScpiCommand(row.Text);
        ASSERT_EQ(parse.Error, TScpiError::seNoError);
        EXPECT_FALSE(parse.Empty);
        EXPECT_EQ(parse.Command.Common, row.Common);
        EXPECT_EQ(parse.Command.Absolute, row.Absolute);
        EXPECT_EQ(parse.Command.Mnemonics, row.Mnemonics);
        EXPECT_EQ(parse.Command.Query, row.Query);
        EXPECT_EQ(parse.Command.Parameters, row.Parameters);
    }
}

struct TRefusedRow {
    std::string Text;
    TScpiError Error;
};

TEST(ScpiCommandTest, MalformedCommandsSayWhy) {
    const std::vector<TRefusedRow> rows = {
        {"*", TScpiError::seSyntaxError},
        {"?", TScpiError::seSyntaxError},
        {":", TScpiError::seSyntaxError},
        {"*1DN?", TScpiError::seSyntaxError},
        {"PROG::STAR", TScpiError::seSyntaxError},
        {"PROG:STAR:", TScpiError::seSyntaxError},
        {":PROG:", TScpiError::seSyntaxError},
        {"1PROG", TScpiError::seSyntaxError},
        {"SYST:ERR?:NEXT", TScpiError::seSyntaxError},
        {"MEAS:FLOW:A?garbage", TScpiError::seSyntaxError},
        {"PROG:LOAD\"x\"", TScpiError::seSyntaxError},
        {"ABCDEFGHIJKLM?", TScpiError::seSyntaxError}, // a mnemonic of 13 letters
        {"PROG:APP:TARG RHABCDEFGHIJK,1,1", TScpiError::seSyntaxError},
        {"PROG:LOAD \"unterminated", TScpiError::seSyntaxError},
        {"PROG:LOAD \"a\"b", TScpiError::seSyntaxError},
        {"PROG:LOAD \"a\" \"b\"", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,50,10,", TScpiError::seSyntaxError},
        {"PROG:APP:TARG ,RH", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,5O,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,1.2.3,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,+-5,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,1e,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,.,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,-,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,50 60,10", TScpiError::seSyntaxError},
        {"PROG:APP:TARG @", TScpiError::seSyntaxError},
        {"PROG:APP:TARG RH,1e999,10", TScpiError::seIllegalParameterValue},
        {"PROG:APP:TARG RH,-1e999,10", TScpiError::seIllegalParameterValue},
        {"PROG:APP:TARG RH,1e-999,10", TScpiError::seIllegalParameterValue},
    };
    for (const TRefusedRow& row : rows) {
        SCOPED_TRACE(row.Text);
        const Remote::TScpiParse parse = Remote::ParseScpiCommand(row.Text);
        EXPECT_FALSE(parse.Empty);
        EXPECT_EQ(parse.Error, row.Error);
    }
    for (const std::string blank : {"", "   ", "\t\r"}) {
        EXPECT_TRUE(Remote::ParseScpiCommand(blank).Empty);
        EXPECT_EQ(Remote::ParseScpiCommand(blank).Error, TScpiError::seNoError);
    }
}

TEST(ScpiCommandTest, SemicolonsOutsideStringsSeparateTheCommands) {
    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(Remote::SplitScpiLine("A?;B?"), (Pieces{"A?", "B?"}));
    EXPECT_EQ(Remote::SplitScpiLine("A \"x;y\";B 'p;\"q'"), (Pieces{"A \"x;y\"", "B 'p;\"q'"}));
    EXPECT_EQ(Remote::SplitScpiLine("A \"a\"\";b\";C"), (Pieces{"A \"a\"\";b\"", "C"}));
    EXPECT_EQ(Remote::SplitScpiLine(";;"), (Pieces{"", "", ""}));
    EXPECT_EQ(Remote::SplitScpiLine("A \"open;B"), (Pieces{"A \"open;B"}));
}

TEST(ScpiCommandTest, MnemonicsMatchTheirShortAndLongFormOnly) {
    struct TRow {
        std::string Written;
        std::string Pattern;
        bool Matches;
    };
    const std::vector<TRow> rows = {
        {"STAT", "STATe", true},
        {"state", "STATe", true},
        {"StAtE", "STATe", true},
        {"STA", "STATe", false},
        {"STATES", "STATe", false},
        {"STATUS", "STATe", false},
        {"conf", "CONFirm", true},
        {"confirm", "CONFirm", true},
        {"confirmed", "CONFirm", false},
        {"A", "A", true},
        {"a", "A", true},
        {"B", "A", false},
        {"TOT", "TOTalizer", true},
        {"TOTA", "TOTalizer", false},
        {"NEXT", "NEXT", true},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Written + " " + row.Pattern);
        EXPECT_EQ(Remote::MnemonicMatches(row.Written, row.Pattern), row.Matches);
    }
}

TEST(ScpiCommandTest, EveryHeaderIsFoundByItsShortFormAndNamedByIt) {
    for (const Remote::TCommandEntry& entry : Remote::CommandTable()) {
        const std::string shortHeader = Remote::ShortHeader(entry);
        SCOPED_TRACE(shortHeader);
        const Remote::TScpiParse parse = Remote::ParseScpiCommand(shortHeader + (entry.Query ? "?" : ""));
        ASSERT_EQ(parse.Error, TScpiError::seNoError);
        std::vector<std::string> path;
        const std::optional<Remote::TCommandEntry> found = Remote::FindCommand(parse.Command, path);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->Id, entry.Id);
        // The other form of the question is no command.
        const Remote::TScpiParse other = Remote::ParseScpiCommand(shortHeader + (entry.Query ? "" : "?"));
        path.clear();
        EXPECT_FALSE(Remote::FindCommand(other.Command, path));
    }
}

} // namespace
