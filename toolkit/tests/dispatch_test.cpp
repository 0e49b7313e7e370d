// Dispatch of the operator's input to callbacks on the headless backend, the
// nesting of wait loops inside callbacks, and the guards against hangs.
#include "fixture.h"

#include "toolkit/model.h"

using namespace tktest;
namespace hl = tk::headless;

namespace {

class DispatchTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        p = loadShown();
    }
    // Runs the main loop until the program is idle.
    void runIdle()
    {
        EXPECT_THROW(
            while (true) tk::pollMainLoop(), hl::MainLoopIdle);
    }
    int p = 0;
};

TEST_F(DispatchTest, EachInputReachesItsCallbackWithItsData)
{
    tk::insertListItem(p, 5, -1, "a", 1);
    tk::insertListItem(p, 5, -1, "b", 2);
    hl::press(p, 9);
    hl::setNumber(p, 2, 1000); // beyond the limits 1..300: kept as typed for the callback to judge
    hl::doubleClickItem(p, 5, 1);
    hl::doubleClickCell(p, 8, 3, 2);
    hl::closeWindow(p);
    runIdle();
    const std::vector<Call> want = {
        {p, 9, tk::EVENT_COMMIT, 0, 0},
        {p, 2, tk::EVENT_COMMIT, 0, 0},
        {p, 5, tk::EVENT_LEFT_DOUBLE_CLICK, 1, 0},
        {p, 8, tk::EVENT_LEFT_DOUBLE_CLICK, 3, 2},
        {p, 0, tk::EVENT_CLOSE, 0, 0},
    };
    EXPECT_EQ(calls, want);
    EXPECT_EQ(tk::intValue(p, 2), 1000);
    EXPECT_EQ(tk::listIndex(p, 5), 1);
    int row = 0, col = 0;
    tk::activeCell(p, 8, row, col);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(col, 2);
}

// What the operator types reaches the program as typed, outside the limits
// too: the program refuses it with its reason, never works on a value the
// operator did not type. Only an integer control takes the whole number.
TEST_F(DispatchTest, TypedNumbersAreKeptAsTypedForTheProgramToJudge)
{
    std::vector<double> seen;
    onCall = [&](const Call& c) { if (c.ctrl == 2) seen.push_back(tk::numValue(p, 2)); };
    hl::setText(p, 2, "-7");    // below the limits 1..300, and below the type
    hl::setNumber(p, 2, 70000); // above the type's 65535
    hl::setNumber(p, 2, 2.6);
    hl::setText(p, 4, "1e308");
    runIdle();
    EXPECT_EQ(seen, (std::vector<double>{-7, 70000, 3}));
    EXPECT_EQ(tk::numValue(p, 4), 1e308);

    double lo = 0, hi = 0;
    EXPECT_EQ(tk::numericRange(p, 2, lo, hi), tk::OK);
    EXPECT_EQ(std::pair(lo, hi), std::pair(1.0, 300.0));
    EXPECT_EQ(tk::numericRange(p, 3, lo, hi), tk::OK); // no limits: the int16 range
    EXPECT_EQ(std::pair(lo, hi), std::pair(-32768.0, 32767.0));
}

TEST_F(DispatchTest, ValueIsStoredWhenItsOwnCallbackRuns)
{
    // The second value must not be visible while the first commit is handled.
    std::vector<int> seen;
    onCall = [&](const Call& c) { if (c.ctrl == 2) seen.push_back(tk::intValue(p, 2)); };
    hl::setNumber(p, 2, 10);
    hl::setNumber(p, 2, 20);
    runIdle();
    EXPECT_EQ(seen, (std::vector<int>{10, 20}));
}

TEST_F(DispatchTest, CloseActsAsCommitOfTheCloseControl)
{
    tk::setPanelCloseCtrl(p, 9);
    hl::closeWindow(p);
    runIdle();
    const std::vector<Call> want = {{p, 0, tk::EVENT_CLOSE, 0, 0}, {p, 9, tk::EVENT_COMMIT, 0, 0}};
    EXPECT_EQ(calls, want);
}

TEST_F(DispatchTest, TabChangeReportsThePageShownAndThePageBefore)
{
    const int tab = tk::convertCanvasToTab(p, 12);
    const int page = tk::loadPanelAsTabPage(p, tab, -1, file, 2);
    const int page2 = tk::loadPanelAsTabPage(p, tab, -1, file, 3);
    hl::changeTab(p, tab, 1);
    runIdle();
    EXPECT_EQ(tk::activeTabPage(p, tab), 1);
    // The first page lies under the second now: its button cannot be reached.
    hl::press(page, 2);
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    hl::changeTab(p, tab, 0);
    hl::press(page, 2);
    runIdle();
    // The first datum is the panel of the page now shown, the second the page before.
    const std::vector<Call> want = {{p, 12, tk::EVENT_TAB_CHANGED, page2, 0},
                                    {p, 12, tk::EVENT_TAB_CHANGED, page, 1},
                                    {page, 2, tk::EVENT_COMMIT, 0, 0}};
    EXPECT_EQ(calls, want);

    // A removed page cannot be reached any more.
    tk::deleteTabPage(p, tab, 0, 1);
    hl::press(page, 2);
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
}

TEST_F(DispatchTest, MenuItemsCallTheirMenuCallbackUnlessDimmed)
{
    const int bar = tk::loadMenuBar(p, file, 1);
    hl::chooseMenu(bar, 5);
    runIdle();
    EXPECT_EQ(menuCalls, (std::vector<std::pair<int, int>>{{bar, 5}}));
    tk::setMenuItemDimmed(bar, 3, true);
    hl::chooseMenu(bar, 3);
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    hl::chooseMenu(bar, 4); // a separator cannot be chosen
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
}

