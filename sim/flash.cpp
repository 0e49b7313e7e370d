// Module flashes: one JSON file per module in the state folder, replaced
// atomically (a temporary file of this write's own, fsync, rename, fsync of the
// folder) so that a kill during a write leaves either the old or the new
// content, and two processes writing the same module never mix their bytes.
//
// Values are stored bit for bit: a finite double as a JSON number (written in
// the shortest form that reads back to the same bits), NaN and the infinities,
// which JSON numbers cannot hold, as a string of their 64 bits, "0x7FF8000000000000".
#include "sim/core.h"

#include "platform/files.h"
#include "platform/process.h"

#include <nlohmann/json.hpp>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>

namespace sim {
namespace {

// A record's file is about 2 KB; anything this large is not one.
constexpr std::size_t kMaxFlashFileBytes = 64 * 1024;
constexpr std::string_view kTempTag = ".tmp.";

std::string stateDirOverride;
bool interruptWrite = false;
unsigned writeCounter = 0;

std::string envOr(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// One line on stderr naming the file, so that the driver's status is explained.
ViStatus fail(ViStatus status, const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "simulated bench: flash file %s: %s\n", path.c_str(), reason.c_str());
    return status;
}

nlohmann::json valueToJson(double v)
{
    if (std::isfinite(v)) return v;
    char text[19];
    std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
    return text;
}

std::optional<double> valueFromJson(const nlohmann::json& j)
{
    if (j.is_number()) return j.get<double>();
    // Written for NaN and the infinities before they were stored as bits.
    if (j.is_null()) return std::numeric_limits<double>::quiet_NaN();
    if (!j.is_string()) return std::nullopt;
    const auto& text = j.get_ref<const std::string&>();
    if (text.size() != 18 || text.compare(0, 2, "0x") != 0) return std::nullopt;
    std::uint64_t bits = 0;
    const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), bits, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return std::bit_cast<double>(bits);
}

template <std::size_t N> bool valuesFromJson(const nlohmann::json& j, const char* key, std::array<double, N>& out)
{
    const auto it = j.find(key);
    if (it == j.end() || !it->is_array() || it->size() != N) return false;
    for (std::size_t i = 0; i < N; ++i) {
        const auto v = valueFromJson((*it)[i]);
        if (!v) return false;
        out[i] = *v;
    }
    return true;
}

template <std::size_t N> nlohmann::json valuesToJson(const std::array<double, N>& values)
{
    nlohmann::json a = nlohmann::json::array();
    for (double v : values) a.push_back(valueToJson(v));
    return a;
}

// Temporary files of earlier writes that never reached their rename: this
// process's own (it writes one flash at a time) and those of processes that no
// longer exist. A live process's temporary file is left alone.
void removeStaleTemporaries(const std::string& path)
{
    const std::filesystem::path target = platform::fsPath(path);
    const std::string prefix = platform::utf8Path(target.filename()) + std::string(kTempTag);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), ec)) {
        const std::string name = platform::utf8Path(entry.path().filename());
        if (name.rfind(prefix, 0) != 0) continue;
        long pid = 0;
        const char* first = name.data() + prefix.size();
        const auto [end, err] = std::from_chars(first, name.data() + name.size(), pid);
        if (err != std::errc() || end == first || pid <= 0) continue;
        if (pid == platform::processId() || !platform::processRunning(pid)) std::filesystem::remove(entry.path(), ec);
    }
}

} // namespace

void setStateDir(std::string dir) { stateDirOverride = std::move(dir); }

namespace {

struct StateDirChoice {
    std::string dir;
    const char* source; // the variable it came from, or nullptr
};

StateDirChoice chooseStateDir()
{
    if (!stateDirOverride.empty()) return {stateDirOverride, nullptr};
    if (std::string d = envOr("KSIL_STATE_DIR"); !d.empty()) return {d, "KSIL_STATE_DIR"};
    if (std::string d = envOr("XDG_STATE_HOME"); !d.empty()) return {d + "/ksil-bench", "XDG_STATE_HOME"};
    if (std::string d = envOr("HOME"); !d.empty()) return {d + "/.local/state/ksil-bench", "HOME"};
    return {"ksil-bench-state", nullptr};
}

} // namespace

