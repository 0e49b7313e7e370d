// Carrier and module sessions: choosing the carrier, listing its modules,
// opening one of them, closing both, and the module's reset.
#include "p_ksil2/session.h"

#include "drivers/tvbase.h"
#include "drivers/tvksil2.h"
#include "gauge/gauge.h"
#include "p_ksil2/caltable.h"
#include "p_ksil2/flash_read.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/link_state.h"
#include "p_ksil2/module_calls.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_record.h"
#include "p_ksil2/selftest.h"
#include "p_ksil2/status_line.h"
#include "platform/visa.h"
#include "si/select.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr const char* kSelectTitle = "Выбор инструмента НМ";
constexpr const char* kInitFailedText =
    "          Ошибка инициализации.\nУстройство занято либо не сконфигурировано\n          Менеджером Ресурсов.";
constexpr const char* kNoModulesText = "нет наших мезонинов на базе";
constexpr const char* kOpeningText = "Идет инициализация";

bool isOurModule(std::int32_t model) { return model == KSIL2_MODEL || model == KSIL5_MODEL; }

// No carrier is open: no item may name a module that cannot be opened.
void forgetMezzanines()
{
    tk::clearList(hMP, MP_MEZ_NUM);
    tk::setValue(hMP, MP_MEZ_NUMold, 0.0);
}

void readCarrierPlace(ViSession carrier)
{
    const platform::VisaApi* visa = platform::visa();
    if (!visa)
        return;
    ViInt16 value = 0;
    if (visa->viGetAttribute(carrier, VI_ATTR_MAINFRAME_LA, &value) >= 0)
        tk::setValue(hMP, MP_K, static_cast<double>(static_cast<ViUInt16>(value)));
    value = 0;
    if (visa->viGetAttribute(carrier, VI_ATTR_SLOT, &value) >= 0)
        tk::setValue(hMP, MP_S, static_cast<double>(static_cast<ViUInt16>(value)));
}

} // namespace

ViStatus queryModuleTypes(ViSession carrier, std::array<std::int32_t, kMezzaninePositions>& types)
{
    for (ViInt16 pos = 1; pos <= kMezzaninePositions; ++pos) {
        ViInt16 present = 0, model = 0;
        const ViStatus st = tvbase_m_type_q(carrier, pos, &present, &model);
        if (st < 0)
            return st;
        types[static_cast<std::size_t>(pos - 1)] = present != 0 ? model : 0;
    }
    return 0;
}

void selectInstrument()
{
    InstrInfo* entry = selBase(kSelectTitle);
    if (!entry) {
        forgetMezzanines();
        resetCalTable();
        return;
    }
    ViSession session = 0;
    if (const ViStatus st = tvbase_init(entry->Address, VI_ON, VI_ON, &session); st < 0) {
        baseSession = 0;
        forgetMezzanines();
        reportStatus("tvbase_init", st); // the driver's own words, beside the pop-up's advice
        tk::messagePopup("", kInitFailedText);
        return;
    }
    baseSession = session;
    noteCarrier(entry);
    if (baseSession != 0)
        readCarrierPlace(baseSession);
    entry->Session = baseSession;

    // A failed query leaves the positions it did not reach; the operator sees
    // why, unless opening the module has a failure of its own to show.
    const ViStatus typesStatus = queryModuleTypes(baseSession, moduleTypes);
    const auto showTypesStatus = [typesStatus] {
        if (typesStatus < 0 && !statusHasFailure())
            reportStatus("tvbase_m_type_q", typesStatus);
    };

    tk::clearList(hMP, MP_MEZ_NUM);
    int items = 0;
    for (int pos = 1; pos <= kMezzaninePositions; ++pos) {
        if (isOurModule(moduleTypes[static_cast<std::size_t>(pos - 1)])) {
            tk::insertListItem(hMP, MP_MEZ_NUM, -1, std::to_string(pos), pos);
            ++items;
        }
    }
    if (items == 0) {
        showTypesStatus();
        tk::messagePopup("", kNoModulesText);
        return;
    }
    tk::setActiveCtrl(hMP, MP_MEZ_NUM);
    tk::displayPanel(hMP);
    selMezonin(hMP, MP_MEZ_NUM, tk::EVENT_COMMIT, nullptr, 0, 0);
    showTypesStatus();
}

void reselectInstrument()
{
    // A choice already waiting (the menu chosen again while the dialog is up)
    // is not started twice: its dialog comes to the front and the sessions
    // stay as the waiting choice will leave them.
    if (si::selectionWaiting())
        return;
    closeSessions(false);
    selectInstrument();
    // The choice may end without a module (cancelled, carrier busy, none of
    // ours): the LED must not go on showing the session just closed.
    updateLinkLed();
}

namespace {

// What opening a module leaves for the status line: the last checked status
// of closing and opening, and whether a failure is shown that must stay.
struct Opening {
    ViStatus status = 0;
    bool reported = false;

