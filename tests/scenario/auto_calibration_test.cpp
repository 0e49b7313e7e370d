// Automatic calibration from menu item CALIBR on the simulated bench.
#include "calibration_bench.h"

#include "gauge/gauge.h"
#include "p_ksil2/msgp.h"

#include <gtest/gtest.h>

using namespace calib;

namespace {

bool messagePanelShown()
{
    return msgpPanel() > 0 && tk::attr(msgpPanel(), 0, tk::Attr::Visible) == 1;
}

// The text of the message panel's one text box, lines joined by line feeds.
std::string messagePanelText()
{
    tk::headless::ExpectMisuse probing; // the other ids are expected to miss
    for (int ctrl = 1; ctrl < 16; ++ctrl)
        if (tk::numTextBoxLines(msgpPanel(), ctrl) >= 0)
            return tk::textValue(msgpPanel(), ctrl);
    return "(no message panel)";
}

// The meter's readings of a run, and the ranges chosen before them.
std::vector<std::string> meterCalls()
{
    std::vector<std::string> out;
    for (const auto& line : sim::journal("hp3458a_"))
        if (line.rfind("hp3458a_resRang", 0) == 0 || line.rfind("hp3458a_measure_Q", 0) == 0)
            out.push_back(line);
    return out;
}

std::string rangeCall(double expected)
{
    return "hp3458a_resRang(" + std::to_string(viHP3458) + ", 0, " + number(gauge::resRangeStep(expected)) + ")";
}

// A module whose stages sit on every side of their tolerance.
struct Calibrated : ::testing::Test {
    ChannelSpec ch1 = channelNear(0.125, 0.001);
    ChannelSpec ch2 = channelNear(4.0 / 18.0, -0.001);
    Calibrated()
    {
        ch1.stages[9] = 1004.0;                   // nominal taken as 1000: exactly at its 4.0 Ω tolerance
        ch2.stages[9] = 1004.5;                   // beyond it
        ch1.stages[10] = 1024.0 + 4.048 + 0.01;   // beyond normR(1024)
        ch1.stages[17] = 131072.0 * 1.003;        // 393 Ω off, beyond normR = 264.144
    }
};

TEST_F(Calibrated, EveryCellMeasuredColouredByToleranceWithItsWaitsAndDriverCalls)
{
    Harness h{bench(ch1, ch2)};
    startOn(h);
    ASSERT_NE(viHP3458, 0u);
    nominalR[9] = 1000.0; // a nominal of 1000 Ω: the tolerance is exactly 4.0 Ω
    sim::clearJournal();
    h.clearPopups();
    const double t0 = h.elapsed();

    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);

    // Per channel: 0.05 s after switching on and off, 0.01 s after each of 18
    // stage chains, 0.005 s before each of 19 readings (the meter takes no time).
    EXPECT_NEAR(h.elapsed() - t0, 2 * (0.05 + 18 * 0.01 + 0.05 + 19 * 0.005), 1e-9);

    const std::vector<double> c1 = column(h, 1), c2 = column(h, 2);
    EXPECT_DOUBLE_EQ(c1[18], 0.125);
    EXPECT_NEAR(c2[18], 4.0 / 18.0, 1e-12);
    for (int k = 0; k < 18; ++k) {
        EXPECT_NEAR(c1[static_cast<std::size_t>(k)], ch1.stages[static_cast<std::size_t>(k)], 1e-9) << "stage " << k + 1;
        EXPECT_NEAR(c2[static_cast<std::size_t>(k)], ch2.stages[static_cast<std::size_t>(k)], 1e-9) << "stage " << k + 1;
    }
    std::vector<int> expect1(19, tk::kBlack), expect2(19, tk::kBlack);
    expect1[10] = expect1[17] = tk::kRed;
    expect2[9] = tk::kRed;  // 4.5 Ω from 1000
    expect2[18] = tk::kRed; // R0 0.222 Ω: 0.122 from 0.1
    EXPECT_EQ(colours(h, 1), expect1);
    EXPECT_EQ(colours(h, 2), expect2);

