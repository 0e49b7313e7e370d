// Opening the carrier and its modules, switching between them, and starting
// again from the carrier choice.
#include "session_bench.h"

#include "p_ksil2/session.h"
#include "si/select.h"
#include "si/discovery.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace scene;

namespace {

constexpr const char* kCarrier = "VXI0::5::INSTR";

Harness& startOn(Harness& h, std::vector<std::pair<int, int>> modules, int meterChoicesCancelled = 0)
{
    add({carrier(kCarrier, 5, std::move(modules), 0x10D, 0x20)});
    h.chooseFromSelection(0);
    for (int i = 0; i < meterChoicesCancelled; ++i)
        h.cancelSelection(); // the multimeter search offers a meter of the bench
    EXPECT_EQ(h.start(), 0);
    return h;
}

std::string attrRsrcName(ViSession s)
{
    return "viGetAttribute(" + std::to_string(s) + ", " + std::to_string(VI_ATTR_RSRC_NAME) + ")";
}

} // namespace

TEST(SessionOpen, ListsOurModulesOpensTheFirstAndSwitches)
{
    Harness h{Bench::empty()};
    startOn(h, {{1, 32}, {2, 64}, {4, 79}}, 1);

    EXPECT_EQ(h.listLabels(hMP, MP_MEZ_NUM), (std::vector<std::string>{"2", "4"}));
    EXPECT_EQ(h.listValues(hMP, MP_MEZ_NUM), (std::vector<int>{2, 4}));
    EXPECT_EQ(moduleTypes, (std::array<std::int32_t, 4>{32, 64, 0, 79}));
    EXPECT_EQ(h.number(hMP, MP_K), 0x20);
    EXPECT_EQ(h.number(hMP, MP_S), 5);
    EXPECT_EQ(h.number(hMP, MP_MEZ_NUMold), 2);
    EXPECT_NE(mvi, 0u);
    EXPECT_EQ(moduleModel, 64);
    EXPECT_DOUBLE_EQ(nominalR[0], 1.0);
    EXPECT_DOUBLE_EQ(nominalR[17], 131072.0);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
    EXPECT_TRUE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(h.number(hMP, MP_VER), 1);

    // Choosing "4" closes the module at 2 first, then opens 4 on the same carrier.
    const ViSession old = mvi;
    const ViSession carrierSession = baseSession;
    sim::clearJournal();
    h.pickItem(hMP, MP_MEZ_NUM, 1);
    EXPECT_EQ(h.run(), Harness::kRunning);
    ASSERT_NE(mvi, 0u);
    const std::string m = std::to_string(mvi), b = std::to_string(carrierSession);
    EXPECT_EQ(sim::journalOf({"tvksil2_", "tvbase_", "viGetAttribute"}),
              (std::vector<std::string>{"tvksil2_close(" + std::to_string(old) + ")",
                                        attrRsrcName(carrierSession),
                                        "tvksil2_init(\"" + std::string(kCarrier) + "\", 1, 1)",
                                        "tvksil2_connect(" + m + ", " + b + ", 4, 1, 1)",
                                        "tvksil2_config_trigger(" + m + ", 0)",
                                        "tvksil2_get_attribute(" + m + ")",
                                        "tvksil2_sft_interface(" + m + ", callback)"}));
    EXPECT_EQ(moduleModel, 79);
    EXPECT_EQ(h.number(hMP, MP_MEZ_NUMold), 4);
    EXPECT_EQ(baseSession, carrierSession);
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kBlack);
}

TEST(SessionOpen, FailingCloseKeepsTheOldModule)
{
    Harness h{Bench::empty()};
    startOn(h, {{2, 64}, {4, 64}});
    const ViSession old = mvi;
    sim::failCall("tvksil2_close", sim::kStatusNotConnected);
    sim::clearJournal();
    h.pickItem(hMP, MP_MEZ_NUM, 1);
    EXPECT_EQ(h.run(), Harness::kRunning);

    EXPECT_EQ(mvi, old);
    EXPECT_EQ(h.number(hMP, MP_MEZ_NUMold), 2);
    EXPECT_EQ(sim::callCount("tvksil2_init"), 1);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusNotConnected) + " tvksil2_close(mvi)");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
}

TEST(SessionOpen, ModuleThatCannotBeOpened)
{
    Harness h{Bench::empty()};
    sim::failCall("tvksil2_init", sim::kStatusNoModule);
    startOn(h, {{3, 64}});

    EXPECT_EQ(mvi, 0u);
    EXPECT_EQ(moduleModel, 0);
    EXPECT_FALSE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_NE(h.text(hMP, MP_MSG), "");
    // Without a session nothing is connected, and the status line keeps saying why.
    EXPECT_TRUE(sim::journal("tvksil2_connect").empty());
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusNoModule) + " tvksil2_init");
    EXPECT_EQ(h.number(hMP, MP_MEZ_NUMold), 3);
    EXPECT_EQ(h.run(), Harness::kRunning);
}

