// Binding a meter family's driver library by name: every entry point of the
// family's list is looked up, in list order, and the family is bound only when
// all are found.
#include "gauge/bindings.h"
#include "gauge/reset.h"
#include "drivers/meters.h"
#include "gauge/gauge.h"

#include "platform/library.h"

#include <cassert>
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

// Hands out the looked-up entry points in the order of the family's list.
// assign() either stores the next entry point into its variable or, with
// clear set, empties it; the variables are given in list order.
class Entries {
public:
    Entries(std::vector<void*> symbols, bool clear) : symbols_(std::move(symbols)), clear_(clear) {}
    template <class F> Entries& operator()(F& slot)
    {
        assert(next_ < symbols_.size() && "more variables than entry points in the family's list");
        slot = clear_ ? nullptr : reinterpret_cast<F>(symbols_[next_]);
        ++next_;
        return *this;
    }
    bool complete() const { return next_ == symbols_.size(); }

private:
    std::vector<void*> symbols_;
    bool clear_;
    std::size_t next_ = 0;
};

void assignHpE1412(Entries& e)
{
    e(p_hpe1412_init)(p_hpe1412_close)(p_hpe1412_reset)(p_hpe1412_error_message)(p_hpe1412_currDcNplc)(
        p_hpe1412_currDcRang)(p_hpe1412_func)(p_hpe1412_initImm)(p_hpe1412_voltDcNplc)(p_hpe1412_voltDcRang)(
        p_hpe1412_resRang)(p_hpe1412_timedFetch_Q)(p_hpe1412_trigCoun);
}

void assignHp3458(Entries& e)
{
    e(p_hp3458a_init)(p_hp3458a_close)(p_hp3458a_reset)(p_hp3458a_error_message)(p_hp3458a_nplc)(
        p_hp3458a_currDcRang)(p_hp3458a_func)(p_hp3458a_voltDcRang)(p_hp3458a_resRang)(p_hp3458a_measure_Q)(
        p_hp3458a_trigCoun);
}

void assignDmm(Entries& e)
{
    e(p_tvmult_init)(p_tvmult_close)(p_tvmult_reset)(p_tvmult_error_message)(p_tvmult_voltDcNplc)(
        p_tvmult_currDcNplc)(p_tvmult_currDcRang)(p_tvmult_func)(p_tvmult_voltDcRang)(p_tvmult_fresRang)(
        p_tvmult_measure_Q)(p_tvmult_trigCoun);
}

void assignDmm1(Entries& e)
{
    e(p_tvmultc1_init)(p_tvmultc1_close)(p_tvmultc1_reset)(p_tvmultc1_error_message)(p_tvmultc1_measure_Q)(
        p_tvmultc1_configure)(p_tvmultc1_reconfig)(p_tvmultc1_conf_func)(p_tvmultc1_currDcRang)(
        p_tvmultc1_voltDcRang)(p_tvmultc1_fresRang)(p_tvmultc1_currDcNplc)(p_tvmultc1_voltDcNplc)(
        p_tvmultc1_trigCoun)(p_tvmultc1_trigDel)(p_tvmultc1_trigSour)(p_tvmultc1_read_Q);
}

void assignMezDmm(Entries& e)
{
    e(p_tvmmultc1_init)(p_tvmmultc1_connect)(p_tvmmultc1_close)(p_tvmmultc1_reset)(p_tvmmultc1_error_message)(
        p_tvmmultc1_measure_Q)(p_tvmmultc1_configure)(p_tvmmultc1_conf_func)(p_tvmmultc1_currDcRang)(
        p_tvmmultc1_voltDcRang)(p_tvmmultc1_fresRang)(p_tvmmultc1_currDcNplc)(p_tvmmultc1_voltDcNplc)(
        p_tvmmultc1_trigCoun)(p_tvmmultc1_trigDel)(p_tvmmultc1_trigSour);
}

void assignCarrier(Entries& e)
{
    e(p_tvbase_init)(p_tvbase_close);
}

struct FamilyBinding {
    int model;
    void (*assign)(Entries&);
    bool (*bound)(); // the family's p_…_init is set
};

const FamilyBinding kBindings[] = {
    {gauge::kModelHpE1412, assignHpE1412, [] { return p_hpe1412_init != nullptr; }},
    {gauge::kModelHp3458, assignHp3458, [] { return p_hp3458a_init != nullptr; }},
    {gauge::kModelDmm, assignDmm, [] { return p_tvmult_init != nullptr; }},
    {gauge::kModelDmm1, assignDmm1, [] { return p_tvmultc1_init != nullptr; }},
    {gauge::kModelMezDmm, assignMezDmm, [] { return p_tvmmultc1_init != nullptr; }},
    {gauge::kModelCarrier, assignCarrier, [] { return p_tvbase_init != nullptr; }},
};

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
    std::vector<void*> symbols;
    symbols.reserve(family->entries.size());
    for (std::string_view name : family->entries) {
        void* symbol = lib->symbol(std::string(name).c_str(), &bindError);
        if (!symbol)
            return -1; // the library is unloaded on the way out; nothing was stored
        symbols.push_back(symbol);
    }
    Entries entries(std::move(symbols), false);
    binding->assign(entries);
    assert(entries.complete() && "fewer variables than entry points in the family's list");
    lib->keep();
    return 0;
}

namespace gauge {

bool familyBound(int modelCode)
{
    const FamilyBinding* binding = bindingOf(modelCode);
    return binding && binding->bound();
}

void unbindAll()
{
    for (const FamilyBinding& b : kBindings) {
        Entries entries(std::vector<void*>(findFamily(b.model)->entries.size()), true);
        b.assign(entries);
    }
}

const std::string& lastBindError()
{
    return bindError;
}

} // namespace gauge