    // A negative status is shown, and stays on the line; false then.
    bool check(ModuleCall call, ViStatus st)
    {
        if (moduleNotRefused(call, st))
            return true;
        reported = true;
        return false;
    }
};

// The module's session closed before another is opened. False when the
// driver refused: the old session stays.
bool closeForReopen(Opening& opening)
{
    if (mvi == 0)
        return true;
    opening.status = tvksil2_close(mvi);
    if (!moduleOk(ModuleCall::Close, opening.status))
        return false;
    mvi = 0;
    moduleModel = 0;
    return true;
}

// A session on the module at the carrier's position, connected, trigger mode 0.
void openModule(Opening& opening, ViUInt16 position)
{
    if (baseSession == 0)
        return;
    std::array<char, 256> rsrcName{};
    const platform::VisaApi* visa = platform::visa();
    const ViStatus nameStatus = visa ? visa->viGetAttribute(baseSession, VI_ATTR_RSRC_NAME, rsrcName.data())
                                     : VI_ERROR_INV_OBJECT;
    rsrcName.back() = '\0';
    runrecord::moduleOpened(rsrcName.data(), position);
    if (nameStatus < 0)
        reportStatus("rsrc_name", nameStatus);
    ViSession module = 0;
    opening.status = tvksil2_init(rsrcName.data(), VI_ON, VI_ON, &module);
    mvi = module;
    opening.check(ModuleCall::Init, opening.status);
    // Without a session there is nothing to connect: a call on session 0
    // could only fail and put its message over the one that says why.
    if (mvi == 0)
        return;
    opening.status = tvksil2_connect(mvi, baseSession, position, VI_ON, VI_ON);
    // The trigger mode does not decide what is opened, but its failure is
    // shown; on a module not connected it could only fail.
    if (opening.check(ModuleCall::Connect, opening.status))
        opening.check(ModuleCall::Trigger, tvksil2_config_trigger(mvi, 0));
}

// The open module's record: its nominal values, the self-test's questions and,
// after a clean opening, CP's table. Returns the record's model; with no
// session the operations see an all-zero record of model 0.
std::int32_t loadRecord(Opening& opening)
{
    std::unique_ptr<tvksil2_device_data> fallback(new (std::nothrow) tvksil2_device_data{});
    const tvksil2_device_data* record = fallback.get();
    if (mvi != 0) {
        tvksil2_device_data* driverRecord = nullptr;
        opening.check(ModuleCall::GetAttribute, tvksil2_get_attribute(mvi, &driverRecord));
        if (driverRecord) {
            record = driverRecord;
            if (driverRecord->nominal)
                std::copy_n(driverRecord->nominal, nominalR.size(), nominalR.begin());
        }
        opening.check(ModuleCall::SftInterface, tvksil2_sft_interface(mvi, selftestAsk));
        if (opening.status == 0 && record) {
            showCalTable(*record);
            resetCalTable();
        }
    }
    if (!record)
        reportStatus("calloc memory for device data", 0);
    return record ? record->model : 0;
}

} // namespace

int selMezonin(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    showStatusProgress(kOpeningText);
    tk::displayPanel(hMP);

    Opening opening;
    if (!closeForReopen(opening))
        return 0;
    // Whatever the table shows now is not the module about to be opened.
    forgetCalCells();

    const auto position = static_cast<ViUInt16>(tk::intValue(hMP, MP_MEZ_NUM));
    openModule(opening, position);
    const std::int32_t model = loadRecord(opening);

    tk::setValue(hMP, MP_MEZ_NUMold, static_cast<double>(position));
    if (opening.status == 0 && !opening.reported)
        clearStatusLine();
    updateLinkLed();

    // The model is known before the flash is read: READ is for a КСИЛ2-4Л only.
    moduleModel = model;
    updateCalibrationControls();
    // The opening has cleared the line or shows its failure: the read adds
    // only a failure of its own.
    if (moduleModel == KSIL2_MODEL)
        readFlashTable(false);
    return 0;
}

void closeSessions(bool withMultimeter)
{
    // A session that will not close is given up all the same (there is
    // nothing else to do with it), but the operator is told.
    if (mvi != 0) {
        moduleOk(ModuleCall::Close, tvksil2_close(mvi));
        mvi = 0;
        moduleModel = 0;
        forgetCalCells();
        updateCalibrationControls();
    }
    if (baseSession != 0) {
        if (const ViStatus st = tvbase_close(baseSession); st != 0)
            reportStatus("tvbase_close", st);
        baseSession = 0;
        noteCarrier(nullptr);
    }
    if (withMultimeter) {
        closeMultimeter();
        tk::defaultPanel(hMP);
    }
}

int ResetCB(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    if (mvi != 0) {
        lastStatus = tvksil2_reset(mvi);
        if (!moduleOk(ModuleCall::Reset, lastStatus))
            return 0;
        if (lastStatus == 0) {
            showConfirmation("Сброс мезонина выполнен");
            return 0;
        }
    }
    clearStatusLine();
    return 0;
}
