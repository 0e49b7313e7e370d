// Reading a bench description from JSON and checking that it is consistent.
// Keys starting with "_" are comments; any other unknown key is an error, so
// a misspelt field does not silently fall back to its default.
#include "sim/core.h"
#include "sim/entry_points.h"
#include "drivers/meters.h"
#include "drivers/tvbase.h"
#include "platform/number_text.h"
#include "platform/utf8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <optional>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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

// A text from the file as a message shows it: on one line and not too long.
std::string shown(std::string_view text, std::size_t kMax = 60)
{
    return platform::oneLine(text, kMax);
}

void checkKeys(const json& j, const std::string& where, std::initializer_list<const char*> allowed)
{
    if (!j.is_object()) fail(where, "must be a JSON object");
    for (const auto& [key, value] : j.items()) {
        if (!key.empty() && key[0] == '_') continue;
        bool known = false;
        for (const char* a : allowed) known = known || key == a;
        if (!known) fail(where, "unknown field \"" + shown(key) + "\"");
    }
}

// Integers may be written as numbers or as "0x..." strings. A value outside
// lo..hi is refused, never cut to fit the field it goes into.
long long getInt(const json& j, const char* key, long long def, const std::string& where, long long lo,
                 long long hi)
{
    auto it = j.find(key);
    if (it == j.end()) return def;
    std::optional<long long> v;
    bool tooLarge = false;
    if (it->is_number_unsigned()) {
        const auto u = it->get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(std::numeric_limits<long long>::max())) v = static_cast<long long>(u);
        else tooLarge = true;
    } else if (it->is_number_integer()) {
        v = it->get<long long>();
    } else if (it->is_string()) {
        const std::string s = it->get<std::string>();
        try {
            std::size_t used = 0;
            const long long parsed = std::stoll(s, &used, 0);
            if (used == s.size()) v = parsed;
        } catch (const std::out_of_range&) {
            tooLarge = true;
        } catch (const std::exception&) {
        }
    }
    const std::string range = std::to_string(lo) + " to " + std::to_string(hi);
    if (!v && !tooLarge) fail(where, std::string("field \"") + key + "\" must be an integer from " + range);
    if (tooLarge || *v < lo || *v > hi)
        fail(where, std::string("field \"") + key + "\" is out of range (" + range + ")");
    return *v;
}

// Ranges of the integer fields, by the type that holds them.
constexpr long long kAnyMin = std::numeric_limits<long long>::min();
constexpr long long kAnyMax = std::numeric_limits<long long>::max();
constexpr long long kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr long long kInt16Max = std::numeric_limits<std::int16_t>::max();
constexpr long long kUInt16Max = std::numeric_limits<std::uint16_t>::max();
constexpr long long kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr long long kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr long long kUInt32Max = std::numeric_limits<std::uint32_t>::max();
// Most channels of a module (КСИЛ5).
constexpr long long kMaxChannels = 5;
// Longest problem text of a message, in bytes.
constexpr std::size_t kMaxMessage = 300;
// Longest VISA resource string.
constexpr std::size_t kMaxAddress = 255;
// Slots and logical addresses of a VXI system.
constexpr long long kMaxVxiAddress = 255;

// Bounds of the physical values: what a bench of resistance modules and
// meters can mean. Beyond them the simulation would compute infinities or
// wait for ever.
constexpr double kMaxResistance = 1e9;     // ohms, a stage or R0
constexpr double kMaxDeviation = 0.5;      // relative, of the generated stages
constexpr double kMaxGainError = 0.5;      // relative
constexpr double kMaxNoise = 1.0;          // relative standard deviation
constexpr double kMaxConversionTime = 3600; // seconds per reading

