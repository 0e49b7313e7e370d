#include "history/schema.h"

#include "history/database.h"
#include "history/text.h"

#include <span>

namespace history {

namespace {

// Types both backends read alike: TEXT, INTEGER, BIGINT (SQLite's INTEGER),
// DOUBLE PRECISION (SQLite's REAL). Every double is kept twice: its 64-bit
// pattern (_bits, exact, what the history reads back) and its value (for
// people and their queries; NULL for NaN, which SQLite cannot hold).
constexpr const char* kVersion1[] = {
    R"(CREATE TABLE runs (
        uuid TEXT PRIMARY KEY,
        kind TEXT NOT NULL,
        outcome TEXT NOT NULL,
        outcome_detail TEXT NOT NULL,
        started_utc TEXT NOT NULL,
        started_ms BIGINT NOT NULL,
        ended_utc TEXT NOT NULL,
        ended_ms BIGINT NOT NULL,
        carrier_resource TEXT NOT NULL,
        carrier_serial TEXT NOT NULL,
        position INTEGER NOT NULL,
        module_model INTEGER NOT NULL,
        module_name TEXT NOT NULL,
        meter_family TEXT NOT NULL,
        meter_resource TEXT NOT NULL,
        meter_identification TEXT NOT NULL,
        readings_from TEXT NOT NULL,
        station TEXT NOT NULL,
        os_user TEXT NOT NULL,
        program_version TEXT NOT NULL,
        library_crc TEXT NOT NULL,
        verdict TEXT NOT NULL,
        read_back TEXT NOT NULL,
        note TEXT NOT NULL,
        stored_utc TEXT NOT NULL))",
    "CREATE INDEX runs_by_carrier ON runs (carrier_resource, position, started_ms)",
    "CREATE INDEX runs_by_serial ON runs (carrier_serial, position, started_ms)",
    "CREATE INDEX runs_by_time ON runs (started_ms)",
    R"(CREATE TABLE cal_cells (
        run_uuid TEXT NOT NULL REFERENCES runs (uuid) ON DELETE CASCADE,
        role TEXT NOT NULL,
        channel INTEGER NOT NULL,
        stage INTEGER NOT NULL,
        state TEXT NOT NULL,
        value DOUBLE PRECISION,
        value_bits BIGINT NOT NULL,
        reading DOUBLE PRECISION,
        reading_bits BIGINT,
        r0_used DOUBLE PRECISION,
        r0_used_bits BIGINT,
        PRIMARY KEY (run_uuid, role, channel, stage)))",
    R"(CREATE TABLE points (
        run_uuid TEXT NOT NULL REFERENCES runs (uuid) ON DELETE CASCADE,
        seq INTEGER NOT NULL,
        time_utc TEXT NOT NULL,
        time_ms BIGINT NOT NULL,
        channel INTEGER NOT NULL,
        set_value DOUBLE PRECISION,
        set_bits BIGINT NOT NULL,
        measured DOUBLE PRECISION,
        measured_bits BIGINT NOT NULL,
        norm DOUBLE PRECISION,
        norm_bits BIGINT NOT NULL,
        deviation DOUBLE PRECISION,
        deviation_bits BIGINT NOT NULL,
        verdict TEXT NOT NULL,
        PRIMARY KEY (run_uuid, seq)))",
    R"(CREATE TABLE ksil5_settings (
        run_uuid TEXT PRIMARY KEY REFERENCES runs (uuid) ON DELETE CASCADE,
        channel INTEGER NOT NULL,
        mode INTEGER NOT NULL,
        mode_text TEXT NOT NULL,
        temperature INTEGER NOT NULL,
        temperature_text TEXT NOT NULL,
        temperature_c INTEGER,
        tolerance DOUBLE PRECISION,
        tolerance_bits BIGINT NOT NULL))",
    // Runs of this station not yet on the lab server (empty on the server).
    R"(CREATE TABLE outbox (
        run_uuid TEXT PRIMARY KEY REFERENCES runs (uuid) ON DELETE CASCADE,
        queued_utc TEXT NOT NULL,
        attempts INTEGER NOT NULL,
        last_error TEXT NOT NULL))",
};

