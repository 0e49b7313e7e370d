// The instrument selection dialog as the operator meets it at start-up and
// as the multimeter layer uses it.
#include "session_bench.h"

#include "si/select.h"
#include "toolkit/model.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

using namespace scene;

namespace {

void threeCarriers()
{
    add({carrier("VXI0::2::INSTR", 2, {{1, 64}}, 0x10D, 0x01),
         vxi("VXI0::3::INSTR", 3, 0, kOtherMaker, 0x243),
         chassis("USB0::0x1::0x2::7::INSTR", VI_INTF_USB, "VELTRONA,TVBASE,7,1.0\n"),
         carrier("VXI0::8::INSTR", 8, {{2, 64}}, 0x155, 0x01)});
}

struct Seen {
    bool open = false;
    std::string title;
    std::vector<std::string> labels;
    std::vector<int> values;
    bool waitCursor = true;
};

// Records the dialog as the operator sees it, then does the operator's action.
void whenOpen(Harness& h, Seen& seen, std::function<void()> act)
{
    tk::headless::respondWhenIdle([&h, &seen, act] {
        const int p = si::selectionPanel();
        seen.open = p > 0 && h.visible(p);
        seen.title = h.title(p);
        seen.labels = h.listLabels(p, si::selectionListCtrl());
        seen.values = h.listValues(p, si::selectionListCtrl());
        seen.waitCursor = tk::waitCursor();
        act();
    });
}

} // namespace

TEST(SelectionDialog, NothingOfferedShowsNothing)
{
    Harness h{Bench::empty()};
    add({vxi("VXI0::3::INSTR", 3, 0, kOtherMaker, 0x243)});
    ASSERT_EQ(h.start(), 0); // no answer queued: the dialog must not wait
    EXPECT_TRUE(h.popups().empty());
    EXPECT_EQ(baseSession, 0u);
    EXPECT_EQ(mvi, 0u);
    EXPECT_EQ(h.number(hMP, MP_VER), 1); // the table was restored instead
    EXPECT_EQ(selByModel("Выберите DMM1", 0x144), nullptr);
    EXPECT_TRUE(si::selectionPanel() <= 0 || !h.visible(si::selectionPanel()));
}

TEST(SelectionDialog, OffersCarriersInTableOrderOnOneLine)
{
    Harness h{Bench::empty()};
    threeCarriers();
    Seen seen;
    whenOpen(h, seen, [] { tk::headless::doubleClickItem(si::selectionPanel(), si::selectionListCtrl(), 2); });
    h.cancelSelection(); // the multimeter search then offers the HP1412 of the bench
    ASSERT_EQ(h.start(), 0);

    EXPECT_TRUE(seen.open);
    EXPECT_EQ(seen.title, "Выбор инструмента НМ");
    EXPECT_EQ(seen.labels, (std::vector<std::string>{"Н.М.  Л.А.крейта:0x01, слот:2  (VXI0::2::INSTR)",
                                                     "Karvel, USB (№:7)",
                                                     "Н.М.У.  Л.А.крейта:0x01, слот:8  (VXI0::8::INSTR)"}));
    // Item values are table indices: carrier, mezzanine, other, chassis, carrier, mezzanine.
    EXPECT_EQ(seen.values, (std::vector<int>{0, 3, 4}));

    // The double-clicked carrier was opened and holds its session.
    EXPECT_FALSE(h.visible(si::selectionPanel()));
    EXPECT_NE(baseSession, 0u);
    EXPECT_EQ(instrTable[4].Session, baseSession);
    EXPECT_EQ(instrTable[0].Session, 0u);
    EXPECT_EQ(h.number(hMP, MP_S), 8);
}

TEST(SelectionDialog, ChooseButtonAndCloseWindow)
{
    Harness h{Bench::empty()};
    threeCarriers();
    Seen first;
    whenOpen(h, first, [] {
        tk::setListIndex(si::selectionPanel(), si::selectionListCtrl(), 1);
        tk::headless::press(si::selectionPanel(), si::selectionOkCtrl());
    });
    ASSERT_EQ(h.start(), 0);
    EXPECT_EQ(instrTable[3].Session, baseSession);
    EXPECT_NE(baseSession, 0u);

    // Menu SELECT, and the operator closes the dialog's window: no carrier at all.
    Seen second;
    whenOpen(h, second, [] { tk::headless::closeWindow(si::selectionPanel()); });
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(second.open);
    EXPECT_EQ(second.labels.size(), 3u); // the list was filled anew, not appended to
    EXPECT_EQ(baseSession, 0u);
    EXPECT_EQ(mvi, 0u);
    EXPECT_FALSE(h.visible(si::selectionPanel()));

    // While the dialog is open it holds the operator's input: it is the modal pop-up on top.
    Seen third;
    int onTop = 0;
    whenOpen(h, third, [&onTop] {
        onTop = tk::model::topPopup();
        tk::headless::press(si::selectionPanel(), si::selectionCancelCtrl());
    });
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(onTop, si::selectionPanel());
    EXPECT_EQ(tk::model::topPopup(), 0);
    EXPECT_EQ(baseSession, 0u);
}

TEST(SelectionDialog, ByModelShowsNormalCursorWhileChoosing)
{
    Harness h{Bench::empty()};
    add({vxi("VXI0::3::INSTR", 3, 0, kOtherMaker, 0x243), vxi("VXI0::4::INSTR", 4, 0, kOtherMaker, 0x144),
         vxi("VXI0::5::INSTR", 5, 0, kOtherMaker, 0x243)});
    ASSERT_EQ(h.start(), 0);

    tk::setWaitCursor(true);
    Seen seen;
    whenOpen(h, seen, [] { tk::headless::doubleClickItem(si::selectionPanel(), si::selectionListCtrl(), 1); });
    InstrInfo* chosen = selByModel("Выберите HP1412", 0x243);
    EXPECT_EQ(chosen, &instrTable[2]);
    EXPECT_EQ(seen.title, "Выберите HP1412");
    EXPECT_EQ(seen.values, (std::vector<int>{0, 2}));
    EXPECT_FALSE(seen.waitCursor);
    EXPECT_TRUE(tk::waitCursor());

    tk::setWaitCursor(false);
    whenOpen(h, seen, [] { tk::headless::press(si::selectionPanel(), si::selectionCancelCtrl()); });
    EXPECT_EQ(selByModel("Выберите HP1412", 0x243), nullptr);
    EXPECT_FALSE(tk::waitCursor());
}