// A finite number from lo to hi.
double getDouble(const json& j, const char* key, double def, const std::string& where,
                 double lo = -std::numeric_limits<double>::max(), double hi = std::numeric_limits<double>::max())
{
    auto it = j.find(key);
    if (it == j.end()) return def;
    if (!it->is_number()) fail(where, std::string("field \"") + key + "\" must be a number");
    const double v = it->get<double>();
    if (!std::isfinite(v) || v < lo || v > hi) {
        fail(where, std::string("field \"") + key + "\" is out of range (" +
                        platform::formatText("%g to %g", lo, hi) + ")");
    }
    return v;
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

// A VISA resource string holds no blanks or control characters: an address
// that differs from another only by a trailing blank would name a second,
// unreachable instrument.
void checkAddress(const std::string& address, const std::string& where)
{
    if (address.empty()) fail(where, "an instrument needs an address");
    if (address.size() > kMaxAddress) fail(where, "address \"" + shown(address) + "\" is too long");
    for (unsigned char c : address)
        if (c <= 0x20 || c == 0x7F)
            fail(where, "address \"" + shown(address) + "\" holds a blank or a control character");
}

ViUInt16 interfaceType(const json& j, const std::string& where)
{
    auto it = j.find("interface");
    if (it == j.end()) return VI_INTF_VXI;
    if (it->is_number()) return static_cast<ViUInt16>(getInt(j, "interface", 0, where, 0, kUInt16Max));
    const std::string s = it->is_string() ? it->get<std::string>() : "";
    if (s == "GPIB") return 1;
    if (s == "VXI") return VI_INTF_VXI;
    if (s == "GPIB-VXI") return VI_INTF_GPIB_VXI;
    if (s == "TCPIP") return VI_INTF_TCPIP;
    if (s == "USB") return VI_INTF_USB;
    fail(where, "interface must be GPIB, VXI, GPIB-VXI, TCPIP, USB or a number");
}

// Deepest nesting of lists and objects a bench file may have: the format uses
// eight levels, comments a few more. A parsed value nested much deeper would
// exhaust the stack of the recursive operations on it.
constexpr std::size_t kMaxDepth = 64;

// A first pass over the text, before any value is built: the parser's events
// are screened for what the parsed value could not show or survive (a key
// given twice in one object, of which parsing keeps the last; nesting deeper
// than kMaxDepth), and syntax errors are caught. It keeps only the path of
// the open lists and objects, and recurses nowhere.
class Screen final : public json::json_sax_t {
public:
    const std::string& problem() const { return problem_; }

    bool null() override { return item(); }
    bool boolean(bool) override { return item(); }
    bool number_integer(number_integer_t) override { return item(); }
    bool number_unsigned(number_unsigned_t) override { return item(); }
    bool number_float(number_float_t, const string_t&) override { return item(); }
    bool string(string_t&) override { return item(); }
    bool binary(binary_t&) override { return item(); }
    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& k) override
    {
        Frame& f = open_.back();
        // Comments may repeat; any other key given twice would silently lose all but its last value.
        if (!f.keys.insert(k).second && (k.empty() || k[0] != '_')) {
            problem_ = "key \"" + shown(k) + "\" is given twice in " + place();
            return false;
        }
        f.key = k;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const json::exception& e) override
    {
        problem_ = std::string("not valid JSON (") + e.what() + ")";
        return false;
    }

private:
    struct Frame {
        bool object = false;
        std::string key;          // object: the key whose value is being read
        std::size_t items = 0;    // list: values begun so far
        std::unordered_set<std::string> keys;
    };

    bool item()
    {
        if (!open_.empty() && !open_.back().object) ++open_.back().items;
        return true;
    }
    bool open(bool object)
    {
        item();
        if (open_.size() == kMaxDepth) {
            problem_ = "lists and objects are nested deeper than " + std::to_string(kMaxDepth) + " levels at " + place();
            return false;
        }
        open_.push_back(Frame{object, {}, 0, {}});
        return true;
    }
    bool close()
    {
        open_.pop_back();
        return true;
    }
    // The innermost open object or list as a JSON pointer ("/instruments/1"),
    // cut to a readable length.
    std::string place() const
    {
        if (open_.size() <= 1) return "the top-level object";
        std::string pointer;
        for (std::size_t i = 0; i + 1 < open_.size() && pointer.size() < kMaxMessage; ++i) {
            pointer += '/';
            if (!open_[i].object) {
                pointer += std::to_string(open_[i].items - 1);
                continue;
            }
            for (const char c : open_[i].key) {
                if (c == '~') pointer += "~0";
                else if (c == '/') pointer += "~1";
                else pointer += c;
            }
        }
        return shown(pointer, kMaxMessage / 2);
    }

    std::vector<Frame> open_;
    std::string problem_;
};

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

