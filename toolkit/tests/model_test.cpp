// Values, coercion, lists, text boxes, tables, defaults and the change
// notifications a presenting backend relies on.
#include "fixture.h"

#include "toolkit/backend.h"
#include "toolkit/model.h"

using namespace tktest;

namespace {

class ModelTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        p = loadShown();
    }
    int p = 0;
};

TEST_F(ModelTest, NumericsAreCoercedToTypeAndLimits)
{
    // uint16 with limits 1..300
    EXPECT_EQ(tk::setValue(p, 2, 7.6), tk::OK);
    EXPECT_EQ(tk::intValue(p, 2), 8);
    tk::setValue(p, 2, 1e6);
    EXPECT_EQ(tk::intValue(p, 2), 300);
    tk::setValue(p, 2, -4);
    EXPECT_EQ(tk::intValue(p, 2), 1);
    // int16 without limits: the type's range
    tk::setValue(p, 3, 40000);
    EXPECT_EQ(tk::intValue(p, 3), 32767);
    tk::setValue(p, 3, -2.5);
    EXPECT_EQ(tk::intValue(p, 3), -3);
    // double keeps fractions within its limits
    tk::setValue(p, 4, 12.25);
    EXPECT_DOUBLE_EQ(tk::numValue(p, 4), 12.25);
    tk::setValue(p, 4, 0.5);
    EXPECT_DOUBLE_EQ(tk::numValue(p, 4), 1.0);
    // text typed into a numeric is parsed and coerced; rubbish is refused
    EXPECT_EQ(tk::setValue(p, 2, std::string_view("250.4")), tk::OK);
    EXPECT_EQ(tk::intValue(p, 2), 250);
    EXPECT_EQ(tk::setValue(p, 2, std::string_view("abc")), tk::ERR_ARG);
    EXPECT_EQ(tk::intValue(p, 2), 250);
}

TEST_F(ModelTest, CallsOnWhatIsNotThereAreMistakesThatChangeNothing)
{
    namespace hl = tk::headless;
    {
        hl::ExpectMisuse expected;
        EXPECT_EQ(tk::setValue(p + 100, 2, 1.0), tk::ERR_PANEL);
        EXPECT_EQ(tk::setValue(p, 99, 1.0), tk::ERR_CONTROL);
        EXPECT_EQ(tk::numValue(p, 99), 0.0);
        EXPECT_EQ(tk::textValue(p, 99), "");
        EXPECT_EQ(expected.count(), 4);
        // The report names the operation, the panel and the control.
        EXPECT_EQ(expected.last(), "textValue: panel " + std::to_string(p) + " (P), control 99: no such control (status -2)");

        // A control of a kind the operation does not take: the same mistake.
        EXPECT_EQ(tk::setCell(p, 2, 1, 1, 5.0), tk::ERR_CONTROL);
        EXPECT_NE(expected.last().find("setCell: panel " + std::to_string(p) + " (P), control 2 (NUM)"),
                  std::string::npos);
        EXPECT_EQ(tk::insertListItem(p, 8, -1, "x", 1), tk::ERR_CONTROL);
        EXPECT_EQ(tk::numTabPages(p, 12), tk::ERR_CONTROL); // still a canvas
        EXPECT_EQ(tk::setValue(p, 7, 3.0), tk::ERR_CONTROL); // a number into a text box
        EXPECT_EQ(tk::setValue(p, 9, std::string_view("x")), tk::ERR_CONTROL); // text onto a button
        EXPECT_EQ(expected.count(), 9);
    }
    EXPECT_EQ(tk::intValue(p, 2), 5);
    EXPECT_EQ(tk::numTableRows(p, 8), 3);
    EXPECT_EQ(tk::numTextBoxLines(p, 7), 2);
    EXPECT_EQ(tk::numListItems(p, 5), 0);

    // A value or index out of range is the operator's or the data's, not a mistake of the program.
    EXPECT_EQ(tk::setCell(p, 8, 4, 1, 1.0), tk::ERR_ARG);
    EXPECT_EQ(tk::setValue(p, 6, 25.0), tk::ERR_ARG);

    // Outside a scope that expects it, the mistake fails the test.
    EXPECT_THROW(tk::setValue(p, 99, 1.0), hl::Misuse);
    EXPECT_THROW(tk::attr(p + 1, 0, tk::Attr::Visible), hl::Misuse);
}

