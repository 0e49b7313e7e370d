#include "history/run_store.h"

#include "history/text.h"

#include <QVariant>

#include <algorithm>
#include <cmath>
#include <map>

namespace history {

namespace {

QVariant text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QVariant integer(long long v) { return QVariant::fromValue<qlonglong>(v); }
QVariant nullDouble() { return QVariant(QMetaType(QMetaType::Double)); }
QVariant nullInteger() { return QVariant(QMetaType(QMetaType::LongLong)); }
// The value column of a double: NULL for NaN, which SQLite cannot hold.
QVariant readable(double v) { return std::isnan(v) ? nullDouble() : QVariant(v); }

std::string str(const QVariant& v) { return v.toString().toStdString(); }
double exact(const QVariant& bits) { return fromBits(bits.toLongLong()); }
std::optional<double> exactOrNone(const QVariant& bits)
{
    if (bits.isNull())
        return std::nullopt;
    return exact(bits);
}

template <typename E>
E enumOf(const QVariant& v, E fallback)
{
    return fromCode<E>(str(v)).value_or(fallback);
}

constexpr const char* kInsertRun =
    "INSERT INTO runs (uuid, kind, outcome, outcome_detail, started_utc, started_ms, ended_utc, ended_ms, "
    "carrier_resource, carrier_serial, position, module_model, module_name, meter_family, meter_resource, "
    "meter_identification, readings_from, station, os_user, program_version, library_crc, verdict, read_back, "
    "note, stored_utc) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertCell =
    "INSERT INTO cal_cells (run_uuid, role, channel, stage, state, value, value_bits, reading, reading_bits, "
    "r0_used, r0_used_bits) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertPoint =
    "INSERT INTO points (run_uuid, seq, time_utc, time_ms, channel, set_value, set_bits, measured, measured_bits, "
    "norm, norm_bits, deviation, deviation_bits, verdict) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertKsil5 =
    "INSERT INTO ksil5_settings (run_uuid, channel, mode, mode_text, temperature, temperature_text, temperature_c, "
    "tolerance, tolerance_bits) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertOutbox =
    "INSERT INTO outbox (run_uuid, queued_utc, attempts, last_error) VALUES (?, ?, 0, '')";

// The columns of runs every reading of a run's description takes, in this order.
constexpr const char* kRunColumns =
    "r.uuid, r.kind, r.outcome, r.outcome_detail, r.started_ms, r.ended_ms, r.carrier_resource, r.carrier_serial, "
    "r.position, r.module_model, r.module_name, r.meter_family, r.meter_resource, r.meter_identification, "
    "r.readings_from, r.station, r.os_user, r.program_version, r.library_crc, r.verdict, r.read_back, r.note";
constexpr int kRunColumnCount = 22;

RunInfo infoFrom(const QSqlQuery& q)
{
    RunInfo info;
    int i = 0;
    info.id = str(q.value(i++));
    info.kind = enumOf(q.value(i++), RunKind::AutoCalibration);
    info.end = enumOf(q.value(i++), RunEnd::Complete);
    info.endDetail = str(q.value(i++));
    info.started = q.value(i++).toLongLong();
    info.ended = q.value(i++).toLongLong();
    info.module.carrierResource = str(q.value(i++));
    info.module.carrierSerial = str(q.value(i++));
    info.module.position = q.value(i++).toInt();
    info.module.model = q.value(i++).toInt();
    info.module.modelName = str(q.value(i++));
    info.meter.family = str(q.value(i++));
    info.meter.resource = str(q.value(i++));
    info.meter.identification = str(q.value(i++));
    info.readingsFrom = enumOf(q.value(i++), ReadingsFrom::None);
    info.station.host = str(q.value(i++));
    info.station.user = str(q.value(i++));
    info.station.programVersion = str(q.value(i++));
    info.station.libraryCrc = str(q.value(i++));
    info.verdict = enumOf(q.value(i++), Verdict::None);
    info.readBack = enumOf(q.value(i++), ReadBack::NotDone);
    info.note = str(q.value(i++));
    return info;
}

// A condition on the module of runs r, with its values appended to binds.
std::string moduleCondition(const ModuleRef& module, std::vector<QVariant>& binds)
{
    std::string sql;
    if (!module.carrier.empty()) {
        sql += " AND (r.carrier_serial = ? OR r.carrier_resource = ?)";
        binds.push_back(text(module.carrier));
        binds.push_back(text(module.carrier));
    }
    if (module.position > 0) {
        sql += " AND r.position = ?";
        binds.push_back(module.position);
    }
    return sql;
}

bool run(QSqlQuery& q, const std::string& sql, const std::vector<QVariant>& binds)
{
    if (!q.prepare(QString::fromStdString(sql)))
        return false;
    for (std::size_t i = 0; i < binds.size(); ++i)
        q.bindValue(static_cast<int>(i), binds[i]);
    return q.exec();
}

Status insertWhole(Database& db, const Run& r, bool queue)
{
    const QVariant id = text(r.id);
    QSqlQuery& head = db.prepared(kInsertRun);
    const QVariant values[] = {id,
                               text(code(r.kind)),
                               text(code(r.end)),
                               text(r.endDetail),
                               text(isoUtc(r.started)),
                               integer(r.started),
                               text(isoUtc(r.ended)),
                               integer(r.ended),
                               text(r.module.carrierResource),
                               text(r.module.carrierSerial),
                               r.module.position,
                               r.module.model,
                               text(r.module.modelName),
                               text(r.meter.family),
                               text(r.meter.resource),
                               text(r.meter.identification),
                               text(code(r.readingsFrom)),
                               text(r.station.host),
                               text(r.station.user),
                               text(r.station.programVersion),
                               text(r.station.libraryCrc),
                               text(code(r.verdict)),
                               text(code(r.readBack)),
                               text(r.note),
                               text(isoUtc(nowUtc()))};
    for (int i = 0; i < static_cast<int>(std::size(values)); ++i)
        head.bindValue(i, values[i]);
    if (!head.exec())
        return db.failure(head.lastError(), "запись запуска");

    QSqlQuery& cell = db.prepared(kInsertCell);
    for (const CalTable& table : r.tables) {
        for (const CalCell& c : table.cells) {
            cell.bindValue(0, id);
            cell.bindValue(1, text(code(table.role)));
            cell.bindValue(2, c.channel);
            cell.bindValue(3, c.row);
            cell.bindValue(4, text(code(c.state)));
            cell.bindValue(5, readable(c.value));
            cell.bindValue(6, integer(bitsOf(c.value)));
            cell.bindValue(7, c.reading ? readable(*c.reading) : nullDouble());
            cell.bindValue(8, c.reading ? integer(bitsOf(*c.reading)) : nullInteger());
            cell.bindValue(9, c.r0Used ? readable(*c.r0Used) : nullDouble());
            cell.bindValue(10, c.r0Used ? integer(bitsOf(*c.r0Used)) : nullInteger());
            if (!cell.exec())
                return db.failure(cell.lastError(), "запись ячейки таблицы");
        }
    }

    QSqlQuery& point = db.prepared(kInsertPoint);
    for (std::size_t seq = 0; seq < r.points.size(); ++seq) {
        const VerifyPoint& p = r.points[seq];
        point.bindValue(0, id);
        point.bindValue(1, static_cast<int>(seq + 1));
        point.bindValue(2, text(isoUtc(p.time)));
        point.bindValue(3, integer(p.time));
        point.bindValue(4, p.channel);
        int i = 5;
        for (double v : {p.set, p.measured, p.norm, p.deviation}) {
            point.bindValue(i++, readable(v));
            point.bindValue(i++, integer(bitsOf(v)));
        }
        point.bindValue(i, text(code(p.verdict)));
        if (!point.exec())
            return db.failure(point.lastError(), "запись точки поверки");
    }

    if (r.ksil5) {
        const Ksil5Settings& k = *r.ksil5;
        QSqlQuery& q = db.prepared(kInsertKsil5);
        q.bindValue(0, id);
        q.bindValue(1, k.channel);
        q.bindValue(2, k.mode);
        q.bindValue(3, text(k.modeText));
        q.bindValue(4, k.temperature);
        q.bindValue(5, text(k.temperatureText));
        q.bindValue(6, k.temperatureC ? QVariant(*k.temperatureC) : QVariant(QMetaType(QMetaType::Int)));
        q.bindValue(7, readable(k.tolerance));
        q.bindValue(8, integer(bitsOf(k.tolerance)));
        if (!q.exec())
            return db.failure(q.lastError(), "запись настроек КСИЛ5");
    }

    if (queue) {
        QSqlQuery& q = db.prepared(kInsertOutbox);
        q.bindValue(0, id);
        q.bindValue(1, text(isoUtc(nowUtc())));
        if (!q.exec())
            return db.failure(q.lastError(), "запись в очередь на сервер");
    }
    return {};
}

Result<bool> exists(Database& db, const std::string& id)
{
    QSqlQuery& q = db.prepared("SELECT 1 FROM runs WHERE uuid = ?");
    q.bindValue(0, text(id));
    if (!q.exec())
        return {db.failure(q.lastError(), "поиск запуска")};
    const bool found = q.next();
    q.finish();
    return {{}, found};
}

} // namespace

Status insertRun(Database& db, const Run& run, bool queue, bool* already)
{
    if (already)
        *already = false;
    if (Status s = db.begin(); !s.ok())
        return s;
    const auto there = exists(db, run.id);
    if (!there.ok()) {
        db.rollback();
        return there.status;
    }
    if (there.value) {
        db.rollback();
        if (already)
            *already = true;
        return {};
    }
    Status s = insertWhole(db, run, queue);
    if (s.ok())
        s = db.commit();
    if (s.ok())
        return s;
    db.rollback();
    // Another sender (the same run from a second process) got there first.
    if (db.isOpen()) {
        const auto now = exists(db, run.id);
        if (now.ok() && now.value) {
            if (already)
                *already = true;
            return {};
        }
    }
    return s;
}

Result<std::string> resolveRunId(Database& db, const std::string& prefix)
{
    std::string p = prefix;
    std::transform(p.begin(), p.end(), p.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const bool wellFormed = !p.empty() && std::all_of(p.begin(), p.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-';
    });
    if (!wellFormed)
        return {Status::failure(Code::NotFound, "\"" + prefix + "\" — не номер запуска (UUID или его начало)")};
    QSqlQuery q = db.query();
    if (!run(q, "SELECT uuid FROM runs WHERE uuid LIKE ? ORDER BY uuid", {text(p + "%")}))
        return {db.failure(q.lastError(), "поиск запуска")};
    std::vector<std::string> found;
    while (q.next() && found.size() < 2)
        found.push_back(str(q.value(0)));
    if (found.empty())
        return {Status::failure(Code::NotFound, "Запуска " + prefix + " нет в истории " + db.label())};
    if (found.size() > 1)
        return {Status::failure(Code::NotFound, "Начало " + prefix + " подходит к нескольким запускам; дайте больше знаков")};
    return {{}, found.front()};
}

Result<Run> readRun(Database& db, const std::string& id)
{
    Run r;
    {
        QSqlQuery q = db.query();
        if (!run(q, std::string("SELECT ") + kRunColumns + " FROM runs r WHERE r.uuid = ?", {text(id)}))
            return {db.failure(q.lastError(), "чтение запуска")};
        if (!q.next())
            return {Status::failure(Code::NotFound, "Запуска " + id + " нет в истории " + db.label())};
        static_cast<RunInfo&>(r) = infoFrom(q);
    }
    {
        QSqlQuery q = db.query();
        if (!run(q,
                 "SELECT role, channel, stage, state, value_bits, reading_bits, r0_used_bits FROM cal_cells "
                 "WHERE run_uuid = ? ORDER BY role, channel, stage",
                 {text(id)}))
            return {db.failure(q.lastError(), "чтение таблиц запуска")};
        std::map<TableRole, CalTable> tables;
        while (q.next()) {
            const TableRole role = enumOf(q.value(0), TableRole::Result);
            CalTable& t = tables[role];
            t.role = role;
            t.cells.push_back({q.value(1).toInt(), q.value(2).toInt(), exact(q.value(4)),
                               enumOf(q.value(3), CellState::Stored), exactOrNone(q.value(5)),
                               exactOrNone(q.value(6))});
        }
        for (auto& [role, table] : tables)
            r.tables.push_back(std::move(table));
    }
    {
        QSqlQuery q = db.query();
        if (!run(q,
                 "SELECT time_ms, channel, set_bits, measured_bits, norm_bits, deviation_bits, verdict FROM points "
                 "WHERE run_uuid = ? ORDER BY seq",
                 {text(id)}))
            return {db.failure(q.lastError(), "чтение точек запуска")};
        while (q.next())
            r.points.push_back({q.value(0).toLongLong(), q.value(1).toInt(), exact(q.value(2)), exact(q.value(3)),
                                exact(q.value(4)), exact(q.value(5)), enumOf(q.value(6), PointVerdict::Within)});
    }
    {
        QSqlQuery q = db.query();
        if (!run(q,
                 "SELECT channel, mode, mode_text, temperature, temperature_text, temperature_c, tolerance_bits "
                 "FROM ksil5_settings WHERE run_uuid = ?",
                 {text(id)}))
            return {db.failure(q.lastError(), "чтение настроек КСИЛ5")};
        if (q.next()) {
            Ksil5Settings k;
            k.channel = q.value(0).toInt();
            k.mode = q.value(1).toInt();
            k.modeText = str(q.value(2));
            k.temperature = q.value(3).toInt();
            k.temperatureText = str(q.value(4));
            if (!q.value(5).isNull())
                k.temperatureC = q.value(5).toInt();
            k.tolerance = exact(q.value(6));
            r.ksil5 = k;
        }
    }
    return {{}, std::move(r)};
}

Result<std::vector<RunListEntry>> readRuns(Database& db, const RunFilter& filter)
{
    std::vector<QVariant> binds;
    std::string sql = std::string("SELECT ") + kRunColumns +
                      ", (SELECT COUNT(*) FROM points p WHERE p.run_uuid = r.uuid)"
                      ", (SELECT COUNT(*) FROM cal_cells c WHERE c.run_uuid = r.uuid)"
                      " FROM runs r WHERE 1 = 1";
    if (filter.module)
        sql += moduleCondition(*filter.module, binds);
    if (filter.from) {
        sql += " AND r.started_ms >= ?";
        binds.push_back(integer(*filter.from));
    }
    if (filter.until) {
        sql += " AND r.started_ms < ?";
        binds.push_back(integer(*filter.until));
    }
    if (!filter.kinds.empty()) {
        sql += " AND r.kind IN (";
        for (std::size_t i = 0; i < filter.kinds.size(); ++i) {
            sql += i ? ", ?" : "?";
            binds.push_back(text(code(filter.kinds[i])));
        }
        sql += ")";
    }
    sql += " ORDER BY r.started_ms DESC, r.uuid DESC";
    if (filter.limit > 0)
        sql += " LIMIT " + std::to_string(filter.limit);
    QSqlQuery q = db.query();
    if (!run(q, sql, binds))
        return {db.failure(q.lastError(), "список запусков")};
    std::vector<RunListEntry> runs;
    while (q.next())
        runs.push_back({infoFrom(q), q.value(kRunColumnCount).toInt(), q.value(kRunColumnCount + 1).toInt()});
    return {{}, std::move(runs)};
}

Result<std::vector<RunInfo>> readBackups(Database& db, const ModuleRef& module)
{
    std::vector<QVariant> binds{text(code(RunKind::Write)), text(code(TableRole::AsFound))};
    const std::string sql = std::string("SELECT ") + kRunColumns +
                            " FROM runs r WHERE r.kind = ? AND EXISTS (SELECT 1 FROM cal_cells c WHERE "
                            "c.run_uuid = r.uuid AND c.role = ?)" +
                            moduleCondition(module, binds) + " ORDER BY r.started_ms DESC, r.uuid DESC";
    QSqlQuery q = db.query();
    if (!run(q, sql, binds))
        return {db.failure(q.lastError(), "список резервных копий")};
    std::vector<RunInfo> backups;
    while (q.next())
        backups.push_back(infoFrom(q));
    return {{}, std::move(backups)};
}

Result<std::vector<DriftPoint>> readDrift(Database& db, const DriftQuery& query)
{
    std::vector<QVariant> binds{text(code(RunKind::AutoCalibration)), text(code(RunKind::PointCalibration)),
                                text(code(TableRole::Result)), text(code(CellState::Within)),
                                text(code(CellState::Outside))};
    std::string sql =
        "SELECT r.uuid, r.started_ms, r.kind, c.channel, c.stage, c.value_bits, c.state FROM cal_cells c "
        "JOIN runs r ON r.uuid = c.run_uuid WHERE r.kind IN (?, ?) AND c.role = ? AND c.state IN (?, ?)" +
        moduleCondition(query.module, binds);
    if (query.channel > 0) {
        sql += " AND c.channel = ?";
        binds.push_back(query.channel);
    }
    if (query.row > 0) {
        sql += " AND c.stage = ?";
        binds.push_back(query.row);
    }
    sql += " ORDER BY c.channel, c.stage, r.started_ms, r.uuid";
    QSqlQuery q = db.query();
    if (!run(q, sql, binds))
        return {db.failure(q.lastError(), "дрейф")};
    std::vector<DriftPoint> drift;
    while (q.next()) {
        DriftPoint p;
        p.runId = str(q.value(0));
        p.time = q.value(1).toLongLong();
        p.kind = enumOf(q.value(2), RunKind::AutoCalibration);
        p.channel = q.value(3).toInt();
        p.row = q.value(4).toInt();
        p.value = exact(q.value(5));
        p.state = enumOf(q.value(6), CellState::Within);
        // Rows come grouped by cell, oldest first.
        const bool sameCell = !drift.empty() && drift.back().channel == p.channel && drift.back().row == p.row;
        if (sameCell)
            p.sincePrevious = p.value - drift.back().value;
        drift.push_back(p);
    }
    for (std::size_t i = 0, first = 0; i < drift.size(); ++i) {
        if (i == 0 || drift[i].channel != drift[i - 1].channel || drift[i].row != drift[i - 1].row)
            first = i;
        drift[i].sinceFirst = drift[i].value - drift[first].value;
    }
    return {{}, std::move(drift)};
}

Result<std::vector<std::string>> outboxIds(Database& db)
{
    QSqlQuery q = db.query();
    if (!q.exec("SELECT o.run_uuid FROM outbox o JOIN runs r ON r.uuid = o.run_uuid "
                "ORDER BY o.queued_utc, r.started_ms, o.run_uuid"))
        return {db.failure(q.lastError(), "очередь на сервер")};
    std::vector<std::string> ids;
    while (q.next())
        ids.push_back(str(q.value(0)));
    return {{}, std::move(ids)};
}

Result<int> outboxCount(Database& db)
{
    QSqlQuery& q = db.prepared("SELECT COUNT(*) FROM outbox");
    if (!q.exec() || !q.next())
        return {db.failure(q.lastError(), "очередь на сервер")};
    const int n = q.value(0).toInt();
    q.finish();
    return {{}, n};
}

Status dropFromOutbox(Database& db, const std::string& id)
{
    QSqlQuery& q = db.prepared("DELETE FROM outbox WHERE run_uuid = ?");
    q.bindValue(0, text(id));
    if (!q.exec())
        return db.failure(q.lastError(), "очередь на сервер");
    return {};
}

Status noteOutboxFailure(Database& db, const std::string& id, const std::string& why)
{
    QSqlQuery& q = db.prepared(
        "UPDATE outbox SET attempts = attempts + 1, last_error = ? WHERE run_uuid = ? OR ? = ''");
    q.bindValue(0, text(why));
    q.bindValue(1, text(id));
    q.bindValue(2, text(id));
    if (!q.exec())
        return db.failure(q.lastError(), "очередь на сервер");
    return {};
}

} // namespace history
