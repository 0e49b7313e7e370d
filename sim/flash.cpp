// Module flashes: one JSON file per module in the state folder, replaced
// atomically (temporary file, fsync, rename, fsync of the folder) so that a
// kill during a write leaves either the old or the new content.
#include "sim/core.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace sim {
namespace {

std::string stateDirOverride;
bool interruptWrite = false;

std::string envOr(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

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
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
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

std::string flashFile(std::string_view carrierAddress, int position)
{
    std::string name;
    for (char c : carrierAddress) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        name += plain ? c : '_';
    }
    return stateDir() + "/flash_" + name + "_pos" + std::to_string(position) + ".json";
}

void interruptNextFlashWrite() { interruptWrite = true; }

namespace detail {

void resetFlashState()
{
    stateDirOverride.clear();
    interruptWrite = false;
}

void clearInterruptedWrite() { interruptWrite = false; }

ViStatus readFlash(std::string_view carrierAddress, int position, FlashData& out)
{
    const std::string path = flashFile(carrierAddress, position);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        // Never written: the module left the factory calibrated with its true values.
        const Mezzanine* mz = mezzanine(carrierAddress, position);
        if (!mz) return kStatusNoModule;
        for (std::size_t c = 0; c < 2 && c < mz->channels.size(); ++c) {
            for (int k = 0; k < kStages; ++k) out.step[c * kStages + k] = mz->channels[c].stage[k];
            out.r0[c] = mz->channels[c].r0;
        }
        return VI_SUCCESS;
    }
    try {
        std::ostringstream text;
        text << in.rdbuf();
        const nlohmann::json j = nlohmann::json::parse(text.str());
        const auto step = j.at("step").get<std::vector<double>>();
        const auto r0 = j.at("r0").get<std::vector<double>>();
        if (step.size() != out.step.size() || r0.size() != out.r0.size()) return kStatusFlashRead;
        std::copy(step.begin(), step.end(), out.step.begin());
        std::copy(r0.begin(), r0.end(), out.r0.begin());
        return VI_SUCCESS;
    } catch (const std::exception&) {
        return kStatusFlashRead;
    }
}

ViStatus writeFlash(std::string_view carrierAddress, int position, const FlashData& data)
{
    const std::string dir = stateDir();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = flashFile(carrierAddress, position);
    const std::string temp = path + ".tmp";

    nlohmann::json j;
    j["carrier"] = std::string(carrierAddress);
    j["position"] = position;
    j["step"] = data.step;
    j["r0"] = data.r0;
    const std::string text = j.dump(1) + "\n";

    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return kStatusFlashWrite;
    const bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok) {
        std::remove(temp.c_str());
        return kStatusFlashWrite;
    }
    if (interruptWrite) {
        // Stands for a kill between the temporary file and the rename.
        interruptWrite = false;
        return kStatusFlashWrite;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return kStatusFlashWrite;
    }
    syncDir(dir);
    return VI_SUCCESS;
}

} // namespace detail
} // namespace sim
