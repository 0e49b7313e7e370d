#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::kNoLimit;
using platform::utf8Cut;

// "Ж" is two bytes, "€" three, "😀" four.
TEST(Utf8Cut, ByteLimitNeverSplitsACharacter)
{
    const std::string text = "aЖ€😀b";
    EXPECT_EQ(utf8Cut(text, 0), "");
    EXPECT_EQ(utf8Cut(text, 2), "a");       // Ж would need bytes 2 and 3
    EXPECT_EQ(utf8Cut(text, 3), "aЖ");
    EXPECT_EQ(utf8Cut(text, 5), "aЖ");      // € needs 3 more
    EXPECT_EQ(utf8Cut(text, 9), "aЖ€");     // 😀 needs 4 more
    EXPECT_EQ(utf8Cut(text, 10), "aЖ€😀");
    EXPECT_EQ(utf8Cut(text, 100), text);
    // A character already cut short by the end of the text is dropped as well.
    EXPECT_EQ(utf8Cut(text.substr(0, 2), 100), "a");
}

TEST(Utf8Cut, CharacterLimitCountsLettersNotBytes)
{
    const std::string text = "ЖЖЖabc";
    EXPECT_EQ(utf8Cut(text, kNoLimit, 2), "ЖЖ");
    EXPECT_EQ(utf8Cut(text, kNoLimit, 4), "ЖЖЖa");
    EXPECT_EQ(utf8Cut(text, 5, 4), "ЖЖ"); // the tighter limit wins
}

// The one-line message of the loaders: a text that fits is kept whole (no
// "..."), one that does not is cut on a letter boundary and marked, and a
// control character or DEL never reaches the message.
TEST(OneLine, CutsMarksAndFlattens)
{
    EXPECT_EQ(platform::oneLine("abc", 3), "abc");
    EXPECT_EQ(platform::oneLine("", 0), "");
    EXPECT_EQ(platform::oneLine("abcd", 3), "abc...");
    EXPECT_EQ(platform::oneLine("aЖb", 2), "a...");      // Ж does not fit in the second byte
    EXPECT_EQ(platform::oneLine("a\nb\tc\x7F", 10), "a?b?c?");
    EXPECT_EQ(platform::oneLine("\"key\"\r\n", 6), "\"key\"?...");
}

} // namespace
