// The real program on the Qt backend (offscreen): what the operator sees and
// clicks reaches the program's own callbacks.
#include "tests/harness/harness.h"
#include "tests/scenario/session_bench.h"

#include "si/select.h"
#include "sim/bench.h"
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/widgets.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

QWidget* panelContent(const char* name)
{
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

QWidget* mainWindowContent() { return panelContent("MP"); }

TEST(QtProgram, PanelsTabsExitAndValuesOnRealWidgets)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.startWithQt(), 0);

    QWidget* mp = mainWindowContent();
    ASSERT_NE(mp, nullptr);
    EXPECT_TRUE(mp->window()->isVisible());

    auto* tabs = mp->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Калибровка"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Поверка"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Поверка КСИЛ5"));

    // A status text set by the program shows in the status line.
    tk::setValue(hMP, MP_MSG, "Идет инициализация");
    auto* msg = mp->findChild<QLineEdit*>("MSG");
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->text(), QStringLiteral("Идет инициализация"));

    // A click on "Выход" reaches exitCB when the program pumps.
    auto* exitButton = mp->findChild<QPushButton*>("EXIT");
    ASSERT_NE(exitButton, nullptr);
    EXPECT_EQ(exitButton->text(), QStringLiteral("Выход"));
    ASSERT_EQ(exitRequest, 0);
    QTest::mouseClick(exitButton, Qt::LeftButton);
    tk::processEvents();
    EXPECT_EQ(exitRequest, 1);
}

// The pictures of MP and ABOUT show their artwork, and on ABOUT the text that
// goes with the program-version label stands clear of that label.
TEST(QtProgram, PicturesShowTheirArtworkAndAboutTextsDoNotOverlap)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.startWithQt(), 0);
    tk::displayPanel(hABOUT);
    tk::processEvents();
    QWidget* mp = mainWindowContent();
    QWidget* about = panelContent("ABOUT");
    ASSERT_NE(mp, nullptr);
    ASSERT_NE(about, nullptr);

    for (auto [panel, name] : {std::pair{mp, "PICTURE"}, std::pair{mp, "PICTURE_2"},
                               std::pair{about, "PICTURE_2"}, std::pair{about, "VXI_LOGO"}}) {
        auto* picture = dynamic_cast<tk::qtui::PictureFrame*>(panel->findChild<QWidget*>(name));
        ASSERT_NE(picture, nullptr) << name;
        EXPECT_FALSE(picture->image().isNull()) << panel->objectName().toStdString() << " " << name;
    }

    auto* text = about->findChild<QLabel*>("TEXTMSG");
    auto* versionLabel = about->findChild<QLabel*>("SOFT_VERSION_label");
    ASSERT_NE(text, nullptr);
    ASSERT_NE(versionLabel, nullptr);
    const QRect textRect(text->pos(), text->fontMetrics().boundingRect(text->text()).size());
    EXPECT_FALSE(textRect.intersects(versionLabel->geometry()))
        << "text at " << textRect.x() << "," << textRect.y() << " " << textRect.width() << "x" << textRect.height()
        << ", label at " << versionLabel->x() << "," << versionLabel->y() << " " << versionLabel->width() << "x"
        << versionLabel->height();
}

} // namespace

namespace {

constexpr const char* kCarrier = "VXI0::5::INSTR";

// A virtual clock that lets the test look at the screen when the program,
// or a stand-in driver, waits on it.
class WatchingClock : public platform::VirtualClock {
public:
    std::function<void()> onDelay;
    void delay(double seconds) override
    {
        if (auto watch = std::exchange(onDelay, nullptr))
            watch();
        VirtualClock::delay(seconds);
    }
};

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// Presses a button of a panel as soon as it can be pressed, as the operator
// would when it appears; tried again on every pass of the event loop.
void pressWhenShown(std::function<int()> panel, std::function<int()> ctrl)
{
    QTimer::singleShot(0, [panel, ctrl] {
        tk::qtui::QtBackend* qt = tk::qtui::current();
        const int p = panel();
        QWidget* window = qt && p > 0 ? qt->panelWindow(p) : nullptr;
        auto* button = qt && p > 0 ? dynamic_cast<QPushButton*>(qt->controlField(p, ctrl())) : nullptr;
        if (!window || !window->isVisible() || !button || !button->isVisible() || !button->isEnabled()
            || qt->syncing()) {
            pressWhenShown(panel, ctrl);
            return;
        }
        button->click();
    });
}

// Closes the next message pop-up (a bench without a meter says so at start-up),
// keeping its title and text where asked; gives up after some passes of the
// event loop, so that a pop-up that never comes fails the test, not the next.
void acknowledgeNextMessage(QString* title = nullptr, QString* text = nullptr, int passes = 10000)
{
    QTimer::singleShot(0, [title, text, passes] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (passes > 0)
                acknowledgeNextMessage(title, text, passes - 1);
            return;
        }
        if (title)
            *title = box->windowTitle();
        if (text)
            *text = box->text();
        box->accept();
    });
}

} // namespace

