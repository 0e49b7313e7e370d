// The panel resource and p_ksil2.h must agree: every panel, control and menu
// item constant with its id, and every callback the header names; every
// panels and the menu bar must load with those callbacks registered; and the
// resource must hold what the program's start-up check asks of it, which in
// turn names each control by its constant.
#include "p_ksil2/resource_check.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_dir.h"
#include "toolkit/headless/headless.h"
#include "toolkit/model.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

const std::string kDir = KSIL_RESOURCE_DIR;
const std::string kResource = kDir + "/p_ksil2.uir";

struct Header {
    std::map<std::string, int> ids;               // constant → value
    std::map<std::string, std::string> callbacks; // constant → callback named in its comment
    std::string mpCallback;
};

Header parseHeader()
{
    Header h;
    const std::string text = readBytes(kDir + "/p_ksil2.h");
    const std::regex constant(R"(inline constexpr int (\w+) = (\d+);[ \t]*(?://[ \t]*callback (\w+))?)");
    for (std::sregex_iterator it(text.begin(), text.end(), constant), end; it != end; ++it) {
        h.ids[(*it)[1]] = std::stoi((*it)[2]);
        if ((*it)[3].matched)
            h.callbacks[(*it)[1]] = (*it)[3];
    }
    std::smatch m;
    if (std::regex_search(text, m, std::regex(R"(// MP .*\(panel callback (\w+)\))")))
        h.mpCallback = m[1];
    return h;
}

nlohmann::json resource()
{
    return nlohmann::json::parse(readBytes(kResource));
}

nlohmann::json& controlOf(nlohmann::json& doc, const std::string& panel, const std::string& name)
{
    for (auto& p : doc["panels"])
        if (p["name"] == panel)
            for (auto& c : p["controls"])
                if (c["name"] == name)
                    return c;
    throw std::runtime_error(panel + "_" + name + " is not in the resource");
}

int callbackStub(int, int, int, void*, int, int)
{
    return 0;
}
void menuStub(int, int, void*, int) {}

TEST(Resource, ConstantsOfTheHeaderMatchTheResource)
{
    const Header h = parseHeader();
    ASSERT_GT(h.ids.size(), 100u);
    const auto doc = resource();

    std::map<std::string, int> ids;
    std::map<std::string, std::string> callbacks;
    for (const auto& p : doc["panels"]) {
        const std::string panel = p["name"];
        ids[panel] = p["id"];
        int expected = 2; // controls are numbered from 2 in order
        for (const auto& c : p["controls"]) {
            const std::string name = panel + "_" + c["name"].get<std::string>();
            EXPECT_EQ(c["id"].get<int>(), expected++) << name;
            ids[name] = c["id"];
            if (c.contains("callback"))
                callbacks[name] = c["callback"];
        }
        if (p.contains("callback")) {
            EXPECT_EQ(panel == "MP" ? h.mpCallback : "", p["callback"].get<std::string>()) << panel;
        }
    }
    ASSERT_EQ(doc["menubars"].size(), 1u);
    const auto& bar = doc["menubars"][0];
    ids[bar["name"]] = bar["id"];
    std::string menu;
    int expected = bar["id"].get<int>() + 1; // item ids count on from the bar's
    for (const auto& item : bar["items"]) {
        EXPECT_EQ(item["id"].get<int>(), expected++);
        const std::string name = item["name"];
        if (item.value("menu", false))
            menu = "MENUBAR_" + name;
        const std::string full = item.value("menu", false) ? menu : menu + "_" + name;
        ids[full] = item["id"];
        if (!item.value("menu", false) && !item.value("separator", false)) {
            EXPECT_EQ(item.value("callback", ""), "MenuCallback") << full;
        }
    }
    EXPECT_EQ(ids, h.ids);
    EXPECT_EQ(callbacks, h.callbacks);
    EXPECT_EQ(h.mpCallback, "CloseCB");
}

// The start-up check's lists name each control and item as p_ksil2.h does.
TEST(Resource, WhatTheProgramAddressesIsNamedAsInTheHeader)
{
    const Header h = parseHeader();
    std::map<int, std::string> panels;
    for (const char* name : {"ABOUT", "CHLP", "CP", "DP", "MP", "PP", "PP5", "ST", "TP", "HI"})
        panels[h.ids.at(name)] = name;
    for (const ExpectedControl& c : kExpectedControls) {
        const std::string name = panels.at(c.panel) + "_" + c.name;
        ASSERT_TRUE(h.ids.count(name)) << name;
        EXPECT_EQ(h.ids.at(name), c.id) << name;
    }
    for (const ExpectedMenuItem& item : kExpectedMenuItems) {
        const std::string name = std::string("MENUBAR_") + item.name;
        ASSERT_TRUE(h.ids.count(name)) << name;
        EXPECT_EQ(h.ids.at(name), item.id) << name;
    }
}

class ResourceLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Header h = parseHeader();
        for (const auto& [ctrl, name] : h.callbacks)
            tk::registerCallback(name, callbackStub);
        tk::registerCallback(h.mpCallback, callbackStub);
        tk::registerMenuCallback("MenuCallback", menuStub);
        ASSERT_TRUE(tk::headless::start());
        load(kResource);
    }
    void TearDown() override { tk::shutdown(); }
    void load(const std::string& file)
    {
        for (int id = 1; id <= kPanelCount; ++id) {
            handle[id] = tk::loadPanel(0, file, id);
            ASSERT_GT(handle[id], 0) << tk::lastError();
        }
        bar = tk::loadMenuBar(handle[5], file, 1);
        ASSERT_GT(bar, 0) << tk::lastError();
    }
    std::string check() const
    {
        return checkResource([this](int id) { return id >= 1 && id <= kPanelCount ? handle[id] : 0; }, bar);
    }
    static constexpr int kPanelCount = 10;
    int handle[kPanelCount + 1] = {};
    int bar = 0;
};

TEST_F(ResourceLoad, HoldsEveryControlTheProgramAddressesAsItAddressesIt)
{
    EXPECT_EQ(check(), "");
}

// A resource that does not fit is caught, naming the control and what the program needs.
TEST_F(ResourceLoad, CheckNamesTheFirstControlThatDoesNotFit)
{
    const struct {
        void (*spoil)(nlohmann::json&);
        const char* said;
    } cases[] = {
        {[](nlohmann::json& d) { controlOf(d, "CP", "TABLE")["rows"] = {"1", "2", "4", "8", "16"}; },
         "panel CP (3): control TABLE (5) is a table of 5 rows x 2 columns: the program needs a table of 19 rows "
         "x 2 columns"},
        {[](nlohmann::json& d) { controlOf(d, "PP", "TABLE_R")["columns"].erase(4); },
         "panel PP (6): control TABLE_R (10) is a table of 0 rows x 4 columns: the program needs a table of any "
         "rows x 5 columns"},
        {[](nlohmann::json& d) { controlOf(d, "MP", "MSG")["id"] = 99; },
         "panel MP (5): no control MSG (12): the program needs a string"},
        {[](nlohmann::json& d) { controlOf(d, "ST", "MSG")["kind"] = "string"; },
         "panel ST (8): control MSG (6) is a string: the program needs a textbox"},
        {[](nlohmann::json& d) { d["menubars"][0]["items"].erase(7); },
         "menu bar: no item EXE_CALIBR (9), which the program dispatches"},
    };
    const TempDir folder("resource-check");
    const std::filesystem::path file = folder.path() / "p_ksil2.uir";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        nlohmann::json doc = resource();
        c.spoil(doc);
        std::ofstream(file, std::ios::trunc) << doc.dump();
        tk::shutdown();
        ASSERT_TRUE(tk::headless::start());
        load(file.string());
        EXPECT_EQ(check(), c.said);
    }
}

// The crate, slot, module position, version and the status line only show
// what the program sets; the other controls of MP take the operator's input.
TEST_F(ResourceLoad, MainWindowIndicators)
{
    std::set<std::string> marked;
    for (const auto& c : tk::model::panel(handle[5])->controls)
        if (c.indicator)
            marked.insert(c.constName);
    EXPECT_EQ(marked, (std::set<std::string>{"K", "MEZ_NUMold", "MSG", "S", "VER"}));
}

TEST_F(ResourceLoad, PanelsHaveTheirTitlesAndSizes)
{
    const struct {
        int id;
        const char* title;
        int height, width;
    } want[] = {
        {1, "О программе...", 265, 364}, {2, "Поверка", 469, 640},  {3, "Калибровка", 420, 555},
        {4, "Измерьте точное значение", 145, 282}, {5, "КСИЛ2-4л", 588, 701}, {6, "Поверка", 420, 555},
        {7, "Поверка КСИЛ5", 420, 555}, {8, "Самоконтроль", 167, 654},  {9, "Поверка 2", 420, 555},
        {10, "История мезонина", 500, 640},
    };
    for (const auto& w : want) {
        const tk::model::Panel* p = tk::model::panel(handle[w.id]);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->title, w.title);
        EXPECT_EQ(p->height, w.height) << w.title;
        EXPECT_EQ(p->width, w.width) << w.title;
    }
    EXPECT_EQ(tk::model::panel(handle[1])->fontFamily, "Arial");
    EXPECT_EQ(tk::menuItemText(bar, 3), "Выбор инструмента...");
    EXPECT_EQ(tk::menuItemText(bar, 9), "Калибровку автоматически");
}

