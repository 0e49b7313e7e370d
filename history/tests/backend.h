// The history's tests run on both backends: SQLite alone, and SQLite as the
// station's file with a PostgreSQL server behind it. The server comes from
// KSIL_HISTORY_TEST_PG (a connection string to a database where the tests may
// create and drop databases; scripts/test.sh gives one under pg_virtualenv);
// without it the PostgreSQL cases are skipped, saying so. Each case gets a
// temporary folder and, on PostgreSQL, a database of its own.
#pragma once

#include "history/config.h"
#include "history/database.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace history::test {

enum class Backend { SQLite, PostgreSQL };

inline constexpr const char* kTestServerVariable = "KSIL_HISTORY_TEST_PG";

// A database of its own on the test server, dropped afterwards.
class ServerDatabase {
public:
    // nullopt (with the reason in *why) when no test server is given or usable.
    static std::optional<ServerConfig> testServer(std::string* why);
    explicit ServerDatabase(const ServerConfig& admin);
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    const ServerConfig& config() const { return config_; }
    const std::string& error() const { return error_; }

private:
    ServerConfig admin_;
    ServerConfig config_;
    std::string error_;
};

class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override;

    bool onServer() const { return GetParam() == Backend::PostgreSQL; }
    // The station's file, and on PostgreSQL the server.
    Config config() const;
    // The same with the server at a port where nothing answers.
    Config configWithServerAway() const;
    const std::filesystem::path& folder() const { return folder_.path(); }
    // A connection for checks of what the database itself holds: the server
    // on PostgreSQL, the file on SQLite.
    Status openPrimary(Database& db) const;

    TempDir folder_;
    std::unique_ptr<ServerDatabase> server_;
};

std::string backendName(const ::testing::TestParamInfo<Backend>& info);
// The backend's name in test lists (instead of its bytes).
void PrintTo(Backend backend, std::ostream* os);

// A TCP port on the loopback where nothing listens.
int closedPort();
// The number a query of one value answers, -1 when it fails.
long long scalar(Database& db, const char* sql);

#define HISTORY_BACKENDS(suite)                                                                        \
    INSTANTIATE_TEST_SUITE_P(Backends, suite,                                                         \
                             ::testing::Values(::history::test::Backend::SQLite,                       \
                                               ::history::test::Backend::PostgreSQL),                  \
                             ::history::test::backendName)

} // namespace history::test