// What the operator finds when the carrier choice shows: a window over the
// main one (its dialog for the window system), modal, the keyboard in its list.
struct ChoiceSeen {
    bool shown = false, overMain = false, modal = false, listFocused = false;
    bool openAfterArrow = false; // still open after an arrow key moved the choice
};

// Looks at the selection dialog once it shows, then presses `keys` in its
// list, one after the other.
void keysWhenChoiceShown(ChoiceSeen& seen, std::vector<Qt::Key> keys)
{
    QTimer::singleShot(0, [&seen, keys] {
        tk::qtui::QtBackend* qt = tk::qtui::current();
        const int p = si::selectionPanel();
        QWidget* window = qt && p > 0 ? qt->panelWindow(p) : nullptr;
        QWidget* list = window ? qt->controlField(p, si::selectionListCtrl()) : nullptr;
        if (!window || !window->isVisible() || !list || qt->syncing()) {
            keysWhenChoiceShown(seen, keys);
            return;
        }
        seen.shown = true;
        seen.overMain = window->parentWidget() == qt->panelWindow(hMP) && window->windowType() == Qt::Dialog;
        seen.modal = window->isModal() && QApplication::activeModalWidget() == window;
        seen.listFocused = window->focusWidget() == list;
        for (const Qt::Key key : keys) {
            QTest::keyClick(list, key);
            if (key == Qt::Key_Down) {
                tk::processEvents(); // the program takes the new row
                seen.openAfterArrow = window->isVisible();
            }
        }
    });
}

