// Reading a bench description from JSON and checking that it is consistent.
// Keys starting with "_" are comments; any other unknown key is an error, so
// a misspelt field does not silently fall back to its default.
#include "sim/core.h"
#include "drivers/meters.h"
#include "drivers/tvbase.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <set>
#include <stdexcept>

namespace sim::detail {
namespace {

using nlohmann::json;

// A problem in the description; the message names where it is.
struct BadBench : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    throw BadBench(where.empty() ? what : where + ": " + what);
}

void checkKeys(const json& j, const std::string& where, std::initializer_list<const char*> allowed)
{
    if (!j.is_object()) fail(where, "must be a JSON object");
    for (const auto& [key, value] : j.items()) {
        if (!key.empty() && key[0] == '_') continue;
        bool known = false;
        for (const char* a : allowed) known = known || key == a;
        if (!known) fail(where, "unknown field \"" + key + "\"");
    }
}

// Integers may be written as numbers or as "0x..." strings.
long long getInt(const json& j, const char* key, long long def, const std::string& where)
{
    auto it = j.find(key);
    if (it == j.end()) return def;
    if (it->is_number_integer()) return it->get<long long>();
    if (it->is_string()) {
        const std::string s = it->get<std::string>();
        try {
            std::size_t used = 0;
            long long v = std::stoll(s, &used, 0);
            if (used == s.size()) return v;
        } catch (const std::exception&) {
        }
    }
    fail(where, std::string("field \"") + key + "\" must be an integer");
}

double getDouble(const json& j, const char* key, double def, const std::string& where)
{
    auto it = j.find(key);
    if (it == j.end()) return def;
    if (!it->is_number()) fail(where, std::string("field \"") + key + "\" must be a number");
    return it->get<double>();
}

std::string getString(const json& j, const char* key, const std::string& def, const std::string& where)
{
    auto it = j.find(key);
    if (it == j.end()) return def;
    if (!it->is_string()) fail(where, std::string("field \"") + key + "\" must be a text");
    return it->get<std::string>();
}

bool getBool(const json& j, const char* key, bool def, const std::string& where)
{
    auto it = j.find(key);
    if (it == j.end()) return def;
    if (!it->is_boolean()) fail(where, std::string("field \"") + key + "\" must be true or false");
    return it->get<bool>();
}

ViUInt16 interfaceType(const json& j, const std::string& where)
{
    auto it = j.find("interface");
    if (it == j.end()) return VI_INTF_VXI;
    if (it->is_number_integer()) return static_cast<ViUInt16>(it->get<int>());
    const std::string s = it->is_string() ? it->get<std::string>() : "";
    if (s == "GPIB") return 1;
    if (s == "VXI") return VI_INTF_VXI;
    if (s == "GPIB-VXI") return VI_INTF_GPIB_VXI;
    if (s == "TCPIP") return VI_INTF_TCPIP;
    if (s == "USB") return VI_INTF_USB;
    fail(where, "interface must be GPIB, VXI, GPIB-VXI, TCPIP, USB or a number");
}

// Deterministic on every platform: no library distributions.
double uniform(std::mt19937& rng) { return rng() / 4294967296.0; }

Channel generatedChannel(std::mt19937& rng, double r0, double deviation)
{
    Channel ch;
    ch.r0 = r0 * (1.0 + 0.2 * (2.0 * uniform(rng) - 1.0));
    for (int k = 0; k < kStages; ++k)
        ch.stage[k] = std::ldexp(1.0, k) * (1.0 + deviation * (2.0 * uniform(rng) - 1.0)) + ch.r0;
    return ch;
}

Meter parseMeter(const json& j, const std::string& where, bool onMezzanine)
{
    checkKeys(j, where, {"family", "wiredTo", "gainError", "noise", "seed", "conversionTime", "voltDc", "currDc"});
    Meter m;
    m.family = static_cast<int>(getInt(j, "family", onMezzanine ? kModelMezMeter : 0, where));
    const bool known = onMezzanine ? m.family == kModelMezMeter
                                   : (m.family == gauge::kModelHpE1412 || m.family == gauge::kModelHp3458 ||
                                      m.family == gauge::kModelDmm || m.family == gauge::kModelDmm1);
    if (!known) fail(where, "unknown meter family " + std::to_string(m.family));
    if (auto w = j.find("wiredTo"); w != j.end()) {
        const std::string ww = where + " wiredTo";
        checkKeys(*w, ww, {"carrier", "position", "channel"});
        m.wiredCarrier = getString(*w, "carrier", "", ww);
        m.wiredPosition = static_cast<int>(getInt(*w, "position", 0, ww));
        m.wiredChannel = static_cast<int>(getInt(*w, "channel", 0, ww));
    }
    m.gainError = getDouble(j, "gainError", 0.0, where);
    m.noise = getDouble(j, "noise", 0.0, where);
    m.seed = static_cast<std::uint32_t>(getInt(j, "seed", 1, where));
    m.conversionTime = getDouble(j, "conversionTime", 0.02, where);
    m.voltDc = getDouble(j, "voltDc", 0.0, where);
    m.currDc = getDouble(j, "currDc", 0.0, where);
    return m;
}

SelfTest parseSelfTest(const json& j, const std::string& where)
{
    checkKeys(j, where, {"questions", "result", "text", "stoppedResult", "stoppedText", "leaveText"});
    SelfTest st;
    if (auto q = j.find("questions"); q != j.end()) {
        if (!q->is_array()) fail(where, "questions must be a list");
        for (const json& item : *q) {
            checkKeys(item, where + " question", {"code", "text"});
            st.questions.push_back({static_cast<std::int32_t>(getInt(item, "code", 0, where)),
                                    getString(item, "text", "", where)});
        }
    }
    st.result = static_cast<std::int16_t>(getInt(j, "result", st.result, where));
    st.text = getString(j, "text", st.text, where);
    st.stoppedResult = static_cast<std::int16_t>(getInt(j, "stoppedResult", st.stoppedResult, where));
    st.stoppedText = getString(j, "stoppedText", st.stoppedText, where);
    st.leaveText = getBool(j, "leaveText", false, where);
    return st;
}

Mezzanine parseMezzanine(const json& j, const std::string& where, std::uint32_t defaultSeed)
{
    checkKeys(j, where,
              {"position", "model", "seed", "deviation", "r0", "channels", "selfTest", "revision", "meter"});
    Mezzanine mz;
    mz.position = static_cast<int>(getInt(j, "position", 0, where));
    if (mz.position < 1 || mz.position > 4)
        fail(where, "mezzanine at position " + std::to_string(mz.position) + " (positions are 1 to 4)");
    mz.model = static_cast<int>(getInt(j, "model", 0, where));
    if (mz.model != kModelKsil2 && mz.model != kModelKsil5 && mz.model != kModelMezMeter)
        fail(where, "unknown mezzanine model " + std::to_string(mz.model) + " (known: 64, 79, 32)");
    mz.revision = getString(j, "revision", mz.revision, where);
    if (auto st = j.find("selfTest"); st != j.end()) mz.selfTest = parseSelfTest(*st, where + " selfTest");
    else mz.selfTest.questions = {{1, "Проверка каналов.\nПродолжить?"}};

    if (mz.model == kModelMezMeter) {
        json meter = j.value("meter", json::object());
        mz.meter = parseMeter(meter, where + " meter", true);
        return mz;
    }
    if (j.contains("meter")) fail(where, "only a mezzanine of model 32 is a meter");

    const std::size_t count = mz.model == kModelKsil2 ? 2 : 5;
    std::mt19937 rng(static_cast<std::uint32_t>(getInt(j, "seed", defaultSeed, where)));
    const double r0 = getDouble(j, "r0", 0.1, where);
    const double deviation = getDouble(j, "deviation", 0.003, where);
    for (std::size_t c = 0; c < count; ++c) mz.channels.push_back(generatedChannel(rng, r0, deviation));

    if (auto chs = j.find("channels"); chs != j.end()) {
        if (!chs->is_array() || chs->size() != count)
            fail(where, "channels must list " + std::to_string(count) + " channels");
        for (std::size_t c = 0; c < count; ++c) {
            const json& cj = (*chs)[c];
            const std::string cw = where + " channel " + std::to_string(c + 1);
            checkKeys(cj, cw, {"stages", "r0"});
            mz.channels[c].r0 = getDouble(cj, "r0", mz.channels[c].r0, cw);
            if (auto s = cj.find("stages"); s != cj.end()) {
                if (!s->is_array() || s->size() != kStages) fail(cw, "stages must list 18 numbers");
                for (int k = 0; k < kStages; ++k) {
                    if (!(*s)[k].is_number()) fail(cw, "stages must list 18 numbers");
                    mz.channels[c].stage[k] = (*s)[k].get<double>();
                }
            }
        }
    }
    return mz;
}

bool isCarrierModel(const Instrument& in)
{
    const int m = in.model & 0xFFF;
    return in.manufacturer == kCarrierManufacturer &&
           std::find(kCarrierModels.begin(), kCarrierModels.end(), m) != kCarrierModels.end();
}

Instrument parseInstrument(const json& j, const std::string& where, std::uint32_t index)
{
    checkKeys(j, where,
              {"address", "interface", "slot", "crateLA", "LA", "manufacturer", "model", "idn", "tcpipAddress",
               "lockTimesOut", "carrier", "mezzanines", "meter"});
    Instrument in;
    in.address = getString(j, "address", "", where);
    if (in.address.empty()) fail(where, "an instrument needs an address");
    const std::string w = where + " (" + in.address + ")";
    in.intfType = interfaceType(j, w);
    in.slot = static_cast<ViInt16>(getInt(j, "slot", 0, w));
    in.crateLa = static_cast<ViInt16>(getInt(j, "crateLA", 0, w));
    in.la = static_cast<ViInt16>(getInt(j, "LA", 0, w));
    in.manufacturer = static_cast<ViUInt16>(getInt(j, "manufacturer", 0, w));
    in.model = static_cast<ViUInt16>(getInt(j, "model", 0, w));
    in.idn = getString(j, "idn", "", w);
    std::string host;
    if (in.intfType == VI_INTF_TCPIP) {
        const auto a = in.address.find("::");
        const auto b = a == std::string::npos ? a : in.address.find("::", a + 2);
        if (a != std::string::npos) host = in.address.substr(a + 2, b == std::string::npos ? b : b - a - 2);
    }
    in.tcpipAddress = getString(j, "tcpipAddress", host, w);
    in.lockTimesOut = getBool(j, "lockTimesOut", false, w);
    if (auto ms = j.find("mezzanines"); ms != j.end()) {
        if (!ms->is_array()) fail(w, "mezzanines must be a list");
        std::set<int> positions;
        for (const json& mj : *ms) {
            Mezzanine mz = parseMezzanine(mj, w + " mezzanine", 1000 + 10 * index + static_cast<std::uint32_t>(positions.size()));
            if (!positions.insert(mz.position).second)
                fail(w, "two mezzanines at position " + std::to_string(mz.position));
            in.mezzanines.push_back(std::move(mz));
        }
    }
    const bool chassis = (in.intfType == VI_INTF_TCPIP || in.intfType == VI_INTF_USB) &&
                         in.idn.rfind("VELTRONA,TVBASE", 0) == 0;
    in.carrier = getBool(j, "carrier", !in.mezzanines.empty() || isCarrierModel(in) || chassis, w);
    if (!in.carrier && !in.mezzanines.empty()) fail(w, "mezzanines on an instrument that is not a carrier");
    if (auto m = j.find("meter"); m != j.end()) in.meter = parseMeter(*m, w + " meter", false);
    return in;
}

void checkWiring(const Bench& b, const Meter& m, const std::string& where)
{
    if (m.wiredCarrier.empty()) return;
    for (const Instrument& in : b.instruments) {
        if (!core::sameAddress(in.address, m.wiredCarrier)) continue;
        for (const Mezzanine& mz : in.mezzanines)
            if (mz.position == m.wiredPosition && m.wiredChannel >= 1 &&
                m.wiredChannel <= static_cast<int>(mz.channels.size()))
                return;
    }
    fail(where, "meter wired to channel " + std::to_string(m.wiredChannel) + " of position " +
                    std::to_string(m.wiredPosition) + " at " + m.wiredCarrier + ", which does not exist");
}

Bench parse(std::string_view text, std::string_view source)
{
    json j;
    try {
        j = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        fail("", std::string("not valid JSON (") + e.what() + ")");
    }
    checkKeys(j, "", {"instruments", "faults"});
    Bench b;
    b.source = source;
    const json& list = j.value("instruments", json::array());
    if (!list.is_array()) fail("", "instruments must be a list");
    std::uint32_t index = 0;
    for (const json& ij : list) {
        ++index;
        Instrument in = parseInstrument(ij, "instrument " + std::to_string(index), index);
        for (const Instrument& other : b.instruments)
            if (core::sameAddress(other.address, in.address))
                fail("instrument " + std::to_string(index), "two instruments at address " + in.address);
        b.instruments.push_back(std::move(in));
    }
    for (const Instrument& in : b.instruments) {
        if (in.meter) checkWiring(b, *in.meter, in.address + " meter");
        for (const Mezzanine& mz : in.mezzanines)
            if (mz.meter) checkWiring(b, *mz.meter, in.address + " position " + std::to_string(mz.position) + " meter");
    }
    if (auto fl = j.find("faults"); fl != j.end()) {
        if (!fl->is_array()) fail("", "faults must be a list");
        for (const json& fj : *fl) {
            checkKeys(fj, "fault", {"entry", "status", "times", "from"});
            FaultSpec f;
            f.entry = getString(fj, "entry", "", "fault");
            if (f.entry.empty()) fail("fault", "a fault needs an entry");
            f.status = static_cast<ViStatus>(static_cast<std::uint32_t>(getInt(fj, "status", -1, "fault")));
            f.times = static_cast<int>(getInt(fj, "times", 1, "fault"));
            f.from = static_cast<int>(getInt(fj, "from", 1, "fault"));
            b.faults.push_back(f);
        }
    }
    return b;
}

} // namespace

std::optional<Bench> parseBench(std::string_view text, std::string_view source, std::string* error)
{
    try {
        return parse(text, source);
    } catch (const std::exception& e) {
        if (error) *error = std::string(source) + ": " + e.what();
        return std::nullopt;
    }
}

} // namespace sim::detail
