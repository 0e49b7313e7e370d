// Point calibration: a double-click on a cell of CP's table, the pop-up DP.
#include "calibration_bench.h"

#include "gauge/gauge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

using namespace calib;

namespace {

constexpr int kStage1024 = 11;
constexpr const char* kTitle = "Калибровка КСИЛ2-4Л";

// What DP showed when it opened.
struct Shown {
    double r = -1.0;
    int chan = -1;
};

// Answers DP once it waits: optionally types a value into R, then presses
// "Ввести" (ok) or "Отмена".
void answerDP(Shown& shown, std::optional<double> value, bool ok = true)
{
    tk::headless::respondWhenIdle([&shown, value, ok] {
        shown.r = tk::numValue(hDP, DP_R);
        shown.chan = tk::intValue(hDP, DP_CHAN);
        if (value)
            tk::headless::setNumber(hDP, DP_R, *value);
        tk::headless::press(hDP, ok ? DP_OK : DP_COMMANDBUTTON_2);
    });
}

// One point calibration of a cell, answered as given; DP is gone afterwards.
Shown calibrate(Harness& h, int row, int col, std::optional<double> value, bool ok = true)
{
    Shown shown;
    h.doubleClickCell(hCP, CP_TABLE, row, col);
    answerDP(shown, value, ok);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_FALSE(h.visible(hDP));
    return shown;
}

std::string question(const char* value, const char* expected)
{
    return std::string("Измеренное значение (за вычетом паразитного сопротивления) ") + value +
           " сильно отличается от ожидаемого " + expected + "\nИспользовать измеренное значение?";
}

// R0 = 0.1 and E = 1024: 1025.7 is stored as 1024.0 without a question;
// 1200 (1198.3 after the correction) and 17 × R0 (0 after it) are questioned,
// and stored only on "yes". The R0 row stores a reading / 18.
TEST(PointCalibration, ExamplesWithSessionAndTheirDriverCalls)
{
    Harness h{bench()};
    startOn(h);
    ASSERT_DOUBLE_EQ(h.cell(hCP, CP_TABLE, kR0Row, 1), 0.1);
    sim::clearJournal();

    const Shown shown = calibrate(h, kStage1024, 1, 1025.7);
    EXPECT_DOUBLE_EQ(shown.r, 1024.0);
    EXPECT_EQ(shown.chan, 1);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kStage1024, 1), 1024.0, 1e-9);
    EXPECT_EQ(h.cellColor(hCP, CP_TABLE, kStage1024, 1), tk::kBlack);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_EQ(moduleCalls(), (std::vector<std::string>{
                                 call("tvksil2_config_trigger", "0"), call("tvksil2_switch", "0, 0"),
                                 call("tvksil2_config_R_Calibr", "1, 11"), call("tvksil2_switch", "1, 1"),
                                 call("tvksil2_switch", "1, 0")}));
    EXPECT_FALSE(channel(1).on);

    h.answerConfirm(false);
    calibrate(h, kStage1024, 1, 1200.0);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().kind, tk::headless::PopupKind::Confirm);
    EXPECT_EQ(h.lastPopup().title, kTitle);
    EXPECT_EQ(h.lastPopup().text, question("1198.3", "1024"));
    EXPECT_EQ(h.lastPopup().defaultAnswer, 0); // Enter answers "Нет"
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kStage1024, 1), 1024.0, 1e-9);

    h.answerConfirm(true);
    calibrate(h, kStage1024, 1, 1200.0);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kStage1024, 1), 1198.3, 1e-9);
    EXPECT_EQ(h.cellColor(hCP, CP_TABLE, kStage1024, 1), tk::kRed);

    h.clearPopups();
    h.answerConfirm(false);
    const double stage3 = h.cell(hCP, CP_TABLE, 3, 1);
    calibrate(h, 3, 1, 17 * 0.1);
    EXPECT_EQ(h.lastPopup().text, question("0", "4"));
    EXPECT_EQ(h.cell(hCP, CP_TABLE, 3, 1), stage3);

    sim::clearJournal();
    const Shown r0 = calibrate(h, kR0Row, 2, 1.8);
    EXPECT_EQ(r0.chan, 2);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kR0Row, 2), 0.1, 1e-15);
    EXPECT_EQ(h.cellColor(hCP, CP_TABLE, kR0Row, 2), tk::kBlack);
    EXPECT_EQ(moduleCalls(), (std::vector<std::string>{
                                 call("tvksil2_config_trigger", "0"), call("tvksil2_switch", "0, 0"),
                                 call("tvksil2_config_R_Calibr", "2, 19"), call("tvksil2_switch", "2, 1"),
                                 call("tvksil2_switch", "2, 0")}));
    EXPECT_EQ(h.popups().size(), 1u);
}

