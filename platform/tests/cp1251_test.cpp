#include "platform/cp1251.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1251, CyrillicBytesBothWays)
{
    // "Ёж Ом ё №" in the code page: Ё A8, ж E6, О CE, м EC, ё B8, № B9.
    const std::string bytes = "\xA8\xE6 \xCE\xEC \xB8 \xB9";
    EXPECT_EQ(platform::toCp1251("Ёж Ом ё №"), bytes);
    EXPECT_EQ(platform::fromCp1251(bytes), "Ёж Ом ё №");
    std::string all;
    for (int c = 1; c < 256; ++c)
        if (c != 0x98)
            all += static_cast<char>(c);
    EXPECT_EQ(platform::toCp1251(platform::fromCp1251(all)), all);
}

TEST(Cp1251, WhatTheCodePageLacksBecomesAQuestionMark)
{
    // A Chinese letter, a broken UTF-8 sequence and a sequence cut at the end;
    // the text around them survives.
    EXPECT_EQ(platform::toCp1251("а中б"), "\xE0?\xE1");
    EXPECT_EQ(platform::toCp1251("а\xFF" "б"), "\xE0?\xE1");
    EXPECT_EQ(platform::toCp1251("аб\xD0"), "\xE0\xE1?");
    EXPECT_EQ(platform::fromCp1251("\x98"), "?");
    EXPECT_EQ(platform::toCp1251(""), "");
}

} // namespace
