// The module flash: factory content, round trip across a restart (bit for bit),
// atomic replacement, concurrent writers, refusal without a session, planned
// read failures, and files that must not read as a calibration.
#include "stand_ins.h"
#include "tests/support/read_file.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace simtest;
namespace fs = std::filesystem;

namespace {

class Flash : public OpenModuleTest {
protected:
    // Simulates a new process: the bench forgotten, then loaded from scratch.
    void restart()
    {
        sim::reset();
        sim::setStateDir(stateDir_.string());
        ASSERT_TRUE(sim::loadDefault());
        vi = m.open(kCarrier, 1, &base, &record);
    }
    void fill(double seed)
    {
        for (int i = 0; i < 36; ++i) record->step[i] = seed + i * 1.25;
        record->r0[0] = seed / 100.0;
        record->r0[1] = seed / 50.0;
    }
    // Temporary files beside the module's flash file.
    std::vector<std::string> temporaries() const
    {
        const std::filesystem::path file = sim::flashFile(kCarrier, 1);
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
            if (e.path() != file && e.path().filename().string().rfind(file.filename().string(), 0) == 0)
                found.push_back(e.path().filename().string());
        return found;
    }
    void expectFilled(double seed)
    {
        for (int i = 0; i < 36; ++i) EXPECT_DOUBLE_EQ(record->step[i], seed + i * 1.25) << i;
        EXPECT_DOUBLE_EQ(record->r0[0], seed / 100.0);
        EXPECT_DOUBLE_EQ(record->r0[1], seed / 50.0);
    }
};

TEST_F(Flash, RecordLayoutOfAFreshModule)
{
    EXPECT_EQ(record->model, KSIL2_MODEL);
    ASSERT_NE(record->nominal, nullptr);
    for (int k = 0; k < 18; ++k) EXPECT_EQ(record->nominal[k], double(1 << k));
    // A module never written holds its true values, as calibrated at the factory.
    std::memset(record->step, 0, sizeof record->step);
    ASSERT_EQ(m.readFlash(record), VI_SUCCESS);
    for (int c = 0; c < 2; ++c) {
        const sim::Channel& ch = *sim::channel(kCarrier, 1, c + 1);
        for (int k = 0; k < 18; ++k) EXPECT_EQ(record->step[18 * c + k], ch.stage[k]);
        EXPECT_EQ(record->r0[c], ch.r0);
    }
}

TEST_F(Flash, WrittenValuesSurviveARestart)
{
    fill(3.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(sim::flashFile(kCarrier, 1)));
    restart();
    // connect already loads the flash; read it again over a cleared record to be sure.
    std::memset(record->step, 0, sizeof record->step);
    std::memset(record->r0, 0, sizeof record->r0);
    ASSERT_EQ(m.readFlash(record), VI_SUCCESS);
    expectFilled(3.0);
    EXPECT_EQ(record->model, KSIL2_MODEL);

    // The other module on the bench keeps its own flash.
    ViSession lxiBase = 0;
    tvksil2_device_data* other = nullptr;
    m.open("TCPIP0::192.168.0.10::INSTR", 2, &lxiBase, &other);
    EXPECT_NE(other->step[0], 3.0);
}

TEST_F(Flash, WriteInterruptedBeforeRenameLeavesTheOldContent)
{
    fill(5.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    fill(9.0);
    sim::interruptNextFlashWrite();
    EXPECT_EQ(m.writeFlash(record), sim::kStatusFlashWrite);
    // The half-done write left its temporary file behind, as a kill would.
    EXPECT_EQ(temporaries().size(), 1u);
    restart();
    expectFilled(5.0);
    // The next write goes through and clears the stale temporary file away.
    fill(7.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    EXPECT_TRUE(temporaries().empty());
    restart();
    expectFilled(7.0);
}

TEST_F(Flash, WriteWithoutASessionIsRefusedWithAMessage)
{
    tvksil2_device_data fallback{};
    EXPECT_EQ(m.writeFlash(&fallback), sim::kStatusNoSession);
    EXPECT_EQ(m.readFlash(&fallback), sim::kStatusNoSession);
    // A copy of a live record is not the driver's record either.
    tvksil2_device_data copy = *record;
    EXPECT_EQ(m.writeFlash(&copy), sim::kStatusNoSession);
    EXPECT_EQ(m.writeFlash(nullptr), sim::kStatusNoSession);
    char text[256] = {};
    ASSERT_EQ(m.errorMessage(0, sim::kStatusNoSession, text), VI_SUCCESS);
    EXPECT_STREQ(text, "Запись калибровки не принадлежит открытому сеансу");
    EXPECT_FALSE(std::filesystem::exists(sim::flashFile(kCarrier, 1)));
    EXPECT_EQ(sim::journal("tvksil2_writeFlash"),
              (std::vector<std::string>{"tvksil2_writeFlash(record(none))", "tvksil2_writeFlash(record(none))",
                                        "tvksil2_writeFlash(record(none))"}));
}

TEST_F(Flash, ReadFailsAsPlannedThenSucceeds)
{
    sim::failCall("tvksil2_readFlash", sim::kStatusFlashRead, 2);
    EXPECT_EQ(m.readFlash(record), sim::kStatusFlashRead);
    EXPECT_EQ(m.readFlash(record), sim::kStatusFlashRead);
    EXPECT_EQ(m.readFlash(record), VI_SUCCESS);
    EXPECT_EQ(sim::callCount("tvksil2_readFlash"), 3);
}

TEST_F(Flash, CorruptFlashFileIsAReadError)
{
    fill(1.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    std::ofstream(sim::flashFile(kCarrier, 1), std::ios::trunc) << "{\"step\": [1, 2";
    EXPECT_EQ(m.readFlash(record), sim::kStatusFlashRead);
}

// Every double, NaN payloads and infinities included, comes back with its bits.
TEST_F(Flash, ValuesComeBackBitForBitAcrossARestart)
{
    const double special[] = {std::numeric_limits<double>::quiet_NaN(),
                              -std::numeric_limits<double>::quiet_NaN(),
                              std::bit_cast<double>(0x7FF0000000000001ull), // signalling NaN with a payload
                              std::bit_cast<double>(0xFFF8DEADBEEF0001ull),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              -0.0,
                              std::numeric_limits<double>::denorm_min(),
                              -std::numeric_limits<double>::max(),
                              0.1 + 0.2};
    std::mt19937_64 rng(8);
    std::vector<std::uint64_t> bits;
    for (double v : special) bits.push_back(std::bit_cast<std::uint64_t>(v));
    while (bits.size() < 38) bits.push_back(rng());
    for (int i = 0; i < 36; ++i) record->step[i] = std::bit_cast<double>(bits[i]);
    record->r0[0] = std::bit_cast<double>(bits[36]);
    record->r0[1] = std::bit_cast<double>(bits[37]);

    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    restart();
    std::memset(record->step, 0, sizeof record->step);
    std::memset(record->r0, 0, sizeof record->r0);
    ASSERT_EQ(m.readFlash(record), VI_SUCCESS);
    for (int i = 0; i < 36; ++i) EXPECT_EQ(std::bit_cast<std::uint64_t>(record->step[i]), bits[i]) << i;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(record->r0[0]), bits[36]);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(record->r0[1]), bits[37]);
}

// A file from before values were stored as bits holds null where a NaN was:
// the rest of that calibration is not lost for it.
TEST_F(Flash, NullValueOfAnOlderFileReadsAsNaN)
{
    std::filesystem::create_directories(stateDir_);
    std::ofstream(sim::flashFile(kCarrier, 1), std::ios::trunc)
        << R"({"carrier": "VXI0::2::INSTR", "position": 1, "r0": [0.1, null],
               "step": [1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,65536,131072,
                        1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,65536,131072]})";
    ASSERT_EQ(m.readFlash(record), VI_SUCCESS);
    EXPECT_EQ(record->step[17], 131072.0);
    EXPECT_EQ(record->r0[0], 0.1);
    EXPECT_TRUE(std::isnan(record->r0[1]));
}

