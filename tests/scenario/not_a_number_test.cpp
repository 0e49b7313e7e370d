// Values that are no numbers: a meter that delivers NaN or an infinity with
// success has failed to measure, wherever the program reads it, and a typed
// value that is not a finite number is refused with a message. Neither ever
// becomes a result row, a protocol line or a calibration cell.
#include "calibration_bench.h"
#include "verify_bench.h"

#include "p_ksil2/verify_ksil5.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

sim::Meter& meter()
{
    return *sim::instrument(verify::kMeterAddress)->meter;
}

// The status line after the meter delivered value.
std::string notANumber(const char* value)
{
    return std::string("p_hp3458a_measure_Q показание мультиметра не является числом (") + value + ")";
}

// The pop-up refusing a typed value of a field.
std::string refusal(const char* field, const char* value)
{
    return std::string("Поле «") + field + "»: значение " + value + " не является конечным числом.";
}

bool anyLineHolds(const std::vector<std::string>& lines, const std::string& text)
{
    for (const auto& line : lines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

TEST(NotANumber, AutomaticVerificationEndsWithTheMeterFailure)
{
    const struct {
        double value;
        const char* shown;
    } readings[] = {{kNaN, "nan"}, {kInf, "inf"}, {-kInf, "-inf"}};
    for (const auto& r : readings) {
        SCOPED_TRACE(r.shown);
        verify::FixedTime fixed(verify::fixedMoment());
        Harness h{verify::bench()};
        verify::startOn(h);
        verify::showPP(h);
        h.setToggle(hPP, PP_AUTO_POV, true);
        ASSERT_EQ(h.run(), Harness::kRunning);
        h.clearPopups();
        meter().fixedReading = r.value;

        h.press(hPP, PP_SET);
        ASSERT_EQ(h.run(), Harness::kRunning);
        EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 0);
        ASSERT_EQ(h.popups().size(), 1u); // no verdict
        EXPECT_EQ(h.lastPopup().title, "Поверка КСИЛ2-4Л");
        EXPECT_EQ(h.lastPopup().text, "Сбой мультиметра!");
        EXPECT_EQ(h.text(hMP, MP_MSG), notANumber(r.shown));
        EXPECT_FALSE(verify::channel(1).on);
        // The protocol's opening lines and the run's date line, no result.
        const auto lines = verify::fileLines(h.folder() / "ksil2.log");
        EXPECT_EQ(lines.size(), 3u);
        EXPECT_EQ(verify::last(lines), verify::cp("12-08-2026, 14:05:09"));
    }
}

// Manual SET records no row for a reading that is no number; INPUT refuses a
// typed one and leaves the channel on for another measurement.
TEST(NotANumber, ManualPointRecordsOnlyANumber)
{
    Harness h{verify::bench()};
    verify::startOn(h);
    verify::showPP(h);
    h.setToggle(hMP, MP_AUTO_POV, true);
    meter().fixedReading = kNaN;
    h.setNumber(hPP, PP_R_Z, 64);
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 0);
    EXPECT_EQ(h.number(hPP, PP_R_I), 64.0);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_R_I);
    EXPECT_EQ(h.text(hMP, MP_MSG), notANumber("nan"));
    EXPECT_TRUE(h.popups().empty());
    ASSERT_TRUE(verify::channel(1).on);

    const struct {
        const char* typed;
        const char* shown;
    } typed[] = {{"nan", "nan"}, {"-inf", "-inf"}, {"1e400", "inf"}};
    for (const auto& t : typed) {
        SCOPED_TRACE(t.typed);
        h.clearPopups();
        h.setText(hPP, PP_R_I, t.typed);
        h.press(hPP, PP_INPUT);
        ASSERT_EQ(h.run(), Harness::kRunning);
        ASSERT_EQ(h.popups().size(), 1u);
        EXPECT_EQ(h.lastPopup().title, "Поверка");
        EXPECT_EQ(h.lastPopup().text, refusal("измеренное", t.shown));
        EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 0);
        EXPECT_TRUE(verify::channel(1).on);
        EXPECT_EQ(tk::activeCtrl(hPP), PP_R_I);
    }

    h.setNumber(hPP, PP_R_I, 64.5);
    h.press(hPP, PP_INPUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 1);
    EXPECT_EQ(h.cell(hPP, PP_TABLE_R, 1, 3), 64.5);
    EXPECT_FALSE(verify::channel(1).on);
    EXPECT_FALSE(anyLineHolds(verify::fileLines(h.folder() / "ksil2.log"), "nan"));
}

