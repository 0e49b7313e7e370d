// CP's calibration table on the built-in bench: DEFAULT, the operator's edits,
// WRITE and READ, and what comes back after the program is started again.
#include "tests/harness/harness.h"

#include "p_ksil2/caltable.h"
#include "sim/bench.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

namespace {

class CalTable : public testing::Test {
protected:
    void SetUp() override { startProgram(); }

    void startProgram()
    {
        h.chooseFromSelection(0); // the carrier
        h.chooseFromSelection(0); // the multimeter the search offers
        ASSERT_EQ(h.start(), 0);
        ASSERT_NE(mvi, 0u);
        ASSERT_EQ(moduleModel, 64);
    }
    void restartProgram()
    {
        h.restart();
        startProgram();
    }
    void press(int ctrl)
    {
        h.press(hCP, ctrl);
        EXPECT_EQ(h.run(), Harness::kRunning);
        EXPECT_FALSE(tk::waitCursor());
    }
    static tvksil2_device_data& record()
    {
        tvksil2_device_data* r = nullptr;
        EXPECT_EQ(tvksil2_get_attribute(mvi, &r), 0);
        return *r;
    }
    // Every cell is given a value of its own that WRITE takes without a question
    // (bit patterns the flash must keep: no round numbers, a negative zero R0).
    void editEveryCell()
    {
        for (int col = 1; col <= 2; ++col)
            for (int row = 1; row <= 19; ++row)
                tk::setCell(hCP, CP_TABLE, row, col, edited(row, col));
    }
    static double edited(int row, int col)
    {
        if (row == 19)
            return col == 1 ? -0.0 : std::nextafter(0.1 + 0.01 * col, 1.0);
        return std::nextafter(std::ldexp(1.0, row - 1) * (1.0 + 0.013 * col), 0.0);
    }
    void expectTableBits(const char* when)
    {
        for (int col = 1; col <= 2; ++col)
            for (int row = 1; row <= 19; ++row)
                EXPECT_EQ(std::bit_cast<std::uint64_t>(h.cell(hCP, CP_TABLE, row, col)),
                          std::bit_cast<std::uint64_t>(edited(row, col)))
                    << when << ": row " << row << ", column " << col;
    }
    void expectAllBlue()
    {
        for (int col = 1; col <= 2; ++col)
            for (int row = 1; row <= 19; ++row)
                EXPECT_EQ(h.cellColor(hCP, CP_TABLE, row, col), tk::kBlue) << row << ", " << col;
    }
    // A few cells coloured as a measurement leaves them.
    void colourAsMeasured()
    {
        tk::setCellTextColor(hCP, CP_TABLE, 19, 2, tk::kRed);
        tk::setCellTextColor(hCP, CP_TABLE, 5, 1, tk::kBlack);
    }

    Harness h;
};

TEST_F(CalTable, DefaultThenWriteStoresNominalValuesAndZeroR0)
{
    const tvksil2_device_data before = record();
    colourAsMeasured();
    press(CP_DEFAULT);
    expectAllBlue();
    for (int col = 1; col <= 2; ++col) {
        for (int k = 0; k < 18; ++k)
            EXPECT_EQ(h.cell(hCP, CP_TABLE, k + 1, col), record().nominal[k]);
        EXPECT_EQ(h.cell(hCP, CP_TABLE, 19, col), 0.0);
    }
    // DEFAULT touches only the table.
    EXPECT_EQ(std::memcmp(&before, &record(), sizeof before), 0);
    EXPECT_TRUE(sim::journal("tvksil2_writeFlash").empty());

    press(CP_WRITE);
    EXPECT_EQ(sim::journal("tvksil2_writeFlash").size(), 1u);
    EXPECT_EQ(lastStatus, 0);
    EXPECT_EQ(h.text(hMP, MP_MSG).rfind("Таблица записана во flash, ", 0), 0u);
    for (int ch = 0; ch < 2; ++ch) {
        for (int k = 0; k < 18; ++k)
            EXPECT_EQ(record().step[ch * 18 + k], double(1 << k));
        EXPECT_EQ(record().r0[ch], 0.0);
    }

    restartProgram();
    for (int col = 1; col <= 2; ++col) {
        for (int k = 0; k < 18; ++k)
            EXPECT_EQ(h.cell(hCP, CP_TABLE, k + 1, col), double(1 << k));
        EXPECT_EQ(h.cell(hCP, CP_TABLE, 19, col), 0.0);
    }
}

TEST_F(CalTable, EditedTableSurvivesARestartBitForBit)
{
    editEveryCell();
    press(CP_WRITE);
    EXPECT_EQ(h.text(hMP, MP_MSG).rfind("Таблица записана во flash, ", 0), 0u);
    // Each column's row 19 is its own channel's R0, each row its own stage.
    EXPECT_EQ(record().r0[0], edited(19, 1));
    EXPECT_EQ(record().r0[1], edited(19, 2));
    for (int ch = 0; ch < 2; ++ch)
        for (int k = 0; k < 18; ++k)
            EXPECT_EQ(std::bit_cast<std::uint64_t>(record().step[ch * 18 + k]),
                      std::bit_cast<std::uint64_t>(edited(k + 1, ch + 1)));

    restartProgram();
    expectTableBits("read at start-up");
    expectAllBlue();

    // The operator reads it once more.
    tk::setCell(hCP, CP_TABLE, 7, 2, 1.0);
    colourAsMeasured();
    press(CP_READ);
    expectTableBits("read again");
    expectAllBlue();
}

TEST_F(CalTable, ReadAnsweringAtTheThirdAttempt)
{
    editEveryCell();
    colourAsMeasured();
    sim::failCall("tvksil2_readFlash", sim::kStatusFlashRead, 2, sim::callCount("tvksil2_readFlash") + 1);
    const double before = h.elapsed();
    press(CP_READ);
    EXPECT_DOUBLE_EQ(h.elapsed() - before, 1.5);
    EXPECT_EQ(h.text(hMP, MP_MSG).rfind("Таблица прочитана из flash, ", 0), 0u);
    EXPECT_EQ(lastStatus, 0);
    // The module's own calibration replaced the edits.
    for (int k = 0; k < 18; ++k)
        EXPECT_EQ(h.cell(hCP, CP_TABLE, k + 1, 2), record().step[18 + k]);
    EXPECT_EQ(h.cell(hCP, CP_TABLE, 19, 1), record().r0[0]);
    expectAllBlue();
}

TEST_F(CalTable, FailedWriteKeepsTheTableSoThatWriteCanBeRepeated)
{
    editEveryCell();
    // The write dies between its temporary file and the rename.
    sim::interruptNextFlashWrite();
    press(CP_WRITE);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusFlashWrite) + " tvksil2_writeFlash(device_data)");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_EQ(lastStatus, sim::kStatusFlashWrite);
    expectTableBits("after the failed write");

    press(CP_WRITE);
    EXPECT_EQ(lastStatus, 0);
    restartProgram();
    expectTableBits("after the repeated write and a restart");
}

TEST(CalTableWithoutSession, WriteIsRefusedAndTheDriverNeverHandedARecordOfNoModule)
{
    Harness h;
    h.cancelSelection();
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(mvi, 0u);

    h.press(hCP, CP_DEFAULT);
    h.press(hCP, CP_WRITE);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(sim::journal("tvksil2_writeFlash").empty());
    EXPECT_EQ(h.lastPopup().text, "Мезонин не открыт: записать flash некуда.");
    EXPECT_FALSE(tk::waitCursor());
}

} // namespace
