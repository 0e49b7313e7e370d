// The automatic verification of a КСИЛ2-4Л: SET on page PP with its AUTO_POV on.
#include "verify_bench.h"

#include "p_ksil2/verify.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace verify;

namespace {

constexpr const char* kDateLine = "12-08-2026, 14:05:09";
constexpr const char* kPassLine = "Автоповерка завершена, неисправностей не обнаружено.";
constexpr const char* kPassText = "Автоповерка завершена,\nнеисправностей не обнаружено.";
constexpr const char* kFaultLine = "При выполнении поверки были обнаружены несоответствия норме.";
constexpr const char* kHeader = "канал          Rз            Rx           A(R)x                   /норма/";
constexpr int kRows = 38;

// Starts on the bench, shows PP and switches it to automatic mode.
void startAutomatic(Harness& h)
{
    startOn(h);
    showPP(h);
    ASSERT_FALSE(h.dimmed(hPP, PP_AUTO_POV));
    h.setToggle(hPP, PP_AUTO_POV, true);
    ASSERT_EQ(h.run(), Harness::kRunning);
    h.clearPopups();
}

void runOnce(Harness& h)
{
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
}

// The set value of result row `row` (1-based) of a complete run.
double pointOfRow(int row)
{
    return kTestPoints[static_cast<std::size_t>((row - 1) % 19)];
}

std::vector<std::string> protocol(const Harness& h)
{
    return fileLines(h.folder() / "ksil2.log");
}

// The protocol lines a complete run writes, when stage `badStage` of channel
// `badChannel` presents `excess` ohms more than the module believes.
std::vector<std::string> runLines(bool header, int badChannel = 0, int badStage = 0, double excess = 0)
{
    std::vector<std::string> lines{cp(kDateLine)};
    if (header)
        lines.push_back(cp(kHeader));
    bool fault = false;
    for (int row = 1; row <= kRows; ++row) {
        const int ch = row <= 19 ? 1 : 2;
        const double set = pointOfRow(row);
        const bool hit = ch == badChannel && (static_cast<long>(set) & (1L << (badStage - 1))) != 0;
        const double measured = reading(set + (hit ? excess : 0.0));
        const bool out = std::fabs(measured - set) > 0.002 * set + 2.0;
        fault = fault || out;
        lines.push_back(resultLine(ch, set, measured, out));
    }
    lines.push_back(cp(fault ? kFaultLine : kPassLine));
    return lines;
}

TEST(AutoVerification, AllWithinNormTwiceInOneProgramRun)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench()};
    startAutomatic(h);
    EXPECT_EQ(tk::attrText(hPP, PP_SET, tk::Attr::LabelText), "Запустить");

    sim::clearJournal();
    const double before = h.elapsed();
    runOnce(h);
    // Every prescribed wait, and nothing else, on the platform clock: 0.05 s twice
    // per channel, 0.05 + 0.05 + 0.005 per point (the meter converts in no time here).
    EXPECT_NEAR(h.elapsed() - before, 2 * (0.1 + 19 * 0.105), 1e-9);

    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), kRows);
    for (int row = 1; row <= kRows; ++row) {
        const double set = pointOfRow(row);
        EXPECT_EQ(h.cell(hPP, PP_TABLE_R, row, 1), row <= 19 ? 1 : 2);
        EXPECT_EQ(h.cell(hPP, PP_TABLE_R, row, 2), set);
        EXPECT_EQ(h.cell(hPP, PP_TABLE_R, row, 3), reading(set));
        EXPECT_DOUBLE_EQ(h.cell(hPP, PP_TABLE_R, row, 4), 0.002 * set + 2.0);
        EXPECT_DOUBLE_EQ(h.cell(hPP, PP_TABLE_R, row, 5), reading(set) - set);
        EXPECT_NE(h.cellColor(hPP, PP_TABLE_R, row, 5), tk::kRed);
    }
    EXPECT_EQ(tk::attr(hPP, PP_TABLE_R, tk::Attr::FirstVisibleLine), kRows);

    std::vector<std::string> expected{cp(kDateLine), cp("Протокол проверки погрешности мезонина КСИЛ2-4Л")};
    const auto first = runLines(true);
    expected.insert(expected.end(), first.begin(), first.end());
    EXPECT_EQ(protocol(h), expected);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().title, "КСИЛ2-4Л");
    EXPECT_EQ(h.lastPopup().text, kPassText);

    std::vector<std::string> calls{onModule(mvi, "tvksil2_switch", "0, 0"), onModule(mvi, "tvksil2_config_trigger", "0")};
    for (int ch = 1; ch <= 2; ++ch) {
        calls.push_back(onModule(mvi, "tvksil2_switch", std::to_string(ch) + ", 1"));
        for (const double p : kTestPoints)
            calls.push_back(onModule(mvi, "tvksil2_config_R", std::to_string(ch) + ", " + std::to_string(long(p))));
        calls.push_back(onModule(mvi, "tvksil2_switch", std::to_string(ch) + ", 0"));
    }
    EXPECT_EQ(moduleCalls(), calls);
    EXPECT_FALSE(channel(1).on);
    EXPECT_FALSE(channel(2).on);
    EXPECT_FALSE(tk::waitCursor());
    EXPECT_EQ(h.number(hPP, PP_CHAN), 2);

    // A second run: its own date line, no second column header, the rows appended.
    runOnce(h);
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 2 * kRows);
    const auto second = runLines(false);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(protocol(h), expected);
}

