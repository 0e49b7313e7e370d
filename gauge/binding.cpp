// Binding a meter family's driver library by name: every entry point of the
// family's table is looked up, in table order, and the family is bound only
// when all are found.
#include "gauge/bindings.h"
#include "gauge/reset.h"
#include "drivers/meters.h"
#include "gauge/gauge.h"

#include "platform/library.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

meter_init_t p_hpe1412_init = nullptr;
meter_close_t p_hpe1412_close = nullptr;
meter_reset_t p_hpe1412_reset = nullptr;
meter_error_message_t p_hpe1412_error_message = nullptr;
meter_nplc_t p_hpe1412_currDcNplc = nullptr;
meter_rang_t p_hpe1412_currDcRang = nullptr;
meter_func_t p_hpe1412_func = nullptr;
hpe1412_initImm_t p_hpe1412_initImm = nullptr;
meter_nplc_t p_hpe1412_voltDcNplc = nullptr;
meter_rang_t p_hpe1412_voltDcRang = nullptr;
meter_rang_t p_hpe1412_resRang = nullptr;
hpe1412_timedFetch_Q_t p_hpe1412_timedFetch_Q = nullptr;
meter_trigCoun_t p_hpe1412_trigCoun = nullptr;

meter_init_t p_hp3458a_init = nullptr;
meter_close_t p_hp3458a_close = nullptr;
meter_reset_t p_hp3458a_reset = nullptr;
meter_error_message_t p_hp3458a_error_message = nullptr;
meter_nplc_t p_hp3458a_nplc = nullptr;
meter_rang_t p_hp3458a_currDcRang = nullptr;
meter_func_t p_hp3458a_func = nullptr;
meter_rang_t p_hp3458a_voltDcRang = nullptr;
meter_rang_t p_hp3458a_resRang = nullptr;
meter_measure_Q_t p_hp3458a_measure_Q = nullptr;
meter_trigCoun_t p_hp3458a_trigCoun = nullptr;

meter_init_t p_tvmult_init = nullptr;
meter_close_t p_tvmult_close = nullptr;
meter_reset_t p_tvmult_reset = nullptr;
meter_error_message_t p_tvmult_error_message = nullptr;
meter_nplc_t p_tvmult_voltDcNplc = nullptr;
meter_nplc_t p_tvmult_currDcNplc = nullptr;
meter_rang_t p_tvmult_currDcRang = nullptr;
meter_func_t p_tvmult_func = nullptr;
meter_rang_t p_tvmult_voltDcRang = nullptr;
meter_rang_t p_tvmult_fresRang = nullptr;
meter_measure_Q_t p_tvmult_measure_Q = nullptr;
meter_trigCoun_t p_tvmult_trigCoun = nullptr;

meter_init_t p_tvmultc1_init = nullptr;
meter_close_t p_tvmultc1_close = nullptr;
meter_reset_t p_tvmultc1_reset = nullptr;
meter_error_message_t p_tvmultc1_error_message = nullptr;
meter_measure_Q_t p_tvmultc1_measure_Q = nullptr;
meter_configure_t p_tvmultc1_configure = nullptr;
meter_reconfig_t p_tvmultc1_reconfig = nullptr;
meter_func_t p_tvmultc1_conf_func = nullptr;
meter_rang_t p_tvmultc1_currDcRang = nullptr;
meter_rang_t p_tvmultc1_voltDcRang = nullptr;
meter_rang_t p_tvmultc1_fresRang = nullptr;
meter_nplc_t p_tvmultc1_currDcNplc = nullptr;
meter_nplc_t p_tvmultc1_voltDcNplc = nullptr;
meter_trigCoun_t p_tvmultc1_trigCoun = nullptr;
meter_trigDel_t p_tvmultc1_trigDel = nullptr;
meter_trigSour_t p_tvmultc1_trigSour = nullptr;
tvmultc1_read_Q_t p_tvmultc1_read_Q = nullptr;

