// Resource loads that fail: a negative handle, nothing added to the model,
// and one line naming the file and the problem.
#include "fixture.h"

#include "toolkit/model.h"

using namespace tktest;

namespace {

class LoadFailure : public ToolkitTest {
protected:
    // Loads panel id from a resource text; expects failure and returns the message.
    std::string failPanel(std::string_view text, int id = 1)
    {
        const auto before = tk::model::panelHandles().size();
        EXPECT_EQ(tk::loadPanel(0, write("bad.uir", text), id), tk::ERR_RESOURCE);
        EXPECT_EQ(tk::model::panelHandles().size(), before);
        const std::string& msg = tk::lastError();
        EXPECT_EQ(msg.find('\n'), std::string::npos) << msg;
        return msg;
    }
};

TEST_F(LoadFailure, FileAndDocumentProblems)
{
    EXPECT_EQ(tk::loadPanel(0, (dir / "absent.uir").string(), 1), tk::ERR_RESOURCE);
    EXPECT_EQ(tk::lastError(), (dir / "absent.uir").string() + ": cannot be read: no such file");
    EXPECT_EQ(tk::loadPanel(0, dir.string(), 1), tk::ERR_RESOURCE);
    EXPECT_EQ(tk::lastError(), dir.string() + ": cannot be read: it is a folder, not a file");
    EXPECT_EQ(failPanel(""), (dir / "bad.uir").string() + ": the file is empty");

    EXPECT_EQ(failPanel(R"({"panels": [ {"id": 1,)").rfind("bad.uir: invalid JSON: ", 0), 0u)
        << tk::lastError();
    EXPECT_EQ(failPanel("[1, 2]"), "bad.uir: not a resource: the document is not a JSON object");

    EXPECT_EQ(tk::loadPanel(0, file, 42), tk::ERR_RESOURCE);
    EXPECT_EQ(tk::lastError(), "test.uir: no panel 42");
    const int p = loadShown();
    EXPECT_EQ(tk::loadMenuBar(p, file, 2), tk::ERR_RESOURCE);
    EXPECT_EQ(tk::lastError(), "test.uir: no menu bar 2");
}

TEST_F(LoadFailure, ControlProblemsNameThePanelAndControl)
{
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 5, "controls": [
        {"id": 2, "kind": "command"}, {"id": 12, "name": "X"}]}]})", 5),
              "bad.uir: panel 5: control 12 has no kind");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [{"id": 3, "kind": "slider"}]}]})"),
              "bad.uir: panel 1: control 3 has unknown kind \"slider\"");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [
        {"id": 2, "kind": "command", "callback": "nobodyRegisteredMe"}]}]})"),
              "bad.uir: panel 1: control 2: callback \"nobodyRegisteredMe\" is not registered");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "callback": "noSuchPanelCB"}]})"),
              "bad.uir: panel 1: callback \"noSuchPanelCB\" is not registered");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [
        {"id": 2, "kind": "numeric", "value": "many"}]}]})"),
              "bad.uir: panel 1: control 2: field \"value\" must be a number");

    // Sizes and indexes a resource cannot mean: refused, never a crash or a bad current item.
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [
        {"id": 2, "kind": "table", "numRows": -1, "columns": [{"label": "a"}]}]}]})"),
              "bad.uir: panel 1: control 2: number of rows -1 out of range 0..10000");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [
        {"id": 2, "kind": "table", "numRows": 2000000000, "columns": [{"label": "a"}]}]}]})"),
              "bad.uir: panel 1: control 2: number of rows 2000000000 out of range 0..10000");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [
        {"id": 2, "kind": "ring", "items": [{"label": "a", "value": 4}], "index": -3}]}]})"),
              "bad.uir: panel 1: control 2: item index out of range");

    const int p = loadShown();
    EXPECT_EQ(tk::loadMenuBar(p, write("menu.uir", R"({"menubars": [{"id": 1, "items": [
        {"id": 2, "text": "x", "callback": "unknownMenuCB"}]}]})"), 1), tk::ERR_RESOURCE);
    EXPECT_EQ(tk::lastError(), "menu.uir: menu bar 1: item 2: callback \"unknownMenuCB\" is not registered");
    EXPECT_EQ(tk::model::panel(p)->menuBar, 0);
}

// Found by fuzzing the loader: numbers were converted to int unchecked, unknown
// keys ignored, and quoted names echoed whole.
TEST_F(LoadFailure, NumbersAreCheckedBeforeConversion)
{
    const auto control = [](const std::string& fields) {
        return R"({"panels": [{"id": 1, "controls": [{"id": 2, "kind": "table", )" + fields + "}]}]}";
    };
    // A place the screen cannot have crashed the Qt backend; an id past int loaded as another id.
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "left": 2147483647}]})"),
              "bad.uir: panel 1: field \"left\" 2147483647 out of range -16384..16384");
    EXPECT_EQ(failPanel(control(R"("height": 1e300)")),
              "bad.uir: panel 1: control 2: field \"height\" 1e+300 out of range 0..16384");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 4294967297}]})"), "bad.uir: no panel 1");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [{"id": 4294967298, "kind": "command"}]}]})"),
              "bad.uir: panel 1: a control: field \"id\" 4294967298 out of range 0..2147483647");
    EXPECT_EQ(failPanel(control(R"("numRows": 1e10)")),
              "bad.uir: panel 1: control 2: number of rows 10000000000.0 out of range 0..10000");
    EXPECT_EQ(failPanel(control(R"("textColor": -1)")),
              "bad.uir: panel 1: control 2: field \"textColor\" -1 out of range 0..16777215");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [{"id": 2, "kind": "ring",
        "items": [{"label": "a", "value": 2147483648}]}]}]})"),
              "bad.uir: panel 1: control 2: item 0: field \"value\" 2147483648 out of range -2147483648..2147483647");
    // Whole numbers may carry a fraction or an exponent.
    const int p = tk::loadPanel(0, write("ok.uir", R"({"panels": [{"id": 1, "height": 3e2, "width": 400.0}]})"), 1);
    ASSERT_GT(p, 0) << tk::lastError();
    EXPECT_EQ(tk::attr(p, 0, tk::Attr::Height), 300);
}

