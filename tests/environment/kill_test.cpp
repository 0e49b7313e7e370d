// Nothing lost on a killed process: real child processes doing the real
// writes are killed with SIGKILL at varied moments, many times over; what they
// leave on disk is then either the old content or the new one, whole.
//
// The moment of a kill is chosen without a clock: after a random number of
// acknowledged writes, and then after a random share of the busy work one
// write takes (counted once, at the start, in steps of spin).
#include "tests/environment/child_process.h"

#include "VeltrCRC32/marker.h"
#include "platform/cp1251.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr long kSpinStep = 20000; // large beside the checks between steps

std::vector<std::string> baseEnvironment()
{
    std::vector<std::string> env{"PATH=/usr/bin:/bin"};
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    return env;
}

// Spin steps until the child writes a line (put in *line) or ends.
long stepsUntilLine(Child& child, std::optional<std::string>* line = nullptr)
{
    long steps = 0;
    std::optional<std::string> written;
    while (!(written = child.lineWritten()) && !child.ended()) {
        spin(kSpinStep);
        ++steps;
    }
    if (line)
        *line = written;
    return steps;
}

// The record write n of flash_writer, as the flash file holds it; -1 when the
// file holds anything else (torn, mixed or not the writer's).
long recordNumber(const fs::path& file)
{
    try {
        const auto j = nlohmann::json::parse(readBytes(file));
        const auto step = j.at("step").get<std::vector<double>>();
        const auto r0 = j.at("r0").get<std::vector<double>>();
        if (step.size() != 36 || r0.size() != 2)
            return -1;
        const long n = static_cast<long>(step[0]) / 1000;
        for (int i = 0; i < 36; ++i)
            if (step[i] != static_cast<double>(n * 1000 + i))
                return -1;
        if (r0[0] != static_cast<double>(n) + 0.25 || r0[1] != static_cast<double>(n) + 0.5)
            return -1;
        return n;
    } catch (const std::exception&) {
        return -1;
    }
}

TEST(KilledMidWrite, FlashHoldsTheOldOrTheNewRecordWhole)
{
    const TempDir folder("ksil-kill");
    const fs::path& dir = folder.path();
    const fs::path flash = dir / "flash_VXI0%3A%3A2%3A%3AINSTR_pos1.json";
    std::vector<std::string> env = baseEnvironment();
    env.push_back("KSIL_STATE_DIR=" + dir.string());
    std::mt19937 random(20261208);

    long last = 0; // the last write acknowledged; none yet
    long stepsPerWrite = 0;
    int newRecordSeen = 0;
    constexpr int kRounds = 30;
    for (int round = 0; round < kRounds; ++round) {
        Child writer({{KSIL_BIN_DIR "/flash_writer", std::to_string(last + 1)}, env});
        ASSERT_EQ(writer.readLine(), "ready");
        const auto acknowledged = [&last](const std::optional<std::string>& line) {
            if (line)
                last = std::max(last, std::stol(*line));
            return line.has_value();
        };
        if (round == 0) {
            ASSERT_TRUE(acknowledged(writer.readLine())); // the first write creates the file
            std::optional<std::string> line;
            stepsPerWrite = std::max(1L, stepsUntilLine(writer, &line));
            ASSERT_TRUE(acknowledged(line));
        }
        for (int acks = std::uniform_int_distribution<int>(0, 3)(random); acks > 0; --acks)
            ASSERT_TRUE(acknowledged(writer.readLine()));
        spin(kSpinStep * std::uniform_int_distribution<long>(0, stepsPerWrite)(random));
        writer.kill();
        const Child::End end = writer.wait();
        ASSERT_FALSE(end.exited) << "the writer ended by itself: " << end.code << " " << end.err;
        ASSERT_EQ(end.code, SIGKILL);

        // Every write acknowledged before the kill counts, including the
        // lines the test had not read yet.
        std::istringstream unread(end.out);
        for (std::string line; std::getline(unread, line);)
            last = std::max(last, std::stol(line));
        if (round == 0) {
            ASSERT_GE(last, 2);
        }
        const long held = recordNumber(flash);
        ASSERT_TRUE(held == last || held == last + 1)
            << "round " << round << ": the flash holds " << held << " after write " << last
            << " was acknowledged:\n" << readBytes(flash);
        newRecordSeen += held == last + 1;
        last = held;
    }
    std::printf("flash: %d kills, %d after the new record replaced the old before its acknowledgement\n",
                kRounds, newRecordSeen);
}

std::vector<std::string> splitLines(const std::string& text, std::string* tail)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
        lines.push_back(text.substr(start, lf - start));
    *tail = text.substr(start);
    return lines;
}

