// Readings, ranges and preparation on the simulated bench, and which open meter
// each operation drives.
#include "meter_fixture.h"

#include <cmath>

using namespace gaugetest;

namespace {

// The module's channel 1, wired to every meter, presents stage 1 alone.
double presentStage1()
{
    sim::Channel* ch = sim::channel(kCarrier, 1, 1);
    ch->on = true;
    ch->code = 1;
    return sim::chainResistance(*ch, 1);
}

TEST(Ranges, ResistanceRangeIsTheDecadeAbove95PercentOfTheValue)
{
    const struct {
        double ohms, range;
    } cases[] = {
        {50.0, 100.0},     {105.0, 100.0},   {105.3, 1000.0},  {1000.0, 1000.0}, {1052.7, 10000.0},
        {131072.0, 1.0e6}, {1.0e8, 1.0e8},   {2.0e9, 1.0e8},   {0.0, 100.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gauge::resRangeStep(c.ohms), c.range) << c.ohms;

    // On the boundary: 95 % of the value exactly 100 stays on 100, the next value up goes to 1000.
    const double boundary = 105.26315789473685;
    ASSERT_EQ(0.95 * boundary, 100.0);
    EXPECT_EQ(gauge::resRangeStep(boundary), 100.0);
    EXPECT_EQ(gauge::resRangeStep(std::nextafter(boundary, 200.0)), 1000.0);
}

TEST(Ranges, VoltageRangeSteps)
{
    const struct {
        double volts, range;
    } cases[] = {{0.1, 0.1}, {0.2, 1.0}, {1.0, 1.0}, {5.0, 10.0}, {50.0, 10.0}, {-3.0, 0.1}};
    for (const auto& c : cases)
        EXPECT_EQ(gauge::voltRangeStep(c.volts), c.range) << c.volts;
}

TEST_F(MeterLayer, HP3458ReadingIsItsOneMeasureCallAfterTheSettlingWait)
{
    ASSERT_EQ(openHP3458(), 0);
    const double truth = presentStage1();
    sim::clearJournal();
    const double before = clock.now();
    double reading = 0.0;
    EXPECT_EQ(measureFres(&reading), 0);
    EXPECT_DOUBLE_EQ(reading, truth);
    EXPECT_DOUBLE_EQ(clock.now() - before, 0.005);
    EXPECT_EQ(measureVoltDc(&reading), 0);
    EXPECT_DOUBLE_EQ(reading, 1.5);
    EXPECT_EQ(measureCurrDc(&reading), 0);
    const std::string h = s(viHP3458);
    EXPECT_EQ(sim::journal(), (std::vector<std::string>{"hp3458a_measure_Q(" + h + ", 5)", "hp3458a_measure_Q(" + h + ", 1)",
                                                        "hp3458a_measure_Q(" + h + ", 6)"}));

    // A refused resistance range is reported and recorded; no voltage range is set at all.
    sim::clearJournal();
    meterStatus = 42;
    sim::failCall("hp3458a_resRang", -7);
    EXPECT_EQ(setResRange(131072.0), -7);
    EXPECT_EQ(setVoltRange(5.0), -7);
    EXPECT_EQ(sim::journal(), (std::vector<std::string>{"hp3458a_resRang(" + h + ", 0, 1000000)",
                                                        "hp3458a_error_message(0, -7)"}));
    EXPECT_EQ(op.statusLines, std::vector<std::string>{"p_hp3458a_resRang " + sim::statusText(-7)});
}

TEST_F(MeterLayer, NoMeterOpen)
{
    double reading = 123.0;
    EXPECT_EQ(measureFres(&reading), -1);
    EXPECT_EQ(measureVoltDc(&reading), -1);
    EXPECT_EQ(measureCurrDc(&reading), -1);
    EXPECT_EQ(reading, 123.0);
    meterStatus = 5;
    EXPECT_EQ(setResRange(1000.0), 5);
    EXPECT_EQ(setVoltRange(1.0), 5);
    configureMeter(2);
    EXPECT_TRUE(sim::journal().empty());
    EXPECT_TRUE(op.statusLines.empty());
}

// A DMM opened after a ЦMM1 is the one meter: readings, ranges and the closing
// all reach it, none the ЦMM1, whose session it closed.
TEST_F(MeterLayer, MeterOpenedLastTakesEveryCall)
{
    answer(gauge::Choice{kDmm1, 0});
    ASSERT_EQ(openDMM1(), 0);
    answer(gauge::Choice{kDmm, 0});
    ASSERT_EQ(openDMM(), 0);
    EXPECT_EQ(viDMM1, 0u);
    const std::string d = s(viDMM);
    sim::clearJournal();
    double reading = 0.0;
    EXPECT_EQ(measureFres(&reading), 0);
    EXPECT_EQ(setResRange(50.0), 0);
    EXPECT_EQ(setVoltRange(0.2), 0);
    closeMultimeter();
    EXPECT_EQ(sim::journalOf({"tvmult"}),
              (std::vector<std::string>{"tvmult_measure_Q(" + d + ", 2)", "tvmult_fresRang(" + d + ", 0, 100)",
                                        "tvmult_voltDcRang(" + d + ", 0, 1)", "tvmult_close(" + d + ")"}));
    EXPECT_EQ(isMultimeterOpen(), 0);
}

// The ЦMM1 is prepared by nine calls that never stop it, each failure shown on
// the status line in the driver's words; it then reads whatever function it
// was prepared for.
TEST_F(MeterLayer, Dmm1PreparationAndReading)
{
    answer(gauge::Choice{kDmm1, 0});
    ASSERT_EQ(openDMM1(), 0);
    const double truth = presentStage1();
    const std::string v = s(viDMM1);
    sim::clearJournal();
    sim::failCall("tvmultc1_voltDcNplc", -7);
    sim::failCall("tvmultc1_measure_Q", -7);
    configureMeter(5);
    EXPECT_EQ(sim::journal(),
              (std::vector<std::string>{"tvmultc1_measure_Q(" + v + ", 5)", "tvmultc1_error_message(0, -7)",
                                        "tvmultc1_voltDcRang(" + v + ", 0, 10)", "tvmultc1_voltDcNplc(" + v + ", 100)",
                                        "tvmultc1_error_message(0, -7)", "tvmultc1_currDcRang(" + v + ", 0, 0.01)",
                                        "tvmultc1_currDcNplc(" + v + ", 100)", "tvmultc1_configure(" + v + ", 5)",
                                        "tvmultc1_trigCoun(" + v + ", 1)", "tvmultc1_trigDel(" + v + ", 0, 0)",
                                        "tvmultc1_trigSour(" + v + ", 0, 0)"}));
    EXPECT_EQ(op.statusLines, (std::vector<std::string>{"p_tvmultc1_measure_Q" + sim::statusText(-7),
                                                        "p_tvmultc1_voltDcNplc" + sim::statusText(-7)}));
    EXPECT_EQ(meterStatus, -7);

    double reading = 0.0;
    EXPECT_EQ(measureFres(&reading), 0);
    EXPECT_DOUBLE_EQ(reading, 1.5); // prepared for DC voltage
    configureMeter(2);
    EXPECT_EQ(measureVoltDc(&reading), 0);
    EXPECT_DOUBLE_EQ(reading, truth);
}

TEST_F(MeterLayer, MezzanineMeterPreparationRangesAndReading)
{
    answer(gauge::Choice{kCarrier, kMezMeterPosition});
    ASSERT_EQ(openM_DMM1(), 0);
    const double truth = presentStage1();
    const std::string v = s(viM_DMM1);
    sim::clearJournal();
    configureMeter(2);
    EXPECT_EQ(setResRange(truth), 0);
    EXPECT_EQ(setVoltRange(0.05), 0);
    double reading = 0.0;
    EXPECT_EQ(measureFres(&reading), 0);
    EXPECT_DOUBLE_EQ(reading, truth);
    const std::vector<std::string> journal = sim::journalOf({"tvmmultc1_"});
    ASSERT_EQ(journal.size(), 12u);
    EXPECT_EQ(journal[5], "tvmmultc1_configure(" + v + ", 2)");
    EXPECT_EQ(std::vector<std::string>(journal.begin() + 9, journal.end()),
              (std::vector<std::string>{"tvmmultc1_fresRang(" + v + ", 0, 100)", "tvmmultc1_voltDcRang(" + v + ", 0, 0.1)",
                                        "tvmmultc1_measure_Q(" + v + ", 2)"}));
}

TEST_F(MeterLayer, OtherMetersNeedNoPreparation)
{
    answer(gauge::Choice{kE1412, 0});
    ASSERT_EQ(openHP1412(), 0);
    answer(gauge::Choice{kDmm, 0});
    ASSERT_EQ(openDMM(), 0);
    sim::clearJournal();
    configureMeter(2);
    EXPECT_TRUE(sim::journal().empty());
}

// A negative status ends the E1412 reading at that call; the reading is not written.
TEST_F(MeterLayer, FailedE1412CallEndsTheReading)
{
    answer(gauge::Choice{kE1412, 0});
    ASSERT_EQ(openHP1412(), 0);
    failNext("hpe1412_initImm", -7);
    sim::clearJournal();
    double reading = 321.0;
    EXPECT_EQ(measureFres(&reading), -7);
    EXPECT_EQ(reading, 321.0);
    EXPECT_TRUE(sim::journalOf({"hpe1412_timedFetch_Q"}).empty());
    EXPECT_EQ(meterStatus, -7);
}

} // namespace

namespace {

// A driver that delivers NaN or an infinity with success has not measured: the
// layer fails the reading on every family and says so with the call that
// delivered it. An overload (9.9e37) is a reading.
TEST_F(MeterLayer, AReadingThatIsNoNumberIsAFailedReading)
{
    struct Family {
        const char* name;
        gauge::Choice choice;
        int (*open)();
        sim::Meter* (*meter)();
        const char* call; // the report label up to its "("
    };
    const Family families[] = {
        {"HP E1412", {kE1412, 0}, openHP1412, [] { return &*sim::instrument(kE1412)->meter; }, "p_hpe1412_timedFetch_Q "},
        {"HP 3458A", {kHp3458, 0}, openHP3458, [] { return &*sim::instrument(kHp3458)->meter; }, "p_hp3458a_measure_Q "},
        {"DMM", {kDmm, 0}, openDMM, [] { return &*sim::instrument(kDmm)->meter; }, "p_tvmult_measure_Q "},
        {"ЦMM1", {kDmm1, 0}, openDMM1, [] { return &*sim::instrument(kDmm1)->meter; }, "p_tvmultc1_read_Q "},
        {"МЦMM", {kCarrier, kMezMeterPosition}, openM_DMM1,
         [] { return &*sim::mezzanine(kCarrier, kMezMeterPosition)->meter; }, "p_tvmmultc1_measure_Q "},
    };
    const struct {
        double value;
        const char* shown;
    } values[] = {{std::nan(""), "nan"}, {HUGE_VAL, "inf"}, {-HUGE_VAL, "-inf"}};
    for (const Family& f : families) {
        SCOPED_TRACE(f.name);
        end();
        begin();
        answer(f.choice);
        ASSERT_EQ(f.open(), 0);
        for (const auto& v : values) {
            f.meter()->fixedReading = v.value;
            double reading = 0.0;
            EXPECT_EQ(measureFres(&reading), gauge::kStatusNotANumber) << v.shown;
            EXPECT_EQ(meterStatus, gauge::kStatusNotANumber);
            EXPECT_EQ(lastStatusLine(), std::string(f.call) + "показание мультиметра не является числом (" + v.shown + ")");
        }
        op.statusLines.clear();
        f.meter()->fixedReading = sim::kOpenCircuit;
        double reading = 0.0;
        EXPECT_EQ(measureFres(&reading), 0);
        EXPECT_EQ(reading, sim::kOpenCircuit);
        EXPECT_TRUE(op.statusLines.empty());
    }
}

} // namespace

namespace {

// The two orders the procedures read a resistance in, on a meter that is
// prepared: preparation, range, the caller's wait, reading; or (manual SET)
// range first, preparation only when asked for.
TEST_F(MeterLayer, ResistanceReadingsInTheirTwoOrders)
{
    answer(gauge::Choice{kCarrier, kMezMeterPosition});
    ASSERT_EQ(openM_DMM1(), 0);
    const double truth = presentStage1();
    const std::string v = s(viM_DMM1);
    const auto calls = [] {
        std::vector<std::string> names;
        for (const std::string& line : sim::journalOf({"tvmmultc1_"}))
            names.push_back(line.substr(0, line.find('(')));
        return names;
    };

    sim::clearJournal();
    std::size_t callsBeforeWait = 0;
    const std::optional<double> reading =
        readResistance(truth, [&] { callsBeforeWait = sim::journalOf({"tvmmultc1_"}).size(); });
    ASSERT_TRUE(reading);
    EXPECT_DOUBLE_EQ(*reading, truth);
    std::vector<std::string> names = calls();
    ASSERT_EQ(names.size(), 11u); // nine preparation calls, the range, the reading
    EXPECT_EQ(names[5], "tvmmultc1_configure");
    EXPECT_EQ(names[9], "tvmmultc1_fresRang");
    EXPECT_EQ(names[10], "tvmmultc1_measure_Q");
    EXPECT_EQ(callsBeforeWait, 10u); // the wait falls between the range and the reading

    sim::clearJournal();
    EXPECT_TRUE(rangeThenPrepare(truth, false));
    EXPECT_EQ(calls(), (std::vector<std::string>{"tvmmultc1_fresRang"}));
    sim::clearJournal();
    EXPECT_TRUE(rangeThenPrepare(truth, true));
    names = calls();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "tvmmultc1_fresRang");
    EXPECT_EQ(names[6], "tvmmultc1_configure");
    EXPECT_TRUE(readRangedResistance(true));
}

// A range the meter refused gives no reading, and none is asked of the meter;
// the settling wait is kept all the same.
TEST_F(MeterLayer, RefusedRangeIsNoReading)
{
    ASSERT_EQ(openHP3458(), 0);
    presentStage1();
    failNext("hp3458a_resRang", -5);
    sim::clearJournal();
    bool waited = false;
    EXPECT_FALSE(readResistance(100.0, [&] { waited = true; }));
    EXPECT_TRUE(waited);
    EXPECT_TRUE(sim::journalOf({"hp3458a_measure_Q"}).empty());

    failNext("hp3458a_resRang", -5);
    EXPECT_FALSE(rangeThenPrepare(100.0, true));
    EXPECT_FALSE(readRangedResistance(false));
    EXPECT_TRUE(sim::journalOf({"hp3458a_measure_Q"}).empty());
}

} // namespace
