// Every stand-in binds by name with its whole entry-point list, and a broken
// variant is reported by the name of the entry point it lacks.
#include "stand_ins.h"

#include "sim/entry_points.h"


using namespace simtest;

namespace {

void expectBinds(std::string_view library, std::span<const std::string_view> entries)
{
    std::string error;
    auto lib = platform::Library::open(library, &error);
    ASSERT_TRUE(lib) << error;
    for (std::string_view name : entries)
        EXPECT_NE(lib->symbol(std::string(name).c_str(), &error), nullptr) << error;
}

TEST(Binding, EveryStandInBindsWithItsWholeList)
{
    for (const char* name : kVisaEntryPoints)
        expectBinds(kVisaLibraryName, std::array{std::string_view(name)});
    expectBinds(kModuleLibrary, sim::kModuleEntries);
    expectBinds(kCarrierLibrary, kCarrierEntries);
    for (const gauge::Family& f : gauge::kFamilies) expectBinds(f.library, f.entries);
}

// The broken folder goes first, so its variants shadow the good libraries.
TEST(Binding, BrokenVariantLacksExactlyOneEntryAndTheFailureNamesIt)
{
    const std::map<std::string_view, std::string_view> missing{
        {"hpe1412_32.dll", "hpe1412_timedFetch_Q"}, {"hp3458a.dll", "hp3458a_measure_Q"},
        {"tvmult.dll", "tvmult_fresRang"},           {"tvmultc1.dll", "tvmultc1_read_Q"},
        {"tvmmultc1_32.dll", "tvmmultc1_connect"},   {kCarrierLibrary, "tvbase_close"}};
    const std::string broken = (std::filesystem::path(KSIL_LIB_DIR) / "broken").string();
    platform::setLibraryDirs({broken, KSIL_LIB_DIR});
    for (const gauge::Family& f : gauge::kFamilies) {
        std::string error;
        auto lib = platform::Library::open(f.library, &error);
        ASSERT_TRUE(lib) << error;
        EXPECT_EQ(lib->file().rfind(broken, 0), 0u) << lib->file();
        std::vector<std::string> absent;
        for (std::string_view name : f.entries) {
            if (!lib->symbol(std::string(name).c_str(), &error)) {
                absent.emplace_back(name);
                EXPECT_NE(error.find(std::string(name)), std::string::npos) << error;
            }
        }
        EXPECT_EQ(absent, std::vector<std::string>{std::string(missing.at(f.library))}) << f.library;
    }
    // A library missing from every folder is reported by its file name.
    platform::setLibraryDirs({broken});
    std::string error;
    EXPECT_FALSE(platform::Library::open("visa32.dll", &error));
    EXPECT_NE(error.find(platform::libraryFileName("visa32.dll")), std::string::npos) << error;
    platform::setLibraryDirs({});
}

} // namespace
