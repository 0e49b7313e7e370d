// What the operator is told while and after working: the instruments in use,
// where an automatic run is, what a successful operation did, and which work
// is not in the module's flash yet.
#include "calibration_bench.h"
#include "verify_bench.h"

#include "p_ksil2/session.h"
#include "p_ksil2/status_line.h"
#include "p_ksil2/verify.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Runs `action` (which runs the program) with `look` called at every wait.
void watching(Harness& h, const std::function<void()>& look, const std::function<void()>& action)
{
    verify::WatchingClock clock;
    clock.watch = look;
    platform::setClock(&clock);
    action();
    platform::setClock(&h.clock());
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

void startAutomatic(Harness& h)
{
    verify::startOn(h);
    verify::showPP(h);
    h.setToggle(hPP, PP_AUTO_POV, true);
    ASSERT_EQ(h.run(), Harness::kRunning);
    h.clearPopups();
}

TEST(InstrumentsInUse, CarrierAndMeterNamedOnTheMainWindow)
{
    Harness h{verify::bench()};
    verify::startOn(h);
    EXPECT_EQ(h.text(hMP, MP_CARRIER), "Носитель: VXI0::2::INSTR");
    EXPECT_EQ(h.text(hMP, MP_METER), "Мультиметр: HP3458, GPIB0::22::INSTR");

    // The carrier choice cancelled: its session is closed; the meter stays.
    h.cancelSelection();
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hMP, MP_CARRIER), "Носитель: не открыт");
    EXPECT_EQ(h.text(hMP, MP_METER), "Мультиметр: HP3458, GPIB0::22::INSTR");
}

TEST(InstrumentsInUse, NoMeterFound)
{
    Harness h{verify::bench(64, false)};
    verify::startOn(h);
    EXPECT_EQ(h.text(hMP, MP_METER), "Мультиметр: не открыт");
}

// Every wait of the run shows the point about to be measured (or the one just
// measured, around a channel switch), the count left, and "Запустить" dimmed.
TEST(RunProgress, VerificationShowsThePointAndWhatIsLeftAndDimsStart)
{
    Harness h{verify::bench()};
    startAutomatic(h);
    std::vector<std::string> steps; // first lines, each once, in the order seen
    int looks = 0, undimmed = 0, wrong = 0;
    watching(
        h,
        [&] {
            ++looks;
            undimmed += h.dimmed(hPP, PP_SET) ? 0 : 1;
            const std::string text = h.text(hPP, PP_PROGRESS);
            if (text.empty())
                return;
            const int done = h.rows(hPP, PP_TABLE_R);
            const std::string line = firstLine(text);
            if (steps.empty() || steps.back() != line)
                steps.push_back(line);
            // The point about to be measured: its count left is the rows still to come.
            const int pending = done % 19 + 1, channel = done < 19 ? 1 : 2;
            if (line == "Канал " + std::to_string(channel) + ": точка " + std::to_string(pending) + " из 19") {
                const std::string left = "осталось " + std::to_string(38 - done) + " из 38";
                wrong += text.find(left) == std::string::npos ? 1 : 0;
                wrong += (done > 0) != (text.find("около ") != std::string::npos) ? 1 : 0;
            }
        },
        [&] {
            h.press(hPP, PP_SET);
            ASSERT_EQ(h.run(), Harness::kRunning);
        });

    EXPECT_GT(looks, 38 * 2);
    EXPECT_EQ(undimmed, 0);
    EXPECT_EQ(wrong, 0);
    std::vector<std::string> expected;
    for (int c = 1; c <= 2; ++c)
        for (int k = 1; k <= 19; ++k)
            expected.push_back("Канал " + std::to_string(c) + ": точка " + std::to_string(k) + " из 19");
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(h.text(hPP, PP_PROGRESS), "Поверка завершена:\nизмерено 38 из 38");
    EXPECT_FALSE(h.dimmed(hPP, PP_SET));

    // A run that ends early says where; "Запустить" can be pressed again.
    sim::failCall("hp3458a_measure_Q", VI_ERROR_TMO, 1, sim::callCount("hp3458a_measure_Q") + 20);
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.lastPopup().text, "Сбой мультиметра!");
    EXPECT_EQ(h.text(hPP, PP_PROGRESS), "Поверка прервана:\nизмерено 19 из 38");
    EXPECT_FALSE(h.dimmed(hPP, PP_SET));
}

TEST(RunProgress, CalibrationShowsR0AndEveryStageOfBothChannels)
{
    Harness h{calib::bench()};
    calib::startOn(h);
    std::vector<std::string> steps;
    watching(
        h,
        [&] {
            const std::string text = h.text(hCP, CP_PROGRESS);
            const std::string line = text.substr(0, text.find("\nосталось"));
            if (!line.empty() && (steps.empty() || steps.back() != line))
                steps.push_back(line);
        },
        [&] {
            h.chooseMenu(MENUBAR_EXE_CALIBR);
            ASSERT_EQ(h.run(), Harness::kRunning);
        });
    std::vector<std::string> expected;
    for (int c = 1; c <= 2; ++c) {
        expected.push_back("Канал " + std::to_string(c) + ":\nR0");
        for (int k = 1; k <= 18; ++k)
            expected.push_back("Канал " + std::to_string(c) + ":\nступень " + std::to_string(k) + " из 18");
    }
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(h.text(hCP, CP_PROGRESS), "Калибровка завершена:\nизмерено 38 из 38");
}