// Files that exist but are no calibration of this module fail the read with a
// status of their own and a line naming the file; the record keeps its values.
class FlashRefused : public Flash {
protected:
    void SetUp() override
    {
        Flash::SetUp();
        file = sim::flashFile(kCarrier, 1);
        fill(2.0);
        ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
        fill(6.0);
    }
    void expectRefused(ViStatus expected, ViStatus status)
    {
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, expected) << sim::statusText(status);
        EXPECT_NE(err.find(sim::flashFile(kCarrier, 1)), std::string::npos) << err;
        expectFilled(6.0);
    }
    std::string file;
};

TEST_F(FlashRefused, FolderInPlaceOfTheFile)
{
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    testing::internal::CaptureStderr();
    expectRefused(sim::kStatusFlashUnreadable, m.readFlash(record));
}

TEST_F(FlashRefused, StateFolderIsAPlainFile)
{
    std::filesystem::remove_all(stateDir_);
    std::ofstream(stateDir_) << "not a folder";
    testing::internal::CaptureStderr();
    expectRefused(sim::kStatusFlashUnreadable, m.readFlash(record));
    testing::internal::CaptureStderr();
    EXPECT_EQ(m.writeFlash(record), sim::kStatusFlashWrite);
    testing::internal::GetCapturedStderr();
    std::filesystem::remove(stateDir_);
}

