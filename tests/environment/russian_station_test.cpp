// The program on the Qt backend at a station set up in Russian: the Qt
// run-time takes the C library's locale from LANG and LC_ALL, and with it a
// decimal comma. What the operator types is still read, and the protocols
// still hold numbers with a decimal point.
#include "platform/cp1251.h"
#include "tests/environment/station.h"
#include "tests/support/russian_locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A carrier with one КСИЛ2-4Л and no meter, written with fractions, which the
// bench reads under the same locale.
constexpr const char* kBench = R"({"instruments": [
  {"address": "VXI0::2::INSTR", "interface": "VXI", "slot": 2, "crateLA": 0, "LA": 2,
   "manufacturer": 3702, "model": "0x10D",
   "mezzanines": [{"position": 1, "model": 64, "seed": 7, "deviation": 0.0025, "r0": 0.05}]}]})";

std::string lastLine(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string line, last;
    while (std::getline(in, line))
        last = line;
    return last;
}

bool said(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(RussianStation, TypedNumbersAndProtocolsOnTheQtBackend)
{
    Station station;
    const fs::path work = station.root() / "work";
    fs::create_directories(work);
    std::ofstream(work / "bench.json") << kBench;

    const auto end = station.runOther("qt_operator", {"255.5", "255.7"},
                                      {{"LANG", kRussianLocale},
                                       {"LC_ALL", kRussianLocale},
                                       {"LOCPATH", russianLocaleDir()},
                                       {"KSIL_BENCH", (work / "bench.json").string()}},
                                      work);
    ASSERT_TRUE(end.exited) << "signal " << end.code << "\n" << end.err;
    ASSERT_EQ(end.code, 0) << end.out << end.err;
    const auto lines = linesOf(end.out);
    ASSERT_TRUE(said(lines, std::string("locale ") + kRussianLocale)) << kNoRussianLocale << "\n" << end.out;
    ASSERT_TRUE(said(lines, "done")) << end.out;

    EXPECT_EQ(lastLine(work / "ksil2.log"),
              platform::toCp1251("1        255.5000 Ом   255.7000 Ом     0.2000 Ом (  0.078%) /    2.5110 Ом "
                                 "(0.983%)/ "));
    EXPECT_EQ(lastLine(work / "ksil5.log"),
              platform::toCp1251("   255.000000|   255.500000|     0.500000|     0.600000|       Норма"));
}

} // namespace
