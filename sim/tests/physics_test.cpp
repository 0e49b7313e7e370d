// What the module presents and what the meters read.
#include "stand_ins.h"

#include "platform/clock.h"
#include "tvksil2_math/tvksil2_math.h"

#include <cmath>

using namespace simtest;

namespace {

class Physics : public OpenModuleTest {
protected:
    sim::Channel& ch(int n) { return *sim::channel(kCarrier, 1, n); }
};

TEST_F(Physics, ConfigRPicksTheCodeFromTheRecordAndPresentsItsChain)
{
    ASSERT_EQ(m.switchChannel(vi, 1, 1), VI_SUCCESS);
    ASSERT_EQ(m.configR(vi, 1, 1000.0), VI_SUCCESS);
    EXPECT_EQ(ch(1).code, tvksil2_countR(vi, &record->entry0, 0, 1000.0));
    const double presented = sim::presentedResistance(kCarrier, 1, 1);
    EXPECT_DOUBLE_EQ(presented, sim::chainResistance(ch(1), ch(1).code));
    // A fresh module's flash holds its true values, so the setting is as close as the smallest step allows.
    EXPECT_NEAR(presented, 1000.0, 0.6);
    EXPECT_EQ(ch(2).code, 0);

    // Channel 2 uses the second half of the table.
    ASSERT_EQ(m.configR(vi, 2, 77777.0), VI_SUCCESS);
    EXPECT_EQ(ch(2).code, tvksil2_countR(vi, &record->entry0, 1, 77777.0));

    // The record decides, not the true values: a wrong table gives a different code.
    for (double& v : record->step) v *= 2.0;
    ASSERT_EQ(m.configR(vi, 1, 1000.0), VI_SUCCESS);
    EXPECT_EQ(ch(1).code, tvksil2_countR(vi, &record->entry0, 0, 1000.0));
    EXPECT_GT(std::fabs(sim::presentedResistance(kCarrier, 1, 1) - 1000.0), 100.0);
}

TEST_F(Physics, ChainResistanceSumsSetStagesAndR0OfBypassedOnes)
{
    sim::Channel c;
    c.r0 = 0.5;
    for (int k = 0; k < sim::kStages; ++k) c.stage[k] = std::ldexp(1.0, k) + 0.5;
    EXPECT_DOUBLE_EQ(sim::chainResistance(c, 0), 9.0);
    EXPECT_DOUBLE_EQ(sim::chainResistance(c, 5), 14.0);
    EXPECT_DOUBLE_EQ(sim::chainResistance(c, (1 << 18) - 1), 262143.0 + 9.0);
}

TEST_F(Physics, CalibrationChains)
{
    ASSERT_EQ(m.switchChannel(vi, 2, 1), VI_SUCCESS);
    const sim::Channel& c = ch(2);
    for (ViUInt16 k = 1; k <= 18; ++k) {
        ASSERT_EQ(m.configCalibr(vi, 2, k), VI_SUCCESS);
        EXPECT_NEAR(sim::presentedResistance(kCarrier, 1, 2), c.stage[k - 1] + 17 * c.r0, 1e-9) << "stage " << k;
    }
    for (ViUInt16 bypassed : {0, 19}) {
        ASSERT_EQ(m.configCalibr(vi, 2, bypassed), VI_SUCCESS);
        EXPECT_NEAR(sim::presentedResistance(kCarrier, 1, 2), 18 * c.r0, 1e-12);
    }
    EXPECT_EQ(m.configCalibr(vi, 2, 20), sim::kStatusBadStage);
    EXPECT_EQ(m.configCalibr(vi, 3, 1), sim::kStatusBadChannel);
}

TEST_F(Physics, DefaultModuleDeviatesSlightlyFromNominal)
{
    for (int n : {1, 2}) {
        EXPECT_NEAR(ch(n).r0, 0.1, 0.03);
        for (int k = 0; k < sim::kStages; ++k) {
            const double nominal = std::ldexp(1.0, k);
            const double rel = (ch(n).stage[k] - ch(n).r0 - nominal) / nominal;
            EXPECT_LT(std::fabs(rel), 0.005);
        }
    }
    EXPECT_NE(ch(1).stage[10], ch(2).stage[10]);
}

// The default bench wires its meters to the module's measuring output: they
// read whichever channels are on, in parallel; a meter wired to one channel
// reads that channel alone.
TEST_F(Physics, MeterOnTheModuleOutputReadsTheChannelsSwitchedOn)
{
    auto measure = entry<meter_measure_Q_t>("hp3458a.dll", "hp3458a_measure_Q");
    auto init = entry<meter_init_t>("hp3458a.dll", "hp3458a_init");
    sim::Meter& meter = *sim::instrument("GPIB0::22::INSTR")->meter;
    meter.noise = 0.0;
    meter.gainError = 0.0;
    ASSERT_EQ(meter.wiredChannel, 0);
    ViSession dmm = 0;
    ASSERT_EQ(init("GPIB0::22::INSTR", 1, 1, &dmm), VI_SUCCESS);
    auto read = [&] {
        double r = 0;
        EXPECT_EQ(measure(dmm, 5, &r), VI_SUCCESS);
        return r;
    };
    ASSERT_EQ(m.configR(vi, 1, 500.0), VI_SUCCESS);
    ASSERT_EQ(m.configR(vi, 2, 2000.0), VI_SUCCESS);
    const double r1 = sim::chainResistance(ch(1), ch(1).code);
    const double r2 = sim::chainResistance(ch(2), ch(2).code);
    EXPECT_NEAR(r1, 500.0, 0.7);
    EXPECT_NEAR(r2, 2000.0, 0.7);
    EXPECT_EQ(read(), sim::kOpenCircuit);

    ASSERT_EQ(m.switchChannel(vi, 2, 1), VI_SUCCESS);
    EXPECT_DOUBLE_EQ(read(), r2);
    ASSERT_EQ(m.switchChannel(vi, 2, 0), VI_SUCCESS);
    ASSERT_EQ(m.switchChannel(vi, 1, 1), VI_SUCCESS);
    EXPECT_DOUBLE_EQ(read(), r1);

    ASSERT_EQ(m.switchChannel(vi, 0, 1), VI_SUCCESS);
    EXPECT_TRUE(ch(1).on && ch(2).on);
    EXPECT_DOUBLE_EQ(read(), r1 * r2 / (r1 + r2));
    EXPECT_DOUBLE_EQ(sim::outputResistance(kCarrier, 1), r1 * r2 / (r1 + r2));

    // Wired to channel 2 only: channel 1 being on as well changes nothing.
    meter.wiredChannel = 2;
    EXPECT_DOUBLE_EQ(read(), r2);
    ASSERT_EQ(m.switchChannel(vi, 2, 0), VI_SUCCESS);
    EXPECT_EQ(read(), sim::kOpenCircuit);
    meter.wiredChannel = 0;
    EXPECT_DOUBLE_EQ(read(), r1);

    ASSERT_EQ(m.switchChannel(vi, 0, 0), VI_SUCCESS);
    EXPECT_FALSE(ch(1).on || ch(2).on);
    EXPECT_EQ(read(), sim::kOpenCircuit);
}

// Both meters on the same channel: ranges and noise sequences are their own.
TEST_F(Physics, TwoMetersDoNotShareState)
{
    auto hpInit = entry<meter_init_t>("hpe1412_32.dll", "hpe1412_init");
    auto hpRange = entry<meter_rang_t>("hpe1412_32.dll", "hpe1412_resRang");
    auto hpFunc = entry<meter_func_t>("hpe1412_32.dll", "hpe1412_func");
    auto hpInitiate = entry<hpe1412_initImm_t>("hpe1412_32.dll", "hpe1412_initImm");
    auto hpFetch = entry<hpe1412_timedFetch_Q_t>("hpe1412_32.dll", "hpe1412_timedFetch_Q");
    auto gpInit = entry<meter_init_t>("hp3458a.dll", "hp3458a_init");
    auto gpMeasure = entry<meter_measure_Q_t>("hp3458a.dll", "hp3458a_measure_Q");

    sim::instrument("VXI0::8::INSTR")->meter->noise = 1e-3;
    sim::instrument("GPIB0::22::INSTR")->meter->noise = 1e-3;
    ASSERT_EQ(m.switchChannel(vi, 1, 1), VI_SUCCESS);
    ASSERT_EQ(m.configR(vi, 1, 5000.0), VI_SUCCESS);
    ViSession hp = 0, gp = 0;
    ASSERT_EQ(hpInit("VXI0::8::INSTR", 1, 1, &hp), VI_SUCCESS);
    ASSERT_EQ(gpInit("GPIB0::22::INSTR", 1, 1, &gp), VI_SUCCESS);
    auto hpRead = [&] {
        double r = 0;
        ViInt32 n = 0;
        EXPECT_EQ(hpFunc(hp, 2), VI_SUCCESS);
        EXPECT_EQ(hpInitiate(hp), VI_SUCCESS);
        EXPECT_EQ(hpFetch(hp, 10000, &r, &n), VI_SUCCESS);
        EXPECT_EQ(n, 1);
        return r;
    };
    const double a1 = hpRead(), a2 = hpRead();
    EXPECT_NE(a1, a2); // noise

    // Same seeds again, this time with the other meter read in between.
    ASSERT_TRUE(sim::loadDefault());
    sim::instrument("VXI0::8::INSTR")->meter->noise = 1e-3;
    sim::instrument("GPIB0::22::INSTR")->meter->noise = 1e-3;
    vi = m.open(kCarrier, 1, &base);
    ASSERT_EQ(m.switchChannel(vi, 1, 1), VI_SUCCESS);
    ASSERT_EQ(m.configR(vi, 1, 5000.0), VI_SUCCESS);
    ASSERT_EQ(hpInit("VXI0::8::INSTR", 1, 1, &hp), VI_SUCCESS);
    ASSERT_EQ(gpInit("GPIB0::22::INSTR", 1, 1, &gp), VI_SUCCESS);
    double b = 0;
    EXPECT_EQ(hpRead(), a1);
    ASSERT_EQ(gpMeasure(gp, 5, &b), VI_SUCCESS);
    EXPECT_EQ(hpRead(), a2);

    // A range on one meter is not a range on the other: 5 kΩ overloads a 1 kΩ range.
    ASSERT_EQ(hpRange(hp, VI_FALSE, 1000.0), VI_SUCCESS);
    EXPECT_EQ(hpRead(), sim::kOpenCircuit);
    ASSERT_EQ(gpMeasure(gp, 5, &b), VI_SUCCESS);
    EXPECT_NEAR(b, 5000.0, 30.0);
}

TEST_F(Physics, GainErrorAndConversionTimeOnTheVirtualClock)
{
    platform::VirtualClock& clock = clock_;
    auto init = entry<meter_init_t>("hp3458a.dll", "hp3458a_init");
    auto measure = entry<meter_measure_Q_t>("hp3458a.dll", "hp3458a_measure_Q");
    sim::Meter& meter = *sim::instrument("GPIB0::22::INSTR")->meter;
    meter.noise = 0.0;
    meter.gainError = 0.01;
    meter.conversionTime = 0.25;
    ASSERT_EQ(m.switchChannel(vi, 1, 1), VI_SUCCESS);
    ASSERT_EQ(m.configCalibr(vi, 1, 12), VI_SUCCESS);
    ViSession dmm = 0;
    ASSERT_EQ(init("GPIB0::22::INSTR", 1, 1, &dmm), VI_SUCCESS);
    const double t0 = clock.now();
    double r = 0;
    ASSERT_EQ(measure(dmm, 5, &r), VI_SUCCESS);
    ASSERT_EQ(measure(dmm, 5, &r), VI_SUCCESS);
    EXPECT_DOUBLE_EQ(clock.now() - t0, 0.5);
    EXPECT_DOUBLE_EQ(r, sim::presentedResistance(kCarrier, 1, 1) * 1.01);
    EXPECT_EQ(measure(dmm, 99, &r), sim::kStatusBadParameter);
}

TEST_F(Physics, E1412FetchWithoutInitiateWaitsOutItsTimeout)
{
    platform::VirtualClock& clock = clock_;
    auto init = entry<meter_init_t>("hpe1412_32.dll", "hpe1412_init");
    auto fetch = entry<hpe1412_timedFetch_Q_t>("hpe1412_32.dll", "hpe1412_timedFetch_Q");
    ViSession hp = 0;
    ASSERT_EQ(init("VXI0::8::INSTR", 1, 1, &hp), VI_SUCCESS);
    double r = 0;
    ViInt32 n = 5;
    EXPECT_EQ(fetch(hp, 10000, &r, &n), VI_ERROR_TMO);
    EXPECT_EQ(n, 0);
    EXPECT_DOUBLE_EQ(clock.now(), 10.0);
}

TEST_F(Physics, MezzanineMeterReadsOnlyOnceConnected)
{
    auto init = entry<meter_init_t>("tvmmultc1_32.dll", "tvmmultc1_init");
    auto connect = entry<tvmmultc1_connect_t>("tvmmultc1_32.dll", "tvmmultc1_connect");
    auto configure = entry<meter_configure_t>("tvmmultc1_32.dll", "tvmmultc1_configure");
    auto measure = entry<meter_measure_Q_t>("tvmmultc1_32.dll", "tvmmultc1_measure_Q");
    ViSession dmm = 0;
    ASSERT_EQ(init(kCarrier, 1, 1, &dmm), VI_SUCCESS);
    double r = 0;
    EXPECT_EQ(measure(dmm, 2, &r), sim::kStatusNotConnected);
    EXPECT_EQ(connect(dmm, base, 3, 1, 1), sim::kStatusNoModule); // a resistance module, not a meter
    ASSERT_EQ(connect(dmm, base, 4, 1, 1), VI_SUCCESS);
    ASSERT_EQ(configure(dmm, 2), VI_SUCCESS);
    ASSERT_EQ(m.switchChannel(vi, 1, 1), VI_SUCCESS);
    ASSERT_EQ(m.configR(vi, 1, 20000.0), VI_SUCCESS);
    ASSERT_EQ(measure(dmm, 2, &r), VI_SUCCESS);
    EXPECT_NEAR(r, 20000.0, 2.0);
}

TEST_F(Physics, Ksil5ChannelsAcceptSwitchingAndSettings)
{
    ViSession base5 = 0;
    const ViSession k5 = m.open(kCarrier, 3, &base5);
    for (ViUInt16 c = 1; c <= 5; ++c) {
        ASSERT_EQ(m.switchChannel(k5, c, 1), VI_SUCCESS);
        ASSERT_EQ(m.configR(k5, c, 100.0 * c), VI_SUCCESS);
        EXPECT_DOUBLE_EQ(sim::presentedResistance(kCarrier, 3, c), 100.0 * c);
    }
    EXPECT_EQ(m.switchChannel(k5, 6, 1), sim::kStatusBadChannel);
    EXPECT_EQ(m.configR(k5, 6, 1.0), sim::kStatusBadChannel);
}

} // namespace
