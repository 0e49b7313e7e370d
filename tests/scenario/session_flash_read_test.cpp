// Reading the module's flash into CP's table when a КСИЛ2-4Л is opened.
#include "session_bench.h"

#include "p_ksil2/flash_read.h"
#include "p_ksil2/session.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

using namespace scene;

namespace {
constexpr const char* kCarrier = "VXI0::5::INSTR";
}

TEST(FlashRead, RetriesUntilTheFlashAnswers)
{
    Harness h{Bench::empty()};
    add({carrier(kCarrier, 5, {{1, 64}})});
    sim::failCall("tvksil2_readFlash", sim::kStatusFlashRead, 2);
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);

    EXPECT_EQ(sim::callCount("tvksil2_readFlash"), 3);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
    tvksil2_device_data* record = nullptr;
    ASSERT_EQ(tvksil2_get_attribute(mvi, &record), 0);
    for (int col = 1; col <= 2; ++col) {
        for (int row = 1; row <= 18; ++row) {
            EXPECT_DOUBLE_EQ(h.cell(hCP, CP_TABLE, row, col), record->step[(col - 1) * 18 + row - 1]);
            EXPECT_EQ(h.cellColor(hCP, CP_TABLE, row, col), tk::kBlue);
        }
        EXPECT_DOUBLE_EQ(h.cell(hCP, CP_TABLE, 19, col), record->r0[col - 1]);
    }

    // Read again: the flash answers at the first attempt, after its half-second pause.
    const double before = h.elapsed();
    readFlash(hCP, CP_READ, tk::EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_DOUBLE_EQ(h.elapsed() - before, 0.5);
    EXPECT_FALSE(tk::waitCursor());
}

TEST(FlashRead, FiveFailuresAreReportedAndTheTableKept)
{
    Harness h{Bench::empty()};
    add({carrier(kCarrier, 5, {{1, 64}})});
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);

    tk::setCell(hCP, CP_TABLE, 1, 1, 1.25);
    sim::failCall("tvksil2_readFlash", sim::kStatusFlashRead, 5, sim::callCount("tvksil2_readFlash") + 1);
    const double before = h.elapsed();
    readFlash(hCP, CP_READ, tk::EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_DOUBLE_EQ(h.elapsed() - before, 2.5);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusFlashRead) + " tvksil2_readFlash");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_DOUBLE_EQ(h.cell(hCP, CP_TABLE, 1, 1), 1.25);
    EXPECT_EQ(lastStatus, sim::kStatusFlashRead);
}

TEST(FlashRead, WithoutASessionTheTableStays)
{
    Harness h{Bench::empty()};
    add({carrier(kCarrier, 5, {{1, 64}})});
    sim::failCall("tvksil2_init", sim::kStatusNoModule);
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(mvi, 0u);

    lastStatus = 0;
    tk::setValue(hMP, MP_MSG, "");
    tk::setCell(hCP, CP_TABLE, 1, 1, 1.25);
    tk::setCell(hCP, CP_TABLE, 19, 2, 0.07);
    readFlash(hCP, CP_READ, tk::EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(sim::callCount("tvksil2_readFlash"), 0);
    // No zeros from the empty fallback record, and no stale status on the line.
    EXPECT_DOUBLE_EQ(h.cell(hCP, CP_TABLE, 1, 1), 1.25);
    EXPECT_DOUBLE_EQ(h.cell(hCP, CP_TABLE, 19, 2), 0.07);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
    EXPECT_FALSE(tk::waitCursor());
}
