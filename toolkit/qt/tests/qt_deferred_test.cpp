// The deferred display: changes the program makes while it is deferred reach
// the widgets only when the display is painted, the event pump runs, a pop-up
// opens or the deferral ends, and then the widgets show exactly what they
// would have shown had every change reached them at once.
#include "qt_fixture.h"

#include "toolkit/deferred_display.h"
#include "toolkit/qt/widgets.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

#include <string>

namespace qttest {
namespace {

// What the widgets touched by the script below show.
struct Screen {
    QStringList table; // row headers, then each cell's text and colour
    int tableRows = 0;
    QString box;
    int boxTop = 0;
    QString value;
    bool valueHidden = false;

    bool operator==(const Screen&) const = default;
};

void PrintTo(const Screen& s, std::ostream* os)
{
    *os << s.tableRows << " rows [" << s.table.join(u'|').toStdString() << "] box \"" << s.box.toStdString()
        << "\" top " << s.boxTop << " value " << s.value.toStdString() << (s.valueHidden ? " hidden" : "");
}

class QtDeferred : public QtPanels {
protected:
    Screen screen()
    {
        Screen s;
        auto* table = field<QTableWidget>(pp, PP_TABLE_R);
        auto* box = field<QPlainTextEdit>(pp5, PP5_BOX_PROT);
        auto* value = field<tk::qtui::NumField>(pp, PP_R_Z);
        s.tableRows = table->rowCount();
        for (int r = 0; r < table->rowCount(); ++r) {
            const QTableWidgetItem* h = table->verticalHeaderItem(r);
            s.table << (h ? h->text() : QStringLiteral("-"));
            for (int c = 0; c < table->columnCount(); ++c) {
                const QTableWidgetItem* item = table->item(r, c);
                s.table << (item ? item->text() + item->foreground().color().name() : QStringLiteral("-"));
            }
        }
        s.box = box->toPlainText();
        s.boxTop = box->verticalScrollBar()->value();
        s.value = value->text();
        s.valueHidden = value->isHidden();
        return s;
    }

    // A line of the protocol box, scrolled into view as the program does it.
    void protocolLine(const std::string& text)
    {
        tk::appendTextBoxLine(pp5, PP5_BOX_PROT, text);
        tk::setAttr(pp5, PP5_BOX_PROT, tk::Attr::FirstVisibleLine, tk::numTextBoxLines(pp5, PP5_BOX_PROT) - 3);
    }

    // One stretch of the program's work between two paints.
    void step(int n)
    {
        switch (n) {
        case 0:
            tk::insertTableRows(pp, PP_TABLE_R, -1, 3);
            for (int r = 1; r <= 3; ++r)
                tk::setCell(pp, PP_TABLE_R, r, 2, r * 10.0);
            tk::setCellTextColor(pp, PP_TABLE_R, 2, 5, tk::kRed);
            for (int i = 0; i < 5; ++i)
                protocolLine("строка " + std::to_string(i));
            tk::setValue(pp, PP_R_Z, 1.5);
            tk::setValue(pp, PP_R_Z, 2.5);
            break;
        case 1:
            // Rows move under cells that changed before them.
            tk::setCell(pp, PP_TABLE_R, 3, 1, 33.0);
            tk::deleteTableRows(pp, PP_TABLE_R, 1, 1);
            tk::setCell(pp, PP_TABLE_R, 1, 2, 7.0);
            tk::insertTableRows(pp, PP_TABLE_R, 1, 1);
            tk::setCell(pp, PP_TABLE_R, 1, 3, 9.0);
            tk::setCellTextColor(pp, PP_TABLE_R, 1, 3, tk::kRed);
            // Lines appended, the text replaced, lines appended again.
            protocolLine("до");
            tk::resetTextBox(pp5, PP5_BOX_PROT, "новый");
            protocolLine("после");
            tk::setAttr(pp, PP_R_Z, tk::Attr::Visible, 0);
            tk::setValue(pp, PP_R_Z, 4.0);
            break;
        case 2:
            // More changes than are ever held at once.
            tk::insertTableRows(pp, PP_TABLE_R, -1, 150);
            for (int r = 1; r <= 153; ++r)
                for (int c = 1; c <= 5; ++c)
                    tk::setCell(pp, PP_TABLE_R, r, c, r + c / 10.0);
            for (int i = 0; i < 40; ++i)
                protocolLine("точка " + std::to_string(i));
            tk::setAttr(pp, PP_R_Z, tk::Attr::Visible, 1);
            break;
        case 3:
            tk::deleteTableRows(pp, PP_TABLE_R, 2, -1);
            tk::insertTableRows(pp, PP_TABLE_R, -1, 2);
            tk::setCell(pp, PP_TABLE_R, 3, 4, -1.25);
            tk::resetTextBox(pp5, PP5_BOX_PROT, "");
            protocolLine("конец");
            break;
        }
    }
    static constexpr int kSteps = 4;
};

TEST_F(QtDeferred, HeldChangesShowAsIfEachHadBeenShownAtOnce)
{
    // Every change shown as it is made.
    std::vector<Screen> expected;
    for (int n = 0; n < kSteps; ++n) {
        step(n);
        expected.push_back(screen());
    }
    ASSERT_EQ(expected.back().tableRows, 3);

    // The same changes on fresh panels with the display deferred.
    TearDown();
    SetUp();
    tk::setDisplayDeferred(true);
    for (int n = 0; n < kSteps; ++n) {
        const Screen before = screen();
        step(n);
        if (n != 2) { // step 2 makes more changes than are held
            EXPECT_EQ(screen(), before) << "step " << n << " reached the widgets before the paint";
        }
        tk::processDrawEvents();
        EXPECT_EQ(screen(), expected[static_cast<std::size_t>(n)]) << "after step " << n;
    }
    tk::setDisplayDeferred(false);
    EXPECT_EQ(screen(), expected.back());
}

TEST_F(QtDeferred, PopupPumpAndTheDeferralsEndShowWhatIsHeld)
{
    auto* table = field<QTableWidget>(pp, PP_TABLE_R);
    const auto shownRows = [table] { return table->rowCount(); };
    {
        const tk::DeferredDisplay deferred;
        EXPECT_TRUE(tk::displayDeferred());

        tk::insertTableRows(pp, PP_TABLE_R, -1, 1);
        EXPECT_EQ(shownRows(), 0);
        // The panels behind a pop-up are as the program left them.
        int rowsBehindPopup = -1;
        QTimer::singleShot(0, [&] {
            rowsBehindPopup = shownRows();
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        tk::messagePopup("КСИЛ2-4Л", "Сбой мультиметра!");
        EXPECT_EQ(rowsBehindPopup, 1);

        tk::insertTableRows(pp, PP_TABLE_R, -1, 1);
        EXPECT_EQ(shownRows(), 1);
        tk::processEvents();
        EXPECT_EQ(shownRows(), 2);

        tk::insertTableRows(pp, PP_TABLE_R, -1, 1);
        EXPECT_EQ(shownRows(), 2);
    }
    EXPECT_FALSE(tk::displayDeferred());
    EXPECT_EQ(shownRows(), 3);
    // Not deferred: a change reaches its widget at once.
    tk::insertTableRows(pp, PP_TABLE_R, -1, 1);
    EXPECT_EQ(shownRows(), 4);
}

} // namespace
} // namespace qttest
