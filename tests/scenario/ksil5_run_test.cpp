// The step-by-step verification of a КСИЛ5 on page PP5.
#include "verify_bench.h"

#include "p_ksil2/verify_ksil5.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace verify;

namespace {

constexpr const char* kTitles = "           Rn|           Rx|           dR|           An|   Результат";

// A point line of the КСИЛ5 protocol in Windows-1251: numbers in eleven
// characters, the verdict right-aligned in nine.
std::string pointLine(double rn, double rx, double an, bool ok)
{
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "  %11f|  %11f|  %11f|  %11f|   ", rn, rx, rx - rn, an);
    const std::string verdict = cp(ok ? "Норма" : "Не норма");
    return numbers + std::string(9 - verdict.size(), ' ') + verdict;
}

// The lines of a run's header for the channel, at the fixed moment.
std::vector<std::string> headerLines(int channel)
{
    return {"", "", cp("Время:14:5:9, Дата: 8-12-2026 "), "", cp(" Проверяемый канал " + std::to_string(channel)),
            cp(kTitles)};
}

double setValue(int p)
{
    return p < 8 ? double(1 << p) : 255.0;
}

// The operator's answer at each point: types the value and presses "Далее".
void enter(Harness& h, double value)
{
    h.setNumber(hPP5, PP5_MEAS_R, value);
    h.press(hPP5, PP5_NEXT_STEP);
}

void startKsil5(Harness& h)
{
    startOn(h);
    ASSERT_EQ(h.tabTitles(), std::vector<std::string>{"Поверка КСИЛ5"});
}

TEST(Ksil5Run, ToleranceByModeAndTemperature)
{
    EXPECT_DOUBLE_EQ(pp5Tolerance(0, 1, 0), 0.6);
    EXPECT_DOUBLE_EQ(pp5Tolerance(1, 1, 0), 1.5);
    EXPECT_DOUBLE_EQ(pp5Tolerance(0, 0, 0), 0.665);
    EXPECT_DOUBLE_EQ(pp5Tolerance(1, 2, 0), 1.59);
    // "другая": the fixed items are its values at 5 and 40 degrees.
    EXPECT_DOUBLE_EQ(pp5Tolerance(0, 3, 5), pp5Tolerance(0, 0, 0));
    EXPECT_DOUBLE_EQ(pp5Tolerance(0, 3, 40), pp5Tolerance(0, 2, 0));
    for (const int t : {18, 20, 22})
        EXPECT_DOUBLE_EQ(pp5Tolerance(1, 3, t), 1.5) << t;
    EXPECT_DOUBLE_EQ(pp5Tolerance(0, 3, 23), 0.605);
    EXPECT_DOUBLE_EQ(pp5Tolerance(0, 3, 17), 0.605);
    EXPECT_DOUBLE_EQ(pp5Tolerance(0, 7, 50), 0.6);
}

TEST(Ksil5Run, TwoCompleteRunsOfNinePoints)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(79, false)};
    startKsil5(h);
    EXPECT_EQ(tk::attrText(hPP5, PP5_START, tk::Attr::LabelText), "Пуск");

    h.pickItem(hPP5, PP5_CHAN, 2);
    h.press(hPP5, PP5_START);
    // 0.6 Ω is a tie (within); 0.61 Ω is out; the 255 Ω point is within at 255.5.
    const double entered[9] = {1.3, 2.6, 4.61, 7.9, 16, 32.2, 64, 128.4, 255.5};
    for (const double v : entered)
        enter(h, v);
    sim::clearJournal();
    h.clearPopups();
    ASSERT_EQ(h.run(), Harness::kRunning);

    std::vector<std::string> expected = headerLines(3);
    for (int p = 0; p < 9; ++p)
        expected.push_back(pointLine(setValue(p), entered[p], 0.6, std::fabs(entered[p] - setValue(p)) <= 0.6));
    EXPECT_EQ(fileLines(h.folder() / "ksil5.log"), expected);
    EXPECT_EQ(last(h.textBoxLines(hPP5, PP5_BOX_PROT)), platform::fromCp1251(last(expected)));

    std::vector<std::string> calls{onModule(mvi, "tvksil2_switch", "3, 1")};
    for (int p = 0; p < 9; ++p)
        calls.push_back(onModule(mvi, "tvksil2_config_R", "3, " + std::to_string(long(setValue(p)))));
    calls.push_back(onModule(mvi, "tvksil2_switch", "3, 0"));
    calls.push_back(onModule(mvi, "tvksil2_config_R", "3, 0"));
    EXPECT_EQ(moduleCalls(), calls);
    EXPECT_FALSE(sim::channel(kCarrier, 1, 3)->on);

    // Back to idle.
    EXPECT_EQ(pp5Running, 0);
    EXPECT_EQ(tk::attrText(hPP5, PP5_START, tk::Attr::LabelText), "Старт");
    for (const int ctrl : {PP5_SET_R, PP5_MEAS_R, PP5_NEXT_STEP})
        EXPECT_TRUE(h.dimmed(hPP5, ctrl)) << ctrl;
    for (const int ctrl : {PP5_CHAN, PP5_MEAS_MODE})
        EXPECT_FALSE(h.dimmed(hPP5, ctrl)) << ctrl;
    EXPECT_FALSE(h.visible(hPP5, PP5_TEXTMSG));
    EXPECT_EQ(h.number(hPP5, PP5_SET_R), 0.0);
    EXPECT_TRUE(h.popups().empty());

    // The second run appends to the file; 255.7 at the last point is out of norm.
    h.press(hPP5, PP5_START);
    for (int p = 0; p < 8; ++p)
        enter(h, setValue(p));
    enter(h, 255.7);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const auto lines = fileLines(h.folder() / "ksil5.log");
    ASSERT_EQ(lines.size(), 2 * expected.size());
    EXPECT_EQ(last(lines), pointLine(255, 255.7, 0.6, false));
    EXPECT_EQ(last(h.textBoxLines(hPP5, PP5_BOX_PROT)), platform::fromCp1251(last(lines)));
}

