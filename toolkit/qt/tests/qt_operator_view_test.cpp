// What the operator sees and does on the program's panels (offscreen): the
// newest row in view, row labels beside their rows, protocol lines whole,
// indicators that take no typing, the keyboard (Enter, Escape, the focus),
// windows over the main one, Qt's own texts in Russian.
#include "toolkit/qt/tests/qt_fixture.h"

#include "toolkit/qt/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <cmath>

namespace qttest {
namespace {

// A protocol result line as long as they come ("не норма" at its end).
const char* const kLongLine = "2      131072.0000 Ом 131500.0000 Ом   428.0000 Ом (  0.327%) /  264.1440 Ом (0.202%)/ не норма";

// Rows added one at a time during a run, each scrolled to as the program does,
// shown only when the run paints: the newest row is whole in view, and every
// row label stands beside its own row, also after scrolling back.
TEST_F(QtPanels, NewestRowInViewAndRowLabelsBesideTheirRows)
{
    tk::setActiveTabPage(mp, tab, 1);
    tk::processEvents();
    auto* table = field<QTableWidget>(pp, PP_TABLE_R);
    ASSERT_NE(table, nullptr);
    auto labelsMatch = [table] {
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->verticalHeader()->sectionViewportPosition(r) != table->rowViewportPosition(r))
                return false;
        return true;
    };
    tk::setDisplayDeferred(true);
    for (int row = 1; row <= 40; ++row) {
        tk::insertTableRows(pp, PP_TABLE_R, -1, 1);
        tk::setCell(pp, PP_TABLE_R, row, 2, row * 10.0);
        tk::setAttr(pp, PP_TABLE_R, tk::Attr::FirstVisibleLine, row);
        tk::processDrawEvents();
        const QRect newest = table->visualItemRect(table->item(row - 1, 1));
        EXPECT_TRUE(table->viewport()->rect().contains(newest)) << "row " << row << " at " << newest.y() << "+"
                                                                << newest.height() << " in "
                                                                << table->viewport()->height();
        EXPECT_TRUE(labelsMatch()) << "row " << row;
    }
    tk::setDisplayDeferred(false);
    table->verticalScrollBar()->setValue(5);
    QTest::qWait(1);
    EXPECT_TRUE(labelsMatch());
    EXPECT_EQ(table->rowAt(0), 5);
}

// The protocol viewer: a whole result line fits the box, the window can be
// widened (the box grows with it), an out-of-norm line is red, and Escape
// closes the viewer through its "Закрыть".
TEST_F(QtPanels, ProtocolViewerShowsWholeLinesAndMarksOutOfNorm)
{
    tk::appendTextBoxLine(chlp, CHLP_LOG, "Протокол проверки погрешности мезонина КСИЛ2-4Л");
    tk::appendTextBoxLine(chlp, CHLP_LOG, kLongLine);
    tk::setTextBoxLineColor(chlp, CHLP_LOG, 1, tk::kRed);
    tk::installPopup(chlp);
    tk::processEvents();
    auto* log = field<QPlainTextEdit>(chlp, CHLP_LOG);
    ASSERT_NE(log, nullptr);
    const int room = log->viewport()->width() - static_cast<int>(2 * log->document()->documentMargin());
    EXPECT_LE(log->fontMetrics().horizontalAdvance(QString::fromUtf8(kLongLine)), room);
    EXPECT_EQ(log->horizontalScrollBar()->maximum(), 0);

    const QTextBlock red = log->document()->findBlockByNumber(1);
    EXPECT_EQ(red.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
    const QTextBlock plain = log->document()->findBlockByNumber(0);
    EXPECT_NE(plain.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
    // A line appended after the red one is not red.
    tk::appendTextBoxLine(chlp, CHLP_LOG, "1      1.0000 Ом");
    EXPECT_NE(log->document()->findBlockByNumber(2).begin().fragment().charFormat().foreground().color(),
              QColor(Qt::red));

    QWidget* window = qt().panelWindow(chlp);
    ASSERT_NE(window, nullptr);
    EXPECT_LT(window->minimumWidth(), window->maximumWidth());
    const int before = log->width();
    window->resize(window->width() + 200, window->height() + 100);
    QTest::qWait(1);
    EXPECT_EQ(log->width(), before + 200);

    calls().clear();
    QTest::keyClick(log, Qt::Key_Escape);
    tk::processEvents();
    ASSERT_EQ(callsOf("cancelP").size(), 1u);
    EXPECT_EQ(callsOf("cancelP")[0].control, CHLP_COMMANDBUTTON_2);
}

// Indicators show their whole text, take no focus and no typing; the fields
// the program only writes are all indicators.
TEST_F(QtPanels, IndicatorsShowWholeTextAndTakeNoTyping)
{
    const QString cert = QStringLiteral("libtvksil2_math.so, версия:1.0, дата:09-12-2026, CRC32=EA5E2B33");
    tk::setValue(about, ABOUT_CERT_MSG, cert.toStdString());
    tk::displayPanel(about);
    tk::processEvents();
    auto* line = field<QLineEdit>(about, ABOUT_CERT_MSG);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), cert);
    EXPECT_LE(line->fontMetrics().horizontalAdvance(cert), line->width() - 8);
    EXPECT_TRUE(line->isReadOnly());
    QTest::keyClicks(line, "xyz");
    EXPECT_EQ(line->text(), cert);
    EXPECT_EQ(tk::textValue(about, ABOUT_CERT_MSG), cert.toStdString());

    const std::pair<int, int> shown[] = {{about, ABOUT_SOFT_VERSION}, {about, ABOUT_DRVR_VERSION}, {mp, MP_K},
                                         {mp, MP_S}, {mp, MP_MEZ_NUMold}, {mp, MP_VER}, {st, ST_RESULT}};
    for (auto [panel, ctrl] : shown) {
        QWidget* f = qt().controlField(panel, ctrl);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->focusPolicy(), Qt::NoFocus) << f->objectName().toStdString();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(f))
            EXPECT_TRUE(spin->isReadOnly()) << f->objectName().toStdString();
        else
            EXPECT_TRUE(static_cast<QLineEdit*>(f)->isReadOnly()) << f->objectName().toStdString();
    }
}

