#include "platform/number_text.h"
#include "tests/harness/russian_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// Under a locale with a decimal comma, and after a library resets the process
// locale in the middle of a program run, numbers read and write as in "C".
TEST(NumberText, FormatsWithADecimalPointUnderARussianLocale)
{
    const RussianCLocale russian;
    ASSERT_TRUE(russian.active()) << kNoRussianLocale;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale in force does not write a decimal comma";

    EXPECT_EQ(platform::formatText("%10.4f|%7.3f%%|%.3f", 131072.0, 0.327, 200.2), "131072.0000|  0.327%|200.200");
    EXPECT_EQ(platform::formatText("%11f|%lg|%.12g|%g", 255.0, 0.25, 1.0 / 3.0, 1e-5),
              " 255.000000|0.25|0.333333333333|1e-05");
    // Grouping stays off: the Russian locale groups thousands with a blank.
    EXPECT_EQ(platform::formatText("%d %s %.0f", 262143, "Ом", 1e6), "262143 Ом 1000000");
    EXPECT_EQ(platform::formatText("%f %f", std::numeric_limits<double>::quiet_NaN(),
                                   -std::numeric_limits<double>::infinity()),
              "nan -inf");
    EXPECT_EQ(platform::numberText(255.5), "255.5");
    EXPECT_EQ(platform::numberText(262143.0), "262143");
    EXPECT_EQ(platform::numberText(1e-7), "1e-07");
    // The process locale is left as it was.
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    EXPECT_STREQ(probe, "2,5");

    const std::string longText(5000, 'x');
    EXPECT_EQ(platform::formatText("%s%.1f", longText.c_str(), 0.5), longText + "0.5");
}

TEST(NumberText, ReadsWholeNumbersWithADecimalPointOnly)
{
    const RussianCLocale russian;
    ASSERT_TRUE(russian.active()) << kNoRussianLocale;
    double v = -1;
    EXPECT_TRUE(platform::parseNumber("255.5", v));
    EXPECT_EQ(v, 255.5);
    EXPECT_TRUE(platform::parseNumber(" \t+1.25e3 ", v));
    EXPECT_EQ(v, 1250.0);
    EXPECT_TRUE(platform::parseNumber("-inf", v));
    EXPECT_TRUE(std::isinf(v) && v < 0);
    EXPECT_TRUE(platform::parseNumber("nan", v));
    EXPECT_TRUE(std::isnan(v));

    v = 7;
    for (const char* bad : {"", "  ", "1,5", "255.5x", "1 2", "Ом", "."})
        EXPECT_FALSE(platform::parseNumber(bad, v)) << '"' << bad << '"';
    EXPECT_EQ(v, 7.0);
}

} // namespace
