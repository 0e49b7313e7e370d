// WRITE checks the table it is about to store in the module's flash: a cell
// that is not the module's since it was opened, or that holds no resistance,
// refuses the write and names the cell; a value far from a healthy module's is
// written only when the operator says so, the question offering "no" first.
#include "calibration_bench.h"

#include "p_ksil2/caltable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace calib;

namespace {

constexpr const char* kNotKnown =
    " не прочитана из flash мезонина, не измерена, не сброшена к номиналу и не введена.";

tvksil2_device_data record()
{
    tvksil2_device_data* r = nullptr;
    EXPECT_EQ(tvksil2_get_attribute(mvi, &r), 0);
    return r ? *r : tvksil2_device_data{};
}

bool sameRecord(const tvksil2_device_data& a, const tvksil2_device_data& b)
{
    return std::memcmp(a.step, b.step, sizeof a.step) == 0 && std::memcmp(a.r0, b.r0, sizeof a.r0) == 0;
}

// WRITE pressed; how many flash writes reached the driver.
std::size_t write(Harness& h)
{
    h.clearPopups();
    const std::size_t before = sim::journal("tvksil2_writeFlash").size();
    h.press(hCP, CP_WRITE);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_FALSE(tk::waitCursor());
    return sim::journal("tvksil2_writeFlash").size() - before;
}

TEST(WriteCheck, TableNotTheModulesSinceItOpenedIsNeverWritten)
{
    Harness h{bench()};
    // The flash read at start-up fails all its attempts: the table keeps the resource's zeros.
    sim::failCall("tvksil2_readFlash", sim::kStatusFlashRead, 5, 1);
    startOn(h);
    ASSERT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    ASSERT_EQ(h.cell(hCP, CP_TABLE, 1, 1), 0.0);
    const tvksil2_device_data before = record();

    EXPECT_EQ(write(h), 0u);
    EXPECT_EQ(h.lastPopup().title, "Калибровка КСИЛ2-4Л");
    EXPECT_EQ(h.lastPopup().text, std::string("Запись flash отменена: ячейка «1», канал 1") + kNotKnown);
    EXPECT_TRUE(sameRecord(record(), before));

    // A cell the operator typed is the operator's; the one after it is not.
    h.typeCell(hCP, CP_TABLE, 1, 1, 1.001);
    EXPECT_EQ(write(h), 0u);
    EXPECT_EQ(h.lastPopup().text, std::string("Запись flash отменена: ячейка «2», канал 1") + kNotKnown);

    // DEFAULT makes the whole table the nominal one, which is written (the
    // typed cell given up when asked).
    h.answerConfirm(true);
    h.press(hCP, CP_DEFAULT);
    EXPECT_EQ(write(h), 1u);
    EXPECT_EQ(record().step[17], 131072.0);
    EXPECT_EQ(record().r0[1], 0.0);
}

TEST(WriteCheck, ValueThatIsNoResistanceIsRefusedNamingItsCell)
{
    Harness h{bench()};
    startOn(h);
    const tvksil2_device_data before = record();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        int row, col;
        double value;
        const char* said;
    } cases[] = {
        {5, 2, nan, "ячейка «16», канал 2: не число"},
        {7, 1, -inf, "ячейка «64», канал 1: бесконечное значение"},
        {7, 1, inf, "ячейка «64», канал 1: бесконечное значение"},
        {1, 1, 0.0, "ячейка «1», канал 1: значение ступени должно быть больше нуля (0)"},
        {12, 2, -5.0, "ячейка «2048», канал 2: значение ступени должно быть больше нуля (-5)"},
        {18, 1, 1e308, "ячейка «131072», канал 1: перегрузка или обрыв цепи (1e+308)"},
        {19, 2, -0.1, "ячейка «R0», канал 2: R0 не может быть отрицательным (-0.1)"},
        {19, 1, 9.9e37, "ячейка «R0», канал 1: перегрузка или обрыв цепи (9.9e+37)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const double kept = h.cell(hCP, CP_TABLE, c.row, c.col);
        h.typeCell(hCP, CP_TABLE, c.row, c.col, c.value);
        EXPECT_EQ(write(h), 0u);
        EXPECT_EQ(h.lastPopup().text, std::string("Запись flash отменена: ") + c.said + ".");
        EXPECT_TRUE(sameRecord(record(), before));
        h.typeCell(hCP, CP_TABLE, c.row, c.col, kept);
        ASSERT_EQ(h.run(), Harness::kRunning);
    }

    // With two bad cells the first one stored is named: channel 1 before channel 2.
    h.typeCell(hCP, CP_TABLE, 5, 2, nan);
    h.typeCell(hCP, CP_TABLE, 3, 1, -5.0);
    EXPECT_EQ(write(h), 0u);
    EXPECT_EQ(h.lastPopup().text, "Запись flash отменена: ячейка «4», канал 1: значение ступени должно быть больше "
                                  "нуля (-5).");
}

TEST(WriteCheck, CalibrationWithTheLeadsOffIsShownAsOverloadAndNotWritten)
{
    // The meter is not connected to the module: every reading is an open circuit.
    std::string json = bench().json;
    const std::string wired = R"("wiredTo": {"carrier": "VXI0::2::INSTR", "position": 1},)";
    ASSERT_NE(json.find(wired), std::string::npos);
    json.erase(json.find(wired), wired.size());
    Harness h{Bench::fromJson(json)};
    startOn(h);
    const tvksil2_device_data before = record();

    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);
    for (int col = 1; col <= 2; ++col)
        for (int row = 1; row <= kR0Row; ++row) {
            EXPECT_EQ(h.cell(hCP, CP_TABLE, row, col), sim::kOpenCircuit) << row << ", " << col;
            EXPECT_EQ(h.cellColor(hCP, CP_TABLE, row, col), tk::kRed) << row << ", " << col;
        }