#if !defined(_WIN32)
// Mode bits and a user who gives up root are POSIX's.
TEST_F(FlashRefused, FileWithoutReadPermission)
{
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    testing::internal::CaptureStderr();
    ViStatus status = 0;
    if (::geteuid() != 0) {
        status = m.readFlash(record);
    } else {
        // Root reads any file: the read is made by a child that gave up root.
        int pipeFd[2];
        ASSERT_EQ(::pipe(pipeFd), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ViStatus st = -1;
            if (::setgid(65534) == 0 && ::setuid(65534) == 0) st = m.readFlash(record);
            (void)!::write(pipeFd[1], &st, sizeof st);
            ::_exit(0);
        }
        ::close(pipeFd[1]);
        ASSERT_EQ(::read(pipeFd[0], &status, sizeof status), static_cast<ssize_t>(sizeof status));
        ::close(pipeFd[0]);
        ::waitpid(pid, nullptr, 0);
    }
    expectRefused(sim::kStatusFlashUnreadable, status);
}
#endif

TEST_F(FlashRefused, FileOfAnotherModule)
{
    // The other carrier's module, written by this one's file: same bytes, another name.
    ViSession lxiBase = 0;
    tvksil2_device_data* other = nullptr;
    m.open("TCPIP0::192.168.0.10::INSTR", 2, &lxiBase, &other);
    std::filesystem::copy_file(file, sim::flashFile("TCPIP0::192.168.0.10::INSTR", 2),
                               std::filesystem::copy_options::overwrite_existing);
    const double before = other->step[0];
    testing::internal::CaptureStderr();
    EXPECT_EQ(m.readFlash(other), sim::kStatusFlashForeign);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("VXI0::2::INSTR"), std::string::npos) << err;
    EXPECT_EQ(other->step[0], before);
}

#if !defined(_WIN32)
// Symbolic links: the C++ library of the Windows build cannot make them (and
// Windows makes them only with a privilege).

// A link to nothing (a folder on a disk that is not mounted), in the file's
// place or the state folder's, is no module that was never written: reading
// fails, and writing leaves the link alone.
TEST_F(FlashRefused, LinkToNothingInPlaceOfTheFileOrTheFolder)
{
    const fs::path nowhere = stateDir_.parent_path() / (stateDir_.filename().string() + "_unmounted");
    fs::remove(file);
    fs::create_symlink(nowhere / "flash.json", file);
    testing::internal::CaptureStderr();
    expectRefused(sim::kStatusFlashUnreadable, m.readFlash(record));
    testing::internal::CaptureStderr();
    EXPECT_EQ(m.writeFlash(record), sim::kStatusFlashWrite);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("does not exist"), std::string::npos);
    EXPECT_TRUE(fs::is_symlink(file));

    fs::remove_all(stateDir_);
    fs::create_symlink(nowhere, stateDir_);
    testing::internal::CaptureStderr();
    expectRefused(sim::kStatusFlashUnreadable, m.readFlash(record));
    testing::internal::CaptureStderr();
    EXPECT_EQ(m.writeFlash(record), sim::kStatusFlashWrite);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(nowhere));
}

