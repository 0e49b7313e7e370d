#include "history/tests/samples.h"

#include "history/text.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

namespace history::test {

namespace {

constexpr double kPoints[] = {1,    2,    4,    8,     16,    32,    64,     128,    256,   512,
                              1024, 2048, 4096, 8192, 16384, 32768, 65536, 131072, 262143};

RunInfo baseInfo(RunKind kind, const ModuleId& module, UtcMs started)
{
    RunInfo info;
    info.kind = kind;
    info.started = started;
    info.ended = started + 4190;
    info.module = module;
    info.meter = {"HP1412", "VXI0::5::INSTR", "HEWLETT-PACKARD,E1412A,0,A.02.01"};
    info.station = {"stand-3", "metrolog", "1.1.0", "1A2B3C4D"};
    info.readingsFrom = ReadingsFrom::Meter;
    return info;
}

double normOf(double r) { return 0.002 * r + 2.0; }

} // namespace

ModuleId vxiModule(int position) { return {"VXI0::2::INSTR", "", position, 64, "КСИЛ2-4Л"}; }

ModuleId chassisModule(const std::string& serial, int position)
{
    return {"TCPIP0::192.168.0.7::inst0::INSTR", serial, position, 64, "КСИЛ2-4Л"};
}

TableValues nominalTable(double offset)
{
    TableValues t{};
    for (int c = 0; c < kChannelCount; ++c) {
        for (int r = 0; r < kStageCount; ++r)
            t[c][r] = std::ldexp(1.0, r) + offset + 0.001 * c;
        t[c][kR0Row - 1] = 0.1 + offset / 100;
    }
    return t;
}

Run verificationRun(const ModuleId& module, UtcMs started)
{
    Run run;
    static_cast<RunInfo&>(run) = baseInfo(RunKind::AutoVerification, module, started);
    run.verdict = Verdict::Nonconform;
    UtcMs t = started;
    for (int channel = 1; channel <= 2; ++channel)
        for (double set : kPoints) {
            const double measured = set * (1 + 1e-5) + 0.01 * channel;
            VerifyPoint p{t += 100, channel, set, measured, normOf(set), measured - set, PointVerdict::Within};
            if (channel == 2 && set == 4)
                p.measured = set + 3.5, p.deviation = 3.5, p.verdict = PointVerdict::Outside;
            run.points.push_back(p);
        }
    return run;
}

Run calibrationRun(const ModuleId& module, UtcMs started, double offset)
{
    Run run;
    static_cast<RunInfo&>(run) = baseInfo(RunKind::AutoCalibration, module, started);
    CalTable table = wholeTable(TableRole::Result, nominalTable(offset), CellState::Within);
    for (CalCell& c : table.cells) {
        const double r0 = 0.1 + offset / 100;
        c.r0Used = r0;
        c.reading = c.row == kR0Row ? c.value * 18.0 : c.value + 17.0 * r0;
        if (c.channel == 2 && c.row == 5) {
            c.state = CellState::NotMeasured;
            c.reading.reset();
            c.r0Used.reset();
        }
        if (c.channel == 1 && c.row == 18)
            c.state = CellState::Outside;
    }
    run.tables.push_back(std::move(table));
    return run;
}

Run writeRun(const ModuleId& module, UtcMs started, const TableValues& asFound, const TableValues& asLeft)
{
    Run run;
    static_cast<RunInfo&>(run) = baseInfo(RunKind::Write, module, started);
    run.meter = {};
    run.readingsFrom = ReadingsFrom::None;
    run.readBack = ReadBack::Match;
    run.note = "после автоматической калибровки";
    run.tables.push_back(wholeTable(TableRole::AsFound, asFound));
    run.tables.push_back(wholeTable(TableRole::AsLeft, asLeft));
    run.tables.push_back(wholeTable(TableRole::ReadBack, asLeft));
    return run;
}

Run ksil5Run(const ModuleId& module, UtcMs started)
{
    Run run;
    static_cast<RunInfo&>(run) = baseInfo(RunKind::Ksil5Verification, module, started);
    run.module.model = 79;
    run.module.modelName = "КСИЛ5";
    run.meter = {};
    run.readingsFrom = ReadingsFrom::Operator;
    run.end = RunEnd::Stopped;
    run.verdict = Verdict::None;
    run.ksil5 = Ksil5Settings{3, 1, "4R", 3, "другая", 30, 1.5 + 0.04};
    for (int p = 0; p < 3; ++p) {
        const double rn = std::ldexp(1.0, p);
        run.points.push_back({started + 1000 * (p + 1), 3, rn, rn + 0.3, 1.54, 0.3, PointVerdict::Within});
    }
    return run;
}

Run numberedRun(long n)
{
    Run run;
    static_cast<RunInfo&>(run) = baseInfo(RunKind::AutoVerification, vxiModule(1), 1'800'000'000'000 + n * 60'000);
    char id[40];
    std::snprintf(id, sizeof id, "00000000-0000-4000-8000-%012ld", n);
    run.id = id;
    run.note = "run " + std::to_string(n);
    for (int i = 0; i < 38; ++i) {
        const double set = kPoints[i % 19];
        run.points.push_back({run.started + i, 1 + i / 19, set, n * 1000.0 + i + 0.25, normOf(set),
                              n * 1000.0 + i + 0.25 - set, PointVerdict::Within});
    }
    TableValues values{};
    for (int c = 0; c < kChannelCount; ++c)
        for (int r = 0; r < kRowCount; ++r)
            values[c][r] = n + (c * kRowCount + r) / 64.0;
    run.tables.push_back(wholeTable(TableRole::AsFound, values));
    run.tables.push_back(wholeTable(TableRole::AsLeft, values));
    return run;
}

std::optional<long> numberOf(const Run& run)
{
    if (!run.note.starts_with("run "))
        return std::nullopt;
    const auto n = parseInteger(std::string_view(run.note).substr(4));
    if (!n)
        return std::nullopt;
    const Run expected = numberedRun(static_cast<long>(*n));
    if (run.id != expected.id || run.points.size() != expected.points.size() ||
        run.tables.size() != expected.tables.size())
        return std::nullopt;
    for (std::size_t i = 0; i < run.points.size(); ++i)
        if (run.points[i].measured != expected.points[i].measured || run.points[i].set != expected.points[i].set)
            return std::nullopt;
    for (const CalTable& t : run.tables) {
        const CalTable* e = expected.table(t.role);
        if (!e || tableValues(t) != tableValues(*e))
            return std::nullopt;
    }
    return static_cast<long>(*n);
}

TableValues awkwardTable()
{
    TableValues t = nominalTable();
    t[0][0] = 1.0000000000000002;
    t[0][1] = std::numeric_limits<double>::denorm_min();
    t[0][2] = 9.9e37;
    t[0][3] = -0.0;
    t[0][4] = std::bit_cast<double>(std::uint64_t{0x7FF8000000000123});
    t[0][5] = std::numeric_limits<double>::infinity();
    t[0][6] = -std::numeric_limits<double>::infinity();
    t[1][kR0Row - 1] = 0.1 + 0.2; // 0.30000000000000004
    t[1][0] = 2.2250738585072009e-308; // the largest denormal
    return t;
}

} // namespace history::test