TEST(SessionOpen, CarrierThatCannotBeOpenedLeavesTheProgramUsable)
{
    Harness h{Bench::empty()};
    add({carrier(kCarrier, 5, {{1, 64}})});
    sim::failCall("tvbase_init", VI_ERROR_RSRC_LOCKED, 1, 2); // the scan's init is the first call
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);

    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().title, "");
    EXPECT_EQ(h.lastPopup().text, "          Ошибка инициализации.\nУстройство занято либо не сконфигурировано\n"
                                  "          Менеджером Ресурсов.");
    EXPECT_EQ(baseSession, 0u);
    EXPECT_EQ(mvi, 0u);

    h.chooseFromSelection(0);
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_NE(baseSession, 0u);
    EXPECT_NE(mvi, 0u);
    EXPECT_EQ(instrTable[0].Session, baseSession);
}

TEST(SessionOpen, CarrierWithoutOurModules)
{
    Harness h{Bench::empty()};
    startOn(h, {{2, 32}});
    EXPECT_FALSE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(h.lastPopup().title, "");
    EXPECT_EQ(h.lastPopup().text, "нет наших мезонинов на базе");
    EXPECT_NE(baseSession, 0u);
    EXPECT_EQ(mvi, 0u);
    EXPECT_TRUE(h.listLabels(hMP, MP_MEZ_NUM).empty());
}

TEST(SessionOpen, MenuSelectClosesBothAndStartsAgain)
{
    Harness h{Bench::empty()};
    startOn(h, {{1, 64}});
    const ViSession module = mvi, carrierSession = baseSession;
    ASSERT_NE(module, 0u);

    sim::clearJournal();
    h.cancelSelection();
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(sim::journalOf({"tvksil2_", "tvbase_"}),
              (std::vector<std::string>{"tvksil2_close(" + std::to_string(module) + ")",
                                        "tvbase_close(" + std::to_string(carrierSession) + ")"}));
    EXPECT_EQ(mvi, 0u);
    EXPECT_EQ(baseSession, 0u);
    // Nothing is open any more: neither the LED nor the model may say otherwise.
    EXPECT_FALSE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(moduleModel, 0);

    h.chooseFromSelection(0);
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_NE(mvi, 0u);
    EXPECT_EQ(moduleModel, 64);

    // queryModuleTypes stops at a failing position and returns its status.
    std::array<std::int32_t, 4> types{9, 9, 9, 9};
    sim::failCall("tvbase_m_type_q", -3, 1, sim::callCount("tvbase_m_type_q") + 3); // position 3
    EXPECT_EQ(queryModuleTypes(baseSession, types), -3);
    EXPECT_EQ(types, (std::array<std::int32_t, 4>{64, 0, 9, 9}));
}

// A carrier choice that ends with no carrier open leaves no item naming a
// module that cannot be opened.
TEST(SessionOpen, NoCarrierOpenEmptiesTheMezzanineList)
{
    Harness h{Bench::empty()};
    startOn(h, {{2, 64}, {3, 79}});
    ASSERT_EQ(h.listValues(hMP, MP_MEZ_NUM), (std::vector<int>{2, 3}));

    h.cancelSelection();
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(h.listLabels(hMP, MP_MEZ_NUM).empty());
    EXPECT_EQ(h.number(hMP, MP_MEZ_NUMold), 0);

    // The same after a choice that reopens the list and then finds the carrier busy.
    h.chooseFromSelection(0);
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.listValues(hMP, MP_MEZ_NUM), (std::vector<int>{2, 3}));
    sim::failCall("tvbase_init", VI_ERROR_RSRC_LOCKED, 1, sim::callCount("tvbase_init") + 1);
    h.chooseFromSelection(0);
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(baseSession, 0u);
    EXPECT_TRUE(h.listLabels(hMP, MP_MEZ_NUM).empty());
    EXPECT_EQ(h.number(hMP, MP_MEZ_NUMold), 0);
}

// Choosing the menu again while the carrier dialog waits must not nest a
// second choice: one pick opens the carrier once, and every session opened is
// closed by the end of the run.
TEST(SessionOpen, CarrierChoiceWaitingIsNotStartedAgain)
{
    Harness h{Bench::empty()};
    startOn(h, {{1, 64}});
    const int initsBefore = sim::callCount("tvbase_init");

    h.chooseMenu(MENUBAR_INSTR_SELECT);
    // The dialog is modal; a second choice reaching the program while it waits
    // (queued before it opened) meets the waiting dialog.
    tk::headless::respondWhenIdle([] {
        reselectInstrument();
        tk::headless::doubleClickItem(si::selectionPanel(), si::selectionListCtrl(), 0);
    });
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(sim::callCount("tvbase_init"), initsBefore + 1);
    EXPECT_NE(baseSession, 0u);
    EXPECT_NE(mvi, 0u);

    h.press(hMP, MP_EXIT);
    h.answerConfirm(true);
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(sim::callCount("tvbase_close"), sim::callCount("tvbase_init"));
    EXPECT_EQ(sim::callCount("tvksil2_close"), sim::callCount("tvksil2_init"));
}
