// What the stand-in libraries share: the call gate (lazy load, journal, call
// count, fault plan), the session table and small helpers. Not for tests;
// they use bench.h.
#pragma once

#include "drivers/tvksil2.h"
#include "sim/bench.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace sim::core {

// Journal argument wrappers for what is not a number or a string.
struct RecordArg {
    ViSession owner; // 0 = none
};
struct CallbackArg {
    const void* fn;
};

void appendArg(std::string& out, std::int64_t v);
void appendArg(std::string& out, std::uint64_t v);
void appendArg(std::string& out, double v);
void appendArg(std::string& out, const char* s);
void appendArg(std::string& out, RecordArg r);
void appendArg(std::string& out, CallbackArg c);

template <class T> void appendOne(std::string& out, const T& v)
{
    if constexpr (std::is_floating_point_v<T>)
        appendArg(out, static_cast<double>(v));
    else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>)
        appendArg(out, static_cast<std::int64_t>(v));
    else if constexpr (std::is_integral_v<T>)
        appendArg(out, static_cast<std::uint64_t>(v));
    else
        appendArg(out, v);
}

// Loads the bench if needed (reporting a failure once on stderr); false when
// no bench can be had.
bool ensureLoaded();

// Journals the call, counts it and consults the fault plan. Returns the status
// the entry point must return at once (no bench, or a planned negative
// status), or nullopt to go on; a planned positive status is kept for
// afterGate.
std::optional<ViStatus> gate(std::string_view entry, std::string line);

// The warning the fault plan gave the call that passed the gate last, or 0;
// reading it clears it.
ViStatus takeWarning();

// Runs the body of an entry point that passed the gate with enter(): a failure
// the gate returned is the result at once; a planned warning (positive status)
// lets the call do its work and then replaces a non-negative result, as a real
// driver's warning comes with the work done.
template <class Body> ViStatus afterGate(std::optional<ViStatus> gated, Body body)
{
    if (gated)
        return *gated;
    const ViStatus warning = takeWarning();
    const ViStatus status = body();
    return warning > 0 && status >= 0 ? warning : status;
}

template <class... A> std::optional<ViStatus> enter(std::string_view entry, const A&... args)
{
    std::string line(entry);
    line += '(';
    bool first = true;
    ((line += first ? "" : ", ", first = false, appendOne(line, args)), ...);
    line += ')';
    return gate(entry, std::move(line));
}

// Sessions of every stand-in, from one handle counter.
enum class Kind { ResourceManager, FindList, Resource, Carrier, Module, Meter };

struct Session {
    Kind kind = Kind::Resource;
    ViSession parent = 0;            // resource manager of a find list or resource
    std::string address;             // resource (carrier address for modules and mezzanine meters)
    int position = 0;                // mezzanine position once connected
    // find list
    std::vector<std::string> found;
    std::size_t next = 0;
    // module
    bool connected = false;
    std::unique_ptr<tvksil2_device_data> record;
    tvksil2_sft_callback callback = nullptr;
    // meter
    int family = 0;
};

inline Session makeSession(Kind kind, std::string address = {}, ViSession parent = 0)
{
    Session s;
    s.kind = kind;
    s.address = std::move(address);
    s.parent = parent;
    return s;
}

ViSession open(Session s);
// The session of that handle and kind, or nullptr.
Session* find(ViSession vi, Kind kind);
Session* findAny(ViSession vi);
// Closes a session (and, for a resource manager, everything opened from it).
bool close(ViSession vi);
// The open module session whose own record this is, or 0.
ViSession recordOwner(const tvksil2_device_data* record);
void clearSessions();

// Resource held by an exclusive lock, and by which session.
ViSession lockHolder(std::string_view address);
void setLockHolder(std::string_view address, ViSession vi);

// Copies text into a fixed buffer of size bytes, cut to fit and terminated.
void copyText(char* buffer, std::size_t size, std::string_view text);
// Addresses name one instrument whatever the case of their letters: the key
// is the address with its ASCII letters in upper case.
std::string addressKey(std::string_view address);
bool sameAddress(std::string_view a, std::string_view b);

} // namespace sim::core

namespace sim {
// Internal parts of the bench shared between its files.
namespace detail {
void resetCalls();
void clearLoaded();
bool loadFrom(std::string_view text, std::string_view source, std::string* error);
std::optional<Bench> parseBench(std::string_view text, std::string_view source, std::string* error);
void initMeterState(Meter& m);
std::array<double, kStages> nominalStages();

// The calibration part of a module's flash.
struct FlashData {
    std::array<double, 2 * kStages> step{};
    std::array<double, 2> r0{};
};
// Factory content when the file does not exist yet: the module's true values.
ViStatus readFlash(std::string_view carrierAddress, int position, FlashData& out);
ViStatus writeFlash(std::string_view carrierAddress, int position, const FlashData& data);
void resetFlashState();
void clearInterruptedWrite();
void clearRun();
} // namespace detail
} // namespace sim
