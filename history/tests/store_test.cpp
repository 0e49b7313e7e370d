// Runs stored and read back on both backends: every kind whole and bit for
// bit, one copy only, and the lists, backups and drift the program asks for.
#include "history/tests/backend.h"
#include "history/tests/samples.h"

#include "history/history.h"
#include "history/text.h"

#include <gtest/gtest.h>

namespace history::test {
namespace {

class Store : public BackendTest {};

::testing::AssertionResult sameBits(const char* what, double a, double b)
{
    if (bitsOf(a) == bitsOf(b))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << ": " << bitsText(a) << " (" << exactText(a) << ") came back as "
                                         << bitsText(b) << " (" << exactText(b) << ")";
}

void expectSameBits(const std::optional<double>& a, const std::optional<double>& b)
{
    ASSERT_EQ(a.has_value(), b.has_value());
    if (a) {
        EXPECT_TRUE(sameBits("optional", *a, *b));
    }
}

void expectSameRun(const history::Run& a, const history::Run& b)
{
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.end, b.end);
    EXPECT_EQ(a.endDetail, b.endDetail);
    EXPECT_EQ(a.started, b.started);
    EXPECT_EQ(a.ended, b.ended);
    EXPECT_EQ(a.module.carrierResource, b.module.carrierResource);
    EXPECT_EQ(a.module.carrierSerial, b.module.carrierSerial);
    EXPECT_EQ(a.module.position, b.module.position);
    EXPECT_EQ(a.module.model, b.module.model);
    EXPECT_EQ(a.module.modelName, b.module.modelName);
    EXPECT_EQ(a.meter.family, b.meter.family);
    EXPECT_EQ(a.meter.resource, b.meter.resource);
    EXPECT_EQ(a.meter.identification, b.meter.identification);
    EXPECT_EQ(a.station.host, b.station.host);
    EXPECT_EQ(a.station.user, b.station.user);
    EXPECT_EQ(a.station.programVersion, b.station.programVersion);
    EXPECT_EQ(a.station.libraryCrc, b.station.libraryCrc);
    EXPECT_EQ(a.readingsFrom, b.readingsFrom);
    EXPECT_EQ(a.verdict, b.verdict);
    EXPECT_EQ(a.readBack, b.readBack);
    EXPECT_EQ(a.note, b.note);
    ASSERT_EQ(a.tables.size(), b.tables.size());
    for (const CalTable& ta : a.tables) {
        const CalTable* tb = b.table(ta.role);
        ASSERT_TRUE(tb) << code(ta.role);
        ASSERT_EQ(ta.cells.size(), tb->cells.size());
        for (std::size_t i = 0; i < ta.cells.size(); ++i) {
            const CalCell &x = ta.cells[i], &y = tb->cells[i];
            EXPECT_EQ(x.channel, y.channel);
            EXPECT_EQ(x.row, y.row);
            EXPECT_EQ(x.state, y.state);
            EXPECT_TRUE(sameBits("cell", x.value, y.value)) << code(ta.role) << " " << x.channel << "/" << x.row;
            expectSameBits(x.reading, y.reading);
            expectSameBits(x.r0Used, y.r0Used);
        }
    }
    ASSERT_EQ(a.points.size(), b.points.size());
    for (std::size_t i = 0; i < a.points.size(); ++i) {
        const VerifyPoint &x = a.points[i], &y = b.points[i];
        EXPECT_EQ(x.time, y.time);
        EXPECT_EQ(x.channel, y.channel);
        EXPECT_TRUE(sameBits("set", x.set, y.set));
        EXPECT_TRUE(sameBits("measured", x.measured, y.measured));
        EXPECT_TRUE(sameBits("norm", x.norm, y.norm));
        EXPECT_TRUE(sameBits("deviation", x.deviation, y.deviation));
        EXPECT_EQ(x.verdict, y.verdict);
    }
    ASSERT_EQ(a.ksil5.has_value(), b.ksil5.has_value());
    if (a.ksil5) {
        EXPECT_EQ(a.ksil5->channel, b.ksil5->channel);
        EXPECT_EQ(a.ksil5->mode, b.ksil5->mode);
        EXPECT_EQ(a.ksil5->modeText, b.ksil5->modeText);
        EXPECT_EQ(a.ksil5->temperature, b.ksil5->temperature);
        EXPECT_EQ(a.ksil5->temperatureText, b.ksil5->temperatureText);
        EXPECT_EQ(a.ksil5->temperatureC, b.ksil5->temperatureC);
        EXPECT_TRUE(sameBits("tolerance", a.ksil5->tolerance, b.ksil5->tolerance));
    }
}

constexpr UtcMs kDay = 24LL * 3600 * 1000;
const UtcMs kStart = *parseUtc("2026-03-01T09:00:00");

TEST_P(Store, EveryKindComesBackWholeAndBitForBit)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());

    history::Run point = calibrationRun(vxiModule(), kStart + 5, 0.0);
    point.kind = RunKind::PointCalibration;
    point.readingsFrom = ReadingsFrom::Operator;
    point.tables.front().cells = {{1, 7, 64.02, CellState::Within, 65.72, 0.1}};
    history::Run failed = verificationRun(vxiModule(), kStart + 6);
    failed.end = RunEnd::MeterFailure;
    failed.endDetail = "Сбой мультиметра!";
    failed.verdict = Verdict::None;
    failed.points.resize(19);
    history::Run read;
    static_cast<RunInfo&>(read) = static_cast<const RunInfo&>(writeRun(vxiModule(), kStart + 7, {}, {}));
    read.kind = RunKind::Read;
    read.tables.push_back(wholeTable(TableRole::Read, awkwardTable()));

    std::vector<history::Run> runs{calibrationRun(vxiModule(), kStart, 0.5),
                          writeRun(vxiModule(), kStart + 1, awkwardTable(), nominalTable(0.25)),
                          verificationRun(chassisModule("SN-0042"), kStart + 2),
                          ksil5Run(vxiModule(3), kStart + 3),
                          point,
                          failed,
                          read};
    runs[2].meter.identification = "Ключ \"A\"; 'quoted', \\slash";
    for (history::Run& run : runs) {
        const auto stored = h.store(run);
        ASSERT_TRUE(stored.status.ok()) << stored.status.message;
        EXPECT_EQ(stored.id.size(), 36u);
        EXPECT_EQ(stored.onServer, onServer());
        EXPECT_EQ(stored.warning, "");
        run.id = stored.id;
    }

    // A second program, as the tool would be, reads what the first stored.
    History reader;
    ASSERT_TRUE(reader.open(config()).ok());
    for (const history::Run& run : runs) {
        SCOPED_TRACE(std::string(code(run.kind)));
        const auto loaded = reader.loadRun(run.id);
        ASSERT_TRUE(loaded.ok()) << loaded.status.message;
        expectSameRun(run, loaded.value);
    }
    // The beginning of an id is enough when it is one run's only.
    const auto byPrefix = reader.loadRun(runs[3].id.substr(0, 13));
    ASSERT_TRUE(byPrefix.ok()) << byPrefix.status.message;
    EXPECT_EQ(byPrefix.value.id, runs[3].id);
    EXPECT_EQ(reader.loadRun("0123456789abcdef").status.code, Code::NotFound);
    EXPECT_EQ(reader.loadRun("x' OR '1'='1").status.code, Code::NotFound);
}