TEST_F(ModelTest, ListsAndRingsHaveTheCurrentItemsValue)
{
    EXPECT_EQ(tk::listIndex(p, 5), -1);
    tk::insertListItem(p, 5, -1, "первый", 7);
    EXPECT_EQ(tk::listIndex(p, 5), 0); // the first item becomes current
    tk::insertListItem(p, 5, -1, "второй", 9);
    tk::setListIndex(p, 5, 1);
    tk::insertListItem(p, 5, 0, "нулевой", 3); // inserted above: the current item stays current
    EXPECT_EQ(tk::listIndex(p, 5), 2);
    EXPECT_EQ(tk::intValue(p, 5), 9);
    EXPECT_EQ(tk::textValue(p, 5), "второй");
    int v = 0;
    EXPECT_EQ(tk::listItemValue(p, 5, 0, v), tk::OK);
    EXPECT_EQ(v, 3);
    EXPECT_EQ(tk::listItemValue(p, 5, 3, v), tk::ERR_ARG);
    tk::clearList(p, 5);
    EXPECT_EQ(tk::numListItems(p, 5), 0);
    EXPECT_EQ(tk::listIndex(p, 5), -1);

    // Ring loaded with "b" selected; setting a value selects the item carrying it.
    EXPECT_EQ(tk::intValue(p, 6), 20);
    EXPECT_EQ(tk::setValue(p, 6, 30.0), tk::OK);
    EXPECT_EQ(tk::listIndex(p, 6), 2);
    EXPECT_EQ(tk::setValue(p, 6, 25.0), tk::ERR_ARG);
    EXPECT_EQ(tk::listIndex(p, 6), 2);

    // Binary switch: value of the position
    EXPECT_EQ(tk::intValue(p, 14), 0);
    tk::setValue(p, 14, 1.0);
    EXPECT_EQ(tk::textValue(p, 14), "4R");
}

TEST_F(ModelTest, TextBoxLinesAndScrolling)
{
    EXPECT_EQ(tk::numTextBoxLines(p, 7), 2);
    EXPECT_EQ(tk::attr(p, 7, tk::Attr::VisibleLines), 5); // 80 px
    for (int i = 0; i < 10; ++i)
        tk::appendTextBoxLine(p, 7, "строка " + std::to_string(i));
    EXPECT_EQ(tk::numTextBoxLines(p, 7), 12);
    EXPECT_EQ(tk::attr(p, 7, tk::Attr::NumLines), 12);
    EXPECT_EQ(tk::textBoxLine(p, 7, 11), "строка 9");
    // The top line cannot go past the point where the last line sits at the bottom.
    tk::setAttr(p, 7, tk::Attr::FirstVisibleLine, 100);
    EXPECT_EQ(tk::attr(p, 7, tk::Attr::FirstVisibleLine), 7);
    tk::setAttr(p, 7, tk::Attr::FirstVisibleLine, -3);
    EXPECT_EQ(tk::attr(p, 7, tk::Attr::FirstVisibleLine), 0);
    // Setting the visible lines resizes the box.
    tk::setAttr(p, 7, tk::Attr::VisibleLines, 12);
    EXPECT_EQ(tk::attr(p, 7, tk::Attr::Height), 192);
    tk::resetTextBox(p, 7, "a\nb\nc");
    EXPECT_EQ(tk::textValue(p, 7), "a\nb\nc");
    tk::resetTextBox(p, 7, "");
    EXPECT_EQ(tk::numTextBoxLines(p, 7), 0);
}