// "Отмена", or closing DP's window, leaves the cell as it was in both branches;
// the channel is switched off all the same.
TEST(PointCalibration, CancelLeavesTheCell)
{
    Harness h{bench()};
    startOn(h);
    const double stage = h.cell(hCP, CP_TABLE, 7, 2);
    const double r0 = h.cell(hCP, CP_TABLE, kR0Row, 1);

    calibrate(h, 7, 2, 5000.0, false);
    calibrate(h, kR0Row, 1, 9.0, false);
    h.doubleClickCell(hCP, CP_TABLE, 7, 2);
    tk::headless::respondWhenIdle([] { tk::headless::closeWindow(hDP); });
    ASSERT_EQ(h.run(), Harness::kRunning);

    EXPECT_EQ(h.cell(hCP, CP_TABLE, 7, 2), stage);
    EXPECT_EQ(h.cell(hCP, CP_TABLE, kR0Row, 1), r0);
    EXPECT_EQ(h.cellColor(hCP, CP_TABLE, 7, 2), tk::kBlue);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_FALSE(h.visible(hDP));
    EXPECT_FALSE(channel(1).on || channel(2).on);
    EXPECT_EQ(sim::journal("tvksil2_switch").back(), call("tvksil2_switch", "2, 0"));
}

// Without a session DP still opens on the nominal value, and what is entered is
// corrected and stored; no driver call is made.
TEST(PointCalibration, WithoutSession)
{
    Harness h{bench()};
    startOn(h);
    closeModule(h);
    // The table went back to its defaults with the session; the operator types R0 in.
    tk::setCell(hCP, CP_TABLE, kR0Row, 1, 0.1);
    sim::clearJournal();

    Shown shown = calibrate(h, kStage1024, 1, std::nullopt);
    EXPECT_DOUBLE_EQ(shown.r, 1024.0);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kStage1024, 1), 1024.0 - 17 * 0.1, 1e-9);
    calibrate(h, kStage1024, 1, 1025.7);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kStage1024, 1), 1024.0, 1e-9);
    calibrate(h, kR0Row, 2, 1.8);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kR0Row, 2), 0.1, 1e-15);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_TRUE(moduleCalls().empty());
}

// A stage row is refused while its column's R0 is 0, with or without a session;
// the R0 row itself can be calibrated.
TEST(PointCalibration, StageRefusedWhileR0IsZero)
{
    Harness h{bench()};
    startOn(h);
    for (bool session : {true, false}) {
        SCOPED_TRACE(session ? "with a session" : "without a session");
        if (!session)
            closeModule(h);
        tk::setCell(hCP, CP_TABLE, kR0Row, 2, 0.0);
        const std::vector<double> before = column(h, 2);
        sim::clearJournal();
        h.clearPopups();
        h.doubleClickCell(hCP, CP_TABLE, 4, 2);
        ASSERT_EQ(h.run(), Harness::kRunning);
        ASSERT_EQ(h.popups().size(), 1u);
        EXPECT_EQ(h.lastPopup().kind, tk::headless::PopupKind::Message);
        EXPECT_EQ(h.lastPopup().title, kTitle);
        EXPECT_EQ(h.lastPopup().text, "Не задано паразитное сопротивление цепи (R0), сначала откалибруйте его!");
        EXPECT_EQ(column(h, 2), before);
        if (session) {
            EXPECT_EQ(moduleCalls(),
                      (std::vector<std::string>{call("tvksil2_config_trigger", "0"), call("tvksil2_switch", "0, 0")}));
        } else {
            EXPECT_TRUE(moduleCalls().empty());
        }
    }
    calibrate(h, kR0Row, 2, 2.16);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kR0Row, 2), 0.12, 1e-15);
}

