// Controls: the program's changes show in the widgets without coming back
// as input; the operator's input is stored and reaches the callbacks.
#include "qt_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>

#include "toolkit/qt/tests/held_input.h"
#include "toolkit/qt/widgets.h"

#include <cmath>
#include <utility>

namespace qttest {
namespace {

TEST_F(QtPanels, ProgramValuesShowInWidgetsAndDoNotEchoAsInput)
{
    tk::setValue(mp, MP_VER, 7.0);
    EXPECT_EQ(field<tk::qtui::NumField>(mp, MP_VER)->text(), QStringLiteral("7"));
    // R_Z shows two decimals, and keeps every digit it was given.
    tk::setValue(pp, PP_R_Z, 1234.5678);
    EXPECT_EQ(field<tk::qtui::NumField>(pp, PP_R_Z)->text(), QStringLiteral("1234.57"));
    EXPECT_EQ(field<tk::qtui::NumField>(pp, PP_R_Z)->value(), 1234.5678);
    // A double without a precision shows its significant digits.
    tk::setValue(dp, DP_R, 1024.458598);
    EXPECT_EQ(field<tk::qtui::NumField>(dp, DP_R)->text(), QStringLiteral("1024.458598"));
    // Limits of the control: 1..300000.
    tk::setValue(pp, PP_R_Z, 500000.0);
    EXPECT_EQ(field<tk::qtui::NumField>(pp, PP_R_Z)->value(), 300000.0);

    tk::setValue(mp, MP_MSG, "Ошибка связи");
    tk::setAttr(mp, MP_MSG, tk::Attr::TextColor, tk::kRed);
    auto* msg = field<QLineEdit>(mp, MP_MSG);
    EXPECT_EQ(msg->text(), QStringLiteral("Ошибка связи"));
    EXPECT_EQ(msg->palette().color(QPalette::Text), QColor(Qt::red));

    tk::setValue(mp, MP_AUTO_POV, 1.0);
    EXPECT_TRUE(field<QPushButton>(mp, MP_AUTO_POV)->isChecked());

    auto* led = field<tk::qtui::LedLamp>(mp, MP_LED);
    ASSERT_NE(led, nullptr);
    EXPECT_FALSE(led->isOn());
    tk::setAttr(mp, MP_LED, tk::Attr::OnColor, tk::kYellow);
    tk::setValue(mp, MP_LED, 1.0);
    EXPECT_TRUE(led->isOn());
    EXPECT_EQ(led->onColor(), QColor(Qt::yellow));

    tk::setValue(pp5, PP5_RING_TEMP, 2.0);
    EXPECT_EQ(field<QComboBox>(pp5, PP5_RING_TEMP)->currentText(), QStringLiteral("40 °С"));
    tk::setValue(pp5, PP5_MEAS_MODE, 1.0);
    auto radios = qt().controlField(pp5, PP5_MEAS_MODE)->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 2);
    EXPECT_EQ(radios[0]->text(), QStringLiteral("2R"));
    EXPECT_TRUE(radios[1]->isChecked());

    tk::setValue(mp, MP_TEXTMSG_3, "Мезонин КСИЛ5\nпрограммируемые сопротивления");
    EXPECT_EQ(field<QLabel>(mp, MP_TEXTMSG_3)->text(), QStringLiteral("Мезонин КСИЛ5\nпрограммируемые сопротивления"));

    tk::insertListItem(mp, MP_MEZ_NUM, -1, "1", 1);
    tk::insertListItem(mp, MP_MEZ_NUM, -1, "3", 3);
    tk::setListIndex(mp, MP_MEZ_NUM, 1);
    EXPECT_EQ(field<QListWidget>(mp, MP_MEZ_NUM)->currentRow(), 1);