// The carrier choice at start-up and again from the menu: modal over the main
// window, Enter takes the carrier in the list, Escape cancels.
TEST(QtProgram, CarrierChoiceIsModalOverTheMainWindowAndTakesTheKeyboard)
{
    Harness h{Bench::empty()};
    scene::add({scene::carrier(kCarrier, 5, {{1, 64}}), scene::carrier("VXI0::6::INSTR", 6, {{1, 64}})});
    // An arrow moves the choice to the second carrier and leaves the dialog
    // open; Enter takes it.
    ChoiceSeen first;
    keysWhenChoiceShown(first, {Qt::Key_Down, Qt::Key_Return});
    acknowledgeNextMessage();
    ASSERT_EQ(h.startWithQt(), 0);
    EXPECT_TRUE(first.shown);
    EXPECT_TRUE(first.overMain);
    EXPECT_TRUE(first.modal);
    EXPECT_TRUE(first.listFocused);
    EXPECT_TRUE(first.openAfterArrow);
    EXPECT_EQ(tk::textValue(hMP, MP_CARRIER), "Носитель: VXI0::6::INSTR");

    const int inits = sim::callCount("tvbase_init");
    ChoiceSeen again;
    keysWhenChoiceShown(again, {Qt::Key_Escape});
    tk::core::queue({tk::core::InputEvent::Type::Menu, hMenuBar, 0, MENUBAR_INSTR_SELECT, 0});
    tk::processEvents();
    EXPECT_TRUE(again.modal);
    EXPECT_TRUE(again.listFocused);
    EXPECT_FALSE(tk::qtui::current()->panelWindow(si::selectionPanel())->isVisible());
    EXPECT_EQ(sim::callCount("tvbase_init"), inits); // cancelled: no carrier opened
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The driver's self-test may take seconds: while it runs, the ST pop-up is
// already on screen, painted, with the text that asks the operator to wait.
TEST(QtProgram, SelfTestPopupIsSeenWhileTheDriverWorks)
{
    Harness h{Bench::empty()};
    scene::add({scene::carrier(kCarrier, 5, {{1, 64}})});
    sim::mezzanine(kCarrier, 1)->selfTest.questions = {{7, "Замкните перемычку"}};
    pressWhenShown(si::selectionPanel, si::selectionOkCtrl);
    acknowledgeNextMessage();
    ASSERT_EQ(h.startWithQt(), 0);
    ASSERT_NE(mvi, 0u);

    tk::qtui::QtBackend& qt = *tk::qtui::current();
    PaintCounter counter;
    qt.panelContent(hST)->installEventFilter(&counter);
    struct Seen {
        bool visible = false, exposed = false;
        int paints = 0;
        QString text;
    } seen;
    WatchingClock clock;
    struct Restore {
        Harness& h;
        ~Restore() { platform::setClock(&h.clock()); }
    } restore{h};
    platform::setClock(&clock);
    // The stand-in waits on the clock before its question: look at the screen then.
    clock.onDelay = [&] {
        QWidget* window = qt.panelWindow(hST);
        seen.visible = window && window->isVisible();
        seen.exposed = window && window->windowHandle() && window->windowHandle()->isExposed();
        seen.paints = counter.paints;
        if (auto* msg = dynamic_cast<QPlainTextEdit*>(qt.controlField(hST, ST_MSG)))
            seen.text = msg->toPlainText();
        pressWhenShown([] { return hST; }, [] { return ST_CANCEL; });
    };

    auto* selftest = dynamic_cast<QPushButton*>(qt.controlField(hMP, MP_SELFTEST));
    ASSERT_NE(selftest, nullptr);
    QTest::mouseClick(selftest, Qt::LeftButton);
    tk::processEvents();

    EXPECT_TRUE(seen.visible);
    EXPECT_TRUE(seen.exposed);
    EXPECT_GT(seen.paints, 0);
    EXPECT_EQ(seen.text, QStringLiteral("Идёт самоконтроль.\nЖдите ..."));
    // The run went on to its end.
    EXPECT_EQ(selftestAnswer, 0);
    EXPECT_EQ(tk::textValue(hST, ST_MSG), "Самоконтроль завершен успешно");
}

// A resistance typed on the real widget outside R_Z's range reaches the
// program as typed, and SET refuses it with the range; the module is not touched.
TEST(QtProgram, AResistanceTypedOutsideItsRangeIsRefusedWithTheRange)
{
    Harness h{Bench::empty()};
    scene::add({scene::carrier(kCarrier, 5, {{1, 64}})});
    pressWhenShown(si::selectionPanel, si::selectionOkCtrl);
    acknowledgeNextMessage();
    ASSERT_EQ(h.startWithQt(), 0);
    ASSERT_NE(mvi, 0u);
    tk::qtui::QtBackend& qt = *tk::qtui::current();
    auto* tabs = qt.panelContent(hMP)->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    tabs->setCurrentIndex(1);
    tk::processEvents();

    auto* rz = dynamic_cast<tk::qtui::NumField*>(qt.controlField(hPP, PP_R_Z));
    ASSERT_NE(rz, nullptr);
    rz->setFocus();
    rz->selectAll();
    QTest::keyClicks(rz, "300001");
    QTest::keyClick(rz, Qt::Key_Return);
    tk::processEvents();
    EXPECT_EQ(rz->text(), QStringLiteral("300001"));
    EXPECT_EQ(tk::numValue(hPP, PP_R_Z), 300001.0);

    sim::clearJournal();
    QString title, text;
    acknowledgeNextMessage(&title, &text);
    auto* set = dynamic_cast<QPushButton*>(qt.controlField(hPP, PP_SET));
    ASSERT_NE(set, nullptr);
    QTest::mouseClick(set, Qt::LeftButton);
    tk::processEvents();
    EXPECT_EQ(title, QStringLiteral("Поверка"));
    EXPECT_EQ(text, QStringLiteral("Поле «заданное»: значение 300001 вне допустимых пределов от 1 до 300000."));
    EXPECT_TRUE(sim::journal("tvksil2_").empty());
    EXPECT_EQ(rz->text(), QStringLiteral("300001"));
}
