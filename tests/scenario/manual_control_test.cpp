// Manual control of page PP: SET, INPUT, the focus cycle, the two toggles of MP.
#include "verify_bench.h"

#include "p_ksil2/manual.h"

#include <gtest/gtest.h>

using namespace verify;

namespace {

std::vector<std::string> resultLines(const Harness& h)
{
    std::vector<std::string> out;
    for (const auto& line : fileLines(h.folder() / "ksil2.log"))
        if (line.find(cp(" Ом ")) != std::string::npos)
            out.push_back(line);
    return out;
}

TEST(ManualControl, WithoutASessionSetDoesNothingAndInputStillRecords)
{
    Harness h{bench()};
    sim::failCall("tvksil2_init", sim::kStatusNoModule);
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(mvi, 0u);
    showPP(h);

    h.setNumber(hPP, PP_R_Z, 100);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(tk::activeCtrl(hPP), PP_SET);
    sim::clearJournal();
    const double before = h.elapsed();
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(sim::journal().empty());
    EXPECT_EQ(h.elapsed(), before);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_SET);
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 0);
    EXPECT_DOUBLE_EQ(h.number(hPP, PP_R_I), 1.0);

    h.setNumber(hPP, PP_R_I, 101);
    h.press(hPP, PP_INPUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(moduleCalls().empty());
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 1);
    EXPECT_DOUBLE_EQ(h.cell(hPP, PP_TABLE_R, 1, 3), 101.0);
    EXPECT_EQ(resultLines(h), std::vector<std::string>{resultLine(1, 100, 101, false)});
    EXPECT_EQ(tk::activeCtrl(hPP), PP_R_Z);

    // The switching mode reaches the driver with or without a session.
    h.setToggle(hMP, MP_MODE_R, true);
    h.setToggle(hMP, MP_MODE_R, false);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(moduleCalls(), (std::vector<std::string>{"tvksil2_mode_R(0, 1)", "tvksil2_mode_R(0, 0)"}));
}

TEST(ManualControl, SetLeavesTheChannelOnForTheOperatorAndInputRecordsTheTypedValue)
{
    Harness h{bench()};
    startOn(h);
    showPP(h);
    EXPECT_EQ(autoMeasure, 0);

    h.setNumber(hPP, PP_CHAN, 2);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_R_Z);
    h.setNumber(hPP, PP_R_Z, 1024);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_SET);

    sim::clearJournal();
    const double before = h.elapsed();
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_NEAR(h.elapsed() - before, 0.15, 1e-9);
    EXPECT_EQ(moduleCalls(), (std::vector<std::string>{
                                 onModule(mvi, "tvksil2_switch", "0, 0"),
                                 onModule(mvi, "tvksil2_config_trigger", "0"),
                                 onModule(mvi, "tvksil2_config_R", "2, 1024"),
                                 onModule(mvi, "tvksil2_switch", "2, 1"),
                             }));
    EXPECT_FALSE(channel(1).on);
    EXPECT_TRUE(channel(2).on);
    EXPECT_DOUBLE_EQ(h.number(hPP, PP_R_I), 1024.0);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_R_I);
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 0);
    EXPECT_TRUE(sim::journal("hp3458a_measure_Q").empty());
    EXPECT_FALSE(tk::waitCursor());

    // The operator's reading: within norm (4.048 Ω at 1024 Ω), then out of it.
    h.setNumber(hPP, PP_R_I, 1025.5);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_INPUT);
    sim::clearJournal();
    h.press(hPP, PP_INPUT);
    h.setNumber(hPP, PP_R_I, 1030.5);
    h.press(hPP, PP_INPUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(moduleCalls(), (std::vector<std::string>{onModule(mvi, "tvksil2_switch", "2, 0"),
                                                       onModule(mvi, "tvksil2_switch", "2, 0")}));
    EXPECT_FALSE(channel(2).on);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_R_Z);

    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 2);
    const double expected[2][5] = {{2, 1024, 1025.5, 4.048, 1.5}, {2, 1024, 1030.5, 4.048, 6.5}};
    for (int row = 1; row <= 2; ++row)
        for (int col = 1; col <= 5; ++col)
            EXPECT_NEAR(h.cell(hPP, PP_TABLE_R, row, col), expected[row - 1][col - 1], 1e-9) << row << "," << col;
    EXPECT_NE(h.cellColor(hPP, PP_TABLE_R, 1, 5), tk::kRed);
    EXPECT_EQ(h.cellColor(hPP, PP_TABLE_R, 2, 5), tk::kRed);
    EXPECT_EQ(tk::attr(hPP, PP_TABLE_R, tk::Attr::FirstVisibleLine), 2);
    EXPECT_EQ(resultLines(h), (std::vector<std::string>{resultLine(2, 1024, 1025.5, false),
                                                        resultLine(2, 1024, 1030.5, true)}));
}