TEST_P(Store, SameRunStoredTwiceIsKeptOnce)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());
    history::Run run = verificationRun(vxiModule(), kStart);
    run.id = newRunId();
    ASSERT_TRUE(h.store(run).status.ok());
    history::Run changed = run;
    changed.note = "second copy";
    const auto again = h.store(changed);
    ASSERT_TRUE(again.status.ok()) << again.status.message;

    Database db;
    ASSERT_TRUE(openPrimary(db).ok());
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM runs"), 1);
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM points"), 38);
    EXPECT_EQ(h.loadRun(run.id).value.note, "");
}

TEST_P(Store, ListsRunsOfAModuleNewestFirstByKindAndDate)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());
    const ModuleId chassisHere = chassisModule("SN-7", 2);
    ModuleId chassisMoved = chassisHere; // the same chassis at another address
    chassisMoved.carrierResource = "TCPIP0::10.0.0.9::inst0::INSTR";
    std::vector<std::string> ids;
    const auto add = [&](history::Run run) {
        const auto r = h.store(run);
        ASSERT_TRUE(r.status.ok()) << r.status.message;
        ids.push_back(r.id);
    };
    add(calibrationRun(vxiModule(1), kStart, 0));                 // 0
    add(verificationRun(vxiModule(1), kStart + kDay));            // 1
    add(verificationRun(vxiModule(2), kStart + kDay + 1));        // 2: another position
    add(verificationRun(chassisHere, kStart + 2 * kDay));         // 3
    add(calibrationRun(chassisMoved, kStart + 3 * kDay, 0));      // 4
    add(writeRun(vxiModule(1), kStart + 3 * kDay + 5, {}, {}));   // 5

    const auto idsOf = [&](const RunFilter& f) {
        std::vector<std::string> out;
        const auto list = h.listRuns(f);
        EXPECT_TRUE(list.ok()) << list.status.message;
        for (const auto& e : list.value)
            out.push_back(e.info.id);
        return out;
    };
    const auto of = [](const char* carrier, int position) {
        RunFilter f;
        f.module = ModuleRef{carrier, position};
        return f;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(idsOf({}), (V{ids[5], ids[4], ids[3], ids[2], ids[1], ids[0]}));
    EXPECT_EQ(idsOf(of("VXI0::2::INSTR", 1)), (V{ids[5], ids[1], ids[0]}));
    EXPECT_EQ(idsOf(of("SN-7", 2)), (V{ids[4], ids[3]}));
    EXPECT_EQ(idsOf(of("TCPIP0::10.0.0.9::inst0::INSTR", 0)), (V{ids[4]}));
    RunFilter kinds = of("VXI0::2::INSTR", 0);
    kinds.kinds = {RunKind::AutoVerification, RunKind::Write};
    EXPECT_EQ(idsOf(kinds), (V{ids[5], ids[2], ids[1]}));
    RunFilter days;
    days.from = kStart + kDay;
    days.until = kStart + 2 * kDay + 1;
    EXPECT_EQ(idsOf(days), (V{ids[3], ids[2], ids[1]}));
    RunFilter limited;
    limited.limit = 2;
    EXPECT_EQ(idsOf(limited), (V{ids[5], ids[4]}));

    const auto list = h.listRuns(of("VXI0::2::INSTR", 1));
    ASSERT_EQ(list.value.size(), 3u);
    EXPECT_EQ(list.value[1].points, 38);
    EXPECT_EQ(list.value[0].cells, 3 * 38);
    EXPECT_EQ(list.value[2].info.meter.family, "HP1412");
}