// A failure stays on the status line only until the same kind of operation
// succeeds; the unsaved-cells note follows the table from calibration to the
// flash and back; DEFAULT asks before it throws measured values away.
TEST(UnsavedWork, MarkedAskedAboutAndConfirmedWhenStored)
{
    verify::FixedTime fixed(verify::fixedMoment());
    Harness h{calib::bench()};
    calib::startOn(h);
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "");

    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "есть незаписанные\nизменения (ячеек: 38)");

    // DEFAULT asks, "Нет" offered first; no keeps every measured value.
    const double measured = h.cell(hCP, CP_TABLE, 5, 1);
    h.clearPopups();
    h.answerConfirm(false);
    h.press(hCP, CP_DEFAULT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().text,
              "В таблице есть незаписанные изменения (ячеек: 38).\nЗаменить таблицу номинальными значениями?");
    EXPECT_EQ(h.lastPopup().defaultAnswer, 0);
    EXPECT_EQ(h.cell(hCP, CP_TABLE, 5, 1), measured);

    // A failed write, then one that succeeds: the failure does not outlive it.
    sim::failCall("tvksil2_writeFlash", sim::kStatusBadParameter);
    h.press(hCP, CP_WRITE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "есть незаписанные\nизменения (ячеек: 38)");
    h.press(hCP, CP_WRITE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hMP, MP_MSG), "Таблица записана во flash, 14:05:09");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kGrey);
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "");

    // Nothing unsaved: DEFAULT replaces at once; one cell typed is one change.
    h.clearPopups();
    h.press(hCP, CP_DEFAULT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "есть незаписанные\nизменения (ячеек: 38)");
    showStatusProblem("Ошибка чтения flash");
    h.press(hCP, CP_READ);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hMP, MP_MSG), "Таблица прочитана из flash, 14:05:09");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kGrey);
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "");
    EXPECT_EQ(h.cell(hCP, CP_TABLE, 5, 1), measured);
    h.typeCell(hCP, CP_TABLE, 3, 2, 4.5);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "есть незаписанные\nизменения (ячеек: 1)");

    // DEFAULT answered yes replaces the typed value.
    h.answerConfirm(true);
    h.press(hCP, CP_DEFAULT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.cell(hCP, CP_TABLE, 3, 2), nominalR[2]);
}

TEST(UnsavedWork, CalibrationSummaryCountsCellsOutOfToleranceAndUnmeasured)
{
    calib::ChannelSpec ch1 = calib::channelNear(0.1, 0.0), ch2 = calib::channelNear(0.1, 0.0);
    ch1.stages[17] = 131072.0 * 1.003; // beyond its norm
    Harness h{calib::bench(ch1, ch2)};
    calib::startOn(h);
    h.clearPopups();
    // The meter fails the readings of channel 2's stages 3 and 4.
    sim::failCall("hp3458a_measure_Q", VI_ERROR_TMO, 2, sim::callCount("hp3458a_measure_Q") + 23);
    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().title, "Калибровка КСИЛ2-4Л");
    EXPECT_EQ(h.lastPopup().text, "Калибровка завершена.\nВне допуска: 1 ячейка из 38.\nНе измерено: 2 ячейки.\n"
                                  "Таблица ещё не записана во flash: чтобы сохранить её, нажмите «Записать flash».");
    EXPECT_EQ(h.text(hCP, CP_UNSAVED), "есть незаписанные\nизменения (ячеек: 36)");
}

TEST(StatusLine, ResetAndSelftestFromTheMenuAsFromTheButtons)
{
    verify::FixedTime fixed(verify::fixedMoment());
    Harness h{verify::bench()};
    verify::startOn(h);
    showStatusProblem("Ошибка записи flash");

    const int resets = sim::callCount("tvksil2_reset");
    h.chooseMenu(MENUBAR_EXE_RESET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(sim::callCount("tvksil2_reset"), resets + 1);
    EXPECT_EQ(h.text(hMP, MP_MSG), "Сброс мезонина выполнен, 14:05:09");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kGrey);

    // The bench module asks one question during its self-test: "Продолжить".
    tk::headless::respondWhenIdle([&h] { h.press(hST, ST_CANCEL); });
    h.chooseMenu(MENUBAR_EXE_SELFTEST);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(sim::callCount("tvksil2_self_test"), 1);
    EXPECT_TRUE(h.visible(hST));
    EXPECT_EQ(h.text(hST, ST_MSG), "Самоконтроль завершен успешно");
    EXPECT_FALSE(h.dimmed(hST, ST_CLOSE));
}

} // namespace
