// Panels, windows, tab pages, the menu bar and the way input reaches the core.
#include "qt_fixture.h"

#include "platform/clock.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace qttest {
namespace {

QAction* menuAction(QMenuBar* bar, const QString& name)
{
    for (QAction* a : bar->findChildren<QAction*>())
        if (a->objectName() == name)
            return a;
    return nullptr;
}

TEST_F(QtPanels, MainWindowHasTitleSizeMenuBarAndThreeTabPages)
{
    QWidget* window = qt().panelWindow(mp);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("КСИЛ2-4л"));

    auto* bar = window->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QStringList menus;
    for (QAction* a : bar->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Инструмент", "Выполнить...", "Справка", "История"}));
    QMenu* instr = bar->actions().front()->menu();
    ASSERT_NE(instr, nullptr);
    ASSERT_EQ(instr->actions().size(), 5);
    EXPECT_TRUE(instr->actions()[3]->isSeparator());
    EXPECT_EQ(instr->actions()[4]->text(), QStringLiteral("Выход"));

    // The controls sit below the menu bar, at the panel's full size.
    QWidget* content = qt().panelContent(mp);
    EXPECT_EQ(content->geometry(), QRect(0, bar->height(), 701, 588));
    EXPECT_EQ(window->size(), QSize(701, 588 + bar->height()));

    auto* tabs = field<QTabWidget>(mp, tab);
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Калибровка"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Поверка"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Поверка КСИЛ5"));
    EXPECT_EQ(tabs->widget(1), qt().panelContent(pp));
    const tk::model::Control* canvas = tk::model::control(mp, tab);
    EXPECT_EQ(tabs->geometry(), QRect(canvas->left, canvas->top, canvas->width, canvas->height));
    EXPECT_EQ(canvas->left, 4); // where the canvas was
    // A page is not a window of its own.
    EXPECT_EQ(qt().panelWindow(pp), nullptr);
    // The other panels are loaded but not shown.
    EXPECT_FALSE(qt().panelWindow(about)->isVisible());
    EXPECT_FALSE(qt().panelWindow(tp)->isVisible());
}

TEST_F(QtPanels, ClickOnExitReachesExitCallbackOnlyWhenTheProgramPumps)
{
    auto* exit = qt().panelContent(mp)->findChild<QPushButton*>("EXIT");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->text(), QStringLiteral("Выход"));
    QTest::mouseClick(exit, Qt::LeftButton);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(tk::core::queued(), 1u);

    tk::processEvents();
    const auto exits = callsOf("exitCB");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].panel, mp);
    EXPECT_EQ(exits[0].control, MP_EXIT);
    EXPECT_EQ(exits[0].event, tk::EVENT_COMMIT);
    EXPECT_EQ(calls().size(), 1u);
}

TEST_F(QtPanels, CloseBoxAsksTheProgramAndLeavesTheWindowOpen)
{
    QWidget* window = qt().panelWindow(mp);
    window->close();
    EXPECT_TRUE(window->isVisible());
    tk::processEvents();
    const auto closes = callsOf("CloseCB");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].event, tk::EVENT_CLOSE);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(QtPanels, MenuItemsReachTheMenuCallbackAndFollowDimming)
{
    auto* bar = qt().panelWindow(mp)->findChild<QMenuBar*>();
    QAction* exit = menuAction(bar, "EXIT");
    QAction* calibr = menuAction(bar, "CALIBR");
    ASSERT_NE(exit, nullptr);
    ASSERT_NE(calibr, nullptr);
    exit->trigger();
    tk::processEvents();
    const auto menus = callsOf("MenuCallback");
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].control, MENUBAR_INSTR_EXIT);
    EXPECT_EQ(menus[0].panel, mp);

    EXPECT_TRUE(calibr->isEnabled());
    tk::setMenuItemDimmed(menu, MENUBAR_EXE_CALIBR, true);
    EXPECT_FALSE(calibr->isEnabled());
}

TEST_F(QtPanels, TabChangeAndPageRemoval)
{
    auto* tabs = field<QTabWidget>(mp, tab);
    // The program's own page change is not reported back as input.
    tk::setActiveTabPage(mp, tab, 2);
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(tk::core::queued(), 0u);

    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    tk::processEvents();
    const auto changes = callsOf("tabCB");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].event, tk::EVENT_TAB_CHANGED);
    EXPECT_EQ(changes[0].data1, pp); // the panel of the page now shown
    EXPECT_EQ(changes[0].data2, 2);  // the page before
    EXPECT_EQ(tk::activeTabPage(mp, tab), 1);

    // A КСИЛ5 window keeps only its page.
    tk::deleteTabPage(mp, tab, 1, 1);
    tk::deleteTabPage(mp, tab, 0, 1);
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Поверка КСИЛ5"));
    EXPECT_EQ(tabs->widget(0), qt().panelContent(pp5));
}