TEST(AutoVerification, OneStageOutOfNorm)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench()};
    startAutomatic(h);
    channel(2).stage[9] += 5.0; // 512 Ω stage: the 512 Ω point is 5 Ω off, its norm 3.024 Ω

    runOnce(h);
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), kRows);
    for (int row = 1; row <= kRows; ++row)
        EXPECT_EQ(h.cellColor(hPP, PP_TABLE_R, row, 5) == tk::kRed, row == 19 + 10) << "row " << row;
    const auto lines = protocol(h);
    const auto run = runLines(true, 2, 10, 5.0);
    ASSERT_GE(lines.size(), run.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(run.size()), lines.end()), run);
    EXPECT_EQ(h.lastPopup().title, "КСИЛ2-4Л");
    EXPECT_EQ(h.lastPopup().text, kFaultLine);
}

TEST(AutoVerification, MeterFailureAtTheFirstPointOfChannelTwo)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench()};
    startAutomatic(h);
    sim::failCall("hp3458a_measure_Q", VI_ERROR_TMO, 1, sim::callCount("hp3458a_measure_Q") + 20);
    sim::clearJournal();

    runOnce(h);
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 19);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().title, "Поверка КСИЛ2-4Л");
    EXPECT_EQ(h.lastPopup().text, "Сбой мультиметра!");
    const auto calls = moduleCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{onModule(mvi, "tvksil2_switch", "2, 1"),
                                        onModule(mvi, "tvksil2_config_R", "2, 1"),
                                        onModule(mvi, "tvksil2_switch", "2, 0")}));
    EXPECT_FALSE(channel(2).on);
    // Channel 1's rows and no verdict in the protocol.
    const auto lines = protocol(h);
    auto run = runLines(true);
    run.resize(2 + 19);
    ASSERT_GE(lines.size(), run.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(run.size()), lines.end()), run);
    EXPECT_FALSE(tk::waitCursor());
}

struct RunFault {
    const char* entry;
    int nth;              // which call of the entry during the run fails
    ViStatus status;
    const char* report;   // call text on the status line; nullptr: nothing reported
    bool reset;           // the module is reset afterwards
    int rows;             // result rows recorded
    int channelLeftOn;    // channel still on afterwards, 0 = none
    bool dated;           // the run got as far as its date line
};