// Found by fuzzing the Qt backend: a panel window of 16384 pixels square took
// a gigabyte of back buffer and seconds to paint, and a table's every cell is
// a widget item. Both are refused at load; what is just inside loads.
TEST_F(LoadFailure, PanelsAndTablesNoScreenShowsAreRefused)
{
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "height": 300, "width": 4097}]})"),
              "bad.uir: panel 1: field \"width\" 4097 out of range 0..4096");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "height": 16384}]})"),
              "bad.uir: panel 1: field \"height\" 16384 out of range 0..4096");
    const int p = tk::loadPanel(0, write("ok.uir", R"({"panels": [{"id": 1, "height": 4096, "width": 4096}]})"), 1);
    ASSERT_GT(p, 0) << tk::lastError();
    EXPECT_EQ(tk::attr(p, 0, tk::Attr::Width), 4096);

    const auto table = [](int columns, const std::string& rows) {
        std::string cols;
        for (int i = 0; i < columns; ++i)
            cols += std::string(i ? "," : "") + R"({"label": "c"})";
        return R"({"panels": [{"id": 1, "controls": [{"id": 2, "kind": "table", "columns": [)" + cols + "], "
               + rows + "}]}]}";
    };
    EXPECT_EQ(failPanel(table(101, R"("numRows": 1)")),
              "bad.uir: panel 1: control 2: number of columns 101 out of range 0..100");
    EXPECT_EQ(failPanel(table(11, R"("numRows": 10000)")),
              "bad.uir: panel 1: control 2: 10000 rows of 11 columns are more than 100000 cells");
    const int wide = tk::loadPanel(0, write("wide.uir", table(100, R"("numRows": 1000)")), 1);
    ASSERT_GT(wide, 0) << tk::lastError();
    EXPECT_EQ(tk::numTableRows(wide, 2), 1000);
    EXPECT_EQ(tk::numTableCols(wide, 2), 100);
}

TEST_F(LoadFailure, UnknownKeysAndWrongTypesAreRefused)
{
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "hieght": 300}]})"), "bad.uir: panel 1: unknown field \"hieght\"");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [{"id": 2, "kind": "command", "lable": "x"}]}]})"),
              "bad.uir: panel 1: control 2: unknown field \"lable\"");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1}], "menubar": []})"), "bad.uir: the document: unknown field \"menubar\"");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": {"id": 2}}]})"),
              "bad.uir: panel 1: field \"controls\" must be a list");
    EXPECT_EQ(failPanel(R"({"panels": [{"id": 1, "controls": [{"id": 2, "kind": "command", "hidden": 1}]}]})"),
              "bad.uir: panel 1: control 2: field \"hidden\" must be true or false");
    // Comments are allowed anywhere.
    EXPECT_GT(tk::loadPanel(0, write("ok.uir", R"({"_note": "x", "panels": [{"id": 1, "_why": "y"}]})"), 1), 0)
        << tk::lastError();
}

TEST_F(LoadFailure, QuotedNamesStayOneShortLine)
{
    const std::string huge(100000, 'x');
    const std::string messages[] = {
        failPanel(R"({"panels": [{"id": 1, "controls": [{"id": 2, "kind": "line\nbreak"}]}]})"),
        failPanel(R"({"panels": [{"id": 1, "controls": [{"id": 2, "kind": ")" + huge + R"("}]}]})"),
        failPanel(R"({"panels": [{"id": 1, "callback": ")" + huge + R"("}]})"),
        failPanel(R"({"panels": [{"id": 1, ")" + huge + R"(": 1}]})"),
        failPanel(R"({"panels": [{"id": 1, "title": ")" + huge),
    };
    EXPECT_EQ(messages[0], "bad.uir: panel 1: control 2 has unknown kind \"line?break\"");
    for (const std::string& m : messages)
        EXPECT_LE(m.size(), 410u) << m.substr(0, 200);
}

TEST_F(LoadFailure, NullCallbackIsKnownAndDoesNothing)
{
    tk::registerCallback("pendingCB", nullptr);
    const int p = tk::loadPanel(0, write("ok.uir", R"({"panels": [{"id": 1, "controls": [
        {"id": 2, "kind": "command", "callback": "pendingCB"}]}]})"), 1);
    ASSERT_GT(p, 0) << tk::lastError();
    tk::displayPanel(p);
    tk::headless::press(p, 2);
    EXPECT_THROW(while (true) tk::pollMainLoop(), tk::headless::MainLoopIdle);
    EXPECT_TRUE(calls.empty());
}

} // namespace