TEST_F(ResourceLoad, ControlsStartInTheStateTheProgramExpects)
{
    const int cp = handle[3], pp = handle[6], pp5 = handle[7], st = handle[8], mp = handle[5];
    // Calibration table (its shape is the start-up check's): labelled rows,
    // numbers, all zero.
    ASSERT_EQ(check(), "");
    const tk::model::Control* table = tk::model::control(cp, 5);
    EXPECT_EQ(table->rowLabels.front(), "1");
    EXPECT_EQ(table->rowLabels[17], "131072");
    EXPECT_EQ(table->rowLabels.back(), "R0");
    EXPECT_EQ(table->cornerLabel, "Ом \\ канал");
    for (int r = 1; r <= 19; ++r)
        EXPECT_EQ(tk::cellNum(cp, 5, r, 2), 0.0);
    // Result tables start empty; PP's columns are the check's, TP's are PP's.
    EXPECT_EQ(tk::numTableRows(pp, 10), 0);
    EXPECT_EQ(tk::model::control(pp, 10)->columns[4].label, "А(R)x погрешность");
    EXPECT_EQ(tk::numTableCols(handle[9], 11), tk::numTableCols(pp, 10));
    // Rings and the switch.
    EXPECT_EQ(tk::numListItems(pp5, 2), 5);
    EXPECT_EQ(tk::intValue(pp5, 2), 1);
    EXPECT_EQ(tk::listItemLabel(pp5, 2, 4), "Канал 5");
    EXPECT_EQ(tk::textValue(pp5, 12), "20 °С");
    EXPECT_EQ(tk::intValue(pp5, 12), 1);
    EXPECT_EQ(tk::intValue(pp5, 3), 0);
    EXPECT_EQ(tk::listItemLabel(pp5, 3, 1), "4R");
    // Limits and types the operations rely on.
    tk::setValue(pp, 2, 7.0);
    EXPECT_EQ(tk::intValue(pp, 2), 2);
    // R_I holds a reading as read: the top test point is no limit of it.
    tk::setValue(pp, 5, 262800.0);
    EXPECT_EQ(tk::numValue(pp, 5), 262800.0);
    double lo = 0, hi = 0;
    EXPECT_EQ(tk::numericRange(pp, 3, lo, hi), tk::OK);
    EXPECT_EQ(std::pair(lo, hi), std::pair(1.0, 300000.0));
    EXPECT_EQ(tk::textValue(pp, 7), "ksil2.log");
    EXPECT_EQ(tk::textValue(pp5, 8), "ksil5.log");
    // Initial hidden and dimmed states.
    EXPECT_EQ(tk::attr(handle[4], 3, tk::Attr::Visible), 0);
    EXPECT_EQ(tk::attr(pp5, 7, tk::Attr::Dimmed), 1);
    EXPECT_EQ(tk::attr(pp5, 14, tk::Attr::Visible), 0);
    EXPECT_EQ(tk::attr(st, 3, tk::Attr::Visible), 0);
    EXPECT_EQ(tk::attr(st, 4, tk::Attr::Visible), 0);
    EXPECT_EQ(tk::attr(st, 5, tk::Attr::Dimmed), 1);
    EXPECT_TRUE(tk::model::control(handle[2], 2)->monospace);
    EXPECT_TRUE(tk::model::control(pp5, 11)->monospace);
    // Main window: empty status line, no mezzanines listed, link LED off, the canvas.
    EXPECT_EQ(tk::textValue(mp, 12), "");
    EXPECT_EQ(tk::numListItems(mp, 22), 0);
    EXPECT_EQ(tk::intValue(mp, 6), 0);
    EXPECT_EQ(tk::model::control(mp, 20)->kind, tk::Kind::Canvas);
}

TEST_F(ResourceLoad, MainWindowTakesItsThreePagesAndLaysOutCleanly)
{
    const int mp = handle[5];
    const int tab = tk::convertCanvasToTab(mp, 20);
    ASSERT_EQ(tab, 20);
    for (int id : {3, 6, 7})
        ASSERT_GT(tk::loadPanelAsTabPage(mp, tab, -1, kResource, id), 0) << tk::lastError();
    EXPECT_EQ(tk::tabPageTitle(mp, tab, 0), "Калибровка");
    EXPECT_EQ(tk::tabPageTitle(mp, tab, 1), "Поверка");
    EXPECT_EQ(tk::tabPageTitle(mp, tab, 2), "Поверка КСИЛ5");
    const tk::model::Control* c = tk::model::control(mp, tab);
    EXPECT_GE(c->width, 555);
    EXPECT_GE(c->height, 420);

    // Every control lies inside its panel, and no two controls (frames aside) overlap.
    for (int id = 1; id <= kPanelCount; ++id) {
        const tk::model::Panel* p = tk::model::panel(handle[id]);
        for (const auto& a : p->controls) {
            EXPECT_GE(a.top, 0) << p->constName << "_" << a.constName;
            EXPECT_GE(a.left, 0) << p->constName << "_" << a.constName;
            EXPECT_LE(a.top + a.height, p->height) << p->constName << "_" << a.constName;
            EXPECT_LE(a.left + a.width, p->width) << p->constName << "_" << a.constName;
            EXPECT_GT(a.height * a.width, 0) << p->constName << "_" << a.constName;
            for (const auto& b : p->controls) {
                if (&a >= &b || a.kind == tk::Kind::Decoration || b.kind == tk::Kind::Decoration)
                    continue;
                const bool overlap = a.top < b.top + b.height && b.top < a.top + a.height
                    && a.left < b.left + b.width && b.left < a.left + a.width;
                EXPECT_FALSE(overlap) << p->constName << ": " << a.constName << " / " << b.constName;
            }
        }
    }
}

} // namespace
