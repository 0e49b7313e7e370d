// Start-up, main loop and shutdown of the panel program, and the main-window
// routines other parts call (per-model set-up, link LED, ABOUT).
#include "p_ksil2/app.h"

#include "drivers/tvksil2.h"
#include "gauge/gauge.h"
#include "p_ksil2/app_state.h"
#include "p_ksil2/callbacks.h"
#include "p_ksil2/chart_link.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/history_link.h"
#include "p_ksil2/driver_check.h"
#include "p_ksil2/library_check.h"
#include "p_ksil2/meter_link.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/resource_check.h"
#include "p_ksil2/session.h"
#include "p_ksil2/status_line.h"
#include "si/discovery.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

// Prints why a load failed; the operator sees nothing else, as the program ends at once.
int loadFailed(const std::string& why = tk::lastError())
{
    std::fprintf(stderr, "p_ksil2: %s\n", why.c_str());
    return -1;
}

struct PanelSlot {
    int* handle;
    int resourceId;
};

// The panels in the order they are loaded.
const std::array kPanels{
    PanelSlot{&hABOUT, ABOUT}, PanelSlot{&hST, ST},   PanelSlot{&hDP, DP},
    PanelSlot{&hCP, CP},       PanelSlot{&hPP, PP},   PanelSlot{&hPP5, PP5},
    PanelSlot{&hTP, TP},       PanelSlot{&hCHLP, CHLP}, PanelSlot{&hHI, HI}, PanelSlot{&hMP, MP},
};

// The panels MP's tab control hosts as pages: their handles become page handles.
constexpr std::array kTabPages{CP, PP, PP5};

bool isTabPage(int resourceId)
{
    return std::find(kTabPages.begin(), kTabPages.end(), resourceId) != kTabPages.end();
}

int panelHandle(int resourceId)
{
    for (const auto& slot : kPanels)
        if (slot.resourceId == resourceId)
            return *slot.handle;
    return 0;
}

// Panel loading: the panels in the order above, then the menu bar onto MP.
bool loadPanels(const std::string& file)
{
    for (const auto& slot : kPanels) {
        *slot.handle = tk::loadPanel(0, file, slot.resourceId);
        if (*slot.handle < 0)
            return false;
    }
    hMenuBar = tk::loadMenuBar(hMP, file, MENUBAR);
    return hMenuBar >= 0;
}

// Tab pages: MP's canvas becomes the tab control holding CP, PP and PP5. The page
// handles take the place of the separately loaded panels, which are discarded.
// False with why set when a page cannot be had.
bool buildTabPages(const std::string& file, std::string& why)
{
    hTab = tk::convertCanvasToTab(hMP, MP_CANVAS);
    if (hTab < 0) {
        // Not a load failure of the toolkit's, which would have said why itself.
        why = std::string(kResourceFile) + ": panel MP (" + std::to_string(MP) + ") has no canvas CANVAS (control "
              + std::to_string(MP_CANVAS) + ") to hold the tab pages";
        return false;
    }
    why = {};
    for (const auto& slot : kPanels) {
        if (!isTabPage(slot.resourceId))
            continue;
        const int page = tk::loadPanelAsTabPage(hMP, hTab, -1, file, slot.resourceId);
        if (page < 0) {
            why = tk::lastError();
            return false;
        }
        tk::discardPanel(*slot.handle);
        *slot.handle = page;
    }
    return true;
}

// Removes the tab page hosting the given panel. The page panel itself stays
// loaded (hidden), so code that still holds its handle keeps working.
void removeTabPage(int pageHandle)
{
    const int count = tk::numTabPages(hMP, hTab);
    for (int i = 0; i < count; ++i) {
        if (tk::tabPagePanel(hMP, hTab, i) == pageHandle) {
            tk::deleteTabPage(hMP, hTab, i, 1);
            return;
        }
    }
}

} // namespace