const std::span<const char* const> kVersions[] = {kVersion1};

// Tables the history owns besides schema_version.
const char* const kOwnTables[] = {"runs", "cal_cells", "points", "ksil5_settings", "outbox"};

Result<int> currentVersion(Database& db)
{
    QSqlQuery q = db.query();
    if (!q.exec("SELECT MAX(version) FROM schema_version"))
        return {db.failure(q.lastError(), "чтение версии схемы")};
    if (!q.next() || q.value(0).isNull())
        return {{}, 0};
    return {{}, q.value(0).toInt()};
}

} // namespace

int schemaVersion() { return static_cast<int>(std::size(kVersions)); }

Status bringSchemaUpToDate(Database& db, bool mayWrite)
{
    QSqlQuery probe = db.query();
    // Any read makes SQLite look at the file: a file that is no database fails here.
    if (db.backend() == Database::Backend::SQLite && !probe.exec("SELECT COUNT(*) FROM sqlite_master"))
        return db.failure(probe.lastError(), "чтение");

    for (int attempt = 0; attempt < 2; ++attempt) {
        bool hasVersionTable = false;
        std::vector<std::string> ours;
        {
            QSqlQuery q = db.query();
            const char* list = db.backend() == Database::Backend::SQLite
                                   ? "SELECT name FROM sqlite_master WHERE type = 'table'"
                                   : "SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()";
            if (!q.exec(list))
                return db.failure(q.lastError(), "список таблиц");
            while (q.next()) {
                const std::string name = q.value(0).toString().toStdString();
                hasVersionTable |= name == "schema_version";
                for (const char* own : kOwnTables)
                    if (name == own)
                        ours.push_back(name);
            }
        }
        int version = 0;
        if (hasVersionTable) {
            const auto current = currentVersion(db);
            if (!current.ok())
                return current.status;
            version = current.value;
        } else if (!ours.empty()) {
            return Status::failure(Code::Foreign, "В базе " + db.label() + " есть таблица " + ours.front() +
                                                      ", но нет schema_version: это не база истории, она не изменена");
        }
        if (version > schemaVersion())
            return Status::failure(Code::NewerSchema,
                                   "База истории " + db.label() + " имеет схему версии " + std::to_string(version) +
                                       ", эта программа знает только до версии " + std::to_string(schemaVersion()) +
                                       ": нужна более новая программа; база не изменена");
        if (version == schemaVersion())
            return {};
        if (!mayWrite)
            return Status::failure(Code::ReadOnly, "База истории " + db.label() + " имеет старую схему версии " +
                                                       std::to_string(version) + " и открыта только для чтения");

        // Migrate in one transaction; when another station migrated the same
        // server at the same moment, ours fails and the second look finds it done.
        Status s = db.begin();
        if (!s.ok())
            return s;
        if (!hasVersionTable)
            s = db.exec("CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied_utc TEXT NOT NULL, "
                        "program TEXT NOT NULL)");
        for (int v = version + 1; s.ok() && v <= schemaVersion(); ++v) {
            for (const char* statement : kVersions[v - 1])
                if (s = db.exec(statement); !s.ok())
                    break;
            if (!s.ok())
                break;
            QSqlQuery& add = db.prepared("INSERT INTO schema_version (version, applied_utc, program) VALUES (?, ?, ?)");
            add.bindValue(0, v);
            add.bindValue(1, QString::fromStdString(isoUtc(nowUtc())));
            add.bindValue(2, QStringLiteral("ksil2 " KSIL_PROGRAM_VERSION));
            if (!add.exec())
                s = db.failure(add.lastError(), "запись версии схемы");
        }
        if (s.ok())
            s = db.commit();
        if (s.ok())
            return {};
        db.rollback();
        if (!db.isOpen() || attempt == 1 || s.code == Code::ReadOnly || s.code == Code::DiskFull ||
            s.code == Code::NotDatabase)
            return s;
    }
    return {};
}

} // namespace history
