#include "platform/number_text.h"
#include "tests/support/russian_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

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

// The C library's own text in the C locale, for comparison.
std::string cFormat(const char* format, ...) PLATFORM_PRINTF_FORMAT(1, 2);
std::string cFormat(const char* format, ...)
{
    char text[512];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Every kind of conversion, its flags, widths and precisions (given and taken
// from the arguments), and its length modifiers.
#define FORMAT_CASES(F)                                                                                       \
    F("%d|%5d|%-5d|%05d|%+d|% d|%i|%%", 42, -42, 42, -42, 42, 42, 0)                                          \
    F("%ld|%lld|%zu|%jd|%td|%hhd|%hu|%lu", -7L, -8LL, std::size_t{9}, std::intmax_t{-10}, std::ptrdiff_t{-11}, \
      300, 70000, 12UL)                                                                                       \
    F("%x|%X|%#o|%#x|%8.4x|%llx", 255u, 255u, 8u, 0u, 0xabu, 0xfedcba9876543210ULL)                            \
    F("%c%c|%s|%10s|%-10s|%.3s|%p", 'o', 'k', "Ом", "abc", "abc", "abcdef", static_cast<void*>(nullptr))       \
    F("%*d|%-*d|%*d|%*.*f|%.*f|%.*f", 6, 1, 6, 2, -6, 3, 9, 3, 2.5, 1, 0.25, -1, 0.5)                           \
    F("%e|%E|%.3e|%G|%g|%#g|%#.0f|%.0f|%a|%A", 12345.678, 1e-300, 0.000123, 1e20, 1e-5, 2.0, 3.0, 2.5, 1.5,     \
      -0.1)                                                                                                   \
    F("%10.3f|%-10.3f|%+.2f|%010.2f|% .1f|%.15g|%.17g", 3.14159, -3.14159, 2.0, -2.5, 1.25, 0.1, 0.1)           \
    F("%Lf|%.3Le|%f|%F|%e|%08.2f", 1.5L, 2.25L, -0.0, 1.0 / 0.0, -(0.0 / 0.0) * 0.0, 1.0 / 0.0)

// Whatever the process locale, the text is what the C library writes in the C locale.
TEST(NumberText, FormatsAsTheCLibraryInTheCLocale)
{
    std::vector<std::string> reference;
#define REFERENCE(...) reference.push_back(cFormat(__VA_ARGS__));
    FORMAT_CASES(REFERENCE)
#undef REFERENCE
    ASSERT_NE(reference[6].find("3.142"), std::string::npos) << "the test does not run in the C locale";

    const RussianCLocale russian;
    ASSERT_TRUE(russian.active()) << kNoRussianLocale;
    std::size_t i = 0;
#define COMPARE(...)                                                                                          \
    EXPECT_EQ(platform::formatText(__VA_ARGS__), reference[i]) << #__VA_ARGS__;                               \
    ++i;
    FORMAT_CASES(COMPARE)
#undef COMPARE

    int count = 0;
    EXPECT_EQ(platform::formatText("Ом%n|%.1f", &count, 0.5), "Ом|0.5");
    EXPECT_EQ(count, 4);
}
#undef FORMAT_CASES

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