    EXPECT_EQ(tk::core::queued(), 0u);
    tk::processEvents();
    EXPECT_TRUE(calls().empty());
}

TEST_F(QtPanels, LabelsSitAboveFieldsOnButtonsAndShowMnemonics)
{
    QLabel* chan = qt().controlCaption(dp, DP_CHAN);
    ASSERT_NE(chan, nullptr);
    EXPECT_EQ(chan->text(), QStringLiteral("канал"));
    EXPECT_LE(chan->geometry().bottom(), 28);
    EXPECT_EQ(field<QPushButton>(mp, MP_MSG_OK)->text(), QStringLiteral("&OK"));
    EXPECT_EQ(field<QPushButton>(st, ST_CLOSE)->text(), QStringLiteral("&Закрыть"));
    EXPECT_EQ(field<QPushButton>(mp, MP_MODE_R)->text(), QStringLiteral("Режим \nбезобрывного \nпереключения"));
    // No label, no caption.
    EXPECT_FALSE(qt().controlCaption(mp, MP_MSG)->isVisibleTo(qt().panelContent(mp)));
    // The LED's label is beside the lamp.
    QLabel* link = qt().controlCaption(mp, MP_LED);
    EXPECT_EQ(link->text(), QStringLiteral("Связь"));
    EXPECT_GT(link->x(), 580 + 16);

    tk::setAttr(mp, MP_TEXTMSG_2, tk::Attr::Visible, 0);
    tk::setAttr(mp, MP_VER, tk::Attr::LabelText, "версия");
    EXPECT_EQ(qt().controlCaption(mp, MP_VER)->text(), QStringLiteral("версия"));
    EXPECT_FALSE(field<QLabel>(mp, MP_TEXTMSG_2)->isVisibleTo(qt().panelContent(mp)));
}

TEST_F(QtPanels, DimmedAndHiddenStatesFollowTheModel)
{
    auto* next = field<QPushButton>(pp5, PP5_NEXT_STEP);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_FALSE(qt().controlCaption(pp5, PP5_SET_R)->isEnabled());
    tk::setAttr(pp5, PP5_NEXT_STEP, tk::Attr::Dimmed, 0);
    EXPECT_TRUE(next->isEnabled());
    tk::setAttr(mp, MP_EXIT, tk::Attr::Dimmed, 1);
    EXPECT_FALSE(field<QPushButton>(mp, MP_EXIT)->isEnabled());

    EXPECT_TRUE(field<QPushButton>(st, ST_CANCEL)->isHidden());
    tk::setAttr(st, ST_CANCEL, tk::Attr::Visible, 1);
    EXPECT_FALSE(field<QPushButton>(st, ST_CANCEL)->isHidden());
    tk::setAttr(mp, MP_MODE_R, tk::Attr::Visible, 0);
    EXPECT_TRUE(field<QPushButton>(mp, MP_MODE_R)->isHidden());

    // After a reset to the loaded state the widget is dimmed again.
    tk::defaultCtrl(pp5, PP5_NEXT_STEP);
    EXPECT_FALSE(next->isEnabled());
}

#ifdef KSIL_HELD_INPUT
// Clicks made while the program pumps no events wait in the window system's
// queue: painting does not take them, and handing them over drops those on
// a dimmed button and queues the others, without running a callback.
TEST_F(QtPanels, HeldClicksReachTheButtonsAsTheyAreWhenHandedOver)
{
    tk::setActiveTabPage(mp, tab, 1);
    tk::processEvents();
    auto* start = field<QPushButton>(pp, PP_SET);
    auto* mode = field<QPushButton>(pp, PP_AUTO_POV);
    ASSERT_TRUE(start->isVisible());
    ASSERT_TRUE(mode->isVisible());

    tk::setAttr(pp, PP_SET, tk::Attr::Dimmed, 1);
    heldinput::click(start);
    heldinput::click(mode);
    tk::processDrawEvents();
    EXPECT_EQ(tk::core::queued(), 0u);
    tk::deliverHeldInput();
    EXPECT_EQ(tk::core::queued(), 1u); // the mode button's, not the dimmed one's
    EXPECT_TRUE(calls().empty());
    tk::setAttr(pp, PP_SET, tk::Attr::Dimmed, 0);
    tk::processEvents();
    tk::processEvents();
    EXPECT_TRUE(callsOf("setP").empty());
    EXPECT_EQ(callsOf("auto_pov").size(), 1u);

    // Without the handing over, a click held while the button was dimmed
    // reaches it once it is not (at the pump after the next wake-up).
    tk::setAttr(pp, PP_SET, tk::Attr::Dimmed, 1);
    heldinput::click(start);
    tk::processDrawEvents();
    tk::setAttr(pp, PP_SET, tk::Attr::Dimmed, 0);
    QCoreApplication::postEvent(start, new QEvent(QEvent::User)); // something else for the loop, which wakes it
    tk::processEvents();
    tk::processEvents();
    EXPECT_EQ(callsOf("setP").size(), 1u);
}
#endif

TEST_F(QtPanels, TextBoxAppendsOnlyNewLinesAndHonoursFirstVisibleLine)
{
    auto* box = field<QPlainTextEdit>(pp5, PP5_BOX_PROT);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_TRUE(QFontInfo(box->font()).fixedPitch());
    tk::appendTextBoxLine(pp5, PP5_BOX_PROT, "Поверка КСИЛ5");
    tk::appendTextBoxLine(pp5, PP5_BOX_PROT, "R = 100.0 Ом\tгодно");
    EXPECT_EQ(box->toPlainText(), QStringLiteral("Поверка КСИЛ5\nR = 100.0 Ом\tгодно"));

    for (int i = 0; i < 3000; ++i)
        tk::appendTextBoxLine(pp5, PP5_BOX_PROT, "строка " + std::to_string(i));
    EXPECT_EQ(box->document()->blockCount(), tk::numTextBoxLines(pp5, PP5_BOX_PROT));
    EXPECT_EQ(box->document()->lastBlock().text(), QStringLiteral("строка 2999"));

    tk::setAttr(pp5, PP5_BOX_PROT, tk::Attr::FirstVisibleLine, 1500);
    EXPECT_EQ(box->verticalScrollBar()->value(), tk::attr(pp5, PP5_BOX_PROT, tk::Attr::FirstVisibleLine));
    EXPECT_EQ(box->verticalScrollBar()->value(), 1500);

    tk::resetTextBox(pp5, PP5_BOX_PROT, "одна");
    EXPECT_EQ(box->toPlainText(), QStringLiteral("одна"));
    EXPECT_EQ(box->verticalScrollBar()->value(), 0);
}

TEST_F(QtPanels, TableShowsLabelsCellsColoursAndRowChanges)
{
    auto* cal = field<tk::qtui::TableField>(cp, CP_TABLE);
    ASSERT_NE(cal, nullptr);
    ASSERT_EQ(cal->rowCount(), 19);
    EXPECT_EQ(cal->verticalHeaderItem(0)->text(), QStringLiteral("1"));
    EXPECT_EQ(cal->verticalHeaderItem(18)->text(), QStringLiteral("R0"));
    EXPECT_EQ(cal->cornerText(), QStringLiteral("Ом \\ канал"));
    tk::setCell(cp, CP_TABLE, 18, 2, 131072.25);
    tk::setCellTextColor(cp, CP_TABLE, 18, 2, tk::kRed);
    EXPECT_EQ(cal->item(17, 1)->text(), QStringLiteral("131072.25"));
    EXPECT_EQ(cal->item(17, 1)->foreground().color(), QColor(Qt::red));
    EXPECT_EQ(cal->item(17, 0)->foreground().color(), QColor(Qt::black));

    auto* res = field<QTableWidget>(pp, PP_TABLE_R);
    ASSERT_EQ(res->columnCount(), 5);
    EXPECT_EQ(res->horizontalHeaderItem(4)->text(), QStringLiteral("А(R)x погрешность"));
    EXPECT_EQ(res->rowCount(), 0);
    tk::insertTableRows(pp, PP_TABLE_R, -1, 3);
    for (int r = 1; r <= 3; ++r)
        tk::setCell(pp, PP_TABLE_R, r, 2, r * 10.0);
    ASSERT_EQ(res->rowCount(), 3);
    tk::deleteTableRows(pp, PP_TABLE_R, 1, 1);
    ASSERT_EQ(res->rowCount(), 2);
    // Result columns with the protocol's four decimals.
    EXPECT_EQ(res->item(0, 1)->text(), QStringLiteral("20.0000"));
    tk::insertTableRows(pp, PP_TABLE_R, 1, 1);
    EXPECT_EQ(res->item(0, 1)->text(), QStringLiteral("0.0000"));
    EXPECT_EQ(res->item(1, 1)->text(), QStringLiteral("20.0000"));
    EXPECT_EQ(res->verticalHeaderItem(2)->text(), QStringLiteral("3"));

    // The program scrolls by setting the first visible row.
    // The program scrolls by setting the first visible row, also while the
    // page is not shown.
    tk::insertTableRows(pp, PP_TABLE_R, -1, 40);
    tk::setAttr(pp, PP_TABLE_R, tk::Attr::FirstVisibleLine, 30);
    tk::setActiveTabPage(mp, tab, 1);
    tk::processEvents();
    EXPECT_EQ(res->verticalScrollBar()->value(), 29);
    tk::setAttr(pp, PP_TABLE_R, tk::Attr::FirstVisibleLine, 10);
    EXPECT_EQ(res->verticalScrollBar()->value(), 9);
    EXPECT_EQ(tk::core::queued(), 0u);
}

// The crate, slot, module position, version and the status line show what
// the program sets; the operator cannot type into them.
TEST_F(QtPanels, IndicatorsTakeNoInput)
{
    for (int ctrl : {MP_K, MP_S, MP_MEZ_NUMold, MP_VER}) {
        auto* num = field<tk::qtui::NumField>(mp, ctrl);
        ASSERT_NE(num, nullptr);
        EXPECT_TRUE(num->isReadOnly()) << ctrl;
        const double before = tk::numValue(mp, ctrl);
        num->setFocus();
        num->selectAll();
        QTest::keyClicks(num, "9");
        QTest::keyClick(num, Qt::Key_Up);
        QTest::keyClick(num, Qt::Key_Return);
        EXPECT_EQ(tk::numValue(mp, ctrl), before) << ctrl;
    }
    auto* msg = field<QLineEdit>(mp, MP_MSG);
    EXPECT_TRUE(msg->isReadOnly());
    msg->setFocus();
    QTest::keyClicks(msg, "abc");
    QTest::keyClick(msg, Qt::Key_Return);
    EXPECT_EQ(msg->text(), QString());
    EXPECT_EQ(tk::core::queued(), 0u);

    // What the program sets still shows.
    tk::setValue(mp, MP_K, 3.0);
    EXPECT_EQ(field<tk::qtui::NumField>(mp, MP_K)->text(), QStringLiteral("3"));
    tk::setValue(mp, MP_MSG, "Ошибка");
    EXPECT_EQ(msg->text(), QStringLiteral("Ошибка"));
}

TEST_F(QtPanels, OperatorInputIsStoredAndCommitted)
{
    tk::setActiveTabPage(mp, tab, 1);
    auto* rz = field<tk::qtui::NumField>(pp, PP_R_Z);
    rz->setFocus();
    rz->selectAll();
    QTest::keyClicks(rz, "250.5");
    EXPECT_TRUE(calls().empty()); // nothing committed while typing
    QTest::keyClick(rz, Qt::Key_Return);
    tk::processEvents();
    EXPECT_EQ(tk::numValue(pp, PP_R_Z), 250.5);
    ASSERT_EQ(callsOf("vavChgU_Z").size(), 1u);
    EXPECT_EQ(callsOf("vavChgU_Z")[0].event, tk::EVENT_COMMIT);

    QTest::mouseClick(field<QPushButton>(pp, PP_AUTO_POV), Qt::LeftButton);
    tk::processEvents();
    EXPECT_EQ(tk::intValue(pp, PP_AUTO_POV), 1);
    EXPECT_EQ(callsOf("auto_pov").size(), 1u);

    auto* name = field<QLineEdit>(pp, PP_FILE_NAME);
    name->setFocus();
    name->selectAll();
    name->setText(QStringLiteral("поверка.log"));
    QTest::keyClick(name, Qt::Key_Return);
    tk::processEvents();
    EXPECT_EQ(tk::textValue(pp, PP_FILE_NAME), "поверка.log");

    // A double-click on a calibration cell reports its row and column.
    tk::setActiveTabPage(mp, tab, 0);
    auto* cal = field<QTableWidget>(cp, CP_TABLE);
    const QRect cell = cal->visualRect(cal->model()->index(2, 1));
    QTest::mouseClick(cal->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(cal->viewport(), Qt::LeftButton, {}, cell.center());
    tk::processEvents();
    const auto selects = callsOf("selectR");
    ASSERT_FALSE(selects.empty());
    EXPECT_EQ(selects.back().event, tk::EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(selects.back().data1, 3);
    EXPECT_EQ(selects.back().data2, 2);

    // Typing a number into a cell stores it and tells the callback which cell;
    // text that is no number, or no finite one, is refused.
    cal->item(4, 0)->setText("5.125");
    tk::processEvents();
    EXPECT_EQ(tk::cellNum(cp, CP_TABLE, 5, 1), 5.125);
    ASSERT_FALSE(callsOf("selectR").empty());
    EXPECT_EQ(callsOf("selectR").back().event, tk::EVENT_COMMIT);
    EXPECT_EQ(callsOf("selectR").back().data1, 5);
    EXPECT_EQ(callsOf("selectR").back().data2, 1);
    const std::size_t commits = callsOf("selectR").size();
    for (const char* typed : {"пять", "nan", "inf", "-inf", "1e400"}) {
        cal->item(4, 0)->setText(typed);
        tk::processEvents();
        EXPECT_EQ(cal->item(4, 0)->text(), QStringLiteral("5.125")) << typed;
        EXPECT_EQ(tk::cellNum(cp, CP_TABLE, 5, 1), 5.125) << typed;
    }
    EXPECT_EQ(callsOf("selectR").size(), commits);
    // Finite numbers are taken as typed, whatever they mean to the program.
    cal->item(4, 0)->setText("-5");
    tk::processEvents();
    EXPECT_EQ(tk::cellNum(cp, CP_TABLE, 5, 1), -5.0);
    cal->item(4, 0)->setText("1e308");
    tk::processEvents();
    EXPECT_EQ(tk::cellNum(cp, CP_TABLE, 5, 1), 1e308);

    // The program moves the keyboard focus: R_Z, then SET, on the page shown.
    tk::setActiveTabPage(mp, tab, 1);
    tk::setActiveCtrl(pp, PP_R_Z);
    EXPECT_EQ(rz->window()->focusWidget(), rz);
    tk::setActiveCtrl(pp, PP_SET);
    EXPECT_EQ(rz->window()->focusWidget(), field<QPushButton>(pp, PP_SET));

    // Ring: the operator's choice of another item.
    auto* ring = field<QComboBox>(pp5, PP5_CHAN);
    tk::setActiveTabPage(mp, tab, 2);
    ring->setFocus();
    QTest::keyClick(ring, Qt::Key_Down);
    EXPECT_EQ(tk::intValue(pp5, PP5_CHAN), 2);
}

// What the operator types into a numeric field reaches the model as typed,
// outside the limits too (the program refuses it with its reason); the field
// never drops a keystroke of a number or fits it to the limits. The arrows
// keep within them. A reading shows as the program recorded it.
TEST_F(QtPanels, TypedNumbersReachTheModelAsTyped)
{
    tk::setActiveTabPage(mp, tab, 1);
    auto* rz = field<tk::qtui::NumField>(pp, PP_R_Z);
    const auto type = [](tk::qtui::NumField* f, const char* text) {
        f->setFocus();
        f->selectAll();
        QTest::keyClicks(f, text);
        QTest::keyClick(f, Qt::Key_Return);
        tk::processEvents();
    };
    for (const auto& [text, value] : {std::pair{"300001", 300001.0}, std::pair{"-7", -7.0}, std::pair{"1e308", 1e308},
                                      std::pair{"0.5", 0.5}, std::pair{"1e400", HUGE_VAL}}) {
        calls().clear();
        type(rz, text);
        EXPECT_EQ(tk::numValue(pp, PP_R_Z), value) << text;
        EXPECT_EQ(rz->text(), QString::fromLatin1(text));
        EXPECT_EQ(callsOf("vavChgU_Z").size(), 1u) << text;
    }
    type(rz, "nan");
    EXPECT_TRUE(std::isnan(tk::numValue(pp, PP_R_Z)));
    // Text that can be no number is not taken; an unfinished number is no input.
    tk::setValue(pp, PP_R_Z, 100.0);
    calls().clear();
    type(rz, "abc");
    EXPECT_EQ(rz->text(), QStringLiteral("100.00"));
    type(rz, "1e");
    EXPECT_EQ(rz->text(), QStringLiteral("100.00"));
    EXPECT_EQ(tk::numValue(pp, PP_R_Z), 100.0);
    EXPECT_TRUE(calls().empty());

    // An integer field takes whole numbers, whatever its limits.
    auto* chan = field<tk::qtui::NumField>(pp, PP_CHAN);
    type(chan, "70000");
    EXPECT_EQ(tk::numValue(pp, PP_CHAN), 70000.0);
    type(chan, "1.5");
    EXPECT_EQ(chan->text(), QStringLiteral("15"));

    // The arrows step within the limits 1..2, each step an input.
    tk::setValue(pp, PP_CHAN, 2.0);
    calls().clear();
    chan->setFocus();
    QTest::keyClick(chan, Qt::Key_Up);
    EXPECT_EQ(chan->value(), 2.0);
    QTest::keyClick(chan, Qt::Key_Down);
    QTest::keyClick(chan, Qt::Key_Down);
    tk::processEvents();
    EXPECT_EQ(tk::numValue(pp, PP_CHAN), 1.0);
    EXPECT_EQ(callsOf("setChan").size(), 1u);

    // R_I shows a reading as recorded: beyond the top test point, an open circuit.
    auto* ri = field<tk::qtui::NumField>(pp, PP_R_I);
    for (const auto& [value, text] : {std::pair{262800.0, "262800.00"}, std::pair{9.9e37, "9.9e+37"}}) {
        tk::setValue(pp, PP_R_I, value);
        EXPECT_EQ(ri->value(), value);
        EXPECT_EQ(ri->text(), QString::fromLatin1(text));
    }
}

} // namespace
} // namespace qttest
