// The module flash: factory content, round trip across a restart, atomic
// replacement, refusal without a session, and planned read failures.
#include "stand_ins.h"

#include <cstring>
#include <fstream>

using namespace simtest;

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
    EXPECT_TRUE(std::filesystem::exists(sim::flashFile(kCarrier, 1) + ".tmp"));
    restart();
    expectFilled(5.0);
    // The next write goes through and replaces the stale temporary file.
    fill(7.0);
    ASSERT_EQ(m.writeFlash(record), VI_SUCCESS);
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

} // namespace