TEST_F(QtPanels, PopupIsModalUntilRemoved)
{
    tk::installPopup(dp);
    QWidget* window = qt().panelWindow(dp);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Измерьте точное значение"));
    tk::removePopup(1);
    EXPECT_FALSE(window->isVisible());

    // The same panel shown as an ordinary window is not modal.
    tk::displayPanel(dp);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// A callback that shows a pop-up and then works without pumping (a self-test
// in the driver) must not leave the operator looking at nothing: the pop-up
// is mapped and painted before installPopup returns, although the program
// pumped a moment ago and the repaint throttle would hold a refresh back.
TEST_F(QtPanels, PopupShownFromABusyCallbackIsPaintedAtOnce)
{
    qttest::VirtualTime time;
    tk::processEvents();

    PaintCounter counter;
    qt().panelContent(st)->installEventFilter(&counter);
    tk::setValue(st, ST_MSG, "Идёт самоконтроль.\nЖдите ...");
    tk::installPopup(st);
    QWidget* window = qt().panelWindow(st);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_TRUE(window->windowHandle()->isExposed());
    EXPECT_GT(counter.paints, 0);

    // The same for a panel shown as an ordinary window.
    PaintCounter aboutCounter;
    qt().panelContent(about)->installEventFilter(&aboutCounter);
    tk::displayPanel(about);
    EXPECT_GT(aboutCounter.paints, 0);
    EXPECT_TRUE(calls().empty());
}

TEST_F(QtPanels, PanelBuiltInCodeIsCentredGreyAndTakesInput)
{
    const int si = tk::newPanel(0, "Выбор инструмента НМ", tk::kCentered, tk::kCentered, 335, 517);
    ASSERT_GT(si, 0);
    tk::setAttr(si, 0, tk::Attr::BackColor, tk::kLightGrey);
    const int ok = tk::newCtrl(si, tk::Kind::Command, "Выбрать", 41, 408, 25, 103);
    const int list = tk::newCtrl(si, tk::Kind::ListBox, "", 3, 14, 323, 385);
    ASSERT_GT(ok, 0);
    ASSERT_GT(list, 0);
    tk::setCtrlCallback(si, list, &recorder<0>, nullptr);
    tk::insertListItem(si, list, -1, "VXI0::1  крейт 1", 0);
    tk::insertListItem(si, list, -1, "TCPIP::10.0.0.2", 7);
    tk::displayPanel(si);

    QWidget* window = qt().panelWindow(si);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(517, 335));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 2);
    EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 2);
    EXPECT_EQ(qt().panelContent(si)->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));

    auto* box = field<QListWidget>(si, list);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->item(1)->text(), QStringLiteral("TCPIP::10.0.0.2"));
    EXPECT_EQ(box->geometry(), QRect(14, 3, 385, 323));

    // Double-click on the second item: selected (a commit), then the double-click.
    const QRect r = box->visualItemRect(box->item(1));
    // An operator's double-click: a click, then the second press.
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, r.center());
    tk::processEvents();
    int value = -1;
    tk::listItemValue(si, list, tk::listIndex(si, list), value);
    EXPECT_EQ(value, 7);
    ASSERT_FALSE(calls().empty());
    EXPECT_EQ(calls().back().event, tk::EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(calls().back().data1, 1);
}

// A calibration run inside one callback pumps no events: the display is
// still refreshed (pending non-input events run), at most every 40 ms, while
// the operator's input stays queued until the program pumps.
TEST_F(QtPanels, LongOperationRefreshesDisplayWithoutRunningCallbacks)
{
    qttest::VirtualTime time;
    platform::VirtualClock& clock = time.clock;
    tk::processEvents();

    qt().panelContent(mp)->findChild<QPushButton*>("EXIT")->click();
    int refreshes = 0;
    QTimer::singleShot(0, [&] { ++refreshes; });
    tk::appendTextBoxLine(pp5, PP5_BOX_PROT, "только что был цикл событий");
    EXPECT_EQ(refreshes, 0);

    clock.advance(0.1);
    tk::appendTextBoxLine(pp5, PP5_BOX_PROT, "долгая операция");
    EXPECT_EQ(refreshes, 1);

    QTimer::singleShot(0, [&] { ++refreshes; });
    clock.advance(0.01);
    tk::setCell(cp, CP_TABLE, 1, 1, 1.0);
    EXPECT_EQ(refreshes, 1);
    clock.advance(0.05);
    tk::setCell(cp, CP_TABLE, 2, 1, 2.0);
    EXPECT_EQ(refreshes, 2);

    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(tk::core::queued(), 1u);
    tk::processEvents();
    EXPECT_EQ(callsOf("exitCB").size(), 1u);
}

TEST_F(QtPanels, DiscardedPanelTakesItsWindowAway)
{
    QPointer<QWidget> window = qt().panelWindow(about);
    ASSERT_TRUE(window);
    tk::discardPanel(about);
    EXPECT_FALSE(window);
    EXPECT_EQ(qt().panelContent(about), nullptr);
}

} // namespace
} // namespace qttest