int appStart(int& argc, char** argv, const StartOptions& options)
{
    // VISA and the linked drivers, before anything is shown: without them the
    // program could only fail later, less clearly.
    if (std::string why; !checkDrivers(why)) {
        std::fprintf(stderr, "p_ksil2: %s\n", why.c_str());
        return kExitLibraries;
    }

    // Run-time: the backend the caller chose.
    if (!options.startToolkit || !options.startToolkit(argc, argv)) {
        std::fprintf(stderr, "p_ksil2: the user-interface run-time cannot start: %s\n",
                     options.startToolkit ? tk::lastError().c_str() : "no toolkit backend given");
        return -1;
    }

    // Panels and menu bar.
    registerCallbacks();
    connectMeterLayer();
    const std::string file = resourceFile();
    if (!loadPanels(file))
        return loadFailed();
    // Resource check: every control the program addresses, as it addresses it.
    if (const std::string why = checkResource(panelHandle, hMenuBar); !why.empty())
        return loadFailed(file + ": " + why);

    // No frame option on the main window; every other window is shown over it.
    tk::setAttr(hMP, 0, tk::Attr::FrameDecoration, 0);
    tk::setMainPanel(hMP);

    // Tab pages.
    if (std::string why; !buildTabPages(file, why))
        return loadFailed(why);

    tk::displayPanel(hMP);

    // Library check: the switch-code library file; refreshAbout repeats it.
    checkMathLibrary();

    refreshAbout();

    // Instrument discovery; the table it fills lives for the whole run.
    findInstruments();

    // Carrier choice: the operator chooses the carrier; the first module found is opened.
    reselectInstrument();

    // Per-model set-up: the window is adapted once, to the first module opened.
    applyModelSetup();

    updateLinkLed();
    return 0;
}

int appRunLoop()
{
    for (;;) {
        tk::pollMainLoop();
        if (exitRequest) {
            if (tk::confirmPopup(kExitTitle, exitQuestion()) == 1)
                return 0;
            exitRequest = 0;
        }
    }
}

void appShutdown()
{
    closeSessions(true);
    closeProtocols();
    chartsClosed();
    historylink::close();
    // Every panel loaded, MP last; the tab pages go with MP.
    for (const auto& slot : kPanels) {
        if (!isTabPage(slot.resourceId) && *slot.handle > 0)
            tk::discardPanel(*slot.handle);
        *slot.handle = 0;
    }
    hTab = 0;
    hMenuBar = 0;
    tk::shutdown();
}

void applyModelSetup()
{
    windowModel = moduleModel;
    if (moduleModel == KSIL5_MODEL) {
        tk::setValue(hMP, MP_TEXTMSG_3, "Мезонин КСИЛ5\nпрограммируемые сопротивления");
        tk::setValue(hMP, MP_TEXTMSG_2, "Панель поверки");
        tk::setAttr(hMP, 0, tk::Attr::Title, "КСИЛ5");
        tk::setAttr(hABOUT, 0, tk::Attr::Title, "КСИЛ5");
        tk::setValue(hABOUT, ABOUT_TEXTMSG_2, "Мезонин КСИЛ5\nпрограммируемые\nсопротивления");
        exitQuestionText = kExitQuestionKsil5;
        removeTabPage(hPP);
        removeTabPage(hCP);
        tk::setAttr(hMP, MP_AUTO_POV, tk::Attr::Visible, 0);
        tk::setAttr(hMP, MP_MODE_R, tk::Attr::Visible, 0);
        tk::setMenuItemDimmed(hMenuBar, MENUBAR_INSTR_SELECT_HP, true);
        tk::setMenuItemDimmed(hMenuBar, MENUBAR_EXE_CALIBR, true);
        return;
    }
    if (moduleModel == KSIL2_MODEL) {
        if (mvi != 0)
            findMultimeter();
        showMeterControls();
    }
    // No module opened at start-up: the question of the main model.
    exitQuestionText = kExitQuestionKsil2;
}

const char* exitQuestion()
{
    return exitQuestionText;
}

void refreshAbout()
{
    // With no session the driver still reports its own revision; a failure is shown.
    if (const ViStatus st = tvksil2_revision_query(mvi, driverRevision, instrumentRevision); st < 0) {
        reportStatus("tvksil2_revision_query", st);
        // ABOUT says why there is no revision rather than showing an old one.
        tvksil2_error_message(0, st, driverRevision);
    }
    driverRevision[sizeof driverRevision - 1] = '\0';
    instrumentRevision[sizeof instrumentRevision - 1] = '\0';
    tk::setValue(hABOUT, ABOUT_DRVR_VERSION, driverRevision);
    tk::setValue(hABOUT, ABOUT_SOFT_VERSION, kProgramVersion);
    checkMathLibrary();
}
