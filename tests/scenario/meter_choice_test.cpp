// The multimeter chosen again through "Выбор инструмента контроля": readings
// come from the meter the operator chose last, and no session outlives the
// program.
#include "tests/harness/harness.h"

#include "gauge/bindings.h"
#include "gauge/gauge.h"
#include "p_ksil2/callbacks.h"
#include "si/select.h"
#include "sim/bench.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Started on the built-in bench with the HP E1412 as the meter: the operator
// passes over the mezzanine meter the search offers first.
class MeterChoice : public testing::Test {
protected:
    void SetUp() override
    {
        h.chooseFromSelection(0); // carrier
        h.cancelSelection();      // МЦMM
        h.chooseFromSelection(0); // HP1412
        ASSERT_EQ(h.start(), 0);
        ASSERT_EQ(h.run(), Harness::kRunning);
        ASSERT_NE(viHP1412, 0u);
        ASSERT_EQ(viM_DMM1, 0u);
    }
    // Exit confirmed, the program shut down as main() does.
    void exitProgram()
    {
        h.press(hMP, MP_EXIT);
        h.answerConfirm(true);
        ASSERT_EQ(h.run(), 0);
    }
    Harness h;
};

std::vector<std::string> openSessionNames()
{
    std::vector<std::string> names;
    for (const sim::OpenSession& s : sim::openSessions())
        names.push_back(s.what);
    return names;
}

TEST_F(MeterChoice, MeterChosenLaterIsTheOneThatReads)
{
    const ViSession e1412 = viHP1412;
    h.chooseFromSelection(0); // МЦMM this time
    h.chooseMenu(MENUBAR_INSTR_SELECT_HP);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_NE(viM_DMM1, 0u);
    EXPECT_EQ(viHP1412, 0u);
    const std::vector<std::string> order = sim::journalOf({"hpe1412_close", "tvmmultc1_init"});
    EXPECT_EQ(order, (std::vector<std::string>{"hpe1412_close(" + std::to_string(e1412) + ")",
                                               "tvmmultc1_init(\"VXI0::2::INSTR\", 1, 1)"}));

    sim::clearJournal();
    double reading = 0.0;
    EXPECT_EQ(measureFres(&reading), 0);
    EXPECT_FALSE(sim::journalOf({"tvmmultc1_measure_Q"}).empty());
    EXPECT_TRUE(sim::journalOf({"hpe1412_"}).empty());

    exitProgram();
    EXPECT_EQ(openSessionNames(), std::vector<std::string>{});
}

// The search is not started while a selection dialog waits, as the carrier
// choice is not: otherwise it would find the dialog taken and open the HP 3458A.
TEST_F(MeterChoice, NoSearchWhileASelectionWaits)
{
    const ViSession e1412 = viHP1412;
    // The dialog is modal, so the operator cannot reach the menu meanwhile; a
    // choice already queued (or any other caller) still meets the waiting dialog.
    tk::headless::respondWhenIdle([] {
        MenuCallback(hMenuBar, MENUBAR_INSTR_SELECT_HP, nullptr, hMP);
        tk::headless::doubleClickItem(si::selectionPanel(), si::selectionListCtrl(), 0);
    });
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_NE(mvi, 0u); // the carrier choice went through
    EXPECT_TRUE(sim::journalOf({"hp3458a_", "tvmmultc1_init"}).empty());
    EXPECT_EQ(viHP3458, 0u);
    EXPECT_EQ(viHP1412, e1412);
    EXPECT_TRUE(h.popups().empty());

    exitProgram();
    EXPECT_EQ(openSessionNames(), std::vector<std::string>{});
}

} // namespace