    std::vector<std::string> expected{call("tvksil2_switch", "0, 0"), call("tvksil2_config_trigger", "0")};
    std::vector<std::string> meter;
    for (int c = 1; c <= 2; ++c) {
        const std::string ch = std::to_string(c);
        expected.push_back(call("tvksil2_switch", ch + ", 1"));
        expected.push_back(call("tvksil2_config_R_Calibr", ch + ", 0"));
        meter.push_back(rangeCall(10.0));
        meter.push_back("hp3458a_measure_Q(" + std::to_string(viHP3458) + ", 5)");
        for (int k = 1; k <= 18; ++k) {
            expected.push_back(call("tvksil2_config_R_Calibr", ch + ", " + std::to_string(k)));
            meter.push_back(rangeCall(nominalR[static_cast<std::size_t>(k - 1)]));
            meter.push_back("hp3458a_measure_Q(" + std::to_string(viHP3458) + ", 5)");
        }
        expected.push_back(call("tvksil2_switch", ch + ", 0"));
    }
    EXPECT_EQ(moduleCalls(), expected);
    EXPECT_EQ(meterCalls(), meter);

    // The message panel announced the run and is gone; the summary counts the red cells.
    EXPECT_EQ(messagePanelText(), "\nИДЕТ КАЛИБРОВКА\n");
    EXPECT_FALSE(messagePanelShown());
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().text.rfind("Калибровка завершена.\nВне допуска: 4 ячейки из 38.\nТаблица ещё", 0), 0u);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
    EXPECT_FALSE(tk::waitCursor());
    EXPECT_FALSE(channel(1).on || channel(2).on);
}

// R0 readings of 3.6 Ω and 4.0 Ω; each channel's stages corrected with the R0
// of the same run, not with the one the table held.
TEST(AutoCalibration, R0ExamplesAndStagesCorrectedWithThisRunsR0)
{
    const ChannelSpec ch1 = channelNear(0.2, 0.001), ch2 = channelNear(4.0 / 18.0, 0.002);
    Harness h{bench(ch1, ch2)};
    startOn(h);
    tk::setCell(hCP, CP_TABLE, kR0Row, 1, 0.05);
    tk::setCell(hCP, CP_TABLE, kR0Row, 2, 0.05);

    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);

    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kR0Row, 1), 0.2, 1e-12);
    EXPECT_EQ(h.cellColor(hCP, CP_TABLE, kR0Row, 1), tk::kBlack);
    EXPECT_NEAR(h.cell(hCP, CP_TABLE, kR0Row, 2), 0.2222222, 1e-6);
    EXPECT_EQ(h.cellColor(hCP, CP_TABLE, kR0Row, 2), tk::kRed);
    for (int k = 1; k <= 18; ++k) {
        EXPECT_NEAR(h.cell(hCP, CP_TABLE, k, 1), ch1.stages[static_cast<std::size_t>(k - 1)], 1e-9) << k;
        EXPECT_NEAR(h.cell(hCP, CP_TABLE, k, 2), ch2.stages[static_cast<std::size_t>(k - 1)], 1e-9) << k;
    }
}

