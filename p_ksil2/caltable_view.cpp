// CP's calibration table as the session code fills and resets it.
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/session.h"
#include "toolkit/toolkit.h"

namespace {
constexpr int kStages = 18;
constexpr int kR0Row = kStages + 1;
} // namespace

void showCalTable(const tvksil2_device_data& record)
{
    for (int col = 1; col <= 2; ++col)
        for (int row = 1; row <= kR0Row; ++row)
            tk::setCellTextColor(hCP, CP_TABLE, row, col, tk::kBlue);
    for (int ch = 0; ch < 2; ++ch) {
        for (int k = 0; k < kStages; ++k)
            tk::setCell(hCP, CP_TABLE, k + 1, ch + 1, record.step[ch * kStages + k]);
        tk::setCell(hCP, CP_TABLE, kR0Row, ch + 1, record.r0[ch]);
    }
}

void resetCalTable()
{
    tk::setValue(hMP, MP_VER, 1.0);
    tk::defaultCtrl(hCP, CP_TABLE);
}