// With automatic measurements on, DP opens on the meter's reading, taken 0.2 s
// after the chain was set; a failed reading leaves the expected value, silently.
TEST(PointCalibration, AutomaticMeasurementFillsDP)
{
    Harness h{bench()};
    startOn(h);
    ASSERT_TRUE(h.visible(hMP, MP_AUTO_POV));
    h.setToggle(hMP, MP_AUTO_POV, true);
    ASSERT_EQ(h.run(), Harness::kRunning);

    const double t0 = h.elapsed();
    Shown shown = calibrate(h, 5, 1, std::nullopt);
    EXPECT_NEAR(h.elapsed() - t0, 0.2 + 0.005, 1e-9);
    EXPECT_NEAR(shown.r, channel(1).stage[4] + 17 * channel(1).r0, 1e-9);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, 5, 1), channel(1).stage[4], 1e-9);
    EXPECT_EQ(sim::journal("hp3458a_resRang").back(),
              "hp3458a_resRang(" + std::to_string(viHP3458) + ", 0, 100)");

    shown = calibrate(h, kR0Row, 2, std::nullopt);
    EXPECT_NEAR(shown.r, 18 * channel(2).r0, 1e-9);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kR0Row, 2), channel(2).r0, 1e-12);

    sim::failCall("hp3458a_measure_Q", VI_ERROR_TMO, 1, sim::callCount("hp3458a_measure_Q") + 1);
    shown = calibrate(h, kStage1024, 2, std::nullopt);
    EXPECT_DOUBLE_EQ(shown.r, 1024.0);
    EXPECT_TRUE(h.popups().empty());
}

// A value that is no number is never questioned (comparisons with NaN are false).
TEST(PointCalibration, NaNIsNotQuestioned)
{
    Harness h{bench()};
    startOn(h);
    tk::setCell(hCP, CP_TABLE, kR0Row, 1, std::numeric_limits<double>::quiet_NaN());
    calibrate(h, kStage1024, 1, 1025.7);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_TRUE(std::isnan(h.cell(hCP, CP_TABLE, kStage1024, 1)));
}

// A negative status ends the callback before DP opens: reported, the cell
// unchanged, the wait cursor off.
TEST(PointCalibration, DriverErrorEndsBeforeThePopUp)
{
    struct Case {
        const char* entry;
        int call; // which call of the double-click fails, from 1
        const char* callText;
        std::size_t calls; // module driver calls made
    };
    const Case cases[] = {
        {"tvksil2_config_trigger", 1, "tvksil2_config_trigger(mvi, 0)", 1},
        {"tvksil2_switch", 1, "tvksil2_switch (mvi, 0, 0)", 2},
        {"tvksil2_config_R_Calibr", 1, "tvksil2_config_R_Calibr(mvi,pt.x, pt.y)", 3},
        {"tvksil2_switch", 2, "tvksil2_switch (mvi, pt.x, 1)", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.callText);
        Harness h{bench()};
        startOn(h);
        const double before = h.cell(hCP, CP_TABLE, 6, 1);
        sim::failCall(c.entry, sim::kStatusBadChannel, 1, sim::callCount(c.entry) + c.call);
        sim::clearJournal();
        h.doubleClickCell(hCP, CP_TABLE, 6, 1);
        ASSERT_EQ(h.run(), Harness::kRunning);
        EXPECT_EQ(h.text(hMP, MP_MSG), reported(sim::kStatusBadChannel, c.callText));
        EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
        EXPECT_EQ(moduleCalls().size(), c.calls);
        EXPECT_EQ(h.cell(hCP, CP_TABLE, 6, 1), before);
        EXPECT_FALSE(h.visible(hDP));
        EXPECT_FALSE(tk::waitCursor());
    }
    // A failure switching the channel off after DP also leaves the cell.
    Harness h{bench()};
    startOn(h);
    const double before = h.cell(hCP, CP_TABLE, 6, 1);
    sim::failCall("tvksil2_switch", sim::kStatusBadChannel, 1, sim::callCount("tvksil2_switch") + 3);
    calibrate(h, 6, 1, 32.0);
    EXPECT_EQ(h.text(hMP, MP_MSG), reported(sim::kStatusBadChannel, "tvksil2_switch (mvi, pt.x, 0)"));
    EXPECT_EQ(h.cell(hCP, CP_TABLE, 6, 1), before);
}

} // namespace
