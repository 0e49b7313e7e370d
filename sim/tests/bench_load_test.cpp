// Loading benches: the example and the built-in bench, and one clear line for
// every kind of bad bench.
#include "stand_ins.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace simtest;

namespace {

// Sets or (with nullptr) removes an environment variable of this process.
void setVariable(const char* name, const char* value)
{
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
#endif
}

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
         "wiredTo: field \"channel\" is out of range (1 to 5)"},
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
}

// Values the fields cannot hold, or that mean nothing on a bench, are refused
// with the entry and the field named, never cut to fit.
TEST_F(Loading, OutOfRangeAndSenselessValuesAreRefused)
{
    const auto vxi = [](const char* fields) {
        return std::string(R"({"instruments": [{"address": "VXI0::4::INSTR", )") + fields + "}]}";
    };
    const auto mez = [](const char* fields) {
        return std::string(R"({"instruments": [{"address": "A", "mezzanines": [{)") + fields + "}]}]}";
    };
    const auto meter = [](const char* fields) {
        return std::string(R"({"instruments": [{"address": "A", "meter": {"family": 579, )") + fields + "}}]}";
    };
    const std::pair<std::string, std::string> cases[] = {
        {mez(R"("position": 4294967297, "model": 64)"), "instrument 1 (A) mezzanine: mezzanine at position 4294967297"},
        {mez(R"("position": "0x100000001", "model": 64)"), "mezzanine at position 4294967297"},
        {mez(R"("position": 1, "model": 4294967360)"), "unknown mezzanine model 4294967360"},
        {vxi(R"("slot": 70000)"), "instrument 1 (VXI0::4::INSTR): field \"slot\" is out of range (0 to 255)"},
        {vxi(R"("slot": -1)"), "field \"slot\" is out of range"},
        {vxi(R"("LA": 256)"), "field \"LA\" is out of range"},
        // 69238 would be cut to 3702 and, with model 0x10D, make a carrier of it.
        {vxi(R"("manufacturer": 69238, "model": "0x1010D")"), "field \"manufacturer\" is out of range (0 to 65535)"},
        {vxi(R"("model": 18446744073709551615)"), "field \"model\" is out of range"},
        {vxi(R"("model": "0x1FFFFFFFFFFFFFFFF")"), "field \"model\" is out of range"},
        {vxi(R"("interface": 65536)"), "field \"interface\" is out of range"},
        {vxi(R"("slot": 2.5)"), "field \"slot\" must be an integer"},
        {mez(R"("position": 1, "model": 64, "seed": -1)"), "field \"seed\" is out of range"},
        {mez(R"("position": 1, "model": 64, "r0": -0.1)"), "field \"r0\" is out of range"},
        {mez(R"("position": 1, "model": 64, "deviation": 1e300)"), "field \"deviation\" is out of range"},
        {mez(R"("position": 1, "model": 64, "channels": [{"stages": [1,2,4,8,16,32,64,128,256,512,1024,2048,4096,
             8192,16384,32768,65536,-131072]}, {}])"), "mezzanine channel 1: stage 18 must be a number from 0"},
        {mez(R"("position": 1, "model": 64, "selfTest": {"result": 40000})"), "field \"result\" is out of range"},
        {meter(R"("noise": -1e-6)"), "instrument 1 (A) meter: field \"noise\" is out of range"},
        {meter(R"("conversionTime": -0.02)"), "field \"conversionTime\" is out of range"},
        {meter(R"("conversionTime": 1e300)"), "field \"conversionTime\" is out of range"},
        {meter(R"("fixedReading": "none")"), "field \"fixedReading\" must be a number, \"nan\", \"inf\" or \"-inf\""},
        {meter(R"("wiredTo": {"carrier": "A", "position": 4294967297, "channel": 1})"),
         "meter wiredTo: field \"position\" is out of range (1 to 4)"},
        // Addresses are compared without case only: one with a blank would be a second instrument.
        {R"({"instruments": [{"address": "A"}, {"address": "A "}]})", "instrument 2: address \"A \" holds a blank"},
        {R"({"instruments": [{"address": " "}]})", "instrument 1: address \" \" holds a blank"},
        {R"({"instruments": [{"address": "A\nB"}]})", "address \"A?B\" holds a blank or a control character"},
        {R"({"instruments": [{"address": "A"}, {"address": "B", "meter": {"family": 579,
             "wiredTo": {"carrier": "A ", "position": 1, "channel": 1}}}]})", "wiredTo carrier: address \"A \""},
        // A КСИЛ2-4Л has two channels.
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 1, "model": 64}],
             "meter": {"family": 579, "wiredTo": {"carrier": "A", "position": 1, "channel": 3}}}]})",
         "meter wired to channel 3 of position 1 at A, which does not exist"},
    };
    for (const auto& [json, problem] : cases) {
        std::string error;
        EXPECT_FALSE(sim::loadJson(json, &error)) << json;
        EXPECT_NE(error.find(problem), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    // Edge values that fit are taken as they are.
    std::string error;
    ASSERT_TRUE(sim::loadJson(vxi(R"("slot": 255, "manufacturer": "0xFFFF", "model": 65535)"), &error)) << error;
    EXPECT_EQ(sim::instrument("VXI0::4::INSTR")->slot, 255);
    EXPECT_EQ(sim::instrument("VXI0::4::INSTR")->manufacturer, 0xFFFF);
}

// What the file quotes comes back on one line and cut: a newline or a huge key
// does not flood the message.
// A meter that delivers no number, as some do: its fixed reading, NaN and the
// infinities included, is what every resistance reading returns.
TEST_F(Loading, AMeterMayDeliverAFixedReading)
{
    const auto fixed = [](const char* value) {
        const std::string json = std::string(R"({"instruments": [{"address": "A", "meter": {"family": 3458, "fixedReading": )")
                                 + value + "}}]}";
        std::string error;
        EXPECT_TRUE(sim::loadJson(json, &error)) << error;
        return sim::instrument("A")->meter->fixedReading;
    };
    EXPECT_TRUE(std::isnan(fixed(R"("nan")").value_or(0.0)));
    EXPECT_EQ(fixed(R"("inf")"), HUGE_VAL);
    EXPECT_EQ(fixed(R"("-inf")"), -HUGE_VAL);
    EXPECT_EQ(fixed("262800"), 262800.0);
    std::string error;
    ASSERT_TRUE(sim::loadJson(R"({"instruments": [{"address": "A", "meter": {"family": 3458}}]})", &error)) << error;
    EXPECT_FALSE(sim::instrument("A")->meter->fixedReading);
}

TEST_F(Loading, QuotedTextsStayOneShortLine)
{
    const std::string huge(100000, 'k');
    for (const std::string& json : std::vector<std::string>{
          R"({"instruments": [{"address": "A", ")" + huge + R"(": 1}]})",
          R"({"instruments": [{"address": ")" + huge + R"("}]})",
          R"({"instruments": [{"address": "A", "bad key\nsecond line": 1}]})",
          R"({"instruments": [{"address": ")" + huge}) {
        std::string error;
        EXPECT_FALSE(sim::loadJson(json, &error));
        EXPECT_LT(error.size(), 400u) << error.substr(0, 400);
        EXPECT_EQ(error.find('\n'), std::string::npos) << error.substr(0, 400);
    }
}

// Nesting no bench needs, as deep as a stack cannot follow, is refused where
// it starts, in a comment too and unfinished too; a key given twice, of which
// parsing would keep only the last, is refused naming the key and its object.
// Comments may repeat.
TEST_F(Loading, DeepNestingAndRepeatedKeysAreRefused)
{
    constexpr std::size_t kDeep = 100000;
    const std::string open(kDeep, '['), close(kDeep, ']');
    std::string objects;
    for (std::size_t i = 0; i < kDeep; ++i) objects += R"({"_":)";
    const std::pair<std::string, std::string> refused[] = {
        {R"({"instruments": [)" + open + close + "]}", "nested deeper than 64 levels at /instruments/0/0/0"},
        {R"({"instruments": [{"address": "A", "_note": )" + objects + "1" + std::string(kDeep, '}') + "}]}",
         "nested deeper than 64 levels at /instruments/0/_note/_/_"},
        {R"({"instruments": [)" + open, "nested deeper than 64 levels"},
        {R"({"instruments": [{"address": "A", "slot": 1, "slot": 2}]})", "key \"slot\" is given twice in /instruments/0"},
        {R"({"instruments": [], "faults": [], "instruments": []})", "key \"instruments\" is given twice in the top-level object"},
        {R"({"instruments": [{"address": "A", "mezzanines": [{"position": 1, "model": 64},
            {"position": 2, "model": 64, "channels": [{}, {"r0": 1, "r0": 2}]}]}]})",
         "key \"r0\" is given twice in /instruments/0/mezzanines/1/channels/1"},
    };
    for (const auto& [json, problem] : refused) {
        std::string error;
        EXPECT_FALSE(sim::loadJson(json, &error)) << problem;
        EXPECT_FALSE(sim::loaded());
        EXPECT_NE(error.find(problem), std::string::npos) << error.substr(0, 400);
        EXPECT_LT(error.size(), 400u) << error.substr(0, 400);
        EXPECT_EQ(error.find('\n'), std::string::npos) << error.substr(0, 400);
    }
    std::string error;
    EXPECT_TRUE(sim::loadJson(R"({"_": 1, "instruments": [{"_": [[[]]], "address": "A", "_": {"_": 2}}], "_": 3})",
                              &error))
        << error;
}

