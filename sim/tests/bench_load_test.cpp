// Loading benches: the example and the built-in bench, and one clear line for
// every kind of bad bench.
#include "stand_ins.h"

#include <cstdlib>
#include <fstream>

using namespace simtest;

namespace {

class Loading : public BenchTest {};

TEST_F(Loading, DefaultAndExampleBenchesAreConsistent)
{
    const sim::Bench& b = sim::bench();
    ASSERT_EQ(b.instruments.size(), 5u);
    EXPECT_TRUE(sim::instrument("VXI0::2::INSTR")->carrier);
    EXPECT_TRUE(sim::instrument("TCPIP0::192.168.0.10::INSTR")->carrier);
    EXPECT_FALSE(sim::instrument("VXI0::24::INSTR")->carrier);
    EXPECT_EQ(sim::instrument("GPIB0::22::INSTR")->intfType, 1);
    EXPECT_EQ(sim::mezzanine("TCPIP0::192.168.0.10::INSTR", 2)->model, sim::kModelKsil2);

    std::string error;
    ASSERT_TRUE(sim::loadFile(KSIL_SIM_DIR "/benches/example.json", &error)) << error;
    const sim::Channel& explicitChannel = *sim::channel("USB0::0x1234::0x0001::0042::INSTR", 2, 1);
    EXPECT_EQ(explicitChannel.r0, 0.5);
    EXPECT_EQ(explicitChannel.stage[17], 131072.5);
    // Both meters of the example read the module's measuring output.
    EXPECT_EQ(sim::instrument("VXI0::9::INSTR")->meter->wiredChannel, 0);
    EXPECT_EQ(sim::mezzanine("VXI0::4::INSTR", 4)->meter->wiredPosition, 1);
    EXPECT_EQ(sim::mezzanine("VXI0::4::INSTR", 4)->meter->wiredChannel, 0);
    ASSERT_TRUE(sim::loadJson(R"({"instruments": [{"address": "A", "mezzanines": [{"position": 1, "model": 64}]},
        {"address": "B", "meter": {"family": 579, "wiredTo": {"carrier": "A", "position": 1, "channel": 2}}}]})",
                              &error))
        << error;
    EXPECT_EQ(sim::instrument("B")->meter->wiredChannel, 2);
}

TEST_F(Loading, BadBenchesGiveOneLineNamingSourceAndProblem)
{
    struct Case {
        const char* json;
        const char* problem;
    };
    const Case cases[] = {
        {R"({"instruments": [)", "not valid JSON"},
        {R"({"instruments": [{"address": "A"}, {"address": "a"}]})", "two instruments at address a"},
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 5, "model": 64}]}]})",
         "mezzanine at position 5"},
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 0, "model": 64}]}]})",
         "mezzanine at position 0"},
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 1, "model": 65}]}]})",
         "unknown mezzanine model 65"},
        {R"({"instruments": [{"address": "A", "meter": {"family": 1234}}]})", "unknown meter family 1234"},
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 1, "model": 64}]},
             {"address": "B", "meter": {"family": 579, "wiredTo": {"carrier": "A", "position": 1, "channel": 3}}}]})",
         "which does not exist"},
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 1, "model": 64}]},
             {"address": "B", "meter": {"family": 579, "wiredTo": {"carrier": "A", "position": 2}}}]})",
         "meter wired to the module at position 2 at A, which does not exist"},
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 1, "model": 64}]},
             {"address": "B", "meter": {"family": 579, "wiredTo": {"carrier": "A", "position": 1, "channel": 0}}}]})",
         "channel 0 does not exist"},
        {R"({"instruments": [{"address": "A", "slott": 3}]})", "unknown field \"slott\""},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(sim::loadJson(c.json, &error)) << c.json;
        EXPECT_FALSE(sim::loaded());
        EXPECT_EQ(error.rfind("JSON text: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.problem), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(sim::loadFile("/nonexistent/bench.json", &error));
    EXPECT_EQ(error, "/nonexistent/bench.json: cannot open the bench file");
}

TEST_F(Loading, BadBenchFileMakesEveryEntryFailAndSaysSoOnce)
{
    const std::string path = (stateDir_ / "bad.json").string();
    std::filesystem::create_directories(stateDir_);
    std::ofstream(path) << R"({"instruments": [{"address": "A", "mezzanines": [{"position": 5, "model": 64}]}]})";
    ::setenv("KSIL_BENCH", path.c_str(), 1);
    sim::reset();
    Module m;
    ViSession vi = 77;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(m.init(kCarrier, 1, 1, &vi), sim::kStatusNoBench);
    EXPECT_EQ(vi, 0u);
    EXPECT_EQ(m.baseInit(kCarrier, 1, 1, &vi), sim::kStatusNoBench);
    const std::string err = ::testing::internal::GetCapturedStderr();
    ::unsetenv("KSIL_BENCH");
    EXPECT_EQ(err, "simulated bench: " + path + ": instrument 1 (A) mezzanine: mezzanine at position 5 "
                   "(positions are 1 to 4)\n");
    char text[256];
    EXPECT_EQ(m.errorMessage(0, sim::kStatusNoBench, text), sim::kStatusNoBench);
    EXPECT_STREQ(text, "Имитатор стенда не загружен");

    // With the variable gone, a reset lets the stand-ins fall back to the built-in bench.
    sim::reset();
    EXPECT_EQ(m.baseInit(kCarrier, 1, 1, &vi), VI_SUCCESS);
    EXPECT_EQ(sim::bench().source, "built-in bench");
}

} // namespace