TEST(Ksil5Run, TheLookWhileWaitingAndStopAtPointThree)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(79, false)};
    startKsil5(h);
    h.press(hPP5, PP5_START);
    enter(h, 1.1);
    enter(h, 2.1);
    h.setNumber(hPP5, PP5_MEAS_R, 4.2);
    // While the run waits at its third point, the panel shows the running look.
    tk::headless::respondWhenIdle([&h] {
        EXPECT_EQ(pp5Running, 1);
        EXPECT_EQ(pp5WaitStep, 1);
        EXPECT_EQ(tk::attrText(hPP5, PP5_START, tk::Attr::LabelText), "Стоп");
        for (const int ctrl : {PP5_SET_R, PP5_MEAS_R, PP5_NEXT_STEP})
            EXPECT_FALSE(h.dimmed(hPP5, ctrl)) << ctrl;
        for (const int ctrl : {PP5_CHAN, PP5_MEAS_MODE})
            EXPECT_TRUE(h.dimmed(hPP5, ctrl)) << ctrl;
        EXPECT_TRUE(h.visible(hPP5, PP5_TEXTMSG));
        EXPECT_EQ(h.number(hPP5, PP5_SET_R), 4.0);
        EXPECT_TRUE(sim::channel(kCarrier, 1, 1)->on);
        h.press(hPP5, PP5_NEXT_STEP);
        // At point 3 (8 Ω) the operator stops the run instead.
        h.press(hPP5, PP5_START);
    });
    ASSERT_EQ(h.run(), Harness::kRunning);

    std::vector<std::string> expected = headerLines(1);
    expected.push_back(pointLine(1, 1.1, 0.6, true));
    expected.push_back(pointLine(2, 2.1, 0.6, true));
    expected.push_back(pointLine(4, 4.2, 0.6, true));
    EXPECT_EQ(fileLines(h.folder() / "ksil5.log"), expected);
    const auto calls = moduleCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{onModule(mvi, "tvksil2_config_R", "1, 8"),
                                        onModule(mvi, "tvksil2_switch", "1, 0"),
                                        onModule(mvi, "tvksil2_config_R", "1, 0")}));
    EXPECT_FALSE(sim::channel(kCarrier, 1, 1)->on);
    EXPECT_EQ(pp5Running, 0);
    EXPECT_EQ(h.number(hPP5, PP5_SET_R), 0.0);
    EXPECT_EQ(tk::attrText(hPP5, PP5_START, tk::Attr::LabelText), "Старт");
}

// The An column with "другая": 30 °C adds 0.04 Ω; 20 °C adds nothing, here in mode 4R.
TEST(Ksil5Run, OtherTemperature)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(79, false)};
    startKsil5(h);
    h.pickItem(hPP5, PP5_RING_TEMP, 3);
    h.setNumber(hPP5, PP5_NUMERIC_TEMP, 30);
    h.press(hPP5, PP5_START);
    enter(h, 1.64);
    h.press(hPP5, PP5_START);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(last(fileLines(h.folder() / "ksil5.log")), pointLine(1, 1.64, 0.64, true));

    h.setNumber(hPP5, PP5_NUMERIC_TEMP, 20);
    h.setToggle(hPP5, PP5_MEAS_MODE, true);
    h.press(hPP5, PP5_START);
    enter(h, 2.6);
    h.press(hPP5, PP5_START);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(last(fileLines(h.folder() / "ksil5.log")), pointLine(1, 2.6, 1.5, false));
}