TEST_P(Store, BackupsOfAModuleAndTheirAsFoundTablesExactly)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());
    const auto older = h.store(writeRun(vxiModule(1), kStart, awkwardTable(), nominalTable(1)));
    const auto newer = h.store(writeRun(vxiModule(1), kStart + kDay, nominalTable(1), nominalTable(2)));
    history::Run noBackup = writeRun(vxiModule(1), kStart + 2 * kDay, {}, nominalTable(3));
    noBackup.tables.erase(noBackup.tables.begin()); // the flash could not be read first
    noBackup.note = "без резервной копии";
    const auto without = h.store(noBackup);
    ASSERT_TRUE(without.status.ok());
    ASSERT_TRUE(h.store(writeRun(vxiModule(2), kStart, nominalTable(), nominalTable())).status.ok());
    ASSERT_TRUE(h.store(calibrationRun(vxiModule(1), kStart, 0)).status.ok());

    const auto backups = h.listBackups(refOf(vxiModule(1)));
    ASSERT_TRUE(backups.ok()) << backups.status.message;
    ASSERT_EQ(backups.value.size(), 2u);
    EXPECT_EQ(backups.value[0].id, newer.id);
    EXPECT_EQ(backups.value[1].id, older.id);
    EXPECT_EQ(backups.value[1].note, "после автоматической калибровки");

    const auto table = h.loadBackup(older.id);
    ASSERT_TRUE(table.ok()) << table.status.message;
    const TableValues expected = awkwardTable();
    for (int c = 0; c < kChannelCount; ++c)
        for (int r = 0; r < kRowCount; ++r)
            EXPECT_TRUE(sameBits("as-found", expected[c][r], table.value[c][r])) << c + 1 << "/" << r + 1;
    EXPECT_EQ(h.loadBackup(newer.id).value, nominalTable(1));
    EXPECT_EQ(h.loadBackup(without.id).status.code, Code::NotFound);
}

TEST_P(Store, DriftFollowsEachMeasuredCellAcrossCalibrations)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());
    // Stored out of time order: the drift is by the time of the runs.
    ASSERT_TRUE(h.store(calibrationRun(vxiModule(1), kStart + 2 * kDay, 0.75)).status.ok());
    const auto first = h.store(calibrationRun(vxiModule(1), kStart, 0.25));
    ASSERT_TRUE(h.store(calibrationRun(vxiModule(1), kStart + kDay, 0.5)).status.ok());
    ASSERT_TRUE(h.store(calibrationRun(vxiModule(2), kStart, 9)).status.ok());
    history::Run point = calibrationRun(vxiModule(1), kStart + 3 * kDay, 0);
    point.kind = RunKind::PointCalibration;
    point.tables.front().cells = {{1, 3, 4.5, CellState::Within, 6.2, 0.1}};
    ASSERT_TRUE(h.store(point).status.ok());
    // Tables read or written are no calibrations.
    ASSERT_TRUE(h.store(writeRun(vxiModule(1), kStart + kDay + 1, nominalTable(5), nominalTable(5))).status.ok());

    const auto stage3 = h.drift({refOf(vxiModule(1)), 1, 3});
    ASSERT_TRUE(stage3.ok()) << stage3.status.message;
    ASSERT_EQ(stage3.value.size(), 4u);
    const double values[] = {4.25, 4.5, 4.75, 4.5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stage3.value[i].value, values[i]);
        EXPECT_EQ(stage3.value[i].sinceFirst, values[i] - 4.25);
        EXPECT_EQ(stage3.value[i].sincePrevious, i ? values[i] - values[i - 1] : 0.0);
    }
    EXPECT_EQ(stage3.value[0].runId, first.id);
    EXPECT_EQ(stage3.value[3].kind, RunKind::PointCalibration);

    // Channel 2, row 5 was not measured: it has no drift; the other cells have three.
    EXPECT_TRUE(h.drift({refOf(vxiModule(1)), 2, 5}).value.empty());
    const auto all = h.drift({refOf(vxiModule(1)), 0, 0});
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all.value.size(), 3u * (kChannelCount * kRowCount - 1) + 1);
    EXPECT_EQ(all.value.back().row, kR0Row);
    EXPECT_EQ(all.value.back().channel, 2);
}

HISTORY_BACKENDS(Store);

} // namespace
} // namespace history::test