meter_init_t p_tvmmultc1_init = nullptr;
tvmmultc1_connect_t p_tvmmultc1_connect = nullptr;
meter_close_t p_tvmmultc1_close = nullptr;
meter_reset_t p_tvmmultc1_reset = nullptr;
meter_error_message_t p_tvmmultc1_error_message = nullptr;
meter_measure_Q_t p_tvmmultc1_measure_Q = nullptr;
meter_configure_t p_tvmmultc1_configure = nullptr;
meter_func_t p_tvmmultc1_conf_func = nullptr;
meter_rang_t p_tvmmultc1_currDcRang = nullptr;
meter_rang_t p_tvmmultc1_voltDcRang = nullptr;
meter_rang_t p_tvmmultc1_fresRang = nullptr;
meter_nplc_t p_tvmmultc1_currDcNplc = nullptr;
meter_nplc_t p_tvmmultc1_voltDcNplc = nullptr;
meter_trigCoun_t p_tvmmultc1_trigCoun = nullptr;
meter_trigDel_t p_tvmmultc1_trigDel = nullptr;
meter_trigSour_t p_tvmmultc1_trigSour = nullptr;

meter_init_t p_tvbase_init = nullptr;
meter_close_t p_tvbase_close = nullptr;

namespace {

std::string bindError;

// One entry point of a family: the name it is looked up by and the variable it
// is stored in. The variable's type must be the pointer type of the entry point
// as drivers/meters.h declares it, or the table does not compile.
struct Entry {
    std::string_view name;
    void (*store)(void* symbol); // stores the looked-up entry point; null clears the variable
    bool (*isSet)();
};

template <class F, F*& Variable> constexpr Entry entry(std::string_view name)
{
    return {name, [](void* symbol) { Variable = reinterpret_cast<F*>(symbol); }, [] { return Variable != nullptr; }};
}

// The name, the variable (p_ plus the name) and the type (that of the declared
// entry point) all come from the one name written, so no pair can be crossed.
#define KSIL_ENTRY(name) entry<decltype(::name), p_##name>(#name)

constexpr std::array kHpE1412{
    KSIL_ENTRY(hpe1412_init),       KSIL_ENTRY(hpe1412_close),       KSIL_ENTRY(hpe1412_reset),
    KSIL_ENTRY(hpe1412_error_message), KSIL_ENTRY(hpe1412_currDcNplc), KSIL_ENTRY(hpe1412_currDcRang),
    KSIL_ENTRY(hpe1412_func),       KSIL_ENTRY(hpe1412_initImm),     KSIL_ENTRY(hpe1412_voltDcNplc),
    KSIL_ENTRY(hpe1412_voltDcRang), KSIL_ENTRY(hpe1412_resRang),     KSIL_ENTRY(hpe1412_timedFetch_Q),
    KSIL_ENTRY(hpe1412_trigCoun),
};

constexpr std::array kHp3458{
    KSIL_ENTRY(hp3458a_init),          KSIL_ENTRY(hp3458a_close),      KSIL_ENTRY(hp3458a_reset),
    KSIL_ENTRY(hp3458a_error_message), KSIL_ENTRY(hp3458a_nplc),       KSIL_ENTRY(hp3458a_currDcRang),
    KSIL_ENTRY(hp3458a_func),          KSIL_ENTRY(hp3458a_voltDcRang), KSIL_ENTRY(hp3458a_resRang),
    KSIL_ENTRY(hp3458a_measure_Q),     KSIL_ENTRY(hp3458a_trigCoun),
};

constexpr std::array kDmm{
    KSIL_ENTRY(tvmult_init),        KSIL_ENTRY(tvmult_close),       KSIL_ENTRY(tvmult_reset),
    KSIL_ENTRY(tvmult_error_message), KSIL_ENTRY(tvmult_voltDcNplc), KSIL_ENTRY(tvmult_currDcNplc),
    KSIL_ENTRY(tvmult_currDcRang),  KSIL_ENTRY(tvmult_func),        KSIL_ENTRY(tvmult_voltDcRang),
    KSIL_ENTRY(tvmult_fresRang),    KSIL_ENTRY(tvmult_measure_Q),   KSIL_ENTRY(tvmult_trigCoun),
};

constexpr std::array kDmm1{
    KSIL_ENTRY(tvmultc1_init),       KSIL_ENTRY(tvmultc1_close),       KSIL_ENTRY(tvmultc1_reset),
    KSIL_ENTRY(tvmultc1_error_message), KSIL_ENTRY(tvmultc1_measure_Q), KSIL_ENTRY(tvmultc1_configure),
    KSIL_ENTRY(tvmultc1_reconfig),   KSIL_ENTRY(tvmultc1_conf_func),   KSIL_ENTRY(tvmultc1_currDcRang),
    KSIL_ENTRY(tvmultc1_voltDcRang), KSIL_ENTRY(tvmultc1_fresRang),    KSIL_ENTRY(tvmultc1_currDcNplc),
    KSIL_ENTRY(tvmultc1_voltDcNplc), KSIL_ENTRY(tvmultc1_trigCoun),    KSIL_ENTRY(tvmultc1_trigDel),
    KSIL_ENTRY(tvmultc1_trigSour),   KSIL_ENTRY(tvmultc1_read_Q),
};

constexpr std::array kMezDmm{
    KSIL_ENTRY(tvmmultc1_init),       KSIL_ENTRY(tvmmultc1_connect),    KSIL_ENTRY(tvmmultc1_close),
    KSIL_ENTRY(tvmmultc1_reset),      KSIL_ENTRY(tvmmultc1_error_message), KSIL_ENTRY(tvmmultc1_measure_Q),
    KSIL_ENTRY(tvmmultc1_configure),  KSIL_ENTRY(tvmmultc1_conf_func),  KSIL_ENTRY(tvmmultc1_currDcRang),
    KSIL_ENTRY(tvmmultc1_voltDcRang), KSIL_ENTRY(tvmmultc1_fresRang),   KSIL_ENTRY(tvmmultc1_currDcNplc),
    KSIL_ENTRY(tvmmultc1_voltDcNplc), KSIL_ENTRY(tvmmultc1_trigCoun),   KSIL_ENTRY(tvmmultc1_trigDel),
    KSIL_ENTRY(tvmmultc1_trigSour),
};

constexpr std::array kCarrier{KSIL_ENTRY(tvbase_init), KSIL_ENTRY(tvbase_close)};

#undef KSIL_ENTRY

struct FamilyBinding {
    int model;
    std::span<const Entry> entries; // the first is the family's init
};

constexpr std::array kBindings{
    FamilyBinding{gauge::kModelHpE1412, kHpE1412}, FamilyBinding{gauge::kModelHp3458, kHp3458},
    FamilyBinding{gauge::kModelDmm, kDmm},         FamilyBinding{gauge::kModelDmm1, kDmm1},
    FamilyBinding{gauge::kModelMezDmm, kMezDmm},   FamilyBinding{gauge::kModelCarrier, kCarrier},
};

// The tables bind what drivers/meters.h lists for each family, in its lookup
// order; the simulated bench exports from the same lists.
// (Written without pointers to table elements: a sanitizer build does not take
// their comparison as a constant.)
constexpr bool bindsItsList(const FamilyBinding& binding, const gauge::Family& family)
{
    if (family.entries.size() != binding.entries.size())
        return false;
    for (std::size_t i = 0; i < binding.entries.size(); ++i)
        if (family.entries[i] != binding.entries[i].name)
            return false;
    return true;
}

constexpr bool bindsEveryFamily()
{
    for (const gauge::Family& f : gauge::kFamilies) {
        bool found = false;
        for (const FamilyBinding& b : kBindings)
            found = found || (b.model == f.model && bindsItsList(b, f));
        if (!found)
            return false;
    }
    return kBindings.size() == gauge::kFamilies.size();
}
static_assert(bindsEveryFamily(), "a binding table differs from its family's entry-point list");

const FamilyBinding* bindingOf(int model)
{
    for (const FamilyBinding& b : kBindings)
        if (b.model == model)
            return &b;
    return nullptr;
}

} // namespace

int loadLibs(int modelCode)
{
    const gauge::Family* family = gauge::findFamily(modelCode);
    const FamilyBinding* binding = bindingOf(modelCode);
    if (!family || !binding)
        return 0;

    auto lib = platform::Library::open(family->library, &bindError);
    if (!lib)
        return -1;
    // Every entry point is looked up before any is stored: a family binds whole or not at all.
    std::vector<void*> symbols;
    symbols.reserve(binding->entries.size());
    for (const Entry& e : binding->entries) {
        void* symbol = lib->symbol(std::string(e.name).c_str(), &bindError);
        if (!symbol)
            return -1; // the library is unloaded on the way out; nothing was stored
        symbols.push_back(symbol);
    }
    for (std::size_t i = 0; i < symbols.size(); ++i)
        binding->entries[i].store(symbols[i]);
    lib->keep();
    return 0;
}

namespace gauge {

bool familyBound(int modelCode)
{
    const FamilyBinding* binding = bindingOf(modelCode);
    return binding && binding->entries.front().isSet();
}

void unbindAll()
{
    for (const FamilyBinding& b : kBindings)
        for (const Entry& e : b.entries)
            e.store(nullptr);
}

const std::string& lastBindError()
{
    return bindError;
}

} // namespace gauge