TEST_F(ModelTest, TablesGrowByRowsWithTypedCellsAndColours)
{
    EXPECT_EQ(tk::numTableRows(p, 8), 3);
    EXPECT_EQ(tk::numTableCols(p, 8), 2);
    EXPECT_EQ(tk::insertTableRows(p, 8, -1, 2), tk::OK);
    EXPECT_EQ(tk::numTableRows(p, 8), 5);
    EXPECT_EQ(tk::setCell(p, 8, 5, 1, 12.5), tk::OK);
    EXPECT_EQ(tk::setCell(p, 8, 5, 2, std::string_view("текст")), tk::OK);
    EXPECT_DOUBLE_EQ(tk::cellNum(p, 8, 5, 1), 12.5);
    EXPECT_EQ(tk::cellText(p, 8, 5, 2), "текст");
    EXPECT_EQ(tk::setCell(p, 8, 6, 1, 1.0), tk::ERR_ARG);
    EXPECT_EQ(tk::setCell(p, 8, 1, 3, 1.0), tk::ERR_ARG);
    EXPECT_EQ(tk::setCell(p, 8, 0, 1, 1.0), tk::ERR_ARG);

    EXPECT_EQ(tk::cellTextColor(p, 8, 5, 1), tk::kBlack);
    tk::setCellTextColor(p, 8, 5, 1, tk::kRed);
    EXPECT_EQ(tk::cellTextColor(p, 8, 5, 1), tk::kRed);
    EXPECT_EQ(tk::cellTextColor(p, 8, 4, 1), tk::kBlack);

    // Inserting above moves the cells down with their colours.
    tk::insertTableRows(p, 8, 1, 1);
    EXPECT_DOUBLE_EQ(tk::cellNum(p, 8, 6, 1), 12.5);
    EXPECT_EQ(tk::cellTextColor(p, 8, 6, 1), tk::kRed);
    tk::deleteTableRows(p, 8, 1, -1);
    EXPECT_EQ(tk::numTableRows(p, 8), 0);
}

TEST_F(ModelTest, DefaultsRestoreTheLoadedState)
{
    tk::setValue(p, 2, 100.0);
    tk::setValue(p, 15, std::string_view("other.log"));
    tk::setCell(p, 8, 2, 1, 3.0);
    tk::setCellTextColor(p, 8, 2, 1, tk::kRed);
    tk::insertTableRows(p, 8, -1, 4);
    tk::setAttr(p, 9, tk::Attr::Visible, 0);
    tk::setAttr(p, 11, tk::Attr::Dimmed, 0);
    tk::setValue(p, 6, 10.0);
    tk::appendTextBoxLine(p, 7, "x");

    EXPECT_EQ(tk::defaultCtrl(p, 8), tk::OK);
    EXPECT_EQ(tk::numTableRows(p, 8), 3);
    EXPECT_EQ(tk::cellNum(p, 8, 2, 1), 0.0);
    EXPECT_EQ(tk::cellTextColor(p, 8, 2, 1), tk::kBlack);
    EXPECT_EQ(tk::intValue(p, 2), 100); // only the table so far

    tk::defaultPanel(p);
    EXPECT_EQ(tk::intValue(p, 2), 5);
    EXPECT_EQ(tk::textValue(p, 15), "ksil2.log");
    EXPECT_EQ(tk::attr(p, 9, tk::Attr::Visible), 1);
    EXPECT_EQ(tk::attr(p, 11, tk::Attr::Dimmed), 1);
    EXPECT_EQ(tk::intValue(p, 6), 20);
    EXPECT_EQ(tk::numTextBoxLines(p, 7), 2);
}

TEST_F(ModelTest, TabControlReplacesTheCanvasAndLosesPages)
{
    const int tab = tk::convertCanvasToTab(p, 12);
    ASSERT_EQ(tab, 12);
    const tk::model::Control* c = tk::model::control(p, tab);
    EXPECT_EQ(c->kind, tk::Kind::Tab);
    EXPECT_EQ(c->top, 10);
    EXPECT_EQ(c->width, 400);
    const int a = tk::loadPanelAsTabPage(p, tab, -1, file, 2);
    const int b = tk::loadPanelAsTabPage(p, tab, -1, file, 3);
    const int a2 = tk::loadPanelAsTabPage(p, tab, -1, file, 2);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(tk::numTabPages(p, tab), 3);
    EXPECT_EQ(tk::tabPageTitle(p, tab, 1), "Вторая");
    EXPECT_EQ(tk::loadPanelAsTabPage(p, tab, -1, file, 42), tk::ERR_RESOURCE);

    tk::setActiveTabPage(p, tab, 2);
    EXPECT_EQ(tk::deleteTabPage(p, tab, 1, 1), tk::OK);
    EXPECT_EQ(tk::numTabPages(p, tab), 2);
    EXPECT_EQ(tk::tabPagePanel(p, tab, 1), a2);
    EXPECT_EQ(tk::activeTabPage(p, tab), 1); // still the same page
    EXPECT_EQ(tk::deleteTabPage(p, tab, 1, 5), tk::ERR_ARG);
    // The removed page's panel still answers, and goes with its host.
    EXPECT_EQ(tk::attrText(b, 0, tk::Attr::Title), "Вторая");
    EXPECT_EQ(tk::attr(b, 0, tk::Attr::Visible), 0);
    tk::discardPanel(p);
    EXPECT_EQ(tk::model::panel(a), nullptr);
    EXPECT_EQ(tk::model::panel(b), nullptr);
}