// What a meter that delivers a fixed value reads: a number, or "nan", "inf" or
// "-inf" for a meter that delivers no number.
std::optional<double> getFixedReading(const json& j, const char* key, const std::string& where)
{
    auto it = j.find(key);
    if (it == j.end()) return std::nullopt;
    if (it->is_number()) return getDouble(j, key, 0.0, where);
    const std::string s = it->is_string() ? it->get<std::string>() : "";
    if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
    if (s == "inf") return std::numeric_limits<double>::infinity();
    if (s == "-inf") return -std::numeric_limits<double>::infinity();
    fail(where, std::string("field \"") + key + "\" must be a number, \"nan\", \"inf\" or \"-inf\"");
}

Meter parseMeter(const json& j, const std::string& where, bool onMezzanine)
{
    checkKeys(j, where, {"family", "wiredTo", "gainError", "noise", "seed", "conversionTime", "voltDc", "currDc",
                         "fixedReading"});
    Meter m;
    m.family = static_cast<int>(getInt(j, "family", onMezzanine ? kModelMezMeter : 0, where, kInt32Min, kInt32Max));
    const bool known = onMezzanine ? m.family == kModelMezMeter
                                   : (m.family == gauge::kModelHpE1412 || m.family == gauge::kModelHp3458 ||
                                      m.family == gauge::kModelDmm || m.family == gauge::kModelDmm1);
    if (!known) fail(where, "unknown meter family " + std::to_string(m.family));
    if (auto w = j.find("wiredTo"); w != j.end()) {
        const std::string ww = where + " wiredTo";
        checkKeys(*w, ww, {"carrier", "position", "channel"});
        m.wiredCarrier = getString(*w, "carrier", "", ww);
        if (!m.wiredCarrier.empty()) checkAddress(m.wiredCarrier, ww + " carrier");
        m.wiredPosition = static_cast<int>(getInt(*w, "position", 0, ww, 1, kMezzaninePositions));
        // Without a channel the meter is on the module's measuring output.
        m.wiredChannel = static_cast<int>(getInt(*w, "channel", 0, ww, 1, kMaxChannels));
    }
    m.gainError = getDouble(j, "gainError", 0.0, where, -kMaxGainError, kMaxGainError);
    m.noise = getDouble(j, "noise", 0.0, where, 0.0, kMaxNoise);
    m.seed = static_cast<std::uint32_t>(getInt(j, "seed", 1, where, 0, kUInt32Max));
    m.conversionTime = getDouble(j, "conversionTime", 0.02, where, 0.0, kMaxConversionTime);
    m.voltDc = getDouble(j, "voltDc", 0.0, where);
    m.currDc = getDouble(j, "currDc", 0.0, where);
    m.fixedReading = getFixedReading(j, "fixedReading", where);
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
            st.questions.push_back({static_cast<std::int32_t>(getInt(item, "code", 0, where, kInt32Min, kInt32Max)),
                                    getString(item, "text", "", where)});
        }
    }
    st.result = static_cast<std::int16_t>(getInt(j, "result", st.result, where, kInt16Min, kInt16Max));
    st.text = getString(j, "text", st.text, where);
    st.stoppedResult = static_cast<std::int16_t>(getInt(j, "stoppedResult", st.stoppedResult, where, kInt16Min, kInt16Max));
    st.stoppedText = getString(j, "stoppedText", st.stoppedText, where);
    st.leaveText = getBool(j, "leaveText", false, where);
    return st;
}

