// Shared set-up of the toolkit tests: a headless run-time, a small resource
// written to a temporary folder, and callbacks that record what reached them.
#pragma once

#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tktest {

struct Call {
    int panel, ctrl, event, d1, d2;
    bool operator==(const Call&) const = default;
};

inline std::vector<Call> calls;
inline std::vector<std::pair<int, int>> menuCalls; // (menu bar, item)
inline std::function<void(const Call&)> onCall;    // run inside the recording callback

inline int record(int panel, int ctrl, int event, void*, int d1, int d2)
{
    // A copy: a nested callback may grow the vector while onCall runs.
    const Call call{panel, ctrl, event, d1, d2};
    calls.push_back(call);
    if (onCall)
        onCall(call);
    return 0;
}

inline void recordMenu(int bar, int item, void*, int)
{
    menuCalls.emplace_back(bar, item);
}

// Panel 1 holds one control of each kind the tests need; panels 2 and 3 are tab pages.
inline constexpr const char* kResource = R"json({
 "panels": [
  {"id": 1, "name": "P", "title": "Панель", "height": 400, "width": 500, "callback": "rec",
   "controls": [
    {"id": 2, "name": "NUM", "kind": "numeric", "type": "uint16", "value": 5, "min": 1, "max": 300, "callback": "rec"},
    {"id": 3, "name": "INT", "kind": "numeric", "type": "int16", "value": 0},
    {"id": 4, "name": "DBL", "kind": "numeric", "type": "double", "value": 1, "min": 1, "max": 262143},
    {"id": 5, "name": "LIST", "kind": "listbox", "callback": "rec"},
    {"id": 6, "name": "RING", "kind": "ring", "type": "int32",
     "items": [{"label": "a", "value": 10}, {"label": "b", "value": 20}, {"label": "c", "value": 30}], "index": 1},
    {"id": 7, "name": "BOX", "kind": "textbox", "height": 80, "value": "первая\nвторая"},
    {"id": 8, "name": "TABLE", "kind": "table", "corner": "Ом", "callback": "rec",
     "columns": [{"label": "1", "type": "double"}, {"label": "имя", "type": "string"}],
     "rows": ["1", "2", "R0"]},
    {"id": 9, "name": "BTN", "kind": "command", "label": "Кнопка", "callback": "rec"},
    {"id": 10, "name": "HIDDEN", "kind": "command", "hidden": true, "callback": "rec"},
    {"id": 11, "name": "DIMMED", "kind": "command", "dimmed": true, "callback": "rec"},
    {"id": 12, "name": "CANVAS", "kind": "canvas", "top": 10, "left": 20, "height": 300, "width": 400, "callback": "rec"},
    {"id": 13, "name": "TOGGLE", "kind": "toggle", "callback": "rec"},
    {"id": 14, "name": "SW", "kind": "binary", "items": [{"label": "2R", "value": 0}, {"label": "4R", "value": 1}]},
    {"id": 15, "name": "STR", "kind": "string", "value": "ksil2.log"},
    {"id": 16, "name": "IND", "kind": "numeric", "type": "uint16", "value": 1, "indicator": true}
   ]},
  {"id": 2, "name": "PAGE", "title": "Страница", "height": 100, "width": 100,
   "controls": [{"id": 2, "name": "BTN", "kind": "command", "callback": "rec"}]},
  {"id": 3, "name": "PAGE2", "title": "Вторая", "height": 100, "width": 100}
 ],
 "menubars": [
  {"id": 1, "name": "MENUBAR", "items": [
    {"id": 2, "name": "FILE", "text": "Файл", "menu": true},
    {"id": 3, "name": "OPEN", "text": "Открыть", "callback": "menuRec"},
    {"id": 4, "name": "SEPARATOR", "separator": true},
    {"id": 5, "name": "EXIT", "text": "Выход", "callback": "menuRec"}]}
 ]
})json";

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        menuCalls.clear();
        onCall = nullptr;
        dir = folder.emplace("tk-test").path();
        tk::registerCallback("rec", record);
        tk::registerMenuCallback("menuRec", recordMenu);
        ASSERT_TRUE(tk::headless::start());
        file = write("test.uir", kResource);
    }
    void TearDown() override
    {
        onCall = nullptr;
        tk::shutdown();
        folder.reset();
    }
    std::string write(const std::string& name, std::string_view text) { return folder->write(name, text); }
    int loadShown(int id = 1)
    {
        const int h = tk::loadPanel(0, file, id);
        EXPECT_GT(h, 0) << tk::lastError();
        tk::displayPanel(h);
        return h;
    }

    std::optional<TempDir> folder;
    std::filesystem::path dir; // the folder's path
    std::string file;
};

} // namespace tktest
