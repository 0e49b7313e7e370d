// The stand-in libraries as a test reaches them: loaded by name through the
// platform layer, kept loaded, entry points looked up with their C types.
#pragma once

#include "drivers/meters.h"
#include "drivers/tvbase.h"
#include "drivers/tvksil2.h"
#include "platform/clock.h"
#include "platform/library.h"
#include "platform/process.h"
#include "sim/bench.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace simtest {

// Loads a library once per process; fails the test when it cannot.
inline const platform::Library& library(const std::string& name)
{
    static std::map<std::string, platform::Library> loadedLibs;
    auto it = loadedLibs.find(name);
    if (it == loadedLibs.end()) {
        std::string error;
        auto lib = platform::Library::open(name, &error);
        if (!lib) throw std::runtime_error(error);
        it = loadedLibs.emplace(name, std::move(*lib)).first;
    }
    return it->second;
}

template <class F> F entry(std::string_view lib, const char* name)
{
    std::string error;
    F f = library(std::string(lib)).entry<F>(name, &error);
    if (!f) throw std::runtime_error(error);
    return f;
}

// The module driver's entry points by name (the test does not link the driver).
struct Module {
    decltype(&tvksil2_init) init = entry<decltype(&tvksil2_init)>(kModuleLibrary, "tvksil2_init");
    decltype(&tvksil2_connect) connect = entry<decltype(&tvksil2_connect)>(kModuleLibrary, "tvksil2_connect");
    decltype(&tvksil2_get_attribute) getAttribute =
        entry<decltype(&tvksil2_get_attribute)>(kModuleLibrary, "tvksil2_get_attribute");
    decltype(&tvksil2_switch) switchChannel = entry<decltype(&tvksil2_switch)>(kModuleLibrary, "tvksil2_switch");
    decltype(&tvksil2_config_R) configR = entry<decltype(&tvksil2_config_R)>(kModuleLibrary, "tvksil2_config_R");
    decltype(&tvksil2_config_R_Calibr) configCalibr =
        entry<decltype(&tvksil2_config_R_Calibr)>(kModuleLibrary, "tvksil2_config_R_Calibr");
    decltype(&tvksil2_readFlash) readFlash = entry<decltype(&tvksil2_readFlash)>(kModuleLibrary, "tvksil2_readFlash");
    decltype(&tvksil2_writeFlash) writeFlash =
        entry<decltype(&tvksil2_writeFlash)>(kModuleLibrary, "tvksil2_writeFlash");
    decltype(&tvksil2_error_message) errorMessage =
        entry<decltype(&tvksil2_error_message)>(kModuleLibrary, "tvksil2_error_message");
    decltype(&tvksil2_self_test) selfTest = entry<decltype(&tvksil2_self_test)>(kModuleLibrary, "tvksil2_self_test");
    decltype(&tvksil2_sft_interface) sftInterface =
        entry<decltype(&tvksil2_sft_interface)>(kModuleLibrary, "tvksil2_sft_interface");
    decltype(&tvksil2_revision_query) revision =
        entry<decltype(&tvksil2_revision_query)>(kModuleLibrary, "tvksil2_revision_query");
    decltype(&tvksil2_reset) reset = entry<decltype(&tvksil2_reset)>(kModuleLibrary, "tvksil2_reset");
    decltype(&tvksil2_close) close = entry<decltype(&tvksil2_close)>(kModuleLibrary, "tvksil2_close");
    tvbase_init_t baseInit = entry<tvbase_init_t>(kCarrierLibrary, "tvbase_init");
    tvbase_m_type_q_t baseType = entry<tvbase_m_type_q_t>(kCarrierLibrary, "tvbase_m_type_q");
    tvbase_close_t baseClose = entry<tvbase_close_t>(kCarrierLibrary, "tvbase_close");

    // Opens the carrier and the module at position; the record comes back too.
    ViSession open(const char* carrier, ViUInt16 position, ViSession* base, tvksil2_device_data** record = nullptr)
    {
        ViSession vi = 0;
        EXPECT_EQ(baseInit(carrier, 1, 1, base), VI_SUCCESS);
        EXPECT_EQ(init(carrier, 1, 1, &vi), VI_SUCCESS);
        EXPECT_EQ(connect(vi, *base, position, 1, 1), VI_SUCCESS);
        if (record) {
            EXPECT_EQ(getAttribute(vi, record), VI_SUCCESS);
        }
        return vi;
    }
};

// Each test starts from a freshly loaded built-in bench with its own state
// folder, on a virtual clock.
class BenchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setClock(&clock_);
        sim::reset();
        sim::setStateDir(stateDir_.string());
        std::string error;
        ASSERT_TRUE(sim::loadDefault(&error)) << error;
    }
    void TearDown() override
    {
        sim::reset();
        platform::setClock(nullptr);
    }
    const TempDir stateFolder_{"sim-test"};
    const std::filesystem::path& stateDir_ = stateFolder_.path();
    platform::VirtualClock clock_;
};

inline constexpr const char* kCarrier = "VXI0::2::INSTR";

// A bench with the module at position 1 of the default VXI carrier open.
class OpenModuleTest : public BenchTest {
protected:
    Module m;
    ViSession base = 0;
    tvksil2_device_data* record = nullptr;
    ViSession vi = 0;
    void SetUp() override
    {
        BenchTest::SetUp();
        vi = m.open(kCarrier, 1, &base, &record);
        ASSERT_NE(record, nullptr);
    }
};

} // namespace simtest
