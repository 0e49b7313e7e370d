// The three ways out of the program reach one question; "no" keeps it running.
#include "tests/harness/harness.h"

#include "gauge/gauge.h"
#include "p_ksil2/app_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

struct ExitPath {
    const char* name;
    std::function<void(Harness&)> request;
};

// Keeps the test list readable: a path prints as its name.
void PrintTo(const ExitPath& path, std::ostream* os)
{
    *os << path.name;
}

class ExitPaths : public testing::TestWithParam<ExitPath> {};

TEST_P(ExitPaths, NoKeepsRunningYesEnds)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(h.run(), Harness::kRunning);
    h.clearPopups();

    GetParam().request(h);
    h.answerConfirm(false);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.popups()[0].kind, tk::headless::PopupKind::Confirm);
    EXPECT_EQ(h.popups()[0].title, "КСИЛ2-4Л");
    EXPECT_EQ(h.popups()[0].text, "Закончить работу панели КСИЛ2-4Л ?");
    EXPECT_EQ(exitRequest, 0);
    EXPECT_TRUE(h.visible(hMP));
    EXPECT_EQ(h.tabTitles().size(), 3u);

    // The loop went on: a later action is still handled.
    h.chooseMenu(MENUBAR_HELP_ABOUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(h.visible(hABOUT));

    GetParam().request(h);
    h.answerConfirm(true);
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(h.popups().size(), 2u);
    EXPECT_FALSE(h.running());
    EXPECT_EQ(hMP, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Exit, ExitPaths,
    testing::Values(ExitPath{"CloseBox", [](Harness& h) { h.closeWindow(hMP); }},
                    ExitPath{"ExitButton", [](Harness& h) { h.press(hMP, MP_EXIT); }},
                    ExitPath{"ExitMenu", [](Harness& h) { h.chooseMenu(MENUBAR_INSTR_EXIT); }}),
    [](const testing::TestParamInfo<ExitPath>& info) { return std::string(info.param.name); });

TEST(Exit, OpenSessionsAreClosedOnYes)
{
    Harness h;
    h.chooseFromSelection(0);
    h.chooseFromSelection(0); // the mezzanine multimeter
    ASSERT_EQ(h.start(), 0);
    ASSERT_NE(mvi, 0u);
    ASSERT_NE(baseSession, 0u);
    ASSERT_NE(viM_DMM1, 0u);
    h.press(hMP, MP_EXIT);
    h.answerConfirm(true);
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(mvi, 0u);
    EXPECT_EQ(baseSession, 0u);
    EXPECT_EQ(viM_DMM1, 0u);
    EXPECT_EQ(viNM, 0u);
}

} // namespace
