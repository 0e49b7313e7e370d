// Fault matrix: every operator flow of the panel is run once on the built-in
// bench to record the driver calls it makes, then once per recorded call with
// that call failing, with a negative and with a positive (warning) status.
// Each run must end, keep the sessions the program's state names and no
// others, show the driver's message for a negative status, and claim no result
// (protocol line, table row or cell, flash record) the failing call did not
// produce.
//
// Every recorded call is failed in turn (about 3000 runs, some seconds).
// KSIL_FAULT_MATRIX=sample fails the first call of each entry point and every
// seventh: the sanitizer preset takes that, as the whole matrix runs there for
// minutes.
#include "fault_flows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using faults::Flow;

bool fullMatrix()
{
    const char* v = std::getenv("KSIL_FAULT_MATRIX");
    return !(v && std::string(v) == "sample");
}

class FaultMatrix : public ::testing::TestWithParam<Flow> {};

TEST_P(FaultMatrix, EveryCallFailing)
{
    const Flow& flow = GetParam();
    const faults::Outcome baseline = faults::run(flow, std::nullopt);
    ASSERT_TRUE(baseline.findings.empty()) << "the fault-free run already fails:\n"
                                           << faults::join(baseline.findings);
    ASSERT_FALSE(baseline.calls.empty()) << flow.name << " makes no driver call";

    const std::vector<faults::Call> chosen = faults::sample(baseline.calls, fullMatrix());
    std::vector<std::string> findings;
    int runs = 0;
    for (const faults::Call& call : chosen)
        for (const ViStatus status : {faults::kNegative, faults::kPositive}) {
            const faults::Fault fault{call, status};
            const faults::Outcome outcome = faults::run(flow, fault);
            ++runs;
            for (const std::string& f : faults::judge(flow, fault, baseline, outcome))
                findings.push_back(faults::describe(fault) + ": " + f);
        }
    std::printf("fault matrix %s: %zu calls recorded, %zu failed in turn x 2 statuses = %d runs%s\n", flow.name,
                baseline.calls.size(), chosen.size(), runs, fullMatrix() ? "" : " (sample)");
    EXPECT_TRUE(findings.empty()) << findings.size() << " findings:\n" << faults::join(findings, 60);
}

INSTANTIATE_TEST_SUITE_P(Flows, FaultMatrix, ::testing::ValuesIn(faults::flows()),
                         [](const ::testing::TestParamInfo<Flow>& info) { return std::string(info.param.id); });

// The judge itself: a run that claims what the failing call did not produce,
// or keeps a session nobody holds, is caught.
TEST(FaultJudge, CatchesClaimsLeaksAndSilence)
{
    const Flow flow = faults::flows().front();
    faults::Outcome baseline;
    baseline.protocol = {{"p.log", {"a", "b", "verdict"}}};
    baseline.flash = {{"f", "new"}};
    faults::Outcome outcome = baseline;
    outcome.protocol = {{"p.log", {"x", "verdict"}}};
    outcome.flashBefore = {{"f", "old"}};
    outcome.flash = {{"f", "other"}};
    outcome.leaked = {"module VXI0::2::INSTR position 1 (7)"};
    const faults::Fault fault{{"tvksil2_config_R", 3, "tvksil2_config_R(7, 1, 4)"}, faults::kNegative};
    const std::vector<std::string> f = faults::judge(flow, fault, baseline, outcome);
    const std::string all = faults::join(f);
    EXPECT_NE(all.find("\"x\""), std::string::npos) << all;
    EXPECT_NE(all.find("verdict"), std::string::npos) << all;
    EXPECT_NE(all.find("flash"), std::string::npos) << all;
    EXPECT_NE(all.find("module VXI0::2::INSTR"), std::string::npos) << all;
    EXPECT_NE(all.find("driver's message"), std::string::npos) << all;

    outcome = baseline;
    outcome.shown = {"xx " + sim::statusText(faults::kNegative) + " tvksil2_config_R"};
    outcome.protocol = {{"p.log", {"a"}}};
    outcome.flashBefore = {{"f", "old"}};
    outcome.flash = {{"f", "old"}};
    EXPECT_TRUE(faults::judge(flow, fault, baseline, outcome).empty())
        << faults::join(faults::judge(flow, fault, baseline, outcome));
}

} // namespace
