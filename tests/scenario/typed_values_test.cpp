// Values are taken as typed or read, never fitted to a field's limits: a
// setting outside its field's range is refused with the range named, and a
// reading beyond the top test point is recorded, and shown, as read.
#include "verify_bench.h"

#include "p_ksil2/verify_ksil5.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace verify;

namespace {

std::string outOfRange(const char* field, const char* value, const char* lo, const char* hi)
{
    return std::string("Поле «") + field + "»: значение " + value + " вне допустимых пределов от " + lo + " до " + hi +
           ".";
}

TEST(TypedValues, ASettingOutsideItsFieldsRangeIsRefusedNamingTheRange)
{
    Harness h{bench()};
    startOn(h);
    showPP(h);
    const struct {
        int ctrl;
        const char* typed;
        std::string message;
    } cases[] = {
        {PP_R_Z, "300001", outOfRange("заданное", "300001", "1", "300000")},
        {PP_R_Z, "-7", outOfRange("заданное", "-7", "1", "300000")},
        {PP_R_Z, "1e308", outOfRange("заданное", "1e+308", "1", "300000")},
        {PP_R_Z, "0.5", outOfRange("заданное", "0.5", "1", "300000")},
        {PP_R_Z, "nan", outOfRange("заданное", "nan", "1", "300000")},
        {PP_CHAN, "3", outOfRange("канал", "3", "1", "2")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        h.setNumber(hPP, PP_R_Z, 100);
        h.setNumber(hPP, PP_CHAN, 1);
        h.setText(hPP, c.ctrl, c.typed);
        ASSERT_EQ(h.run(), Harness::kRunning);
        h.clearPopups();
        sim::clearJournal();
        // Neither SET nor INPUT works on it: no driver call, no row.
        h.press(hPP, PP_SET);
        h.press(hPP, PP_INPUT);
        ASSERT_EQ(h.run(), Harness::kRunning);
        ASSERT_EQ(h.popups().size(), 2u);
        for (const auto& p : h.popups()) {
            EXPECT_EQ(p.title, "Поверка");
            EXPECT_EQ(p.text, c.message);
        }
        EXPECT_TRUE(moduleCalls().empty());
        EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 0);
        EXPECT_EQ(tk::activeCtrl(hPP), c.ctrl);
    }

    // The limits themselves are settings.
    h.setText(hPP, PP_CHAN, "2");
    h.setText(hPP, PP_R_Z, "300000");
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(last(moduleCalls()), onModule(mvi, "tvksil2_switch", "2, 1"));
    EXPECT_FALSE(sim::journal("tvksil2_config_R(" + std::to_string(mvi) + ", 2, 300000)").empty());
}

// 262800 Ω at the 262143 Ω point is 657 Ω off, beyond the norm of 526.286 Ω.
TEST(TypedValues, AReadingBeyondTheTopTestPointIsRecordedAsRead)
{
    constexpr double kTop = 262143.0, kRead = 262800.0;
    Harness h{bench()};
    startOn(h);
    showPP(h);
    h.setNumber(hPP, PP_R_Z, kTop);
    h.press(hPP, PP_SET);
    h.setNumber(hPP, PP_R_I, kRead);
    h.press(hPP, PP_INPUT);
    // Below the 1 Ω point, within its norm.
    h.setNumber(hPP, PP_R_Z, 1);
    h.setNumber(hPP, PP_R_I, 0.5);
    h.press(hPP, PP_INPUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 2);
    EXPECT_EQ(h.cell(hPP, PP_TABLE_R, 1, 3), kRead);
    EXPECT_EQ(h.cell(hPP, PP_TABLE_R, 1, 5), kRead - kTop);
    EXPECT_EQ(h.cellColor(hPP, PP_TABLE_R, 1, 5), tk::kRed);
    EXPECT_EQ(h.cell(hPP, PP_TABLE_R, 2, 3), 0.5);
    const auto lines = fileLines(h.folder() / "ksil2.log");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], resultLine(1, kTop, kRead, true));
    EXPECT_EQ(last(lines), resultLine(1, 1, 0.5, false));

    // The meter reads the same: the run records it, R_I shows it, the verdict is a fault.
    sim::instrument(kMeterAddress)->meter->gainError = kRead / kTop - 1.0;
    h.setToggle(hPP, PP_AUTO_POV, true);
    h.clearPopups();
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 2 + 38);
    for (const int row : {2 + 19, 2 + 38}) {
        EXPECT_NEAR(h.cell(hPP, PP_TABLE_R, row, 3), kRead, 1e-6) << row;
        EXPECT_EQ(h.cellColor(hPP, PP_TABLE_R, row, 5), tk::kRed) << row;
    }
    EXPECT_NEAR(h.number(hPP, PP_R_I), kRead, 1e-6);
    EXPECT_EQ(h.lastPopup().text, "При выполнении поверки были обнаружены несоответствия норме.");
}

// The КСИЛ5 run does not start on a temperature its field cannot hold.
TEST(TypedValues, Ksil5RunRefusesATemperatureOutsideItsField)
{
    Harness h{bench(79, false)};
    startOn(h);
    h.pickItem(hPP5, PP5_RING_TEMP, 3);
    h.setText(hPP5, PP5_NUMERIC_TEMP, "3000000000");
    sim::clearJournal();
    h.press(hPP5, PP5_START);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.lastPopup().title, "Поверка КСИЛ5");
    EXPECT_EQ(h.lastPopup().text, outOfRange("t °C", "3000000000", "-2147483648", "2147483647"));
    EXPECT_EQ(pp5Running, 0);
    EXPECT_TRUE(moduleCalls().empty());
    EXPECT_FALSE(std::filesystem::exists(h.folder() / "ksil5.log"));
}

} // namespace