TEST_F(DispatchTest, ActionsTheOperatorCouldNotDoAreRefused)
{
    hl::press(p, 10); // hidden
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    hl::press(p, 11); // dimmed
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    tk::hidePanel(p);
    hl::press(p, 9);
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    tk::displayPanel(p);
    hl::doubleClickCell(p, 8, 4, 1); // below the last row
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    hl::setNumber(p, 16, 7); // an indicator only shows what the program sets
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    EXPECT_EQ(tk::intValue(p, 16), 1);
    EXPECT_TRUE(calls.empty());
}

TEST_F(DispatchTest, ModalPopupTakesAllInputUntilRemoved)
{
    const int bar = tk::loadMenuBar(p, file, 1);
    const int popup = tk::loadPanel(0, file, 2);
    tk::installPopup(popup);
    hl::press(p, 9);
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    hl::chooseMenu(bar, 5);
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    hl::closeWindow(p);
    EXPECT_THROW(tk::pollMainLoop(), hl::Refused);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(menuCalls.empty());

    hl::press(popup, 2);
    tk::pollMainLoop();
    tk::removePopup(1);
    hl::press(p, 9);
    runIdle();
    const std::vector<Call> want = {{popup, 2, tk::EVENT_COMMIT, 0, 0}, {p, 9, tk::EVENT_COMMIT, 0, 0}};
    EXPECT_EQ(calls, want);
}

TEST_F(DispatchTest, WaitLoopsNestInsideCallbacks)
{
    // The button's callback waits, pumping, until the toggle's callback runs;
    // that callback in turn was dispatched by the inner pump.
    bool released = false;
    int depth = 0, maxDepth = 0;
    onCall = [&](const Call& c) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (c.ctrl == 9)
            while (!released)
                tk::processEvents();
        if (c.ctrl == 13)
            released = true;
        --depth;
    };
    hl::press(p, 9);
    hl::setToggle(p, 13, true);
    runIdle();
    EXPECT_TRUE(released);
    EXPECT_EQ(maxDepth, 2);
    EXPECT_EQ(tk::intValue(p, 13), 1);

    // A wait loop with nothing queued fails instead of hanging.
    released = false;
    hl::press(p, 9);
    EXPECT_THROW(tk::pollMainLoop(), hl::Starved);
}

TEST_F(DispatchTest, IdleRespondersRunBeforeTheGuard)
{
    int answered = 0;
    hl::respondWhenIdle([&] { ++answered; hl::press(p, 9); });
    tk::processEvents();
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(hl::pendingResponders(), 0u);
    EXPECT_THROW(tk::processEvents(), hl::Starved);
}

TEST_F(DispatchTest, PopupsAreRecordedAndAnsweredFromTheScript)
{
    tk::messagePopup("Заголовок", "Текст\nвторой строки");
    hl::answerConfirm(false);
    hl::answerFile("/tmp/x.log", true);
    hl::answerFile("");
    EXPECT_EQ(tk::confirmPopup("Вопрос", "Выйти?"), 0);
    std::string path;
    EXPECT_EQ(tk::fileSelectPopup(".", "ksil2.log", "*.log", "Файл", true, path), tk::FILE_NEW);
    EXPECT_EQ(path, "/tmp/x.log");
    EXPECT_EQ(tk::fileSelectPopup(".", "ksil2.log", "*.log", "Файл", false, path), tk::FILE_NONE);
    EXPECT_EQ(path, "/tmp/x.log"); // a cancel leaves the path alone, as on the Qt backend
    EXPECT_THROW(tk::confirmPopup("Вопрос", "Ещё?"), hl::Unanswered);
    hl::answerFile("/tmp/y");
    EXPECT_THROW(tk::confirmPopup("Вопрос", "Ещё?"), hl::Unanswered); // a file answer is no yes/no
    const auto& rec = hl::popups();
    ASSERT_EQ(rec.size(), 6u); // unanswered questions are recorded too
    EXPECT_EQ(rec[0].kind, hl::PopupKind::Message);
    EXPECT_EQ(rec[0].text, "Текст\nвторой строки");
    EXPECT_EQ(rec[1].kind, hl::PopupKind::Confirm);
    EXPECT_EQ(rec[2].kind, hl::PopupKind::FileSelect);

    tk::setWaitCursor(true);
    EXPECT_TRUE(tk::waitCursor());
    tk::setWaitCursor(false);
    EXPECT_FALSE(tk::waitCursor());
}

TEST_F(DispatchTest, DiscardTellsEveryControlCallback)
{
    tk::discardPanel(p);
    int discards = 0;
    for (const auto& c : calls) {
        EXPECT_EQ(c.event, tk::EVENT_DISCARD);
        ++discards;
    }
    EXPECT_EQ(discards, 8); // the controls of panel 1 that name "rec"
    EXPECT_EQ(tk::model::panel(p), nullptr);
    hl::ExpectMisuse expected;
    EXPECT_EQ(tk::setValue(p, 2, 1.0), tk::ERR_PANEL);
    EXPECT_EQ(expected.count(), 1);
}

TEST_F(DispatchTest, ScriptPreparedBeforeStartSurvivesStartAndGoesAtShutdown)
{
    tk::shutdown();
    hl::answerConfirm(true);
    hl::closeWindow(1);
    ASSERT_TRUE(tk::headless::start());
    EXPECT_EQ(hl::pendingAnswers(), 1u);
    EXPECT_EQ(hl::pendingActions(), 1u);
    tk::shutdown();
    EXPECT_EQ(hl::pendingAnswers(), 0u);
    EXPECT_EQ(hl::pendingActions(), 0u);
    ASSERT_TRUE(tk::headless::start());
}

} // namespace