// A failed reading leaves its cell as it was, blue, and the run goes on. A
// channel whose R0 reading fails corrects its stages with its own R0 from the
// table, never with the other channel's.
TEST(AutoCalibration, FailedReadingsLeaveTheirCellsAndR0FallsBack)
{
    const ChannelSpec ch1 = channelNear(0.2, 0.001), ch2 = channelNear(0.25, -0.001);
    const double tableR0 = 0.05;
    struct Case {
        const char* what;
        int reading; // which reading of the run fails, from 1
        int row, col;
        double r0Used; // the R0 that corrects the stages of col
    };
    const Case cases[] = {
        {"a stage of channel 1", 6, 5, 1, 0.2},
        {"R0 of channel 1", 1, kR0Row, 1, tableR0},
        {"R0 of channel 2", 20, kR0Row, 2, tableR0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h{bench(ch1, ch2)};
        startOn(h);
        tk::setCell(hCP, CP_TABLE, kR0Row, 1, tableR0);
        tk::setCell(hCP, CP_TABLE, kR0Row, 2, tableR0);
        const double before = h.cell(hCP, CP_TABLE, c.row, c.col);
        sim::failCall("hp3458a_measure_Q", VI_ERROR_TMO, 1, sim::callCount("hp3458a_measure_Q") + c.reading);
        const int switches = sim::callCount("tvksil2_switch");

        h.chooseMenu(MENUBAR_EXE_CALIBR);
        ASSERT_EQ(h.run(), Harness::kRunning);

        EXPECT_EQ(h.cell(hCP, CP_TABLE, c.row, c.col), before);
        EXPECT_EQ(h.cellColor(hCP, CP_TABLE, c.row, c.col), tk::kBlue);
        EXPECT_EQ(sim::callCount("tvksil2_switch") - switches, 5) << "the run went through both channels";
        EXPECT_FALSE(messagePanelShown());
        const ChannelSpec& truth = c.col == 1 ? ch1 : ch2;
        const double trueR0 = truth.r0;
        for (int k = 1; k <= 18; ++k) {
            if (k == c.row)
                continue;
            const double expected = truth.stages[static_cast<std::size_t>(k - 1)] + 17.0 * (trueR0 - c.r0Used);
            EXPECT_NEAR(h.cell(hCP, CP_TABLE, k, c.col), expected, 1e-9) << "stage " << k;
            EXPECT_NE(h.cellColor(hCP, CP_TABLE, k, c.col), tk::kBlue) << "stage " << k;
        }
    }
}

// A negative driver status ends the run at once: shown on the status line, the
// message panel still up, the channel still connected, nothing measured after.
// A positive one is shown and the run goes on.
TEST(AutoCalibration, NegativeStatusEndsTheRunWarningDoesNot)
{
    {
        Harness h{bench()};
        startOn(h);
        sim::failCall("tvksil2_config_R_Calibr", sim::kStatusBadStage, 1, sim::callCount("tvksil2_config_R_Calibr") + 5);
        sim::clearJournal();
        h.chooseMenu(MENUBAR_EXE_CALIBR);
        ASSERT_EQ(h.run(), Harness::kRunning);

        EXPECT_EQ(h.text(hMP, MP_MSG), reported(sim::kStatusBadStage, "tvksil2_config_R_Calibr(mvi, i+1, j+1)"));
        EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
        EXPECT_TRUE(messagePanelShown());
        EXPECT_EQ(messagePanelText(), "\nИДЕТ КАЛИБРОВКА\n");
        EXPECT_FALSE(tk::waitCursor());
        EXPECT_TRUE(channel(1).on);
        EXPECT_EQ(moduleCalls().back(), call("tvksil2_config_R_Calibr", "1, 4"));
        EXPECT_EQ(sim::journal("hp3458a_measure_Q").size(), 4u); // R0 and stages 1 to 3
        const std::vector<int> c1 = colours(h, 1);
        EXPECT_EQ(c1[0], tk::kBlack);
        EXPECT_EQ(c1[2], tk::kBlack);
        EXPECT_EQ(c1[3], tk::kBlue);
        EXPECT_EQ(colours(h, 2), std::vector<int>(19, tk::kBlue));
        EXPECT_LT(lastStatus, 0);
    }
    {
        const ViStatus warning = 0x3FFC0801;
        Harness h{bench()};
        startOn(h);
        sim::failCall("tvksil2_config_trigger", warning, 1, sim::callCount("tvksil2_config_trigger") + 1);
        h.chooseMenu(MENUBAR_EXE_CALIBR);
        ASSERT_EQ(h.run(), Harness::kRunning);

        EXPECT_EQ(h.text(hMP, MP_MSG), reported(warning, "tvksil2_config_trigger(mvi, 0)"));
        EXPECT_FALSE(messagePanelShown());
        EXPECT_EQ(sim::journal("hp3458a_measure_Q").size(), 38u);
        EXPECT_EQ(colours(h, 2)[18], tk::kBlack);
    }
}

TEST(AutoCalibration, NoMultimeterSaysSoAndTouchesNothing)
{
    Harness h{bench(false)};
    startOn(h);
    ASSERT_EQ(isMultimeterOpen(), 0);
    const std::vector<double> before = column(h, 1);
    sim::clearJournal();
    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);

    EXPECT_EQ(h.lastPopup().title, "Калибровка КСИЛ2-4Л");
    EXPECT_EQ(h.lastPopup().text, "Отсутсвует мультиметр!");
    EXPECT_TRUE(moduleCalls().empty());
    EXPECT_EQ(column(h, 1), before);
    EXPECT_EQ(colours(h, 1), std::vector<int>(19, tk::kBlue));
    EXPECT_EQ(msgpPanel(), 0);
}

// Without a module session only the meter is read, once per cell, with no
// driver call and no settling time but the reading's own.
TEST(AutoCalibration, WithoutSessionOnlyTheMeterIsRead)
{
    Harness h{bench()};
    startOn(h);
    closeModule(h);
    ASSERT_NE(isMultimeterOpen(), 0);
    sim::clearJournal();
    const double t0 = h.elapsed();
    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);

    EXPECT_NEAR(h.elapsed() - t0, 38 * 0.005, 1e-9);
    EXPECT_TRUE(moduleCalls().empty());
    EXPECT_EQ(sim::journal("hp3458a_measure_Q").size(), 38u);
    // Nothing is switched on: the meter reads an open circuit, far out of tolerance.
    EXPECT_EQ(colours(h, 1), std::vector<int>(19, tk::kRed));
    EXPECT_FALSE(messagePanelShown());
}

} // namespace
