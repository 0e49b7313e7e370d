// The driver-call report: every examined call of the layer, made to fail, shows
// its own name as written in its label (cut before the label's "(", a blank
// before it kept) followed by the first open meter's message.
#include "meter_fixture.h"

#include <functional>

using namespace gaugetest;

namespace {

constexpr ViStatus kFault = -7;

enum class Meter { None, MezDmm, E1412, Dmm1, Dmm, Hp3458 };

struct Case {
    const char* entry;   // the stand-in entry point made to fail
    Meter open;          // the meter opened beforehand
    std::function<ViStatus()> action;
    std::string shown;   // the status line, before the driver's message
    bool withMessage;    // the driver's message follows the call text
};

ViStatus fres()
{
    double r = 0.0;
    return measureFres(&r);
}
ViStatus volt()
{
    double r = 0.0;
    return measureVoltDc(&r);
}
ViStatus curr()
{
    double r = 0.0;
    return measureCurrDc(&r);
}
ViStatus resRange() { return setResRange(1000.0); }
ViStatus voltRange() { return setVoltRange(1.0); }

class Report : public MeterLayer {
protected:
    void openMeter(Meter m)
    {
        switch (m) {
        case Meter::None: return;
        case Meter::MezDmm: answer(gauge::Choice{kCarrier, kMezMeterPosition}); ASSERT_EQ(openM_DMM1(), 0); return;
        case Meter::E1412: answer(gauge::Choice{kE1412, 0}); ASSERT_EQ(openHP1412(), 0); return;
        case Meter::Dmm1: answer(gauge::Choice{kDmm1, 0}); ASSERT_EQ(openDMM1(), 0); return;
        case Meter::Dmm: answer(gauge::Choice{kDmm, 0}); ASSERT_EQ(openDMM(), 0); return;
        case Meter::Hp3458: ASSERT_EQ(openHP3458(), 0); return;
        }
    }
    void check(const Case& c)
    {
        SCOPED_TRACE(c.entry);
        end();
        begin();
        openMeter(c.open);
        failNext(c.entry, kFault);
        op.statusLines.clear();
        EXPECT_EQ(c.action(), kFault);
        EXPECT_EQ(meterStatus, kFault);
        const std::string expected = c.shown + (c.withMessage ? sim::statusText(kFault) : "");
        EXPECT_EQ(op.statusLines, std::vector<std::string>{expected});
    }
};

ViStatus openingOf(Meter m)
{
    switch (m) {
    case Meter::MezDmm: return openM_DMM1();
    case Meter::E1412: return openHP1412();
    case Meter::Dmm1: return openDMM1();
    case Meter::Dmm: return openDMM();
    case Meter::Hp3458: return openHP3458();
    case Meter::None: break;
    }
    return 0;
}

TEST_F(Report, OpeningCalls)
{
    struct Opening {
        const char* entry;
        Meter meter;
        std::string shown;
        bool withMessage;
    };
    const Opening openings[] = {
        {"tvbase_init", Meter::MezDmm, "p_tvbase_init", true},
        {"tvmmultc1_init", Meter::MezDmm, "p_tvmmultc1_init ", true},
        {"tvmmultc1_connect", Meter::MezDmm, "p_tvmmultc1_connect ", true},
        {"hpe1412_init", Meter::E1412, "p_hpe1412_init ", true},
        {"hpe1412_voltDcNplc", Meter::E1412, "p_hpe1412_voltDcNplc ", true},
        {"hpe1412_currDcNplc", Meter::E1412, "p_hpe1412_currDcNplc ", true},
        {"hpe1412_voltDcRang", Meter::E1412, "p_hpe1412_voltDcRang ", true},
        {"hpe1412_currDcRang", Meter::E1412, "p_hpe1412_currDcRang ", true},
        {"tvmult_init", Meter::Dmm, "p_tvmult_init ", true},
        {"tvmult_currDcNplc", Meter::Dmm, "p_tvmult_currDcNplc ", true},
        {"tvmult_voltDcNplc", Meter::Dmm, "p_tvmult_voltDcNplc ", true},
        {"tvmult_voltDcRang", Meter::Dmm, "p_tvmult_voltDcRang ", true},
        {"tvmult_currDcRang", Meter::Dmm, "p_tvmult_currDcRang ", true},
        {"hp3458a_init", Meter::Hp3458, "p_hp3458a_init ", true},
        {"hp3458a_nplc", Meter::Hp3458, "p_hp3458a_nplc ", true},
        {"hp3458a_voltDcRang", Meter::Hp3458, "p_hp3458a_voltDcRang ", true},
        {"hp3458a_currDcRang", Meter::Hp3458, "p_hp3458a_currDcRang ", true},
    };
    for (const Opening& o : openings) {
        const Meter m = o.meter;
        check({o.entry, Meter::None, [m] {
                   if (m != Meter::Hp3458)
                       current->answers.push_back(m == Meter::MezDmm ? gauge::Choice{kCarrier, kMezMeterPosition}
                                                   : m == Meter::E1412 ? gauge::Choice{kE1412, 0}
                                                                       : gauge::Choice{kDmm, 0});
                   return static_cast<ViStatus>(openingOf(m));
               },
               o.shown, o.withMessage});
    }
}

TEST_F(Report, ReadingAndRangeCalls)
{
    const Case cases[] = {
        {"hpe1412_func", Meter::E1412, fres, "p_hpe1412_func ", true},
        {"hpe1412_func", Meter::E1412, volt, "p_hpe1412_func ", true},
        {"hpe1412_func", Meter::E1412, curr, "p_hpe1412_func ", true},
        {"hpe1412_trigCoun", Meter::E1412, fres, "p_hpe1412_trigCoun ", true},
        {"hpe1412_initImm", Meter::E1412, volt, "p_hpe1412_initImm ", true},
        {"hpe1412_timedFetch_Q", Meter::E1412, curr, "p_hpe1412_timedFetch_Q ", true},
        {"hp3458a_measure_Q", Meter::Hp3458, fres, "p_hp3458a_measure_Q ", true},
        {"hp3458a_measure_Q", Meter::Hp3458, volt, "p_hp3458a_measure_Q ", true},
        {"hp3458a_measure_Q", Meter::Hp3458, curr, "p_hp3458a_measure_Q ", true},
        {"tvmult_measure_Q", Meter::Dmm, fres, "p_tvmult_measure_Q ", true},
        {"tvmult_measure_Q", Meter::Dmm, volt, "p_tvmult_measure_Q ", true},
        {"tvmult_measure_Q", Meter::Dmm, curr, "p_tvmult_measure_Q ", true},
        // The current reading's label has no blank before its "(".
        {"tvmultc1_read_Q", Meter::Dmm1, fres, "p_tvmultc1_read_Q ", true},
        {"tvmultc1_read_Q", Meter::Dmm1, volt, "p_tvmultc1_read_Q ", true},
        {"tvmultc1_read_Q", Meter::Dmm1, curr, "p_tvmultc1_read_Q", true},
        {"tvmmultc1_measure_Q", Meter::MezDmm, fres, "p_tvmmultc1_measure_Q ", true},
        {"tvmmultc1_measure_Q", Meter::MezDmm, volt, "p_tvmmultc1_measure_Q ", true},
        {"tvmmultc1_measure_Q", Meter::MezDmm, curr, "p_tvmmultc1_measure_Q ", true},
        {"hpe1412_resRang", Meter::E1412, resRange, "p_hpe1412_resRang ", true},
        // The ЦMM1's and МЦMM's resistance ranges are reported under the name "resRang".
        {"tvmultc1_fresRang", Meter::Dmm1, resRange, "p_tvmultc1_resRang ", true},
        {"tvmult_fresRang", Meter::Dmm, resRange, "p_tvmult_fresRang ", true},
        {"tvmmultc1_fresRang", Meter::MezDmm, resRange, "p_tvmmultc1_resRang ", true},
        {"hpe1412_voltDcRang", Meter::E1412, voltRange, "p_hpe1412_voltDcRang ", true},
        {"tvmult_voltDcRang", Meter::Dmm, voltRange, "p_tvmult_voltDcRang ", true},
        {"tvmmultc1_voltDcRang", Meter::MezDmm, voltRange, "p_tvmmultc1_voltDcRang ", true},
    };
    for (const Case& c : cases)
        check(c);
}

// A warning is reported too; the reading goes on, and its result is that of its last call.
TEST_F(Report, WarningOfAReadingIsShownAndReturned)
{
    answer(gauge::Choice{kE1412, 0});
    ASSERT_EQ(openHP1412(), 0);
    failNext("hpe1412_trigCoun", 0x3FFC0801);
    double reading = 0.0;
    EXPECT_EQ(measureFres(&reading), 0); // the fetch after it succeeded
    EXPECT_EQ(op.statusLines, (std::vector<std::string>{"p_hpe1412_trigCoun " + sim::statusText(0x3FFC0801)}));
    EXPECT_EQ(sim::journalOf({"hpe1412_timedFetch_Q"}).size(), 1u);
}

} // namespace