// DP, shown again and again: the keyboard is in R each time with its value
// selected, typing replaces it, Enter presses "Ввести"; Escape is "Отмена".
TEST_F(QtPanels, DialogKeyboardFocusEnterAndEscape)
{
    auto* r = field<QAbstractSpinBox>(dp, DP_R);
    ASSERT_NE(r, nullptr);
    for (int round = 0; round < 2; ++round) {
        calls().clear();
        tk::setValue(dp, DP_R, 1024.0);
        tk::installPopup(dp);
        tk::processEvents();
        QWidget* window = qt().panelWindow(dp);
        ASSERT_EQ(window->focusWidget(), r) << "round " << round;
        // The operator had pressed "Ввести" with the mouse the first time.
        QTest::keyClicks(window->focusWidget(), "1024.5");
        QTest::keyClick(window->focusWidget(), Qt::Key_Return);
        tk::processEvents();
        EXPECT_DOUBLE_EQ(tk::numValue(dp, DP_R), 1024.5) << "round " << round;
        EXPECT_EQ(callsOf("inputVal").size(), 1u) << "round " << round;
        field<QPushButton>(dp, DP_OK)->setFocus();
        tk::removePopup(1);
        tk::processEvents();
    }
    calls().clear();
    tk::installPopup(dp);
    tk::processEvents();
    QTest::keyClick(qt().panelWindow(dp)->focusWidget(), Qt::Key_Escape);
    tk::processEvents();
    ASSERT_EQ(callsOf("closePopup").size(), 1u);
    EXPECT_EQ(callsOf("inputVal").size(), 0u);
}