// The КСИЛ5 run refuses the value and waits at the same point for another.
TEST(NotANumber, Ksil5RunWaitsAtThePointForANumber)
{
    verify::FixedTime fixed(verify::fixedMoment());
    Harness h{verify::bench(79, false)};
    verify::startOn(h);
    h.press(hPP5, PP5_START);
    h.setText(hPP5, PP5_MEAS_R, "nan");
    h.press(hPP5, PP5_NEXT_STEP);
    h.setNumber(hPP5, PP5_MEAS_R, kInf);
    h.press(hPP5, PP5_NEXT_STEP);
    h.setNumber(hPP5, PP5_MEAS_R, 1.2);
    h.press(hPP5, PP5_NEXT_STEP);
    // At the second point the operator stops.
    tk::headless::respondWhenIdle([&h] {
        EXPECT_EQ(h.number(hPP5, PP5_SET_R), 2.0);
        h.press(hPP5, PP5_START);
    });
    ASSERT_EQ(h.run(), Harness::kRunning);

    // NaN is the field left empty: the run waits without a word; an infinity is refused.
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.popups()[0].title, "Поверка КСИЛ5");
    EXPECT_EQ(h.popups()[0].text, refusal("Измеренное значение, Ом", "inf"));
    const auto lines = verify::fileLines(h.folder() / "ksil5.log");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(verify::last(lines).find("     1.200000|"), std::string::npos) << verify::last(lines);
    EXPECT_FALSE(anyLineHolds(lines, "nan"));
    EXPECT_FALSE(anyLineHolds(lines, "inf"));
    EXPECT_EQ(pp5Running, 0);
}

// The automatic calibration keeps the cells whose readings are no number, as
// for any failed reading; the point calibration offers the nominal value in
// DP, and refuses a typed value that is no number.
TEST(NotANumber, CalibrationsKeepTheirCells)
{
    Harness h{calib::bench()};
    calib::startOn(h);
    const std::vector<double> before1 = calib::column(h, 1), before2 = calib::column(h, 2);
    meter().fixedReading = kNaN;
    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(calib::column(h, 1), before1);
    EXPECT_EQ(calib::column(h, 2), before2);
    EXPECT_EQ(h.text(hMP, MP_MSG), notANumber("nan"));

    h.setToggle(hMP, MP_AUTO_POV, true);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const auto pointCalibration = [&h](int row, std::optional<std::string> typed) {
        double shown = -1.0;
        h.doubleClickCell(hCP, CP_TABLE, row, 1);
        tk::headless::respondWhenIdle([&shown, typed] {
            shown = tk::numValue(hDP, DP_R);
            if (typed)
                tk::headless::setText(hDP, DP_R, *typed);
            tk::headless::press(hDP, DP_OK);
        });
        EXPECT_EQ(h.run(), Harness::kRunning);
        return shown;
    };
    // Stage 5 (16 Ω): the failed reading leaves DP at the nominal value, which
    // the operator takes (corrected for R0, 14.3 Ω is questioned).
    h.answerConfirm(true);
    EXPECT_EQ(pointCalibration(5, std::nullopt), 16.0);
    EXPECT_DOUBLE_EQ(h.cell(hCP, CP_TABLE, 5, 1), 16.0 - 17 * h.cell(hCP, CP_TABLE, calib::kR0Row, 1));

    h.clearPopups();
    const double r0 = h.cell(hCP, CP_TABLE, calib::kR0Row, 1);
    pointCalibration(calib::kR0Row, std::string("nan"));
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().title, "Измерьте точное значение");
    EXPECT_EQ(h.lastPopup().text, refusal("сопротивление, Ом", "nan"));
    EXPECT_EQ(h.cell(hCP, CP_TABLE, calib::kR0Row, 1), r0);
}

} // namespace