TEST_F(ModelTest, PopupStackAndMenuDimming)
{
    const int q = tk::loadPanel(0, file, 2);
    const int r = tk::loadPanel(0, file, 3);
    tk::installPopup(q);
    tk::installPopup(r);
    EXPECT_TRUE(tk::model::panel(r)->popup);
    tk::removePopup(0);
    EXPECT_FALSE(tk::model::panel(r)->visible);
    EXPECT_TRUE(tk::model::panel(q)->popup);
    tk::installPopup(r);
    tk::removePopup(1);
    EXPECT_FALSE(tk::model::panel(q)->visible);
    EXPECT_FALSE(tk::model::panel(r)->visible);
    EXPECT_EQ(tk::removePopup(1), tk::ERR_ARG);

    const int bar = tk::loadMenuBar(p, file, 1);
    ASSERT_GT(bar, 0) << tk::lastError();
    EXPECT_EQ(tk::menuItemText(bar, 5), "Выход");
    EXPECT_FALSE(tk::menuItemDimmed(bar, 3));
    tk::setMenuItemDimmed(bar, 3, true);
    EXPECT_TRUE(tk::menuItemDimmed(bar, 3));
    tk::headless::ExpectMisuse expected;
    EXPECT_EQ(tk::setMenuItemDimmed(bar, 77, true), tk::ERR_CONTROL);
    EXPECT_EQ(expected.count(), 1);
}

// A backend that only records the notifications it receives.
struct Note {
    int panel, ctrl;
    tk::Change what;
    int a, b;
};
std::vector<Note> notes;

class NoteBackend : public tk::Backend {
public:
    void controlChanged(int panel, int ctrl, tk::Change what, int a, int b) override
    {
        notes.push_back({panel, ctrl, what, a, b});
    }
    void pump(bool) override {}
    void messagePopup(std::string_view, std::string_view) override {}
    int confirmPopup(std::string_view, std::string_view, int) override { return 0; }
    int fileSelectPopup(std::string_view, std::string_view, std::string_view, std::string_view, bool,
                        std::string&) override
    {
        return tk::FILE_NONE;
    }
};

TEST_F(ToolkitTest, ChangesAreNotifiedPrecisely)
{
    tk::core::install(std::make_unique<NoteBackend>());
    const int p = tk::loadPanel(0, file, 1);
    notes.clear();
    for (int i = 0; i < 3; ++i)
        tk::appendTextBoxLine(p, 7, "x");
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[2].what, tk::Change::LinesAppended);
    EXPECT_EQ(notes[2].a, 4); // two lines loaded, then two appended before this one
    notes.clear();
    tk::setCell(p, 8, 3, 2, std::string_view("z"));
    tk::setCellTextColor(p, 8, 1, 1, tk::kRed);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].what, tk::Change::Cell);
    EXPECT_EQ(notes[0].a, 3);
    EXPECT_EQ(notes[0].b, 2);
    EXPECT_EQ(notes[1].what, tk::Change::Cell);
    notes.clear();
    tk::insertTableRows(p, 8, -1, 2);
    tk::setAttr(p, 9, tk::Attr::Dimmed, 1);
    tk::setValue(p, 2, 3.0);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].what, tk::Change::Rows);
    EXPECT_EQ(notes[1].what, tk::Change::Attributes);
    EXPECT_EQ(notes[2].what, tk::Change::Value);
    // Operator input stored by a backend is not echoed back.
    notes.clear();
    tk::core::storeValue(p, 2, 9.0);
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(tk::intValue(p, 2), 9);
}

} // namespace