// On page PP5, Enter after a typed value commits it and presses "Далее"
// (when it can be pressed); a focused button is pressed by Enter.
TEST_F(QtPanels, EnterPressesTheDefaultOrTheFocusedButton)
{
    tk::setActiveTabPage(mp, tab, 2);
    tk::processEvents();
    tk::setAttr(pp5, PP5_MEAS_R, tk::Attr::Dimmed, 0);
    tk::setAttr(pp5, PP5_NEXT_STEP, tk::Attr::Dimmed, 0);
    tk::setValue(pp5, PP5_MEAS_R, std::nan(""));
    tk::setActiveCtrl(pp5, PP5_MEAS_R);
    auto* meas = field<QAbstractSpinBox>(pp5, PP5_MEAS_R);
    ASSERT_NE(meas, nullptr);
    EXPECT_EQ(meas->window()->focusWidget(), meas);
    EXPECT_EQ(meas->text().trimmed(), QString()); // emptied: nothing of the point before
    calls().clear();
    QTest::keyClicks(meas, "255.5");
    QTest::keyClick(meas, Qt::Key_Return);
    tk::processEvents();
    EXPECT_DOUBLE_EQ(tk::numValue(pp5, PP5_MEAS_R), 255.5);
    EXPECT_EQ(callsOf("next_step").size(), 1u);

    // Dimmed, "Далее" is not pressed.
    tk::setAttr(pp5, PP5_NEXT_STEP, tk::Attr::Dimmed, 1);
    calls().clear();
    QTest::keyClick(meas, Qt::Key_Return);
    tk::processEvents();
    EXPECT_TRUE(callsOf("next_step").empty());

    // The program moves the focus to SET: its ring is drawn, Enter presses it.
    tk::setActiveTabPage(mp, tab, 1);
    tk::processEvents();
    tk::setActiveCtrl(pp, PP_SET);
    QWidget* set = qt().controlField(pp, PP_SET);
    EXPECT_EQ(set->window()->focusWidget(), set);
    EXPECT_TRUE(set->window()->testAttribute(Qt::WA_KeyboardFocusChange));
    calls().clear();
    QTest::keyClick(set, Qt::Key_Return);
    tk::processEvents();
    EXPECT_EQ(callsOf("setP").size(), 1u);
}

// The windows of the other panels are kept over the main one; a panel
// without a frame has none; a page's controls appear when its tab is shown.
TEST_F(QtPanels, WindowsOverTheMainOneAndPagesBuiltWhenShown)
{
    QWidget* ppContent = qt().panelContent(pp);
    tk::setMainPanel(mp);
    tk::displayPanel(about);
    tk::processEvents();
    EXPECT_EQ(qt().panelWindow(about)->parentWidget(), qt().panelWindow(mp));
    EXPECT_EQ(qt().panelWindow(mp)->parentWidget(), nullptr);

    const int bare = tk::newPanel(0, "", tk::kCentered, tk::kCentered, 125, 400);
    tk::setAttr(bare, 0, tk::Attr::WindowFrame, 0);
    tk::displayPanel(bare);
    tk::processEvents();
    EXPECT_TRUE(qt().panelWindow(bare)->windowFlags() & Qt::FramelessWindowHint);
    const QPoint middle = qt().panelWindow(bare)->frameGeometry().center();
    EXPECT_LE((middle - qt().panelWindow(mp)->frameGeometry().center()).manhattanLength(), 2);

    tk::setActiveTabPage(mp, tab, 1);
    tk::processEvents();
    QWidget* set = ppContent->findChild<QWidget*>("SET");
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(set->isVisible());
}

// A list box shows the whole text of a long item, on more lines.
TEST_F(QtPanels, ListShowsWholeItemTexts)
{
    const std::string text = "Н.М.  Л.А.крейта:0x00, слот:2  (VXI0::2::INSTR) мезонин N 4 модель 0x40 и ещё длиннее";
    tk::insertListItem(mp, MP_MEZ_NUM, -1, text, 1);
    tk::processEvents();
    auto* list = field<QListWidget>(mp, MP_MEZ_NUM);
    ASSERT_NE(list, nullptr);
    const QRect item = list->visualItemRect(list->item(0));
    EXPECT_LE(item.width(), list->viewport()->width());
    EXPECT_GT(item.height(), list->fontMetrics().height() * 2);
}

} // namespace
} // namespace qttest

