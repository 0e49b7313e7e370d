// Opening each meter family, finding a meter, and closing it, on the simulated bench.
#include "meter_fixture.h"

#include "gauge/reset.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/visa.h"
#include "tests/support/temp_dir.h"

#include <filesystem>

using namespace gaugetest;

namespace {

constexpr ViStatus kWarning = 0x3FFC0801;
constexpr ViStatus kError = -7;

std::string waitFor(const char* designation)
{
    return std::string("\nПодождите,\n\nидет открытие инструмента ") + designation + "\n";
}

// Each family's opening on its own: the choice asked, the wait text, the driver
// calls in order with their arguments, and the session left open.
TEST_F(MeterLayer, EachFamilyOpensWithItsOwnCallsInOrder)
{
    answer(gauge::Choice{kCarrier, kMezMeterPosition});
    EXPECT_EQ(openM_DMM1(), 0);
    ASSERT_NE(viM_DMM1, 0u);
    ASSERT_NE(viNM, 0u);
    EXPECT_EQ(sim::journalOf({"tvbase_", "tvmmultc1_"}),
              (std::vector<std::string>{"tvbase_init(\"VXI0::2::INSTR\", 1, 1)",
                                        "tvmmultc1_init(\"VXI0::2::INSTR\", 1, 1)",
                                        "tvmmultc1_connect(" + s(viM_DMM1) + ", " + s(viNM) + ", 4, 1, 1)"}));

    answer(gauge::Choice{kE1412, 0});
    EXPECT_EQ(openHP1412(), 0);
    ASSERT_NE(viHP1412, 0u);
    const std::string e = s(viHP1412);
    EXPECT_EQ(sim::journalOf({"hpe1412_"}),
              (std::vector<std::string>{"hpe1412_init(\"VXI0::8::INSTR\", 1, 1)", "hpe1412_voltDcNplc(" + e + ", 100)",
                                        "hpe1412_currDcNplc(" + e + ", 100)", "hpe1412_voltDcRang(" + e + ", 0, 10)",
                                        "hpe1412_currDcRang(" + e + ", 0, 0.01)"}));

    answer(gauge::Choice{kDmm1, 0});
    EXPECT_EQ(openDMM1(), 0);
    ASSERT_NE(viDMM1, 0u);
    EXPECT_EQ(sim::journalOf({"tvmultc1_"}), (std::vector<std::string>{"tvmultc1_init(\"TCPIP0::10.0.0.8::INSTR\", 1, 1)"}));

    answer(gauge::Choice{kDmm, 0});
    EXPECT_EQ(openDMM(), 0);
    ASSERT_NE(viDMM, 0u);
    const std::string d = s(viDMM);
    EXPECT_EQ(sim::journalOf({"tvmult_"}),
              (std::vector<std::string>{"tvmult_init(\"TCPIP0::10.0.0.7::INSTR\", 1, 1)",
                                        "tvmult_currDcNplc(" + d + ", 100)", "tvmult_voltDcNplc(" + d + ", 100)",
                                        "tvmult_voltDcRang(" + d + ", 1, 10)", "tvmult_currDcRang(" + d + ", 0, 0.01)"}));

    // The HP 3458A is not chosen: it is looked for at GPIB address 22.
    sim::clearJournal();
    EXPECT_EQ(openHP3458(), 0);
    ASSERT_NE(viHP3458, 0u);
    const std::string h = s(viHP3458);
    const std::vector<std::string> journal = sim::journalOf({"vi", "hp3458a_"});
    ASSERT_EQ(journal.size(), 7u);
    EXPECT_EQ(journal[0], "viOpenDefaultRM()");
    EXPECT_EQ(journal[1].rfind("viFindRsrc(", 0), 0u);
    EXPECT_NE(journal[1].find("\"GPIB0::22::INSTR\""), std::string::npos);
    EXPECT_EQ(journal[2].rfind("viClose(", 0), 0u); // the search's resource manager is not kept
    EXPECT_EQ(std::vector<std::string>(journal.begin() + 3, journal.end()),
              (std::vector<std::string>{"hp3458a_init(\"GPIB0::22::INSTR\", 1, 1)", "hp3458a_nplc(" + h + ", 10)",
                                        "hp3458a_voltDcRang(" + h + ", 1, 10)", "hp3458a_currDcRang(" + h + ", 1, 0.01)"}));

    EXPECT_EQ(op.asked, (std::vector<std::string>{"Выберите МЦMM", "Выберите HP1412", "Выберите ЦMM1", "Выберите DMM1"}));
    EXPECT_EQ(op.askedModels, (std::vector<int>{32, 579, 356, 324}));
    EXPECT_EQ(op.waits, (std::vector<std::string>{waitFor("МЦMM"), waitFor("HP1412"), waitFor("ЦMM1"), waitFor("DMM"),
                                                  waitFor("HP3458")}));
    EXPECT_EQ(op.shownWaits, 0);
    EXPECT_EQ(op.meterChanges, 5);
    EXPECT_TRUE(op.statusLines.empty());
}

// An opening that goes on to open its meter closes every other meter session,
// and the mezzanine meter's carrier session, first: readings then come from
// the meter just opened, and no session is left behind. An opening with
// nothing chosen closes only its own family's earlier session.
TEST_F(MeterLayer, OpeningClosesEveryOtherMeterFirst)
{
    answer(gauge::Choice{kCarrier, kMezMeterPosition});
    ASSERT_EQ(openM_DMM1(), 0);
    const ViSession meter = viM_DMM1, carrier = viNM;

    sim::clearJournal();
    answer(gauge::Choice{kE1412, 0});
    ASSERT_EQ(openHP1412(), 0);
    EXPECT_EQ(viM_DMM1, 0u);
    EXPECT_EQ(viNM, 0u);
    const std::vector<std::string> journal = sim::journalOf({"tvbase_", "tvmmultc1_", "hpe1412_"});
    ASSERT_GE(journal.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(journal.begin(), journal.begin() + 3),
              (std::vector<std::string>{"tvmmultc1_close(" + s(meter) + ")", "tvbase_close(" + s(carrier) + ")",
                                        "hpe1412_init(\"VXI0::8::INSTR\", 1, 1)"}));

    // Nothing chosen: the meter open stays open.
    answerNone();
    EXPECT_EQ(openM_DMM1(), 1);
    EXPECT_NE(viHP1412, 0u);
    const ViSession e1412 = viHP1412;
    sim::clearJournal();
    answerNone();
    EXPECT_EQ(openHP1412(), 1);
    EXPECT_EQ(viHP1412, 0u);
    EXPECT_EQ(sim::journalOf({"hpe1412_"}), (std::vector<std::string>{"hpe1412_close(" + s(e1412) + ")"}));
    EXPECT_EQ(op.waits.size(), 2u); // the cancelled openings showed none

    // The HP 3458A, found without a choice, closes the meter open before it too.
    answer(gauge::Choice{kDmm, 0});
    ASSERT_EQ(openDMM(), 0);
    const ViSession dmm = viDMM;
    sim::clearJournal();
    ASSERT_EQ(openHP3458(), 0);
    EXPECT_EQ(sim::journalOf({"tvmult_close", "hp3458a_init"}),
              (std::vector<std::string>{"tvmult_close(" + s(dmm) + ")", "hp3458a_init(\"GPIB0::22::INSTR\", 1, 1)"}));
    EXPECT_EQ(viDMM, 0u);
    EXPECT_NE(viHP3458, 0u);
}

// A failing call ends the opening at once; the session its init opened stays
// open and counts as open.
TEST_F(MeterLayer, NegativeStatusEndsTheOpeningWithTheMeterLeftOpen)
{
    failNext("hpe1412_voltDcNplc", kError);
    answer(gauge::Choice{kE1412, 0});
    EXPECT_EQ(openHP1412(), kError);
    ASSERT_NE(viHP1412, 0u);
    // The message comes from the open meter's driver, asked with session 0.
    EXPECT_EQ(sim::journalOf({"hpe1412_"}),
              (std::vector<std::string>{"hpe1412_init(\"VXI0::8::INSTR\", 1, 1)",
                                        "hpe1412_voltDcNplc(" + s(viHP1412) + ", 100)",
                                        "hpe1412_error_message(0, -7)"}));
    EXPECT_EQ(isMultimeterOpen(), 1);
    EXPECT_EQ(meterStatus, kError);
    EXPECT_EQ(lastStatusLine(), "p_hpe1412_voltDcNplc " + sim::statusText(kError));
    EXPECT_EQ(op.shownWaits, 0);

    // The ЦMM1's init is not reported, but its status is the result.
    failNext("tvmultc1_init", kError);
    answer(gauge::Choice{kDmm1, 0});
    EXPECT_EQ(openDMM1(), kError);
    EXPECT_EQ(op.statusLines.size(), 1u);
    EXPECT_EQ(viDMM1, 0u);
}

TEST_F(MeterLayer, SearchStopsAtTheFirstFamilyThatOpens)
{
    gauge::unbindAll();
    answer(gauge::Choice{kCarrier, kMezMeterPosition});
    findMultimeter();
    EXPECT_NE(viM_DMM1, 0u);
    EXPECT_EQ(op.asked, (std::vector<std::string>{"Выберите МЦMM"}));
    EXPECT_TRUE(sim::journalOf({"hpe1412_", "tvmult", "hp3458a_", "viFindRsrc"}).empty());
    EXPECT_FALSE(gauge::familyBound(579));
    EXPECT_TRUE(tk::headless::popups().empty());
}

// A warning from the last set-up call is shown, and the opening returns it: the
// search takes that as a failure and goes on with the warned meter still open,
// until a meter that opens after it closes it. Without one, the warned meter
// is the meter.
TEST_F(MeterLayer, WarningIsShownAndTheSearchGoesOnWithThatMeterOpen)
{
    sim::failCall("hpe1412_currDcRang", kWarning);
    answerNone();                      // МЦMM
    answer(gauge::Choice{kE1412, 0});  // HP1412
    findMultimeter();

    EXPECT_EQ(op.asked, (std::vector<std::string>{"Выберите МЦMM", "Выберите HP1412", "Выберите ЦMM1", "Выберите DMM1"}));
    EXPECT_EQ(op.statusLines, (std::vector<std::string>{"p_hpe1412_currDcRang " + sim::statusText(kWarning)}));
    EXPECT_TRUE(tk::headless::popups().empty());
    EXPECT_EQ(viHP1412, 0u);
    ASSERT_NE(viHP3458, 0u);
    EXPECT_EQ(sim::journalOf({"hpe1412_close"}).size(), 1u);

    // A bench without the HP 3458A: the search ends with the warned meter, which takes every call.
    closeMultimeter();
    std::erase_if(sim::bench().instruments, [](const sim::Instrument& in) { return in.address == kHp3458; });
    answerNone();
    answer(gauge::Choice{kE1412, 0});
    findMultimeter();
    ASSERT_NE(viHP1412, 0u);
    EXPECT_EQ(viHP3458, 0u);
    EXPECT_TRUE(tk::headless::popups().empty());

    sim::clearJournal();
    double reading = 0.0;
    EXPECT_EQ(measureFres(&reading), 0);
    EXPECT_EQ(setResRange(1000.0), 0);
    EXPECT_EQ(setVoltRange(5.0), 0);
    EXPECT_EQ(measureVoltDc(&reading), 0);
    EXPECT_DOUBLE_EQ(reading, 1.5);
    EXPECT_EQ(measureCurrDc(&reading), 0);
    EXPECT_DOUBLE_EQ(reading, 0.002);
    const std::string e = s(viHP1412);
    EXPECT_EQ(sim::journalOf({"hpe1412_", "hp3458a_"}),
              (std::vector<std::string>{
                  "hpe1412_func(" + e + ", 2)", "hpe1412_trigCoun(" + e + ", 1)", "hpe1412_initImm(" + e + ")",
                  "hpe1412_timedFetch_Q(" + e + ", 10000)", "hpe1412_resRang(" + e + ", 0, 1000)",
                  "hpe1412_voltDcRang(" + e + ", 0, 10)", "hpe1412_func(" + e + ", 5)", "hpe1412_trigCoun(" + e + ", 1)",
                  "hpe1412_initImm(" + e + ")", "hpe1412_timedFetch_Q(" + e + ", 10000)", "hpe1412_func(" + e + ", 7)",
                  "hpe1412_trigCoun(" + e + ", 1)", "hpe1412_initImm(" + e + ")",
                  "hpe1412_timedFetch_Q(" + e + ", 10000)"}));
}

// With no meter session open, closing the multimeter closes only the carrier
// session a failed mezzanine-meter opening left behind. The report of the
// failed init has the message of the driver that refused it.
TEST_F(MeterLayer, CloseWithNoMeterOpenClosesOnlyTheCarrierSession)
{
    failNext("tvmmultc1_init", kError);
    answer(gauge::Choice{kCarrier, kMezMeterPosition});
    EXPECT_EQ(openM_DMM1(), kError);
    EXPECT_EQ(lastStatusLine(), "p_tvmmultc1_init " + sim::statusText(kError));
    ASSERT_NE(viNM, 0u);
    EXPECT_EQ(isMultimeterOpen(), 0);

    const ViSession carrier = viNM;
    sim::clearJournal();
    closeMultimeter();
    EXPECT_EQ(sim::journal(), (std::vector<std::string>{"tvbase_close(" + s(carrier) + ")"}));
    EXPECT_EQ(viNM, 0u);

    sim::clearJournal();
    closeMultimeter();
    EXPECT_TRUE(sim::journal().empty());
}

TEST_F(MeterLayer, HP3458AtAnotherAddressIsNotFound)
{
    sim::instrument(kHp3458)->address = "GPIB0::23::INSTR";
    EXPECT_EQ(openHP3458(), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(viHP3458, 0u);
    EXPECT_TRUE(sim::journalOf({"hp3458a_"}).empty());
    EXPECT_TRUE(op.waits.empty());
    EXPECT_TRUE(op.statusLines.empty());

    sim::clearJournal();
    findMultimeter(); // nothing chosen for the other families
    EXPECT_EQ(isMultimeterOpen(), 0);
    EXPECT_TRUE(sim::journalOf({"hp3458a_"}).empty());
    EXPECT_EQ(popupTexts(), (std::vector<std::string>{"Панель поверки-калибровки: Мультиметр не найден"}));
}

// A folder holding only the broken variant of one library, searched before the
// good libraries: that family cannot bind, the others can.
class OneBrokenLibrary {
public:
    explicit OneBrokenLibrary(const std::string& file) : dir_("gauge-broken")
    {
        placeLibrary(std::filesystem::path(KSIL_LIB_DIR) / "broken" / file, dir_.path() / file);
        platform::setLibraryDirs({dir_.str(), KSIL_LIB_DIR});
    }
    ~OneBrokenLibrary() { platform::setLibraryDirs({}); }

private:
    TempDir dir_;
};

// A library that lacks one entry point of its family's list leaves the family
// unbound, with none of its entry points kept, and the search goes on.
TEST_F(MeterLayer, FamilyWithAMissingEntryPointIsSkipped)
{
    gauge::unbindAll();
    {
        OneBrokenLibrary broken(platform::libraryFileName("tvmultc1.dll"));
        answerNone();                    // МЦMM
        answerNone();                    // HP1412
        answer(gauge::Choice{kDmm1, 0}); // ЦMM1: cannot bind
        answer(gauge::Choice{kDmm, 0});  // DMM
        findMultimeter();
        EXPECT_FALSE(gauge::familyBound(356));
        EXPECT_EQ(p_tvmultc1_init, nullptr);
        EXPECT_EQ(p_tvmultc1_close, nullptr);
        EXPECT_NE(gauge::lastBindError().find("tvmultc1_read_Q"), std::string::npos) << gauge::lastBindError();
        EXPECT_NE(gauge::lastBindError().find(platform::libraryFileName("tvmultc1.dll")), std::string::npos) << gauge::lastBindError();
        EXPECT_EQ(viDMM1, 0u);
        EXPECT_NE(viDMM, 0u);
        EXPECT_TRUE(sim::journalOf({"tvmultc1_"}).empty());
        EXPECT_EQ(op.waits, (std::vector<std::string>{waitFor("DMM")}));
        EXPECT_TRUE(tk::headless::popups().empty());
    }
    // With the good library back, the next opening binds the family.
    answer(gauge::Choice{kDmm1, 0});
    EXPECT_EQ(openDMM1(), 0);
    EXPECT_TRUE(gauge::familyBound(356));
}

// No family can bind: every family is still tried, the HP E1412 reports its
// failed binding, and the search ends with its message.
TEST_F(MeterLayer, NoFamilyInstalled)
{
    gauge::unbindAll();
    ASSERT_NE(platform::visa(), nullptr); // VISA stays bound; the broken folder has none
    platform::setLibraryDirs({(std::filesystem::path(KSIL_LIB_DIR) / "broken").string()});
    for (int i = 0; i < 4; ++i)
        answer(gauge::Choice{kCarrier, kMezMeterPosition});
    findMultimeter();

    EXPECT_EQ(op.asked, (std::vector<std::string>{"Выберите МЦMM", "Выберите HP1412", "Выберите ЦMM1", "Выберите DMM1"}));
    EXPECT_EQ(op.waits, (std::vector<std::string>{waitFor("HP1412")}));
    EXPECT_EQ(op.shownWaits, 0);
    EXPECT_EQ(op.statusLines, (std::vector<std::string>{"loadLibs"}));
    EXPECT_EQ(op.meterChanges, 5);
    EXPECT_EQ(sim::journalOf({"viFindRsrc"}).size(), 1u);
    for (int model : {32, 579, 356, 324, 3458, 269})
        EXPECT_FALSE(gauge::familyBound(model)) << model;
    EXPECT_EQ(isMultimeterOpen(), 0);
    EXPECT_EQ(popupTexts(), (std::vector<std::string>{"Панель поверки-калибровки: Мультиметр не найден"}));
}

TEST(Binding, ModelCodeOfNoFamilyLoadsNothing)
{
    EXPECT_EQ(loadLibs(64), 0);
    EXPECT_EQ(loadLibs(0), 0);
    platform::setLibraryDirs({(std::filesystem::path(KSIL_LIB_DIR) / "nonexistent").string()});
    gauge::unbindAll();
    EXPECT_EQ(loadLibs(579), -1);
    EXPECT_NE(gauge::lastBindError().find(platform::libraryFileName("hpe1412_32.dll")), std::string::npos) << gauge::lastBindError();
    platform::setLibraryDirs({});
    EXPECT_EQ(loadLibs(579), 0);
    EXPECT_NE(p_hpe1412_trigCoun, nullptr);
}

} // namespace