Mezzanine parseMezzanine(const json& j, const std::string& where, std::uint32_t defaultSeed)
{
    checkKeys(j, where,
              {"position", "model", "seed", "deviation", "r0", "channels", "selfTest", "revision", "meter"});
    Mezzanine mz;
    const long long position = getInt(j, "position", 0, where, kAnyMin, kAnyMax);
    if (position < 1 || position > kMezzaninePositions)
        fail(where, "mezzanine at position " + std::to_string(position) + " (positions are 1 to 4)");
    mz.position = static_cast<int>(position);
    const long long model = getInt(j, "model", 0, where, kAnyMin, kAnyMax);
    if (model != kModelKsil2 && model != kModelKsil5 && model != kModelMezMeter)
        fail(where, "unknown mezzanine model " + std::to_string(model) + " (known: 64, 79, 32)");
    mz.model = static_cast<int>(model);
    mz.revision = getString(j, "revision", mz.revision, where);
    if (auto st = j.find("selfTest"); st != j.end()) mz.selfTest = parseSelfTest(*st, where + " selfTest");
    else mz.selfTest.questions = {{1, "Проверка каналов.\nПродолжить?"}};

    if (mz.model == kModelMezMeter) {
        const auto meter = j.find("meter");
        mz.meter = parseMeter(meter != j.end() ? *meter : json::object(), where + " meter", true);
        return mz;
    }
    if (j.contains("meter")) fail(where, "only a mezzanine of model 32 is a meter");

    const std::size_t count = mz.model == kModelKsil2 ? 2 : 5;
    std::mt19937 rng(static_cast<std::uint32_t>(getInt(j, "seed", defaultSeed, where, 0, kUInt32Max)));
    const double r0 = getDouble(j, "r0", 0.1, where, 0.0, kMaxResistance);
    const double deviation = getDouble(j, "deviation", 0.003, where, 0.0, kMaxDeviation);
    for (std::size_t c = 0; c < count; ++c) mz.channels.push_back(generatedChannel(rng, r0, deviation));

    if (auto chs = j.find("channels"); chs != j.end()) {
        if (!chs->is_array() || chs->size() != count)
            fail(where, "channels must list " + std::to_string(count) + " channels");
        for (std::size_t c = 0; c < count; ++c) {
            const json& cj = (*chs)[c];
            const std::string cw = where + " channel " + std::to_string(c + 1);
            checkKeys(cj, cw, {"stages", "r0"});
            mz.channels[c].r0 = getDouble(cj, "r0", mz.channels[c].r0, cw, 0.0, kMaxResistance);
            if (auto s = cj.find("stages"); s != cj.end()) {
                if (!s->is_array() || s->size() != kStages) fail(cw, "stages must list 18 numbers");
                for (int k = 0; k < kStages; ++k) {
                    const json& v = (*s)[k];
                    const double value = v.is_number() ? v.get<double>() : -1.0;
                    if (!std::isfinite(value) || value < 0.0 || value > kMaxResistance)
                        fail(cw, "stage " + std::to_string(k + 1) + " must be a number from 0 to " +
                                     std::to_string(static_cast<long long>(kMaxResistance)) + " ohms");
                    mz.channels[c].stage[k] = value;
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
    checkAddress(in.address, where);
    const std::string w = where + " (" + in.address + ")";
    in.intfType = interfaceType(j, w);
    in.slot = static_cast<ViInt16>(getInt(j, "slot", 0, w, 0, kMaxVxiAddress));
    in.crateLa = static_cast<ViInt16>(getInt(j, "crateLA", 0, w, 0, kMaxVxiAddress));
    in.la = static_cast<ViInt16>(getInt(j, "LA", 0, w, 0, kMaxVxiAddress));
    in.manufacturer = static_cast<ViUInt16>(getInt(j, "manufacturer", 0, w, 0, kUInt16Max));
    in.model = static_cast<ViUInt16>(getInt(j, "model", 0, w, 0, kUInt16Max));
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
                         in.idn.starts_with(kChassisIdnPrefix);
    in.carrier = getBool(j, "carrier", !in.mezzanines.empty() || isCarrierModel(in) || chassis, w);
    if (!in.carrier && !in.mezzanines.empty()) fail(w, "mezzanines on an instrument that is not a carrier");
    if (auto m = j.find("meter"); m != j.end()) in.meter = parseMeter(*m, w + " meter", false);
    return in;
}

// A meter is wired to a resistance module's measuring output (no channel
// given) or to one of its channels.
// Instruments by address key, for checks that stay linear on a large bench.
using AddressIndex = std::unordered_map<std::string, std::size_t>;

void checkWiring(const Bench& b, const AddressIndex& byAddress, const Meter& m, const std::string& where)
{
    if (m.wiredCarrier.empty()) return;
    if (const auto it = byAddress.find(core::addressKey(m.wiredCarrier)); it != byAddress.end()) {
        for (const Mezzanine& mz : b.instruments[it->second].mezzanines) {
            if (mz.position != m.wiredPosition || mz.channels.empty()) continue;
            if (m.wiredChannel == 0 ||
                (m.wiredChannel >= 1 && m.wiredChannel <= static_cast<int>(mz.channels.size())))
                return;
        }
    }
    const std::string what = m.wiredChannel == 0
                                 ? "the module at position " + std::to_string(m.wiredPosition)
                                 : "channel " + std::to_string(m.wiredChannel) + " of position " +
                                       std::to_string(m.wiredPosition);
    fail(where, "meter wired to " + what + " at " + m.wiredCarrier + ", which does not exist");
}

Bench parse(std::string_view text, std::string_view source)
{
    if (Screen screen; !json::sax_parse(text.begin(), text.end(), &screen)) fail("", screen.problem());
    const json j = json::parse(text.begin(), text.end());
    checkKeys(j, "", {"instruments", "faults"});
    Bench b;
    b.source = source;
    AddressIndex byAddress;
    if (const auto list = j.find("instruments"); list != j.end()) {
        if (!list->is_array()) fail("", "instruments must be a list");
        std::uint32_t index = 0;
        for (const json& ij : *list) {
            ++index;
            Instrument in = parseInstrument(ij, "instrument " + std::to_string(index), index);
            if (!byAddress.emplace(core::addressKey(in.address), b.instruments.size()).second)
                fail("instrument " + std::to_string(index), "two instruments at address " + in.address);
            b.instruments.push_back(std::move(in));
        }
    }
    for (const Instrument& in : b.instruments) {
        if (in.meter) checkWiring(b, byAddress, *in.meter, in.address + " meter");
        for (const Mezzanine& mz : in.mezzanines)
            if (mz.meter)
                checkWiring(b, byAddress, *mz.meter, in.address + " position " + std::to_string(mz.position) + " meter");
    }
    if (auto fl = j.find("faults"); fl != j.end()) {
        if (!fl->is_array()) fail("", "faults must be a list");
        for (const json& fj : *fl) {
            checkKeys(fj, "fault", {"entry", "status", "times", "from"});
            FaultSpec f;
            f.entry = getString(fj, "entry", "", "fault");
            if (f.entry.empty()) fail("fault", "a fault needs an entry");
            const std::string where = "fault " + std::to_string(b.faults.size() + 1) + " (" + shown(f.entry) + ")";
            if (!isStandInEntry(f.entry)) fail(where, "no stand-in has an entry point of that name");
            // A status is a 32-bit pattern: negative, or written as its unsigned hexadecimal form.
            f.status = static_cast<ViStatus>(
                static_cast<std::uint32_t>(getInt(fj, "status", -1, where, kInt32Min, kUInt32Max)));
            f.times = static_cast<int>(getInt(fj, "times", 1, where, kAlways, kInt32Max));
            if (f.times == 0) fail(where, "field \"times\" must be at least 1, or -1 for every call");
            f.from = static_cast<int>(getInt(fj, "from", 1, where, 1, kInt32Max));
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
        // A parse error quotes what it read, which may be a whole line of the file.
        if (error) *error = std::string(source) + ": " + shown(e.what(), kMaxMessage);
        return std::nullopt;
    }
}

} // namespace sim::detail
