// The call gate every stand-in entry point passes: lazy bench loading, the
// journal, per-entry call counts and the fault plan.
#include "sim/core.h"

#include "platform/number_text.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

namespace sim {
namespace {

struct Fault {
    ViStatus status;
    int times;
    int from;
};

std::vector<std::string> journalLines;
std::map<std::string, int, std::less<>> counts;
// By entry point, each in the order planned: a call looks at its own only.
std::map<std::string, std::vector<Fault>, std::less<>> faults;
ViStatus pendingWarning = 0;

} // namespace

namespace detail {
void resetCalls()
{
    journalLines.clear();
    counts.clear();
    faults.clear();
}
} // namespace detail

void failCall(std::string entry, ViStatus status, int times, int from)
{
    faults[std::move(entry)].push_back({status, times, from < 1 ? 1 : from});
}

void clearFaults() { faults.clear(); }

int callCount(std::string_view entry)
{
    auto it = counts.find(entry);
    return it == counts.end() ? 0 : it->second;
}

const std::vector<std::string>& journal() { return journalLines; }

std::vector<std::string> journal(std::string_view prefix)
{
    std::vector<std::string> out;
    for (const std::string& line : journalLines)
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

std::vector<std::string> journalOf(std::initializer_list<std::string_view> prefixes)
{
    std::vector<std::string> out;
    for (const std::string& line : journalLines)
        for (const std::string_view p : prefixes)
            if (line.compare(0, p.size(), p) == 0) {
                out.push_back(line);
                break;
            }
    return out;
}

void clearJournal() { journalLines.clear(); }

namespace core {

bool ensureLoaded()
{
    if (loaded()) return true;
    std::string error;
    const char* file = std::getenv("KSIL_BENCH");
    const bool named = file && *file;
    bool ok = named ? loadFile(file, &error) : loadDefault(&error);
    if (!ok && named) error += " (KSIL_BENCH)";
    if (ok) ok = stateDirWritable(&error);
    if (ok) return true;
    // The program cannot know that its drivers are stand-ins; ending here, with
    // the reason, spares the operator a session of failures that all look alike.
    std::fprintf(stderr, "simulated bench: %s\n", error.c_str());
    std::fflush(stderr);
    std::_Exit(kExitBenchUnusable);
}

std::optional<ViStatus> gate(std::string_view entry, std::string line)
{
    if (!ensureLoaded()) return kStatusNoBench;
    // Loading replaced the journal; the call that triggered it is its first line.
    journalLines.push_back(std::move(line));
    auto it = counts.find(entry);
    if (it == counts.end()) it = counts.emplace(std::string(entry), 0).first;
    const int n = ++it->second;
    pendingWarning = 0;
    const auto planned = faults.find(entry);
    if (planned == faults.end()) return std::nullopt;
    // n - from cannot overflow where from + times could.
    for (const Fault& f : planned->second)
        if (n >= f.from && (f.times < 0 || n - f.from < f.times)) {
            if (f.status > 0) {
                pendingWarning = f.status;
                return std::nullopt;
            }
            return f.status;
        }
    return std::nullopt;
}

ViStatus takeWarning()
{
    return std::exchange(pendingWarning, 0);
}

void appendArg(std::string& out, std::int64_t v) { out += std::to_string(v); }
void appendArg(std::string& out, std::uint64_t v) { out += std::to_string(v); }

void appendArg(std::string& out, double v)
{
    out += platform::formatText("%.12g", v);
}

void appendArg(std::string& out, const char* s)
{
    if (!s) {
        out += "null";
        return;
    }
    out += '"';
    for (; *s; ++s) {
        switch (*s) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default: out += *s;
        }
    }
    out += '"';
}

void appendArg(std::string& out, RecordArg r)
{
    out += r.owner ? "record(" + std::to_string(r.owner) + ")" : std::string("record(none)");
}

void appendArg(std::string& out, CallbackArg c) { out += c.fn ? "callback" : "null"; }

} // namespace core
} // namespace sim
