// The schema the program makes, and databases it must leave alone: one of a
// newer program, and one that is not a history at all.
#include "history/tests/backend.h"
#include "history/tests/samples.h"

#include "history/history.h"
#include "history/schema.h"
#include "history/text.h"
#include "tests/support/read_file.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace history::test {
namespace {

class Schema : public BackendTest {};

// A plain connection to the database under test, which migrates nothing.
class RawConnection {
public:
    RawConnection(const Config& config, const ServerDatabase* server)
    {
        db_ = QSqlDatabase::addDatabase(server ? "QPSQL" : "QSQLITE", "raw_check");
        if (server) {
            configureServerConnection(db_, server->config());
        } else {
            db_.setDatabaseName(QString::fromStdString(config.localFile));
        }
        db_.open();
        server_ = server != nullptr;
    }
    ~RawConnection()
    {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase("raw_check");
    }
    bool exec(const std::string& sql)
    {
        QSqlQuery q(db_);
        return q.exec(QString::fromStdString(sql));
    }
    // The values of the first column, joined by blanks.
    std::string column(const std::string& sql)
    {
        QSqlQuery q(db_);
        std::string out;
        if (!q.exec(QString::fromStdString(sql)))
            return "failed: " + q.lastError().text().toStdString();
        while (q.next())
            out += q.value(0).toString().toStdString() + " ";
        return out;
    }
    std::string tables()
    {
        return column(server_ ? "SELECT tablename FROM pg_tables WHERE schemaname = current_schema() ORDER BY 1"
                              : "SELECT name FROM sqlite_master ORDER BY 1");
    }

private:
    QSqlDatabase db_;
    bool server_ = false;
};

TEST_P(Schema, NewerSchemaIsRefusedWithItsVersionAndLeftAsItIs)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());
    ASSERT_TRUE(h.store(verificationRun(vxiModule(), nowUtc())).status.ok());

    std::string tablesBefore;
    {
        RawConnection raw(config(), server_.get());
        EXPECT_EQ(raw.column("SELECT version FROM schema_version"), std::to_string(schemaVersion()) + " ");
        // What a newer program would leave: its version and a table of its own.
        ASSERT_TRUE(raw.exec("INSERT INTO schema_version VALUES (" + std::to_string(schemaVersion() + 1) +
                             ", '2030-01-01T00:00:00.000Z', 'ksil2 9.0')"));
        ASSERT_TRUE(raw.exec("CREATE TABLE certificates (id TEXT)"));
        tablesBefore = raw.tables();
    }

    const std::string expected = "схему версии " + std::to_string(schemaVersion() + 1) +
                                 ", эта программа знает только до версии " + std::to_string(schemaVersion());
    History newer;
    const Status opened = newer.open(config());
    const auto stored = newer.store(verificationRun(vxiModule(), nowUtc()));
    if (onServer()) {
        // The station's file is fine; the server refuses, and the run waits.
        ASSERT_TRUE(opened.ok());
        ASSERT_TRUE(stored.status.ok());
        EXPECT_FALSE(stored.onServer);
        EXPECT_EQ(stored.waiting, 1);
        EXPECT_NE(stored.warning.find(expected), std::string::npos) << stored.warning;
    } else {
        EXPECT_EQ(opened.code, Code::NewerSchema);
        EXPECT_NE(opened.message.find(expected), std::string::npos) << opened.message;
        EXPECT_EQ(opened.message.find('\n'), std::string::npos);
        EXPECT_EQ(stored.status.code, Code::NewerSchema);
    }
    EXPECT_EQ(newer.listRuns({}).status.code, Code::NewerSchema);

    RawConnection raw(config(), server_.get());
    EXPECT_EQ(raw.column("SELECT version FROM schema_version ORDER BY 1"),
              std::to_string(schemaVersion()) + " " + std::to_string(schemaVersion() + 1) + " ");
    EXPECT_EQ(raw.column("SELECT COUNT(*) FROM runs"), "1 ");
    EXPECT_EQ(raw.tables(), tablesBefore);
}

TEST(SchemaFile, DatabaseOfAnotherProgramIsLeftAlone)
{
    TempDir folder;
    const std::string file = (folder.path() / "other.sqlite").string();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other_program");
        other.setDatabaseName(QString::fromStdString(file));
        ASSERT_TRUE(other.open());
        QSqlQuery q(other);
        ASSERT_TRUE(q.exec("CREATE TABLE runs (lap INTEGER, seconds REAL)"));
        ASSERT_TRUE(q.exec("INSERT INTO runs VALUES (1, 62.5)"));
        other.close();
    }
    QSqlDatabase::removeDatabase("other_program");
    const auto bytes = [&] { return readBytes(file); };
    const std::string before = bytes();

    History h;
    const Status s = h.open(Config{file, std::nullopt});
    EXPECT_EQ(s.code, Code::Foreign);
    EXPECT_NE(s.message.find("не база истории"), std::string::npos) << s.message;
    EXPECT_EQ(h.store(verificationRun(vxiModule(), nowUtc())).status.code, Code::Foreign);
    EXPECT_EQ(bytes(), before);
}

HISTORY_BACKENDS(Schema);

} // namespace
} // namespace history::test
