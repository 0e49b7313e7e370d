// The run in progress, filled by the run code and handed to the history at its end.
#include "p_ksil2/run_record.h"

#include "gauge/gauge.h"
#include "history/text.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/history_link.h"
#include "p_ksil2/library_check.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/status_line.h"
#include "toolkit/toolkit.h"

#include <utility>
#include <vector>

namespace runrecord {

namespace {

struct OpenModule {
    std::string carrierResource;
    int position = 0;
};
OpenModule opened;

// Runs in progress, the newest last: a run started while another waits for
// the operator (a КСИЛ5 step) is its own run, and the waiting one goes on.
std::vector<history::Run> running;

history::UtcMs now()
{
    return history::nowUtc();
}

} // namespace

history::ModuleId openModule()
{
    history::ModuleId id;
    id.carrierResource = opened.carrierResource;
    id.position = opened.position;
    id.model = moduleModel;
    if (moduleModel == KSIL2_MODEL)
        id.modelName = "КСИЛ2-4Л";
    else if (moduleModel == KSIL5_MODEL)
        id.modelName = "КСИЛ5";
    return id;
}

namespace {

bool isVerification(history::RunKind kind)
{
    return kind == history::RunKind::AutoVerification || kind == history::RunKind::ManualVerification
        || kind == history::RunKind::Ksil5Verification;
}

history::Verdict verdictOf(const history::Run& run)
{
    if (!isVerification(run.kind) || run.end != history::RunEnd::Complete || run.points.empty())
        return history::Verdict::None;
    for (const history::VerifyPoint& p : run.points)
        if (p.verdict == history::PointVerdict::Outside)
            return history::Verdict::Nonconform;
    return history::Verdict::Conform;
}

// The run's own failure is on the status line already and stays there.
bool endedInFailure(history::RunEnd end)
{
    return end != history::RunEnd::Complete && end != history::RunEnd::Stopped;
}

} // namespace

void moduleOpened(std::string carrierResource, int position)
{
    opened = {std::move(carrierResource), position};
}

void forgetRuns()
{
    opened = {};
    running.clear();
}

void begin(history::RunKind kind, history::ReadingsFrom readingsFrom)
{
    history::Run run;
    run.kind = kind;
    run.started = now();
    run.module = openModule();
    run.readingsFrom = readingsFrom;
    if (readingsFrom == history::ReadingsFrom::Meter) {
        const gauge::MeterInUse meter = gauge::meterInUse();
        run.meter.family = meter.family;
        run.meter.resource = meter.resource;
    }
    run.station.programVersion = kProgramVersion;
    run.station.libraryCrc = mathLibraryCrc();
    running.push_back(std::move(run));
}

bool active()
{
    return !running.empty();
}

history::Run* current()
{
    return running.empty() ? nullptr : &running.back();
}

void discard()
{
    if (!running.empty())
        running.pop_back();
}

void cell(int row, int channel, double value, history::CellState state, std::optional<double> reading,
          std::optional<double> r0Used)
{
    history::Run* run = current();
    if (!run)
        return;
    if (run->tables.empty())
        run->tables.push_back({history::TableRole::Result, {}});
    run->tables.front().cells.push_back({channel, row, value, state, reading, r0Used});
}

void point(int channel, double set, double measured, double norm, bool outOfNorm)
{
    history::Run* run = current();
    if (!run)
        return;
    history::VerifyPoint p;
    p.time = now();
    p.channel = channel;
    p.set = set;
    p.measured = measured;
    p.norm = norm;
    p.deviation = measured - set;
    p.verdict = outOfNorm ? history::PointVerdict::Outside : history::PointVerdict::Within;
    run->points.push_back(p);
}

void measurementsEnded()
{
    if (!running.empty())
        running.back().ended = now();
}

void finish(history::RunEnd end, std::string detail)
{
    if (running.empty())
        return;
    history::Run run = std::move(running.back());
    running.pop_back();
    run.end = end;
    // A failure is told on the status line: the run keeps those words.
    if (detail.empty() && endedInFailure(end))
        detail = statusLineText();
    run.endDetail = std::move(detail);
    if (run.ended == 0)
        run.ended = now();
    run.verdict = verdictOf(run);
    const historylink::Stored stored = historylink::store(std::move(run));
    if (!historylink::available())
        return; // said once, when the history was asked for; runs go unrecorded in this build
    const std::string& problem = stored.status.ok() ? stored.warning : stored.status.message;
    if (problem.empty())
        return;
    showHistoryProblem(problem);
}

Scope::Scope(history::RunKind kind, history::ReadingsFrom readingsFrom) : depth_(running.size())
{
    begin(kind, readingsFrom);
}

Scope::~Scope()
{
    if (running.size() > depth_)
        finish(history::RunEnd::Stopped);
}

void povRow(int channel, double set, double measured, double norm, bool outOfNorm, history::ReadingsFrom from)
{
    const history::Run* run = current();
    if (run && run->kind == history::RunKind::AutoVerification) {
        point(channel, set, measured, norm, outOfNorm);
        return;
    }
    // A row of manual control is a run of its own.
    begin(history::RunKind::ManualVerification, from);
    point(channel, set, measured, norm, outOfNorm);
    finish(history::RunEnd::Complete);
}

history::CellState measuredState(int colour)
{
    return colour == tk::kRed ? history::CellState::Outside : history::CellState::Within;
}

} // namespace runrecord