// A fault plan whose entries cannot be meant is refused; a huge count works
// to the end without overflowing.
TEST_F(Loading, FaultPlanIsCheckedAndCountsWithoutOverflow)
{
    const auto plan = [](const char* fault) {
        return std::string(R"({"instruments": [{"address": "VXI0::2::INSTR", "manufacturer": 3702, "model": "0x10D",
            "mezzanines": [{"position": 1, "model": 64}]}], "faults": [)") + fault + "]}";
    };
    const std::pair<const char*, const char*> refused[] = {
        {R"({"entry": "tvksil2_switch", "times": 0})", "fault 1 (tvksil2_switch): field \"times\" must be at least 1"},
        {R"({"entry": "tvksil2_switch", "times": -2})", "field \"times\" is out of range (-1 to 2147483647)"},
        {R"({"entry": "tvksil2_switch", "from": 0})", "field \"from\" is out of range (1 to 2147483647)"},
        {R"({"entry": "tvksil2_switch", "from": 2147483648})", "field \"from\" is out of range"},
        {R"({"entry": "tvksil2_swich"})", "fault 1 (tvksil2_swich): no stand-in has an entry point of that name"},
        {R"({"entry": "tvksil2_switch", "status": 4294967296})", "field \"status\" is out of range"},
    };
    for (const auto& [fault, problem] : refused) {
        std::string error;
        EXPECT_FALSE(sim::loadJson(plan(fault), &error)) << fault;
        EXPECT_NE(error.find(problem), std::string::npos) << error;
    }

    std::string error;
    ASSERT_TRUE(sim::loadJson(plan(R"({"entry": "tvksil2_switch", "status": "0xBFFF0015", "times": 2147483647,
        "from": 3}, {"entry": "viFindNext"}, {"entry": "hpe1412_timedFetch_Q", "times": -1})"), &error))
        << error;
    Module m;
    ViSession base = 0;
    const ViSession vi = m.open(kCarrier, 1, &base);
    std::vector<ViStatus> got;
    for (int i = 0; i < 5; ++i) got.push_back(m.switchChannel(vi, 1, 1));
    const auto tmo = static_cast<ViStatus>(0xBFFF0015u);
    EXPECT_EQ(got, (std::vector<ViStatus>{0, 0, tmo, tmo, tmo}));
}

