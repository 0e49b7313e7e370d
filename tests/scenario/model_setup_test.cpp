// The main window adapted to the model of the first module, and the link LED.
#include "tests/harness/harness.h"

#include "gauge/gauge.h"

#include <gtest/gtest.h>

namespace {

class ModelSetup : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(h.start(), 0); }
    void TearDown() override
    {
        // Test-made sessions are not the bench's: keep the shutdown from closing them.
        mvi = 0;
        viHP1412 = viDMM = 0;
    }
    Harness h{Bench::empty()};
};

TEST_F(ModelSetup, Ksil5OffersOnlyItsVerification)
{
    moduleModel = 79;
    applyModelSetup();

    EXPECT_EQ(h.tabTitles(), std::vector<std::string>{"Поверка КСИЛ5"});
    EXPECT_EQ(tk::tabPagePanel(hMP, hTab, 0), hPP5);
    EXPECT_FALSE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_FALSE(h.visible(hMP, MP_MODE_R));
    EXPECT_TRUE(h.menuDimmed(MENUBAR_INSTR_SELECT_HP));
    EXPECT_TRUE(h.menuDimmed(MENUBAR_EXE_CALIBR));
    EXPECT_FALSE(h.menuDimmed(MENUBAR_INSTR_SELECT));
    EXPECT_FALSE(h.menuDimmed(MENUBAR_EXE_SELFTEST));

    EXPECT_EQ(h.text(hMP, MP_TEXTMSG_3), "Мезонин КСИЛ5\nпрограммируемые сопротивления");
    EXPECT_EQ(h.text(hMP, MP_TEXTMSG_2), "Панель поверки");
    EXPECT_EQ(h.title(hMP), "КСИЛ5");
    EXPECT_EQ(h.title(hABOUT), "КСИЛ5");
    EXPECT_EQ(h.text(hABOUT, ABOUT_TEXTMSG_2), "Мезонин КСИЛ5\nпрограммируемые\nсопротивления");

    h.press(hMP, MP_EXIT);
    h.answerConfirm(false);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.lastPopup().title, "КСИЛ2-4Л");
    EXPECT_EQ(h.lastPopup().text, "Закончить работу панели КСИЛ5 ?");
}

TEST_F(ModelSetup, Ksil2WithoutMeterHidesAutomaticMeasurement)
{
    moduleModel = 64;
    mvi = 7;
    h.clearPopups();
    applyModelSetup();

    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.popups()[0].title, "Панель поверки-калибровки");
    EXPECT_EQ(h.popups()[0].text, "Мультиметр не найден");
    EXPECT_FALSE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_TRUE(h.dimmed(hPP, PP_AUTO_POV));
    EXPECT_EQ(h.tabTitles(), (std::vector<std::string>{"Калибровка", "Поверка", "Поверка КСИЛ5"}));
    EXPECT_TRUE(h.visible(hMP, MP_MODE_R));
    EXPECT_EQ(h.title(hMP), "КСИЛ2-4л");
    EXPECT_STREQ(exitQuestion(), "Закончить работу панели КСИЛ2-4Л ?");
}

TEST_F(ModelSetup, Ksil2WithMeterOffersAutomaticMeasurement)
{
    moduleModel = 64;
    viDMM = 5;
    h.clearPopups();
    applyModelSetup();

    EXPECT_TRUE(h.popups().empty());
    EXPECT_TRUE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_FALSE(h.dimmed(hPP, PP_AUTO_POV));
}

TEST_F(ModelSetup, NoModuleKeepsTheWindowAndAsksTheMainQuestion)
{
    moduleModel = 0;
    h.clearPopups();
    applyModelSetup();

    EXPECT_TRUE(h.popups().empty()); // no meter search without a module
    EXPECT_EQ(h.tabTitles().size(), 3u);
    EXPECT_TRUE(h.visible(hMP, MP_MODE_R));
    EXPECT_FALSE(h.menuDimmed(MENUBAR_EXE_CALIBR));
    EXPECT_STREQ(exitQuestion(), "Закончить работу панели КСИЛ2-4Л ?");
}

TEST_F(ModelSetup, LinkLedFollowsModuleAndMeterSessions)
{
    struct Case {
        ViSession module;
        ViSession meter;
        bool on;
        int colour;
    };
    const Case cases[] = {
        {0, 0, false, tk::kGreen},
        {0, 3, false, tk::kGreen},
        {4, 0, true, tk::kGreen},
        {4, 3, true, tk::kYellow},
    };
    for (const auto& c : cases) {
        mvi = c.module;
        viHP1412 = c.meter;
        updateLinkLed();
        SCOPED_TRACE(testing::Message() << "mvi=" << c.module << " meter=" << c.meter);
        EXPECT_EQ(h.ledOn(hMP, MP_LED), c.on);
        EXPECT_EQ(h.ledColor(hMP, MP_LED), c.colour);
    }
}

} // namespace