TEST(ManualControl, AutomaticMeasurementRecordsTheReadingAtSet)
{
    Harness h{bench()};
    startOn(h);
    showPP(h);
    ASSERT_TRUE(h.visible(hMP, MP_AUTO_POV));

    // The toggle shown on is not the flag: only the operator's action sets it.
    tk::setValue(hMP, MP_AUTO_POV, 1.0);
    EXPECT_EQ(autoMeasure, 0);
    h.setToggle(hMP, MP_AUTO_POV, true);
    h.setNumber(hPP, PP_R_Z, 4096);
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(autoMeasure, 1);

    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 1);
    EXPECT_DOUBLE_EQ(h.cell(hPP, PP_TABLE_R, 1, 3), reading(4096));
    EXPECT_DOUBLE_EQ(h.number(hPP, PP_R_I), reading(4096));
    EXPECT_TRUE(channel(1).on); // stays on after the automatic measurement
    // The range for the set value is chosen before the reading.
    EXPECT_EQ(last(sim::journal("hp3458a_resRang")), "hp3458a_resRang(" + std::to_string(viHP3458) + ", 0, 10000)");

    // INPUT afterwards records the same pair once more.
    h.press(hPP, PP_INPUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 2);
    EXPECT_DOUBLE_EQ(h.cell(hPP, PP_TABLE_R, 2, 3), reading(4096));
    EXPECT_EQ(resultLines(h), (std::vector<std::string>{resultLine(1, 4096, reading(4096), false),
                                                        resultLine(1, 4096, reading(4096), false)}));

    // A failed reading records nothing and leaves the set value for the operator.
    sim::failCall("hp3458a_measure_Q", VI_ERROR_TMO, 1, sim::callCount("hp3458a_measure_Q") + 1);
    h.setNumber(hPP, PP_R_Z, 8);
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 2);
    EXPECT_DOUBLE_EQ(h.number(hPP, PP_R_I), 8.0);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_R_I);
}

// A reading far beyond the test points (an open channel reads 9.9e37) is
// recorded as read, so it can never pass for the set value.
TEST(ManualControl, AReadingFarBeyondTheTestPointsIsRecordedAsRead)
{
    Harness h{bench()};
    startOn(h);
    showPP(h);
    h.setToggle(hMP, MP_AUTO_POV, true);
    ASSERT_EQ(h.run(), Harness::kRunning);
    sim::instrument(kMeterAddress)->meter->wiredCarrier.clear(); // the meter's leads are off the module
    h.setNumber(hPP, PP_R_Z, 262143);
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 1);
    EXPECT_EQ(h.cell(hPP, PP_TABLE_R, 1, 3), sim::kOpenCircuit);
    EXPECT_EQ(h.cellColor(hPP, PP_TABLE_R, 1, 5), tk::kRed);
}

struct SetFault {
    const char* entry;
    int nth;               // which call of the entry during SET fails
    ViStatus status;
    const char* report;    // call text on the status line; nullptr: nothing reported
    bool reset;            // tvksil2_reset follows
    bool channelOn;        // the chosen channel is on afterwards
    int focus;             // active control of PP afterwards
};

TEST(ManualControl, DriverStatusesDuringSet)
{
    const ViStatus error = sim::kStatusBadChannel;
    const ViStatus warning = 0x3FFA0F01;
    const SetFault faults[] = {
        {"tvksil2_switch", 1, error, "tvksil2_switch (mvi, 0, 0)", true, false, PP_SET},
        {"tvksil2_config_trigger", 1, error, "tvksil2_config_trigger(mvi, 0)", false, false, PP_SET},
        {"tvksil2_config_R", 1, error, "tvksil2_config_R(mvi, chan, R)", false, false, PP_SET},
        {"tvksil2_switch", 2, error, "tvksil2_switch (mvi, chan, 1)", true, false, PP_SET},
        // A warning comes with the work done: the channel is on and SET goes on.
        {"tvksil2_switch", 2, warning, "tvksil2_switch (mvi, chan, 1)", false, true, PP_R_I},
        {"tvksil2_config_trigger", 1, warning, "tvksil2_config_trigger(mvi, 0)", false, true, PP_R_I},
    };
    for (const SetFault& f : faults) {
        SCOPED_TRACE(std::string(f.entry) + " #" + std::to_string(f.nth) + " status " + std::to_string(f.status));
        Harness h{bench()};
        startOn(h);
        showPP(h);
        h.setNumber(hPP, PP_R_Z, 64);
        ASSERT_EQ(h.run(), Harness::kRunning);
        tk::setValue(hMP, MP_MSG, "");
        const int resets = sim::callCount("tvksil2_reset");
        sim::failCall(f.entry, f.status, 1, sim::callCount(f.entry) + f.nth);
        h.press(hPP, PP_SET);
        ASSERT_EQ(h.run(), Harness::kRunning);

        if (f.report) {
            EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(f.status) + " " + f.report);
            EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
        } else {
            EXPECT_EQ(h.text(hMP, MP_MSG), "");
        }
        EXPECT_EQ(sim::callCount("tvksil2_reset") - resets, f.reset ? 1 : 0);
        EXPECT_EQ(channel(1).on, f.channelOn);
        EXPECT_EQ(tk::activeCtrl(hPP), f.focus);
        EXPECT_FALSE(tk::waitCursor());
    }
}

} // namespace
