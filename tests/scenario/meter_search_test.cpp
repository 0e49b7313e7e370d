// The multimeter search of start-up, as the operator meets it on the simulated bench.
#include "tests/harness/harness.h"

#include "gauge/bindings.h"
#include "gauge/gauge.h"
#include "platform/library.h"
#include "si/select.h"
#include "sim/bench.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Dialog {
    std::string title;
    std::vector<std::string> labels;
};

// Records the selection dialog when it waits, then double-clicks item index
// (or closes the window when index is negative).
void answerMeterChoice(Harness& h, std::vector<Dialog>& seen, int index)
{
    tk::headless::respondWhenIdle([&h, &seen, index] {
        const int panel = si::selectionPanel();
        seen.push_back({h.title(panel), h.listLabels(panel, si::selectionListCtrl())});
        if (index < 0)
            tk::headless::closeWindow(panel);
        else
            tk::headless::doubleClickItem(panel, si::selectionListCtrl(), index);
    });
}

std::vector<std::string> journalOf(std::initializer_list<const char*> prefixes)
{
    std::vector<std::string> out;
    for (const auto& line : sim::journal())
        for (const char* p : prefixes)
            if (line.rfind(p, 0) == 0)
                out.push_back(line);
    return out;
}

// A harness starts with every meter family unbound, as a new process would.
TEST(MeterSearch, DefaultBenchOffersTheMezzanineMeterFirstAndOpensIt)
{
    Harness h;
    std::vector<Dialog> seen;
    h.chooseFromSelection(0);
    answerMeterChoice(h, seen, 0);
    ASSERT_EQ(h.start(), 0);

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "Выберите МЦMM");
    ASSERT_EQ(seen[0].labels.size(), 1u);
    EXPECT_NE(seen[0].labels[0].find("VXI0::2::INSTR"), std::string::npos) << seen[0].labels[0];
    EXPECT_NE(viM_DMM1, 0u);
    EXPECT_NE(viNM, 0u);
    EXPECT_EQ(journalOf({"tvmmultc1_connect"}),
              (std::vector<std::string>{"tvmmultc1_connect(" + std::to_string(viM_DMM1) + ", " + std::to_string(viNM) +
                                        ", 4, 1, 1)"}));
    // The search ended there: no other family was bound or asked.
    EXPECT_FALSE(gauge::familyBound(579));
    EXPECT_TRUE(journalOf({"hpe1412_", "hp3458a_", "tvmult"}).empty());
    for (const std::string& line : journalOf({"viFindRsrc("}))
        EXPECT_EQ(line.find("GPIB0::22::INSTR"), std::string::npos) << line;

    EXPECT_TRUE(h.popups().empty());
    EXPECT_TRUE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(h.ledColor(hMP, MP_LED), tk::kYellow);
    EXPECT_TRUE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_FALSE(h.dimmed(hPP, PP_AUTO_POV));
    EXPECT_EQ(h.run(), Harness::kRunning);

    // The meter reads the channel it is wired to.
    sim::Channel* ch = sim::channel("VXI0::2::INSTR", 1, 1);
    ch->on = true;
    ch->code = 0x3FFFF;
    double reading = 0.0;
    configureMeter(2);
    setResRange(131072.0);
    EXPECT_EQ(measureFres(&reading), 0);
    const double truth = sim::chainResistance(*ch, 0x3FFFF);
    EXPECT_NEAR(reading, truth, 1e-4 * truth); // the bench meter's gain error and noise
}

// A folder with VISA and the carrier driver only: no meter family is installed.
class NoMeterLibraries {
public:
    explicit NoMeterLibraries(const std::filesystem::path& folder) : dir_(folder / "libs")
    {
        std::filesystem::create_directories(dir_);
        for (const std::string_view name : {std::string_view(kVisaLibraryName), kCarrierLibrary}) {
            const std::string file = platform::libraryFileName(name);
            placeLibrary(std::filesystem::path(KSIL_LIB_DIR) / file, dir_ / file);
        }
        platform::setLibraryDirs({dir_.string()});
    }
    ~NoMeterLibraries() { platform::setLibraryDirs({}); }

private:
    std::filesystem::path dir_;
};

// The operator chooses the meters the bench lists, none of whose drivers is
// installed; the families with nothing to offer ask nothing, and the HP 3458A
// is still looked for.
TEST(MeterSearch, NoFamilyInstalled)
{
    Harness h;
    NoMeterLibraries libraries(h.folder());
    std::vector<Dialog> seen;
    h.chooseFromSelection(0);
    answerMeterChoice(h, seen, 0);
    answerMeterChoice(h, seen, 0);
    ASSERT_EQ(h.start(), 0);

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].title, "Выберите МЦMM");
    EXPECT_EQ(seen[1].title, "Выберите HP1412");
    const std::vector<std::string> finds = journalOf({"viFindRsrc("});
    ASSERT_FALSE(finds.empty());
    EXPECT_NE(finds.back().find("\"GPIB0::22::INSTR\""), std::string::npos) << finds.back();
    EXPECT_TRUE(journalOf({"tvmmultc1_", "hpe1412_", "hp3458a_", "tvmult"}).empty());
    EXPECT_EQ(isMultimeterOpen(), 0);
    // The HP E1412's failed binding is the one reported.
    EXPECT_EQ(h.text(hMP, MP_MSG), "loadLibs");

    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.popups()[0].title, "Панель поверки-калибровки");
    EXPECT_EQ(h.popups()[0].text, "Мультиметр не найден");
    EXPECT_TRUE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(h.ledColor(hMP, MP_LED), tk::kGreen);
    EXPECT_FALSE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_TRUE(h.dimmed(hPP, PP_AUTO_POV));
    EXPECT_EQ(h.run(), Harness::kRunning);
}

} // namespace
