// A module of another model opened in a window set up for the КСИЛ2-4Л: the
// calibration table, the calibrations and the flash operations are dimmed,
// and refused if reached anyway; the module and its flash are not touched.
#include "tests/harness/harness.h"

#include "p_ksil2/calibration.h"
#include "p_ksil2/caltable.h"
#include "p_ksil2/flash_read.h"
#include "p_ksil2/session.h"
#include "sim/bench.h"
#include "tests/scenario/session_bench.h"
#include "tests/support/read_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace {

constexpr const char* kRefusal =
    "Открыт мезонин КСИЛ5.\nКалибровка и операции с flash выполняются только для КСИЛ2-4Л.";

// Every file of the bench's state folder (the module flashes) with its content.
std::map<std::string, std::string> stateFiles(const Harness& h)
{
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(h.folder() / "bench-state"))
        files[e.path().filename().string()] = readBytes(e.path());
    return files;
}

void openPosition(Harness& h, int position)
{
    const auto positions = h.listValues(hMP, MP_MEZ_NUM);
    const auto at = std::find(positions.begin(), positions.end(), position);
    ASSERT_NE(at, positions.end());
    h.pickItem(hMP, MP_MEZ_NUM, static_cast<int>(at - positions.begin()));
    ASSERT_EQ(h.run(), Harness::kRunning);
}

bool calibrationOffered(const Harness& h)
{
    bool offered = !h.menuDimmed(MENUBAR_EXE_CALIBR);
    for (const int ctrl : {CP_READ, CP_WRITE, CP_DEFAULT, CP_TABLE})
        offered = offered && !h.dimmed(hCP, ctrl);
    return offered;
}

TEST(OtherModel, Ksil5ChosenAfterAKsil2StartIsNeitherCalibratedNorWritten)
{
    Harness h; // built-in bench: a КСИЛ2-4Л at position 1, a КСИЛ5 at position 3
    h.chooseFromSelection(0);
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(moduleModel, 64);
    EXPECT_TRUE(calibrationOffered(h));

    openPosition(h, 3);
    ASSERT_EQ(moduleModel, 79);
    // The КСИЛ2-4Л set-up of the window stays, but what only a КСИЛ2-4Л has is dimmed.
    EXPECT_EQ(h.tabTitles().size(), 3u);
    for (const int ctrl : {CP_READ, CP_WRITE, CP_DEFAULT, CP_TABLE})
        EXPECT_TRUE(h.dimmed(hCP, ctrl)) << "CP control " << ctrl;
    EXPECT_TRUE(h.menuDimmed(MENUBAR_EXE_CALIBR));

    // Reached all the same, each operation refuses with a message and drives nothing.
    const auto flash = stateFiles(h);
    const std::size_t journalBefore = sim::journal().size();
    const auto cellsBefore = std::vector{h.cell(hCP, CP_TABLE, 1, 1), h.cell(hCP, CP_TABLE, 19, 2)};
    h.clearPopups();
    writeFlash(hCP, CP_WRITE, tk::EVENT_COMMIT, nullptr, 0, 0);
    readFlash(hCP, CP_READ, tk::EVENT_COMMIT, nullptr, 0, 0);
    defaultFlash(hCP, CP_DEFAULT, tk::EVENT_COMMIT, nullptr, 0, 0);
    autoCalibrate();
    selectR(hCP, CP_TABLE, tk::EVENT_LEFT_DOUBLE_CLICK, nullptr, 1, 1);
    ASSERT_EQ(h.popups().size(), 5u);
    for (const auto& popup : h.popups()) {
        EXPECT_EQ(popup.title, "Калибровка КСИЛ2-4Л");
        EXPECT_EQ(popup.text, kRefusal);
    }
    EXPECT_EQ(sim::journal().size(), journalBefore) << sim::journal().back();
    EXPECT_EQ(stateFiles(h), flash);
    EXPECT_EQ((std::vector{h.cell(hCP, CP_TABLE, 1, 1), h.cell(hCP, CP_TABLE, 19, 2)}), cellsBefore);
    EXPECT_FALSE(tk::waitCursor());

    // The КСИЛ2-4Л chosen again: its flash read, everything offered and written.
    openPosition(h, 1);
    ASSERT_EQ(moduleModel, 64);
    EXPECT_TRUE(calibrationOffered(h));
    h.press(hCP, CP_WRITE);
    h.answerConfirm(true); // its smallest stages present R0 as well: over 10 % of 1 ohm
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(sim::journal("tvksil2_writeFlash").size(), 1u);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
}

// A window set up for the КСИЛ5 offers no calibration, whichever module is opened later.
TEST(OtherModel, Ksil5WindowKeepsCalibrationDimmedForAKsil2)
{
    Harness h{Bench::empty()};
    scene::add({scene::carrier("VXI0::2::INSTR", 2, {{1, 79}, {2, 64}})});
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(moduleModel, 79);
    EXPECT_TRUE(h.menuDimmed(MENUBAR_EXE_CALIBR));

    openPosition(h, 2);
    ASSERT_EQ(moduleModel, 64);
    EXPECT_TRUE(h.menuDimmed(MENUBAR_EXE_CALIBR));
    EXPECT_EQ(h.tabTitles(), std::vector<std::string>{"Поверка КСИЛ5"});
}

} // namespace
