// The multimeter families: model code, driver library and the entry points
// the multimeter layer looks up, in lookup order. The binding code and the
// tests read these tables.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace gauge {

inline constexpr int kModelHpE1412 = 579;
inline constexpr int kModelHp3458 = 3458;
inline constexpr int kModelDmm = 324;
inline constexpr int kModelDmm1 = 356;
inline constexpr int kModelMezDmm = 32;
inline constexpr int kModelCarrier = 269;

inline constexpr std::array<std::string_view, 13> kHpE1412Entries{
    "hpe1412_init",       "hpe1412_close",      "hpe1412_reset",      "hpe1412_error_message",
    "hpe1412_currDcNplc", "hpe1412_currDcRang", "hpe1412_func",       "hpe1412_initImm",
    "hpe1412_voltDcNplc", "hpe1412_voltDcRang", "hpe1412_resRang",    "hpe1412_timedFetch_Q",
    "hpe1412_trigCoun"};

inline constexpr std::array<std::string_view, 11> kHp3458Entries{
    "hp3458a_init",        "hp3458a_close", "hp3458a_reset",       "hp3458a_error_message",
    "hp3458a_nplc",        "hp3458a_currDcRang", "hp3458a_func",   "hp3458a_voltDcRang",
    "hp3458a_resRang",     "hp3458a_measure_Q",  "hp3458a_trigCoun"};

inline constexpr std::array<std::string_view, 12> kDmmEntries{
    "tvmult_init",        "tvmult_close",       "tvmult_reset",      "tvmult_error_message",
    "tvmult_voltDcNplc",  "tvmult_currDcNplc",  "tvmult_currDcRang", "tvmult_func",
    "tvmult_voltDcRang",  "tvmult_fresRang",    "tvmult_measure_Q",  "tvmult_trigCoun"};

inline constexpr std::array<std::string_view, 17> kDmm1Entries{
    "tvmultc1_init",        "tvmultc1_close",       "tvmultc1_reset",      "tvmultc1_error_message",
    "tvmultc1_measure_Q",   "tvmultc1_configure",   "tvmultc1_reconfig",   "tvmultc1_conf_func",
    "tvmultc1_currDcRang",  "tvmultc1_voltDcRang",  "tvmultc1_fresRang",   "tvmultc1_currDcNplc",
    "tvmultc1_voltDcNplc",  "tvmultc1_trigCoun",    "tvmultc1_trigDel",    "tvmultc1_trigSour",
    "tvmultc1_read_Q"};

inline constexpr std::array<std::string_view, 16> kMezDmmEntries{
    "tvmmultc1_init",        "tvmmultc1_connect",     "tvmmultc1_close",      "tvmmultc1_reset",
    "tvmmultc1_error_message", "tvmmultc1_measure_Q", "tvmmultc1_configure",  "tvmmultc1_conf_func",
    "tvmmultc1_currDcRang",  "tvmmultc1_voltDcRang",  "tvmmultc1_fresRang",   "tvmmultc1_currDcNplc",
    "tvmmultc1_voltDcNplc",  "tvmmultc1_trigCoun",    "tvmmultc1_trigDel",    "tvmmultc1_trigSour"};

inline constexpr std::array<std::string_view, 2> kCarrierEntries{"tvbase_init", "tvbase_close"};

struct Family {
    int model;                               // model code the layer and the selection take
    std::string_view designation;            // as in the operator's texts
    std::string_view library;                // as the program names it
    std::span<const std::string_view> entries; // lookup order
};

// Function codes each family takes for four-wire resistance, DC voltage and DC current.
struct FunctionCodes {
    int fres, voltDc, currDc;
};
inline constexpr FunctionCodes kHpE1412Functions{2, 5, 7};
inline constexpr FunctionCodes kHp3458Functions{5, 1, 6};
inline constexpr FunctionCodes kDmmFunctions{2, 5, 7};
inline constexpr FunctionCodes kDmm1Functions{2, 5, 7};
inline constexpr FunctionCodes kMezDmmFunctions{2, 5, 7};

inline constexpr std::array<Family, 6> kFamilies{{
    {kModelHpE1412, "HP1412", "hpe1412_32.dll", kHpE1412Entries},
    {kModelHp3458, "HP3458", "hp3458a.dll", kHp3458Entries},
    {kModelDmm, "DMM", "tvmult.dll", kDmmEntries},
    {kModelDmm1, "ЦMM1", "tvmultc1.dll", kDmm1Entries},
    {kModelMezDmm, "МЦMM", "tvmmultc1_32.dll", kMezDmmEntries},
    {kModelCarrier, "", "tvbase_32.dll", kCarrierEntries},
}};

// The family of a model code, or nullptr.
constexpr const Family* findFamily(int model)
{
    for (const Family& f : kFamilies)
        if (f.model == model) return &f;
    return nullptr;
}

} // namespace gauge
