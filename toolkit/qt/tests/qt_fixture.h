// The program's panels on the Qt backend (offscreen): every callback named
// in the resource registered as a recorder, the panels loaded in start-up
// order, MP's canvas turned into the tab control with CP, PP and PP5.
#pragma once

#include "p_ksil2/p_ksil2.h"
#include "toolkit/backend.h"
#include "toolkit/qt/qt.h"
#include "toolkit/qt/tests/qt_start.h"
#include "toolkit/qt/qt_backend.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace qttest {

struct Call {
    std::string name;
    int panel, control, event, data1, data2;
};

inline std::vector<Call>& calls()
{
    static std::vector<Call> c;
    return c;
}

inline constexpr std::array kCallbackNames = {
    "ClosePanelCB", "cancelP",      "defaultFlash", "writeFlash",       "readFlash",    "selectR",
    "inputVal",     "closePopup",   "CloseCB",      "exitCB",           "ResetCB",      "SelftestCB",
    "modeR",        "auto_measureCB", "messageCB",  "tabCB",            "selMezonin",   "setChan",
    "vavChgU_Z",    "setP",         "vavChgU_I",    "selFName",         "inputP",       "writeLogCB",
    "auto_pov",     "start",        "set_prot",     "open_prot",        "next_step",    "continueSelftest",
    "stopSelftest", "ClosePopupCB", "stopPov",      "startPov",         "openCharts",
};

template <size_t N>
int recorder(int panel, int control, int event, void*, int d1, int d2)
{
    calls().push_back({kCallbackNames[N], panel, control, event, d1, d2});
    return 0;
}

template <size_t... I>
void registerRecorders(std::index_sequence<I...>)
{
    (tk::registerCallback(kCallbackNames[I], &recorder<I>), ...);
}

inline void menuRecorder(int menuBar, int item, void*, int panel)
{
    calls().push_back({"MenuCallback", panel, item, 0, menuBar, 0});
}

inline std::string resource()
{
    return std::string(KSIL_RESOURCE_DIR) + "/p_ksil2.uir";
}

class QtPanels : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qttest::startQt());
        registerRecorders(std::make_index_sequence<kCallbackNames.size()>());
        tk::registerMenuCallback("MenuCallback", &menuRecorder);
        calls().clear();

        const std::string file = resource();
        const std::array<std::pair<int*, int>, 9> order = {{{&about, ABOUT}, {&st, ST}, {&dp, DP}, {&cp, CP},
            {&pp, PP}, {&pp5, PP5}, {&tp, TP}, {&chlp, CHLP}, {&mp, MP}}};
        for (auto [handle, id] : order) {
            *handle = tk::loadPanel(0, file, id);
            ASSERT_GT(*handle, 0) << tk::lastError();
        }
        menu = tk::loadMenuBar(mp, file, MENUBAR);
        ASSERT_GT(menu, 0) << tk::lastError();
        tab = tk::convertCanvasToTab(mp, MP_CANVAS);
        ASSERT_GT(tab, 0);
        cp = tk::loadPanelAsTabPage(mp, tab, -1, file, CP);
        pp = tk::loadPanelAsTabPage(mp, tab, -1, file, PP);
        pp5 = tk::loadPanelAsTabPage(mp, tab, -1, file, PP5);
        ASSERT_GT(cp, 0);
        ASSERT_GT(pp, 0);
        ASSERT_GT(pp5, 0);
        tk::displayPanel(mp);
        tk::processEvents();
    }

    void TearDown() override { tk::shutdown(); }

    static tk::qtui::QtBackend& qt() { return *tk::qtui::current(); }

    template <class W>
    static W* field(int panel, int ctrl)
    {
        return dynamic_cast<W*>(qt().controlField(panel, ctrl));
    }

    std::vector<Call> callsOf(const std::string& name) const
    {
        std::vector<Call> out;
        for (const Call& c : calls())
            if (c.name == name)
                out.push_back(c);
        return out;
    }

    int about = 0, st = 0, dp = 0, cp = 0, pp = 0, pp5 = 0, tp = 0, chlp = 0, mp = 0;
    int menu = 0, tab = 0;
};

} // namespace qttest