// Only a regular file is read: a FIFO would block the program for good, a
// folder is no "invalid JSON".
TEST_F(Loading, BenchFileThatIsNoFileIsNamedWithWhatItIs)
{
    std::filesystem::create_directories(stateDir_);
    const std::string empty = (stateDir_ / "empty.json").string();
    std::ofstream{empty};
    std::vector<std::pair<std::string, std::string>> cases = {
        {(stateDir_ / "nonexistent" / "bench.json").string(), "no such file"},
        {stateDir_.string(), "it is a folder, not a file"},
        {empty, "it is empty"},
    };
#if defined(_WIN32)
    // A device, as a console or a pipe would be, which a read could wait on.
    cases.emplace_back("NUL", "it is not a regular file");
#else
    const std::string fifo = (stateDir_ / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.emplace_back(fifo, "it is not a regular file");
#endif
    for (const auto& [path, why] : cases) {
        std::string error;
        EXPECT_FALSE(sim::loadFile(path, &error));
        EXPECT_EQ(error, path + ": cannot use it as the bench file: " + why);
    }
}

// A bench named by KSIL_BENCH that cannot be loaded ends the process after one
// line naming the file, the problem and the variable.
TEST_F(Loading, BadBenchFileNamedByTheEnvironmentEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = (stateDir_ / "bad.json").string();
    std::filesystem::create_directories(stateDir_);
    std::ofstream(path) << R"({"instruments": [{"address": "A", "mezzanines": [{"position": 5, "model": 64}]}]})";
    setVariable("KSIL_BENCH", path.c_str());
    sim::reset();
    Module m;
    ViSession vi = 77;
    EXPECT_EXIT(m.init(kCarrier, 1, 1, &vi), ::testing::ExitedWithCode(sim::kExitBenchUnusable),
                "^simulated bench: .*bad.json: instrument 1 \\(A\\) mezzanine: mezzanine at position 5 "
                "\\(positions are 1 to 4\\) \\(KSIL_BENCH\\)\n$");
    setVariable("KSIL_BENCH", nullptr);

    // With the variable gone, a reset lets the stand-ins fall back to the built-in bench.
    sim::reset();
    sim::setStateDir(stateDir_.string());
    EXPECT_EQ(m.baseInit(kCarrier, 1, 1, &vi), VI_SUCCESS);
    EXPECT_EQ(sim::bench().source, "built-in bench");
}

} // namespace
