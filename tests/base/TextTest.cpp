#include "base/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, WidthsCountCharactersNotBytes) {
    EXPECT_EQ(Base::Utf8Length("20\xC2\xBA"
                               "C"),
              4U);
    EXPECT_EQ(Base::Utf8Left("\xC2\xB5L and more", 2), "\xC2\xB5L");
    EXPECT_EQ(Base::Utf8Right("mBar 1013.25", 4), "3.25");
    EXPECT_EQ(Base::Utf8Right("-\xC2\xBA"
                              "C",
                              2),
              "\xC2\xBA"
              "C");
    EXPECT_EQ(Base::Utf8Left("ab", 5), "ab");
    EXPECT_EQ(Base::Utf8Right("ab", 5), "ab");
}

TEST(Text, Latin1RoundTrip) {
    const std::string bytes("A\xB5\xBA\xFF", 4);
    const std::string text = Base::Latin1ToUtf8(bytes);
    EXPECT_EQ(text, "A\xC2\xB5\xC2\xBA\xC3\xBF");
    EXPECT_EQ(Base::Utf8ToLatin1(text), bytes);
    EXPECT_EQ(Base::Utf8ToLatin1("\xE2\x82\xAC"), "?"); // the euro sign has no single byte
}

TEST(Text, TrimControlDropsBlanksAndControlCharacters) {
    EXPECT_EQ(Base::TrimControl("\xFF/0`\x03\r\n"), "\xFF/0`");
    EXPECT_EQ(Base::TrimControl("\r\n"), "");
    EXPECT_EQ(Base::TrimControl("  a b \t"), "a b");
}

} // namespace