TEST(KilledMidWrite, ProtocolHoldsEveryLineLogShowed)
{
    const TempDir folder("ksil-kill");
    const fs::path& dir = folder.path();
    const fs::path protocol = dir / "ksil2.log";
    std::mt19937 random(3);
    long stepsPerRow = 0;
    int tornLast = 0;
    constexpr int kRounds = 30;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove(protocol);
        Child writer({{KSIL_BIN_DIR "/protocol_writer", protocol.string(), "1"}, baseEnvironment()});
        std::vector<std::string> shown;
        // The date line, the title, the column header and the first row.
        for (int i = 0; i < 4; ++i) {
            auto line = writer.readLine();
            ASSERT_TRUE(line) << writer.wait().err;
            shown.push_back(*line);
        }
        if (round == 0) {
            std::optional<std::string> line;
            stepsPerRow = std::max(1L, stepsUntilLine(writer, &line));
            ASSERT_TRUE(line);
            shown.push_back(*line);
        }
        for (int rows = std::uniform_int_distribution<int>(0, 20)(random); rows > 0; --rows) {
            auto line = writer.readLine();
            ASSERT_TRUE(line);
            shown.push_back(*line);
        }
        spin(kSpinStep * std::uniform_int_distribution<long>(0, stepsPerRow)(random));
        writer.kill();
        const Child::End end = writer.wait();
        ASSERT_FALSE(end.exited) << end.err;
        std::string unreadTail;
        for (const std::string& line : splitLines(end.out, &unreadTail))
            shown.push_back(line);

        std::string torn;
        const std::vector<std::string> lines = splitLines(platform::fromCp1251(readBytes(protocol)), &torn);
        ASSERT_GE(lines.size(), shown.size()) << "round " << round << ": a line LOG showed is missing";
        for (std::size_t i = 0; i < shown.size(); ++i)
            ASSERT_EQ(lines[i], shown[i]) << "round " << round << ", line " << i;
        // Beyond what LOG showed, at most the row being written when the kill came.
        ASSERT_LE(lines.size(), shown.size() + 1) << "round " << round;
        tornLast += !torn.empty();
    }
    std::printf("protocol: %d kills, %d left a torn last line\n", kRounds, tornLast);
}

// A file of the size of a library, its checksum marker in the middle.
std::string stampableContent()
{
    std::mt19937 random(7);
    std::string content(1 << 20, '\0');
    for (char& c : content)
        c = static_cast<char>(random() & 0x7F);
    const std::string field = std::string(crc::kMarker) + "00000000" + '\0';
    content.replace(content.size() / 2, field.size(), field);
    return content;
}

TEST(KilledMidWrite, StampedFileIsTheOldOrTheNewWhole)
{
    const TempDir folder("ksil-kill");
    const fs::path& dir = folder.path();
    const fs::path file = dir / "libstamped.so";
    const std::string original = stampableContent();
    const auto reset = [&] { std::ofstream(file, std::ios::binary | std::ios::trunc) << original; };
    const std::vector<std::string> env = baseEnvironment();
    const auto stamp = [&] { return std::make_unique<Child>(ChildOptions{{KSIL_BIN_DIR "/crc32_stamp", file.string()}, env}); };

    // One undisturbed run gives the stamped content and the busy work a run takes.
    reset();
    auto whole = stamp();
    const long stepsPerRun = std::max(1L, stepsUntilLine(*whole));
    const Child::End done = whole->wait();
    ASSERT_TRUE(done.exited && done.code == 0) << done.err;
    const std::string stamped = readBytes(file);
    ASSERT_EQ(stamped.size(), original.size());
    ASSERT_NE(stamped, original);

    std::mt19937 random(11);
    int killedBefore = 0, killedAfter = 0;
    constexpr int kRounds = 30;
    for (int round = 0; round < kRounds; ++round) {
        reset();
        auto child = stamp();
        // Up to half a run more than one takes, so that some kills come after it.
        spin(kSpinStep * std::uniform_int_distribution<long>(0, stepsPerRun * 3 / 2)(random));
        child->kill();
        child->wait();
        const std::string now = readBytes(file);
        ASSERT_TRUE(now == original || now == stamped) << "round " << round << ": a torn file";
        (now == original ? killedBefore : killedAfter) += 1;
        // A kill may leave the tool's temporary file beside it; never the file itself torn.
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path() != file)
                fs::remove(entry.path());
    }
    std::printf("stamp: %d kills, %d left the old file, %d the stamped one\n", kRounds, killedBefore,
                killedAfter);
}

} // namespace
