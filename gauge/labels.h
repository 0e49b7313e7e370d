// Report labels of the multimeter layer's driver calls, written like the calls.
// A failed call is shown as its label cut before the first "(" followed by the
// driver's message, so a label with a blank before its "(" keeps the blank.
#pragma once

#include <string_view>

namespace gauge::labels {

// Openings.
inline constexpr std::string_view kHpE1412Bind = "loadLibs(hpe1412_MODEL_CODE)";
inline constexpr std::string_view kHpE1412Init = "p_hpe1412_init (hp1412->Address, VI_ON, VI_ON, &viHP1412)";
inline constexpr std::string_view kHpE1412VoltNplc = "p_hpe1412_voltDcNplc (viHP1412, 100.0)";
inline constexpr std::string_view kHpE1412CurrNplc = "p_hpe1412_currDcNplc (viHP1412, 100.0)";
inline constexpr std::string_view kHpE1412VoltRang =
    "p_hpe1412_voltDcRang (viHP1412, VI_FALSE, hpe1412_VOLT_RANG_10V)";
inline constexpr std::string_view kHpE1412CurrRang =
    "p_hpe1412_currDcRang (viHP1412, VI_FALSE, hpe1412_CURR_DC_RANG_10MA)";

inline constexpr std::string_view kHp3458Init = "p_hp3458a_init (address, VI_ON, VI_ON, &viHP3458)";
inline constexpr std::string_view kHp3458Nplc = "p_hp3458a_nplc (viHP3458, 10.0)";
inline constexpr std::string_view kHp3458VoltRang = "p_hp3458a_voltDcRang (viHP3458, 1, 10.)";
inline constexpr std::string_view kHp3458CurrRang = "p_hp3458a_currDcRang (viHP3458, 1, 10e-3)";

inline constexpr std::string_view kDmmInit = "p_tvmult_init (dmm->Address, VI_ON, VI_ON, &viDMM)";
inline constexpr std::string_view kDmmCurrNplc = "p_tvmult_currDcNplc (viDMM, 100.0)";
inline constexpr std::string_view kDmmVoltNplc = "p_tvmult_voltDcNplc (viDMM, 100.0)";
inline constexpr std::string_view kDmmVoltRang = "p_tvmult_voltDcRang (viDMM, 1, 10.)";
inline constexpr std::string_view kDmmCurrRang = "p_tvmult_currDcRang (viDMM, 0, 10e-3)";

inline constexpr std::string_view kCarrierInit = "p_tvbase_init(dmm->Address, VI_ON, VI_ON, &viNM)";
inline constexpr std::string_view kMezDmmInit = "p_tvmmultc1_init (dmm->Address, VI_ON, VI_ON, &viM_DMM1)";
inline constexpr std::string_view kMezDmmConnect = "p_tvmmultc1_connect (viM_DMM1, viNM, dmm->Meznum, VI_ON, VI_ON)";

// Readings: the labels of each family's function-dependent call, per function.
struct ReadingLabels {
    std::string_view hpe1412Func;
    std::string_view hp3458aMeasure;
    std::string_view tvmultMeasure;
    std::string_view tvmultc1Read;
    std::string_view tvmmultc1Measure;
};

inline constexpr ReadingLabels kFres{
    "p_hpe1412_func (viHP1412, hpe1412_CONF_FRES)",
    "p_hp3458a_measure_Q (viHP3458, hp3458a_CONF_FRES,result)",
    "p_tvmult_measure_Q (viDMM, tvmult_CONF_FRES, result)",
    "p_tvmultc1_read_Q (viDMM1, &num, result)",
    "p_tvmmultc1_measure_Q (viM_DMM1, TVMMULTC1_CONF_FRES, result)",
};
inline constexpr ReadingLabels kVoltDc{
    "p_hpe1412_func (viHP1412, hpe1412_FUNC_VOLT_DC)",
    "p_hp3458a_measure_Q (viHP3458, hp3458a_CONF_VOLT_DC,result)",
    "p_tvmult_measure_Q (viDMM, tvmult_CONF_VOLT_DC, result)",
    "p_tvmultc1_read_Q (viDMM1, &num, result)",
    "p_tvmmultc1_measure_Q (viM_DMM1, TVMMULTC1_CONF_VOLT_DC, result)",
};
// The current reading's ЦMM1 label has no blank before its "(", so its report
// shows the name without a trailing blank.
inline constexpr ReadingLabels kCurrDc{
    "p_hpe1412_func (viHP1412, hpe1412_FUNC_CURR_DC)",
    "p_hp3458a_measure_Q (viHP3458, hp3458a_CONF_CURR_DC,result)",
    "p_tvmult_measure_Q (viDMM, tvmult_CONF_CURR_DC, result)",
    "p_tvmultc1_read_Q(viDMM1, &num, result)",
    "p_tvmmultc1_measure_Q (viM_DMM1, TVMMULTC1_CONF_CURR_DC, result)",
};

// The HP E1412's calls after the function, the same for every function.
inline constexpr std::string_view kHpE1412TrigCoun = "p_hpe1412_trigCoun (viHP1412, 1)";
inline constexpr std::string_view kHpE1412InitImm = "p_hpe1412_initImm (viHP1412)";
inline constexpr std::string_view kHpE1412Fetch = "p_hpe1412_timedFetch_Q (viHP1412, 10000, result, &num)";

// Ranges.
inline constexpr std::string_view kHpE1412ResRang = "p_hpe1412_resRang (viHP1412, VI_FALSE, rangestep)";
inline constexpr std::string_view kHp3458ResRang = "p_hp3458a_resRang (viHP3458, VI_FALSE, rangestep)";
inline constexpr std::string_view kDmm1ResRang = "p_tvmultc1_resRang (viDMM1, VI_FALSE, rangestep)";
inline constexpr std::string_view kDmmResRang = "p_tvmult_fresRang (viDMM, VI_FALSE, rangestep)";
inline constexpr std::string_view kMezDmmResRang = "p_tvmmultc1_resRang (viM_DMM1, VI_FALSE, rangestep)";
inline constexpr std::string_view kHpE1412VoltDcRang = "p_hpe1412_voltDcRang (viHP1412, VI_FALSE, rangestep)";
inline constexpr std::string_view kDmmVoltDcRang = "p_tvmult_voltDcRang (viDMM, VI_FALSE, rangestep)";
inline constexpr std::string_view kMezDmmVoltDcRang = "p_tvmmultc1_voltDcRang (viM_DMM1, VI_FALSE, rangestep)";

} // namespace gauge::labels