TEST(AutoVerification, DriverErrorAtEachCheckedCall)
{
    const ViStatus error = sim::kStatusBadChannel;
    const RunFault faults[] = {
        {"tvksil2_switch", 1, error, "tvksil2_switch (mvi, 0, 0)", true, 0, 0, false},
        {"tvksil2_config_trigger", 1, error, "tvksil2_config_trigger(mvi, 0)", false, 0, 0, false},
        {"tvksil2_switch", 2, error, "tvksil2_switch (mvi, chan, 1)", true, 0, 0, true},
        {"tvksil2_switch", 3, error, "tvksil2_switch (mvi, chan, 0)", true, 19, 0, true},
        {"tvksil2_switch", 4, error, "tvksil2_switch (mvi, chan, 1)", true, 19, 0, true},
        {"tvksil2_switch", 5, error, "tvksil2_switch (mvi, chan, 0)", true, 38, 0, true},
        // A refused setting ends the run with the channel on, and says why.
        {"tvksil2_config_R", 5, error, "tvksil2_config_R(mvi, chan, R)", false, 4, 1, true},
        {"tvksil2_config_R", 20, error, "tvksil2_config_R(mvi, chan, R)", false, 19, 2, true},
    };
    for (const RunFault& f : faults) {
        SCOPED_TRACE(std::string(f.entry) + " #" + std::to_string(f.nth));
        FixedTime fixed(fixedMoment());
        Harness h{bench()};
        startAutomatic(h);
        tk::setValue(hMP, MP_MSG, "");
        const int resets = sim::callCount("tvksil2_reset");
        sim::failCall(f.entry, f.status, 1, sim::callCount(f.entry) + f.nth);
        runOnce(h);

        if (f.report) {
            EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(f.status) + " " + f.report);
            EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
        } else {
            EXPECT_EQ(h.text(hMP, MP_MSG), "");
        }
        EXPECT_EQ(sim::callCount("tvksil2_reset") - resets, f.reset ? 1 : 0);
        EXPECT_EQ(h.rows(hPP, PP_TABLE_R), f.rows);
        EXPECT_TRUE(h.popups().empty()); // no verdict
        EXPECT_EQ(channel(1).on, f.channelLeftOn == 1);
        EXPECT_EQ(channel(2).on, f.channelLeftOn == 2);
        EXPECT_FALSE(tk::waitCursor());
        // The protocol's opening line, and the run's own once the module was prepared.
        const auto lines = protocol(h);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), cp(kDateLine)), f.dated ? 2 : 1);
    }
}

TEST(AutoVerification, AWarningIsShownAndTheRunGoesOn)
{
    Harness h{bench()};
    startAutomatic(h);
    const ViStatus warning = 0x3FFA0F01;
    sim::failCall("tvksil2_config_trigger", warning, 1, sim::callCount("tvksil2_config_trigger") + 1);
    runOnce(h);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(warning) + " tvksil2_config_trigger(mvi, 0)");
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), kRows);
    EXPECT_EQ(h.lastPopup().text, kPassText);
}

TEST(AutoVerification, NonconformityOfAnEarlyEndedRunIsReportedByTheNextCompleteOne)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench()};
    startAutomatic(h);
    channel(1).stage[2] += 3.0; // the 4 Ω point: 3 Ω off, norm 2.008 Ω
    sim::failCall("hp3458a_measure_Q", VI_ERROR_TMO, 1, sim::callCount("hp3458a_measure_Q") + 20);
    runOnce(h);
    EXPECT_EQ(h.lastPopup().text, "Сбой мультиметра!");

    channel(1).stage[2] -= 3.0;
    h.clearPopups();
    runOnce(h);
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 19 + kRows);
    EXPECT_EQ(h.lastPopup().text, kFaultLine);
    EXPECT_EQ(last(protocol(h)), cp(kFaultLine));

    runOnce(h);
    EXPECT_EQ(h.lastPopup().text, kPassText);
    EXPECT_EQ(last(protocol(h)), cp(kPassLine));
}

TEST(AutoVerification, ModeTogglesTheManualControlsAndNeedsASession)
{
    Harness h{bench()};
    sim::failCall("tvksil2_init", sim::kStatusNoModule);
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    showPP(h);
    const int manual[] = {PP_CHAN, PP_R_Z, PP_R_I, PP_INPUT, PP_ED_IZM, PP_ED_IZM_2};

    h.setToggle(hPP, PP_AUTO_POV, true);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(autoPovMode, 1);
    for (const int ctrl : manual)
        EXPECT_FALSE(h.visible(hPP, ctrl)) << ctrl;
    EXPECT_EQ(tk::attrText(hPP, PP_SET, tk::Attr::LabelText), "Запустить");

    // No session: SET does nothing at all.
    h.clearPopups();
    sim::clearJournal();
    runOnce(h);
    EXPECT_TRUE(sim::journal().empty());
    EXPECT_EQ(h.rows(hPP, PP_TABLE_R), 0);
    EXPECT_TRUE(h.popups().empty());

    h.setToggle(hPP, PP_AUTO_POV, false);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(autoPovMode, 0);
    for (const int ctrl : manual)
        EXPECT_TRUE(h.visible(hPP, ctrl)) << ctrl;
    EXPECT_EQ(tk::attrText(hPP, PP_SET, tk::Attr::LabelText), "Установить");
}

} // namespace
