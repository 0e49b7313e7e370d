// CP's calibration table: the record behind it, its colours, DEFAULT and WRITE.
#include "p_ksil2/caltable.h"

#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/session.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <new>

CalRecord::CalRecord()
{
    if (mvi != 0)
        lookup_ = tvksil2_get_attribute(mvi, &record_);
    if (!record_) {
        own_.reset(new (std::nothrow) tvksil2_device_data{});
        record_ = own_.get();
    }
}

bool CalRecord::refused() const
{
    if (lookup_ >= 0)
        return false;
    reportStatus("tvksil2_get_attribute", lookup_);
    return true;
}

void colourCalTable(int colour)
{
    for (int col = 1; col <= kChannels; ++col)
        for (int row = 1; row <= kCalR0Row; ++row)
            tk::setCellTextColor(hCP, CP_TABLE, row, col, colour);
}

ViStatus setFlash(tvksil2_device_data& record)
{
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int k = 0; k < kStages; ++k)
            record.step[ch * kStages + k] = tk::cellNum(hCP, CP_TABLE, k + 1, ch + 1);
        record.r0[ch] = tk::cellNum(hCP, CP_TABLE, kCalR0Row, ch + 1);
    }
    return 0;
}

int defaultFlash(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    colourCalTable(tk::kBlue);
    for (int col = 1; col <= kChannels; ++col) {
        for (int k = 0; k < kStages; ++k)
            tk::setCell(hCP, CP_TABLE, k + 1, col, nominalR[static_cast<std::size_t>(k)]);
        tk::setCell(hCP, CP_TABLE, kCalR0Row, col, 0.0);
    }
    return 0;
}

int writeFlash(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    const CalRecord record;
    if (record.refused())
        return 0;
    if (!record.get()) {
        // Nothing can be written without a record; only the line's colour changes.
        reportStatus("calloc memory for device data", 0);
        return 0;
    }
    const tk::WaitCursor busy;
    lastStatus = setFlash(*record.get());
    if (lastStatus != 0)
        reportStatus("setFlash(device_data)", lastStatus);
    if (lastStatus < 0)
        return 0;
    // No read-back: a failed write leaves the table as entered, so WRITE can be repeated.
    lastStatus = tvksil2_writeFlash(record.get());
    if (lastStatus != 0)
        reportStatus("tvksil2_writeFlash(device_data)", lastStatus);
    return 0;
}
