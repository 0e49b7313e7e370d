// The module's flash read into CP's calibration table, and the table's fill and reset.
#include "p_ksil2/flash_read.h"

#include "drivers/tvksil2.h"
#include "p_ksil2/caltable.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_record.h"
#include "p_ksil2/status_line.h"
#include "platform/clock.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

void showCalTable(const tvksil2_device_data& record)
{
    colourCalTable(tk::kBlue);
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int k = 0; k < kStages; ++k)
            tk::setCell(hCP, CP_TABLE, k + 1, ch + 1, record.step[ch * kStages + k]);
        tk::setCell(hCP, CP_TABLE, kCalR0Row, ch + 1, record.r0[ch]);
    }
    knowCalCells();
    calTableSaved();
}

void resetCalTable()
{
    tk::setValue(hMP, MP_VER, 1.0);
    tk::defaultCtrl(hCP, CP_TABLE);
    forgetCalCells();
}

namespace {
constexpr int kFlashReadAttempts = 5;
constexpr double kFlashReadWait = 0.5; // the module's flash answers only after a pause
} // namespace

std::optional<ViStatus> readModuleFlash(tvksil2_device_data& record)
{
    std::optional<ViStatus> status;
    for (int attempt = 0; attempt < kFlashReadAttempts; ++attempt) {
        Delay(kFlashReadWait);
        if (mvi != 0) {
            status = tvksil2_readFlash(&record);
            if (*status == 0)
                break;
        }
    }
    if (status)
        lastStatus = *status;
    return status;
}

history::TableValues recordValues(const tvksil2_device_data& record)
{
    history::TableValues values{};
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int k = 0; k < kStages; ++k)
            values[static_cast<std::size_t>(ch)][static_cast<std::size_t>(k)] = record.step[ch * kStages + k];
        values[static_cast<std::size_t>(ch)][kStages] = record.r0[ch];
    }
    return values;
}

tvksil2_device_data recordOf(const history::TableValues& values)
{
    tvksil2_device_data record{};
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int k = 0; k < kStages; ++k)
            record.step[ch * kStages + k] = values[static_cast<std::size_t>(ch)][static_cast<std::size_t>(k)];
        record.r0[ch] = values[static_cast<std::size_t>(ch)][kStages];
    }
    return record;
}

int readFlash(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT)
        readFlashTable(true);
    return 0;
}

void readFlashTable(bool confirm)
{
    if (refuseOtherModel())
        return;
    const CalRecord calRecord;
    if (calRecord.refused())
        return;
    tvksil2_device_data* record = calRecord.get();
    if (!record) {
        reportStatus("calloc memory for device data", lastStatus);
        return;
    }
    const tk::WaitCursor busy;
    runrecord::Scope run(history::RunKind::Read);
    // With no session nothing was read: the empty fallback record is no flash
    // content, and lastStatus belongs to an earlier call. The table stays.
    if (!readModuleFlash(*record)) {
        runrecord::discard();
        return;
    }
    if (lastStatus == 0) {
        showCalTable(*record);
        runrecord::current()->tables.push_back(history::wholeTable(history::TableRole::Read, recordValues(*record)));
        runrecord::finish(history::RunEnd::Complete);
        if (confirm)
            showConfirmation("Таблица прочитана из flash");
    } else {
        reportStatus("tvksil2_readFlash", lastStatus);
        runrecord::finish(history::RunEnd::DriverError);
    }
}