TEST(Ksil5Run, AProtocolThatCannotBeOpenedStopsTheRun)
{
    Harness h{bench(79, false)};
    startKsil5(h);
    const std::string path = (h.folder() / "no such folder" / "ksil5.log").string();
    h.setText(hPP5, PP5_LINE_PROT, path);
    sim::clearJournal();
    h.press(hPP5, PP5_START);
    ASSERT_EQ(h.run(), Harness::kRunning);

    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().title, "Ошибка открытия файла протокола.");
    EXPECT_EQ(h.lastPopup().text, path);
    EXPECT_EQ(moduleCalls(), (std::vector<std::string>{onModule(mvi, "tvksil2_switch", "1, 1"),
                                                       onModule(mvi, "tvksil2_switch", "1, 0"),
                                                       onModule(mvi, "tvksil2_config_R", "1, 0")}));
    EXPECT_FALSE(sim::channel(kCarrier, 1, 1)->on);
    EXPECT_EQ(pp5Running, 0);
    EXPECT_EQ(tk::attrText(hPP5, PP5_START, tk::Attr::LabelText), "Старт");
    EXPECT_TRUE(h.dimmed(hPP5, PP5_NEXT_STEP));
    EXPECT_FALSE(h.visible(hPP5, PP5_TEXTMSG));
}

// The run's driver calls are made whatever the session holds, here none.
TEST(Ksil5Run, RunsWithoutASession)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(79, false)};
    sim::failCall("tvksil2_init", sim::kStatusNoModule);
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(mvi, 0u);
    h.changeTab(hMP, hTab, 2);
    sim::clearJournal();
    h.press(hPP5, PP5_START);
    enter(h, 1.2);
    h.press(hPP5, PP5_START);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(moduleCalls(), (std::vector<std::string>{"tvksil2_switch(0, 1, 1)", "tvksil2_config_R(0, 1, 1)",
                                                       "tvksil2_config_R(0, 1, 2)", "tvksil2_switch(0, 1, 0)",
                                                       "tvksil2_config_R(0, 1, 0)"}));
    auto expected = headerLines(1);
    expected.push_back(pointLine(1, 1.2, 0.6, true));
    EXPECT_EQ(fileLines(h.folder() / "ksil5.log"), expected);
}

} // namespace

// With a session, a point the module refused to take is neither judged nor
// written: the run ends there with the driver's words on the status line, and
// a switch that fails to turn the channel on ends it before the first point.
TEST(Ksil5Run, RefusedDriverCallsEndTheRunWithTheirReason)
{
    FixedTime fixed(fixedMoment());
    {
        Harness h{bench(79, false)};
        startKsil5(h);
        sim::failCall("tvksil2_config_R", sim::kStatusBadChannel, 1, sim::callCount("tvksil2_config_R") + 3);
        h.press(hPP5, PP5_START);
        enter(h, 1.0);
        enter(h, 2.0);
        ASSERT_EQ(h.run(), Harness::kRunning);
        EXPECT_EQ(pp5Running, 0);
        EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusBadChannel) + " tvksil2_config_R(mvi, chan, Rn)");
        auto expected = headerLines(1);
        expected.push_back(pointLine(1, 1.0, 0.6, true));
        expected.push_back(pointLine(2, 2.0, 0.6, true));
        EXPECT_EQ(fileLines(h.folder() / "ksil5.log"), expected);
        EXPECT_FALSE(sim::channel(kCarrier, 1, 1)->on);
    }
    {
        Harness h{bench(79, false)};
        startKsil5(h);
        sim::failCall("tvksil2_switch", sim::kStatusBadChannel, 1, sim::callCount("tvksil2_switch") + 1);
        h.press(hPP5, PP5_START);
        ASSERT_EQ(h.run(), Harness::kRunning);
        EXPECT_EQ(pp5Running, 0);
        EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusBadChannel) + " tvksil2_switch (mvi, chan, 1)");
        EXPECT_FALSE(std::filesystem::exists(h.folder() / "ksil5.log"));
        EXPECT_TRUE(sim::journal("tvksil2_config_R(" + std::to_string(mvi) + ", 1, 1)").empty());
    }
}

namespace {

int pointLinesShown()
{
    int n = 0;
    for (int i = 0; i < tk::numTextBoxLines(hPP5, PP5_BOX_PROT); ++i)
        n += tk::textBoxLine(hPP5, PP5_BOX_PROT, i).find("орма") != std::string::npos;
    return n;
}

// At each new point the measured value of the point before is gone: "Далее"
// alone records nothing and the run waits for a value typed for this point.
TEST(Ksil5Run, NextAloneDoesNotRecordThePreviousPointsValue)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(79, false)};
    startKsil5(h);
    h.press(hPP5, PP5_START);
    enter(h, 1.1);
    h.press(hPP5, PP5_NEXT_STEP); // nothing typed for the 2 Ω point
    enter(h, 2.1);
    h.press(hPP5, PP5_START); // "Стоп" at the 4 Ω point
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(pointLinesShown(), 2);
    const int n = tk::numTextBoxLines(hPP5, PP5_BOX_PROT);
    EXPECT_EQ(tk::textBoxLine(hPP5, PP5_BOX_PROT, n - 1), platform::fromCp1251(pointLine(2, 2.1, 0.6, true)));
    // Stopped waiting at the 4 Ω point, its field empty.
    EXPECT_TRUE(std::isnan(tk::numValue(hPP5, PP5_MEAS_R)));
}

} // namespace
