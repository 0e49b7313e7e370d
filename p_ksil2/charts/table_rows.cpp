#include "p_ksil2/charts/table_rows.h"

#include "p_ksil2/cal_values.h"
#include "p_ksil2/calibration_rules.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "platform/visa.h"
#include "toolkit/toolkit.h"

#include <array>
#include <cmath>

std::vector<charts::VerifyRow> verificationRows()
{
    std::vector<charts::VerifyRow> rows;
    if (hPP <= 0)
        return rows;
    const int n = tk::numTableRows(hPP, PP_TABLE_R);
    rows.reserve(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r)
        rows.push_back({static_cast<int>(tk::cellNum(hPP, PP_TABLE_R, r, 1)), tk::cellNum(hPP, PP_TABLE_R, r, 2),
                        tk::cellNum(hPP, PP_TABLE_R, r, 3), tk::cellNum(hPP, PP_TABLE_R, r, 4)});
    return rows;
}

std::vector<charts::CalStage> calibrationStages()
{
    std::vector<charts::CalStage> stages;
    if (hCP <= 0)
        return stages;
    for (int channel = 1; channel <= kChannels; ++channel)
        for (int k = 1; k <= kStages; ++k) {
            const double nominal = nominalR[static_cast<std::size_t>(k - 1)];
            const double value = tk::cellNum(hCP, CP_TABLE, k, channel);
            if (!std::isfinite(value) || calvalues::isOverload(value))
                continue;
            stages.push_back({channel, nominal, value, stageTolerance(nominal)});
        }
    return stages;
}

std::optional<history::ModuleRef> openModuleRef()
{
    const int position = static_cast<int>(tk::numValue(hMP, MP_MEZ_NUMold));
    const platform::VisaApi* visa = platform::visa();
    if (mvi == 0 || baseSession == 0 || position <= 0 || !visa)
        return std::nullopt;
    std::array<char, 256> resource{};
    if (visa->viGetAttribute(baseSession, VI_ATTR_RSRC_NAME, resource.data()) < 0)
        return std::nullopt;
    resource.back() = '\0';
    return history::ModuleRef{resource.data(), position};
}
