// Small callbacks of the main window and the menu dispatch.
#include "p_ksil2/callbacks.h"

#include "gauge/gauge.h"
#include "p_ksil2/calibration.h"
#include "p_ksil2/link_state.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/history_panel.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/selftest.h"
#include "p_ksil2/session.h"
#include "p_ksil2/status_line.h"
#include "si/select.h"
#include "toolkit/toolkit.h"

#include <array>

int CloseCB(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event == tk::EVENT_CLOSE)
        exitRequest = 1;
    return 0;
}

int exitCB(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event == tk::EVENT_COMMIT)
        exitRequest = 1;
    return 0;
}

int ClosePanelCB(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event == tk::EVENT_COMMIT) {
        tk::hidePanel(panel);
        tk::displayPanel(hMP);
    }
    return 0;
}

int ClosePopupCB(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event == tk::EVENT_COMMIT)
        tk::removePopup(1);
    return 0;
}

int messageCB(int panel, int control, int event, void* data, int e1, int e2)
{
    // Only the text goes back to its default; the colour tells what happened last.
    if (event == tk::EVENT_COMMIT)
        clearStatusLine();
    return 0;
}

namespace {

void selectMultimeter()
{
    // As for the carrier choice: with a selection dialog waiting, a search
    // started now would find the dialog taken, pass over every family that
    // asks, and open the HP 3458A, which is not asked for.
    if (si::selectionWaiting())
        return;
    findMultimeter();
    showMeterControls();
    updateLinkLed();
}

void showMain() { tk::displayPanel(hMP); }
void requestExit() { exitRequest = 1; }
void showAbout() { tk::displayPanel(hABOUT); }
void calibrate() { autoCalibrate(); } // its status is on the status line already
// The same operations as MP's buttons of the same names.
void reset() { ResetCB(hMP, MP_RESET, tk::EVENT_COMMIT, nullptr, 0, 0); }
void selftest() { SelftestCB(hMP, MP_SELFTEST, tk::EVENT_COMMIT, nullptr, 0, 0); }

struct MenuAction {
    int item;
    void (*action)();
};

constexpr std::array kMenuActions{
    MenuAction{MENUBAR_INSTR_SELECT, reselectInstrument},
    MenuAction{MENUBAR_INSTR_SELECT_HP, selectMultimeter},
    MenuAction{MENUBAR_INSTR_OSNOWN, showMain},
    MenuAction{MENUBAR_INSTR_EXIT, requestExit},
    MenuAction{MENUBAR_EXE_CALIBR, calibrate},
    MenuAction{MENUBAR_EXE_RESET, reset},
    MenuAction{MENUBAR_EXE_SELFTEST, selftest},
    MenuAction{MENUBAR_HELP_ABOUT, showAbout},
    MenuAction{MENUBAR_HIST_BACKUPS, showBackups},
    MenuAction{MENUBAR_HIST_RUNS, showModuleRuns},
};

} // namespace

void MenuCallback(int menuBar, int menuItem, void* data, int panel)
{
    for (const auto& entry : kMenuActions) {
        if (entry.item == menuItem) {
            if (entry.action)
                entry.action();
            return;
        }
    }
}