// A flash file that is a link to a file elsewhere is replaced where it leads.
TEST_F(Flash, FileThatIsALinkIsWrittenWhereItLeads)
{
    const fs::path elsewhere = stateDir_ / "elsewhere";
    fs::create_directories(elsewhere);
    fill(4.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    const fs::path file = sim::flashFile(kCarrier, 1);
    fs::rename(file, elsewhere / "module.json");
    fs::create_symlink(elsewhere / "module.json", file);
    fill(8.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(file));
    restart();
    expectFilled(8.0);
}
#endif

TEST_F(FlashRefused, FileFarLargerThanARecord)
{
    // Valid JSON, padded: the size alone refuses it.
    std::string text = readBytes(file);
    text.append(1 << 20, ' ');
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    testing::internal::CaptureStderr();
    expectRefused(sim::kStatusFlashTooLarge, m.readFlash(record));
}

#if !defined(_WIN32)
// Two processes write the same module while a third reads it: every write and
// every read succeeds, and what is read is always one writer's record, whole.
// (The writers are forked copies of this process: POSIX only.)
TEST_F(Flash, ConcurrentWritersNeverTearTheFile)
{
    fill(1.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
    auto child = [](auto body) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(body() ? 0 : 1);
        return pid;
    };
    auto writer = [this](double seed) {
        return [this, seed] {
            fill(seed);
            for (int i = 0; i < 60; ++i)
                if (m.writeFlash(record) != VI_SUCCESS) return false;
            return true;
        };
    };
    auto reader = [this] {
        for (int i = 0; i < 120; ++i) {
            std::memset(record->step, 0, sizeof record->step);
            if (m.readFlash(record) != VI_SUCCESS) return false;
            const double seed = record->step[0];
            if (seed != 1.0 && seed != 10.0 && seed != 20.0) return false;
            for (int k = 0; k < 36; ++k)
                if (record->step[k] != seed + k * 1.25) return false;
        }
        return true;
    };
    const pid_t pids[] = {child(writer(10.0)), child(writer(20.0)), child(reader)};
    for (pid_t pid : pids) {
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid;
    }
    EXPECT_TRUE(temporaries().empty());
}

#endif

// Carriers whose addresses differ only in punctuation each keep their module's
// flash; the older file name, shared by both, is read only as the module its
// record names, and then takes that module's own name.
class TwoLikeCarriers : public BenchTest {
protected:
    static constexpr const char* kDash = "USB0::0x1::0x2::SN-01::INSTR";
    static constexpr const char* kUnderscore = "USB0::0x1::0x2::SN_01::INSTR";
    void SetUp() override
    {
        BenchTest::SetUp();
        load();
    }
    void load()
    {
        std::string error;
        ASSERT_TRUE(sim::loadJson(std::string(R"({"instruments": [
            {"address": ")") + kDash + R"(", "interface": "USB", "mezzanines": [{"position": 1, "model": 64}]},
            {"address": ")" + kUnderscore + R"(", "interface": "USB", "mezzanines": [{"position": 1, "model": 64}]}]})",
                                  &error))
            << error;
    }
    // Opens the module and returns its first stage as its flash gives it.
    double firstStage(const char* carrier, ViStatus* readStatus = nullptr)
    {
        ViSession carrierSession = 0;
        tvksil2_device_data* rec = nullptr;
        m.open(carrier, 1, &carrierSession, &rec);
        testing::internal::CaptureStderr();
        const ViStatus st = m.readFlash(rec);
        testing::internal::GetCapturedStderr();
        if (readStatus) *readStatus = st;
        return rec->step[0];
    }
    void write(const char* carrier, double value)
    {
        ViSession carrierSession = 0;
        tvksil2_device_data* rec = nullptr;
        m.open(carrier, 1, &carrierSession, &rec);
        rec->step[0] = value;
        ASSERT_EQ(m.writeFlash(rec), VI_SUCCESS);
    }
    Module m;
};

TEST_F(TwoLikeCarriers, EachModuleKeepsItsOwnFlash)
{
    EXPECT_NE(sim::flashFile(kDash, 1), sim::flashFile(kUnderscore, 1));
    // The same module whatever the case of its address, as addresses compare.
    EXPECT_EQ(sim::flashFile("usb0::0x1::0x2::sn-01::instr", 1), sim::flashFile(kDash, 1));
    EXPECT_NE(sim::flashFile(kDash, 1), sim::flashFile(kDash, 2));

    write(kDash, 11.0);
    write(kUnderscore, 22.0);
    load();
    EXPECT_EQ(firstStage(kDash), 11.0);
    EXPECT_EQ(firstStage(kUnderscore), 22.0);
}

TEST_F(TwoLikeCarriers, FileUnderTheOlderNameIsReadAsItsOwners)
{
    write(kDash, 33.0);
    const fs::path older = stateDir_ / "flash_USB0__0x1__0x2__SN_01__INSTR_pos1.json";
    fs::rename(sim::flashFile(kDash, 1), older);
    load();

    // Not the other module's calibration, nor its factory values.
    ViStatus status = 0;
    firstStage(kUnderscore, &status);
    EXPECT_EQ(status, sim::kStatusFlashForeign);
    EXPECT_TRUE(fs::exists(older));

    EXPECT_EQ(firstStage(kDash, &status), 33.0);
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_FALSE(fs::exists(older));
    EXPECT_TRUE(fs::exists(sim::flashFile(kDash, 1)));
    load();
    EXPECT_EQ(firstStage(kDash), 33.0);
    // With the older file gone, the other module reads as never written.
    EXPECT_EQ(firstStage(kUnderscore, &status), sim::channel(kUnderscore, 1, 1)->stage[0]);
    EXPECT_EQ(status, VI_SUCCESS);
}

} // namespace