std::string stateDir() { return chooseStateDir().dir; }

bool stateDirWritable(std::string* error)
{
    const StateDirChoice choice = chooseStateDir();
    // The folder itself, or the nearest existing folder it would be created in.
    std::filesystem::path p = std::filesystem::absolute(platform::fsPath(choice.dir)).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();
    std::error_code ec;
    while (!std::filesystem::exists(p, ec) && p.has_relative_path()) p = p.parent_path();
    std::string why;
    if (!std::filesystem::is_directory(p, ec))
        why = platform::utf8Path(p) + " is not a folder";
    else if (std::string reason; !platform::folderWritable(platform::utf8Path(p), &reason))
        why = platform::utf8Path(p) + ": " + reason;
    if (why.empty()) return true;
    if (error) {
        *error = "state folder " + choice.dir;
        if (choice.source) *error += std::string(" (") + choice.source + ")";
        *error += " cannot be written: " + why;
    }
    return false;
}

namespace {

bool plainByte(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string flashName(std::string_view addressPart, int position)
{
    return stateDir() + "/flash_" + std::string(addressPart) + "_pos" + std::to_string(position) + ".json";
}

// The name earlier versions gave a module's file: every byte but a letter or
// a digit became '_', so addresses differing only there shared one file.
std::string legacyFlashFile(std::string_view carrierAddress, int position)
{
    std::string part;
    for (char c : carrierAddress) part += plainByte(c) ? c : '_';
    return flashName(part, position);
}

} // namespace

std::string flashFile(std::string_view carrierAddress, int position)
{
    // One file per module, and one module per file: the address key (letters in
    // upper case, as addresses compare) with every other byte than a letter or
    // a digit written as '%' and two hexadecimal digits. No such name can be an
    // older one, which holds no '%'.
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string part;
    for (char c : core::addressKey(carrierAddress)) {
        if (plainByte(c)) {
            part += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        part += '%';
        part += kHex[byte >> 4];
        part += kHex[byte & 0xF];
    }
    return flashName(part, position);
}

void interruptNextFlashWrite() { interruptWrite = true; }

namespace detail {

void resetFlashState()
{
    stateDirOverride.clear();
    interruptWrite = false;
}

void clearInterruptedWrite() { interruptWrite = false; }

namespace {

// The first entry on the way to path that is a symbolic link to nothing, as
// a link into a disk that is not mounted is; empty when there is none.
std::string danglingLink(const std::string& path)
{
    std::error_code ec;
    for (std::filesystem::path p = platform::fsPath(path); !p.empty(); p = p.parent_path()) {
        if (std::filesystem::exists(p, ec)) return {}; // what leads to it resolves
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec))) return platform::utf8Path(p);
        if (p == p.parent_path()) break;
    }
    return {};
}

ViStatus dangling(ViStatus status, const std::string& path, const std::string& link)
{
    std::error_code ec;
    const std::string target = platform::utf8Path(std::filesystem::read_symlink(platform::fsPath(link), ec));
    return fail(status, path, (link == path ? std::string("a link") : link + " is a link") + " to " + target +
                                  ", which does not exist");
}

// Reads the record of the file at path into out. absent is set when there is
// no such file at all (nothing in its place, no link to nothing on the way).
ViStatus readRecord(const std::string& path, std::string_view carrierAddress, int position, FlashData& out,
                    bool& absent)
{
    absent = false;
    // A FIFO in the file's place is refused, never read, so it cannot hang the driver.
    std::string why;
    platform::ReadFailure failure{};
    const std::optional<std::string> text = platform::readRegularFile(path, &why, kMaxFlashFileBytes, &failure);
    if (!text) {
        if (failure == platform::ReadFailure::tooLarge)
            return fail(kStatusFlashTooLarge, path, why + ", far more than a record");
        if (failure != platform::ReadFailure::missing) return fail(kStatusFlashUnreadable, path, why);
        if (const std::string link = danglingLink(path); !link.empty())
            return dangling(kStatusFlashUnreadable, path, link);
        absent = true;
        return kStatusFlashUnreadable;
    }

    const nlohmann::json j = nlohmann::json::parse(*text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return fail(kStatusFlashRead, path, "not a flash record");
    const auto carrier = j.find("carrier");
    const auto pos = j.find("position");
    if (carrier == j.end() || !carrier->is_string() || pos == j.end() || !pos->is_number_integer())
        return fail(kStatusFlashRead, path, "the record does not say which module it belongs to");
    if (!core::sameAddress(carrier->get_ref<const std::string&>(), carrierAddress) ||
        pos->get<std::int64_t>() != position)
        return fail(kStatusFlashForeign, path,
                    "belongs to " + carrier->get<std::string>() + " position " + std::to_string(pos->get<std::int64_t>()));
    FlashData data;
    if (!valuesFromJson(j, "step", data.step) || !valuesFromJson(j, "r0", data.r0))
        return fail(kStatusFlashRead, path, "the step or r0 values are missing or malformed");
    out = data;
    return VI_SUCCESS;
}

std::string folderOf(const std::string& path) { return platform::utf8Path(platform::fsPath(path).parent_path()); }

// A file of this module under its older name takes the module's own name,
// unless one has appeared meanwhile. Where the file system cannot do that,
// the older file is simply read again next time.
void adoptLegacyFile(const std::string& legacy, const std::string& path)
{
    if (platform::renameKeeping(legacy, path)) platform::syncFolder(folderOf(path));
}

} // namespace

ViStatus readFlash(std::string_view carrierAddress, int position, FlashData& out)
{
    const std::string path = flashFile(carrierAddress, position);
    bool absent = false;
    const ViStatus status = readRecord(path, carrierAddress, position, out, absent);
    if (!absent) return status;
    // Written by an earlier version under the older name: the record inside says
    // whose it is, so a file shared by two addresses is read only as its owner's.
    if (const std::string legacy = legacyFlashFile(carrierAddress, position); legacy != path) {
        const ViStatus old = readRecord(legacy, carrierAddress, position, out, absent);
        if (old == VI_SUCCESS) adoptLegacyFile(legacy, path);
        if (!absent) return old;
    }
    // Never written: the module left the factory calibrated with its true values.
    const Mezzanine* mz = mezzanine(carrierAddress, position);
    if (!mz) return kStatusNoModule;
    for (std::size_t c = 0; c < 2 && c < mz->channels.size(); ++c) {
        for (int k = 0; k < kStages; ++k) out.step[c * kStages + k] = mz->channels[c].stage[k];
        out.r0[c] = mz->channels[c].r0;
    }
    return VI_SUCCESS;
}

ViStatus writeFlash(std::string_view carrierAddress, int position, const FlashData& data)
{
    std::error_code ec;
    std::filesystem::create_directories(platform::fsPath(stateDir()), ec);
    const std::string path = flashFile(carrierAddress, position);
    if (const std::string link = danglingLink(path); !link.empty()) return dangling(kStatusFlashWrite, path, link);
    // A file that is a link is replaced where it leads, and stays a link.
    std::string target = path;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(platform::fsPath(path), ec))) {
        target = platform::utf8Path(std::filesystem::canonical(platform::fsPath(path), ec));
        if (ec) return fail(kStatusFlashWrite, path, ec.message());
    }
    removeStaleTemporaries(target);
    const std::string temp =
        target + std::string(kTempTag) + std::to_string(platform::processId()) + "." + std::to_string(++writeCounter);

    nlohmann::json j;
    j["carrier"] = std::string(carrierAddress);
    j["position"] = position;
    j["step"] = valuesToJson(data.step);
    j["r0"] = valuesToJson(data.r0);
    const std::string text = j.dump(1) + "\n";

    std::string why;
    if (!platform::writeNewFile(temp, text, &why)) return fail(kStatusFlashWrite, temp, why);
    if (interruptWrite) {
        // Stands for a kill between the temporary file and the rename.
        interruptWrite = false;
        return kStatusFlashWrite;
    }
    if (!platform::renameReplacing(temp, target, &why)) {
        std::filesystem::remove(platform::fsPath(temp), ec);
        return fail(kStatusFlashWrite, target, why);
    }
    platform::syncFolder(folderOf(target));
    return VI_SUCCESS;
}

} // namespace detail
} // namespace sim
