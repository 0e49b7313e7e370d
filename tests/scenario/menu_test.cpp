// Menu items and the small callbacks of the main window and its panels.
#include "tests/harness/harness.h"

#include "gauge/gauge.h"
#include "p_ksil2/callbacks.h"
#include "sim/bench.h"

#include <gtest/gtest.h>

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(h.start(), 0);
        ASSERT_EQ(h.run(), Harness::kRunning);
        h.clearPopups();
    }
    void TearDown() override
    {
        mvi = 0;
    }
    Harness h{Bench::empty()};
};

TEST_F(MainWindow, AboutOpensFromTheMenuAndClosesBackToMain)
{
    EXPECT_FALSE(h.visible(hABOUT));
    h.chooseMenu(MENUBAR_HELP_ABOUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(h.visible(hABOUT));

    tk::hidePanel(hMP);
    h.press(hABOUT, ABOUT_COMMANDBUTTON);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_FALSE(h.visible(hABOUT));
    EXPECT_TRUE(h.visible(hMP));
}

TEST_F(MainWindow, MainPanelItemShowsTheMainWindow)
{
    // The operator cannot reach the menu of a hidden window; the item is called directly.
    tk::hidePanel(hMP);
    MenuCallback(hMenuBar, MENUBAR_INSTR_OSNOWN, nullptr, hMP);
    EXPECT_TRUE(h.visible(hMP));
}

TEST_F(MainWindow, MeterItemSearchesAndAdaptsTheWindow)
{
    mvi = 9;
    h.chooseMenu(MENUBAR_INSTR_SELECT_HP);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.popups()[0].text, "Мультиметр не найден");
    EXPECT_FALSE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_TRUE(h.dimmed(hPP, PP_AUTO_POV));
    EXPECT_EQ(h.ledColor(hMP, MP_LED), tk::kGreen);

    // An HP 3458A connected since answers at its address: the search opens it,
    // the toggles come back and the LED turns yellow.
    sim::Instrument meter;
    meter.address = "GPIB0::22::INSTR";
    meter.intfType = 1;
    meter.meter = sim::Meter{};
    meter.meter->family = 3458;
    sim::bench().instruments.push_back(meter);
    h.chooseMenu(MENUBAR_INSTR_SELECT_HP);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.popups().size(), 1u);
    EXPECT_NE(viHP3458, 0u);
    EXPECT_TRUE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_FALSE(h.dimmed(hPP, PP_AUTO_POV));
    EXPECT_TRUE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(h.ledColor(hMP, MP_LED), tk::kYellow);
}

TEST_F(MainWindow, MessageButtonClearsTheStatusTextButKeepsItsColour)
{
    tk::setValue(hMP, MP_MSG, "ошибка драйвера");
    tk::setAttr(hMP, MP_MSG, tk::Attr::TextColor, tk::kRed);
    h.press(hMP, MP_MSG_OK);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
}

TEST_F(MainWindow, SelftestCloseTakesDownThePopup)
{
    tk::installPopup(hST);
    tk::setAttr(hST, ST_CLOSE, tk::Attr::Dimmed, 0);
    h.press(hST, ST_CLOSE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_FALSE(h.visible(hST));
}

} // namespace