    EXPECT_EQ(write(h), 0u);
    EXPECT_EQ(h.lastPopup().text, "Запись flash отменена: ячейка «1», канал 1: перегрузка или обрыв цепи (9.9e+37).");
    EXPECT_TRUE(sameRecord(record(), before));
}

TEST(WriteCheck, ValueFarFromAHealthyModulesIsWrittenOnlyWhenConfirmed)
{
    Harness h{bench()};
    startOn(h);
    const tvksil2_device_data before = record();
    h.typeCell(hCP, CP_TABLE, 11, 1, 1500.0);

    h.answerConfirm(false);
    EXPECT_EQ(write(h), 0u);
    const auto question = h.lastPopup();
    EXPECT_EQ(question.kind, tk::headless::PopupKind::Confirm);
    EXPECT_EQ(question.defaultAnswer, 0); // Enter answers "no"
    EXPECT_EQ(question.title, "Калибровка КСИЛ2-4Л");
    EXPECT_EQ(question.text, "Ячейка «1024», канал 1: значение 1500 отличается от номинала 1024 более чем на 10 %.\n"
                             "Записать таблицу во flash?");
    EXPECT_TRUE(sameRecord(record(), before));

    // One question for all such cells; "yes" writes them as they stand.
    h.typeCell(hCP, CP_TABLE, 19, 2, 1.5);
    h.answerConfirm(true);
    EXPECT_EQ(write(h), 1u);
    EXPECT_EQ(h.lastPopup().text, "Ячейка «1024», канал 1: значение 1500 отличается от номинала 1024 более чем на 10 %.\n"
                                  "Таких ячеек всего: 2.\nЗаписать таблицу во flash?");
    EXPECT_EQ(record().step[10], 1500.0);
    EXPECT_EQ(record().r0[1], 1.5);
    // A stage within 10 % and an R0 up to 1 ohm need no question.
    h.typeCell(hCP, CP_TABLE, 11, 1, 1126.0);
    h.typeCell(hCP, CP_TABLE, 19, 2, 1.0);
    EXPECT_EQ(write(h), 1u);
    EXPECT_TRUE(h.popups().empty());
}

} // namespace
