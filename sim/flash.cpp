// Module flashes: one JSON file per module in the state folder, replaced
// atomically (a temporary file of this write's own, fsync, rename, fsync of the
// folder) so that a kill during a write leaves either the old or the new
// content, and two processes writing the same module never mix their bytes.
//
// Values are stored bit for bit: a finite double as a JSON number (written in
// the shortest form that reads back to the same bits), NaN and the infinities,
// which JSON numbers cannot hold, as a string of their 64 bits, "0x7FF8000000000000".
#include "sim/core.h"

#include <nlohmann/json.hpp>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

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

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and says whether the close succeeded.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void syncDir(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    const std::filesystem::path target(path);
    const std::string prefix = target.filename().string() + std::string(kTempTag);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        long pid = 0;
        const char* first = name.data() + prefix.size();
        const auto [end, err] = std::from_chars(first, name.data() + name.size(), pid);
        if (err != std::errc() || end == first || pid <= 0) continue;
        const bool dead = ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        if (pid == ::getpid() || dead) std::filesystem::remove(entry.path(), ec);
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
    std::filesystem::path p = std::filesystem::absolute(choice.dir).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();
    std::error_code ec;
    while (!std::filesystem::exists(p, ec) && p.has_relative_path()) p = p.parent_path();
    std::string why;
    if (!std::filesystem::is_directory(p, ec))
        why = p.string() + " is not a folder";
    else if (::access(p.c_str(), W_OK | X_OK) != 0)
        why = p.string() + ": " + std::strerror(errno);
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
    for (std::filesystem::path p(path); !p.empty(); p = p.parent_path()) {
        if (std::filesystem::exists(p, ec)) return {}; // what leads to it resolves
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec))) return p.string();
        if (p == p.parent_path()) break;
    }
    return {};
}

ViStatus dangling(ViStatus status, const std::string& path, const std::string& link)
{
    std::error_code ec;
    const std::string target = std::filesystem::read_symlink(link, ec).string();
    return fail(status, path, (link == path ? std::string("a link") : link + " is a link") + " to " + target +
                                  ", which does not exist");
}

// Reads the record of the file at path into out. absent is set when there is
// no such file at all (nothing in its place, no link to nothing on the way).
ViStatus readRecord(const std::string& path, std::string_view carrierAddress, int position, FlashData& out,
                    bool& absent)
{
    absent = false;
    // Non-blocking, so that a FIFO in the file's place cannot hang the driver.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno != ENOENT) return fail(kStatusFlashUnreadable, path, std::strerror(errno));
        if (const std::string link = danglingLink(path); !link.empty())
            return dangling(kStatusFlashUnreadable, path, link);
        absent = true;
        return kStatusFlashUnreadable;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return fail(kStatusFlashUnreadable, path, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return fail(kStatusFlashUnreadable, path, "not a regular file");
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxFlashFileBytes)
        return fail(kStatusFlashTooLarge, path, std::to_string(st.st_size) + " bytes, far more than a record");

    // Read at most one byte past the limit: a file growing meanwhile is still refused.
    std::string text(kMaxFlashFileBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(kStatusFlashUnreadable, path, std::strerror(errno));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > kMaxFlashFileBytes) return fail(kStatusFlashTooLarge, path, "far more than a record");
    text.resize(got);

    const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
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

// A file of this module under its older name takes the module's own name,
// unless one has appeared meanwhile. Where the file system cannot do that,
// the older file is simply read again next time.
void adoptLegacyFile(const std::string& legacy, const std::string& path)
{
    if (::link(legacy.c_str(), path.c_str()) != 0) return;
    ::unlink(legacy.c_str());
    syncDir(std::filesystem::path(path).parent_path().string());
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
    std::filesystem::create_directories(stateDir(), ec);
    const std::string path = flashFile(carrierAddress, position);
    if (const std::string link = danglingLink(path); !link.empty()) return dangling(kStatusFlashWrite, path, link);
    // A file that is a link is replaced where it leads, and stays a link.
    std::string target = path;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
        target = std::filesystem::canonical(path, ec).string();
        if (ec) return fail(kStatusFlashWrite, path, ec.message());
    }
    removeStaleTemporaries(target);
    const std::string temp =
        target + std::string(kTempTag) + std::to_string(::getpid()) + "." + std::to_string(++writeCounter);

    nlohmann::json j;
    j["carrier"] = std::string(carrierAddress);
    j["position"] = position;
    j["step"] = valuesToJson(data.step);
    j["r0"] = valuesToJson(data.r0);
    const std::string text = j.dump(1) + "\n";

    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.get() < 0) return fail(kStatusFlashWrite, temp, std::strerror(errno));
    const bool ok = writeAll(fd.get(), text) && ::fsync(fd.get()) == 0;
    const int error = errno;
    if (!fd.close() || !ok) {
        std::remove(temp.c_str());
        return fail(kStatusFlashWrite, temp, std::strerror(ok ? errno : error));
    }
    if (interruptWrite) {
        // Stands for a kill between the temporary file and the rename.
        interruptWrite = false;
        return kStatusFlashWrite;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        std::remove(temp.c_str());
        return fail(kStatusFlashWrite, target, std::strerror(renameError));
    }
    syncDir(std::filesystem::path(target).parent_path().string());
    return VI_SUCCESS;
}

} // namespace detail
} // namespace sim
