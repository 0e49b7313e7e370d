// The one table of callback names the panel resource refers to.
#include "p_ksil2/calibration.h"
#include "p_ksil2/callbacks.h"
#include "p_ksil2/caltable.h"
#include "p_ksil2/chart_link.h"
#include "p_ksil2/flash_read.h"
#include "p_ksil2/history_panel.h"
#include "p_ksil2/manual.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/selftest.h"
#include "p_ksil2/session.h"
#include "p_ksil2/verify.h"
#include "p_ksil2/verify_ksil5.h"
#include "toolkit/toolkit.h"

#include <array>
#include <string_view>

namespace {

struct NamedCallback {
    std::string_view name;
    tk::CtrlCallback callback;
};

constexpr std::array kCallbacks{
    NamedCallback{"CloseCB", CloseCB},
    NamedCallback{"exitCB", exitCB},
    NamedCallback{"ClosePanelCB", ClosePanelCB},
    NamedCallback{"ClosePopupCB", ClosePopupCB},
    NamedCallback{"messageCB", messageCB},
    NamedCallback{"selMezonin", selMezonin},
    NamedCallback{"historyListCB", historyListCB},
    NamedCallback{"loadBackupCB", loadBackupCB},
    NamedCallback{"ResetCB", ResetCB},
    NamedCallback{"SelftestCB", SelftestCB},
    NamedCallback{"continueSelftest", continueSelftest},
    NamedCallback{"stopSelftest", stopSelftest},
    NamedCallback{"readFlash", readFlash},
    NamedCallback{"selectR", selectR},
    NamedCallback{"inputVal", inputVal},
    NamedCallback{"closePopup", closePopup},
    NamedCallback{"setP", setP},
    NamedCallback{"inputP", inputP},
    NamedCallback{"defaultFlash", defaultFlash},
    NamedCallback{"writeFlash", writeFlash},
    NamedCallback{"setChan", setChan},
    NamedCallback{"vavChgU_Z", vavChgU_Z},
    NamedCallback{"vavChgU_I", vavChgU_I},
    NamedCallback{"modeR", modeR},
    NamedCallback{"auto_measureCB", auto_measureCB},
    NamedCallback{"auto_pov", auto_pov},
    NamedCallback{"start", start},
    NamedCallback{"next_step", next_step},
    NamedCallback{"selFName", selFName},
    NamedCallback{"writeLogCB", writeLogCB},
    NamedCallback{"cancelP", cancelP},
    NamedCallback{"tabCB", tabCB},
    NamedCallback{"set_prot", set_prot},
    NamedCallback{"open_prot", open_prot},
    NamedCallback{"openCharts", openCharts},

    // Operations not built yet: the names are known so that the resource loads,
    // and their controls take no action until the operation is added here.
    NamedCallback{"stopPov", nullptr},
    NamedCallback{"startPov", nullptr},
};

} // namespace

void registerCallbacks()
{
    for (const auto& entry : kCallbacks)
        tk::registerCallback(entry.name, entry.callback);
    tk::registerMenuCallback("MenuCallback", MenuCallback);
}
