// The loaded bench: loading, resetting, lookups and the physics of channels
// and meters.
#include "sim/core.h"

#include "platform/files.h"

#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace sim {
namespace {

std::optional<Bench> current;
Bench emptyBench;

// Where each address is in the loaded bench's list, so that a driver call
// finds its instrument at once however many the bench holds. Tests edit the
// list freely between calls, so an entry is trusted only when the instrument
// it points at still has that address, and a lookup that misses rebuilds it.
std::unordered_map<std::string, std::size_t> byAddress;

Instrument* indexed(std::vector<Instrument>& list, const std::string& key)
{
    const auto it = byAddress.find(key);
    if (it == byAddress.end() || it->second >= list.size() || core::addressKey(list[it->second].address) != key)
        return nullptr;
    return &list[it->second];
}

} // namespace

namespace detail {

void clearLoaded()
{
    current.reset();
    byAddress.clear();
}

void initMeterState(Meter& m)
{
    m.state = Meter::State{};
    m.state.rng.seed(m.seed);
}

std::array<double, kStages> nominalStages()
{
    std::array<double, kStages> n{};
    for (int k = 0; k < kStages; ++k) n[k] = std::ldexp(1.0, k);
    return n;
}

// Everything but the state folder, which outlives bench loads.
void clearRun()
{
    core::clearSessions();
    resetCalls();
    clearInterruptedWrite();
    clearLoaded();
}

bool loadFrom(std::string_view text, std::string_view source, std::string* error)
{
    clearRun();
    std::optional<Bench> b = parseBench(text, source, error);
    if (!b) return false;
    for (Instrument& in : b->instruments) {
        if (in.meter) initMeterState(*in.meter);
        for (Mezzanine& mz : in.mezzanines)
            if (mz.meter) initMeterState(*mz.meter);
    }
    current.emplace(std::move(*b));
    for (const FaultSpec& f : current->faults) failCall(f.entry, f.status, f.times, f.from);
    return true;
}

} // namespace detail

bool loadDefault(std::string* error) { return detail::loadFrom(defaultBenchJson(), "built-in bench", error); }

bool loadJson(std::string_view text, std::string* error) { return detail::loadFrom(text, "JSON text", error); }

bool loadFile(const std::string& path, std::string* error)
{
    std::string why;
    const std::optional<std::string> text = platform::readRegularFile(path, &why);
    if (!text || text->empty()) {
        detail::clearRun();
        if (error) *error = path + ": cannot use it as the bench file: " + (text ? "it is empty" : why);
        return false;
    }
    return detail::loadFrom(*text, path, error);
}

bool loaded() { return current.has_value(); }

void reset()
{
    detail::clearRun();
    detail::resetFlashState();
}

Bench& bench()
{
    if (!core::ensureLoaded()) {
        emptyBench = Bench{};
        return emptyBench;
    }
    return *current;
}

Instrument* instrument(std::string_view address)
{
    if (!current) return nullptr;
    std::vector<Instrument>& list = current->instruments;
    const std::string key = core::addressKey(address);
    if (Instrument* in = indexed(list, key)) return in;
    byAddress.clear();
    // The first of equal addresses is the one found, as a scan of the list would.
    for (std::size_t i = 0; i < list.size(); ++i) byAddress.emplace(core::addressKey(list[i].address), i);
    return indexed(list, key);
}

Mezzanine* mezzanine(std::string_view carrierAddress, int position)
{
    Instrument* in = instrument(carrierAddress);
    if (!in) return nullptr;
    for (Mezzanine& mz : in->mezzanines)
        if (mz.position == position) return &mz;
    return nullptr;
}

Channel* channel(std::string_view carrierAddress, int position, int ch)
{
    Mezzanine* mz = mezzanine(carrierAddress, position);
    if (!mz || ch < 1 || ch > static_cast<int>(mz->channels.size())) return nullptr;
    return &mz->channels[static_cast<std::size_t>(ch - 1)];
}

double chainResistance(const Channel& ch, std::int32_t code)
{
    double r = 0.0;
    for (int k = 0; k < kStages; ++k) r += (code >> k) & 1 ? ch.stage[k] : ch.r0;
    return r;
}

double presentedResistance(std::string_view carrierAddress, int position, int ch)
{
    const Mezzanine* mz = mezzanine(carrierAddress, position);
    const Channel* c = channel(carrierAddress, position, ch);
    if (!mz || !c || !c->on) return kOpenCircuit;
    return mz->model == kModelKsil2 ? chainResistance(*c, c->code) : c->setting;
}

double outputResistance(std::string_view carrierAddress, int position)
{
    const Mezzanine* mz = mezzanine(carrierAddress, position);
    if (!mz) return kOpenCircuit;
    // Conductances add; a channel presenting 0 Ω shorts the output.
    double conductance = 0.0;
    bool any = false;
    for (int n = 1; n <= static_cast<int>(mz->channels.size()); ++n) {
        const double r = presentedResistance(carrierAddress, position, n);
        if (r >= kOpenCircuit) continue;
        if (r <= 0.0) return 0.0;
        conductance += 1.0 / r;
        any = true;
    }
    return any ? 1.0 / conductance : kOpenCircuit;
}

double meterTrueResistance(const Meter& meter)
{
    if (meter.wiredCarrier.empty()) return kOpenCircuit;
    if (meter.wiredChannel == 0) return outputResistance(meter.wiredCarrier, meter.wiredPosition);
    return presentedResistance(meter.wiredCarrier, meter.wiredPosition, meter.wiredChannel);
}

} // namespace sim
