#include "history/tests/backend.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <cstdlib>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace history::test {

namespace {

std::atomic<int> s_databases{0};

// Runs one statement on the server outside any transaction (CREATE DATABASE
// needs that); empty on success, else the server's words.
std::string adminExec(const ServerConfig& admin, const std::string& sql)
{
    const QString name = QString("ksil_test_admin_%1").arg(++s_databases);
    std::string error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", name);
        configureServerConnection(db, admin);
        if (!db.open()) {
            error = firstLine(db.lastError());
        } else {
            QSqlQuery q(db);
            if (!q.exec(QString::fromStdString(sql)))
                error = firstLine(q.lastError());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

} // namespace

std::optional<ServerConfig> ServerDatabase::testServer(std::string* why)
{
    const char* text = std::getenv(kTestServerVariable);
    if (!text || !*text) {
        *why = std::string("no PostgreSQL server for the tests: ") + kTestServerVariable +
               " is not set (scripts/test.sh sets it under pg_virtualenv)";
        return std::nullopt;
    }
    auto server = parseServer(text);
    if (!server.ok()) {
        *why = server.status.message;
        return std::nullopt;
    }
    return server.value;
}

ServerDatabase::ServerDatabase(const ServerConfig& admin) : admin_(admin), config_(admin)
{
    config_.database = "ksil_test_" + std::to_string(::getpid()) + "_" + std::to_string(++s_databases);
    error_ = adminExec(admin_, "CREATE DATABASE " + config_.database);
}

ServerDatabase::~ServerDatabase()
{
    if (error_.empty())
        adminExec(admin_, "DROP DATABASE IF EXISTS " + config_.database + " WITH (FORCE)");
}

void BackendTest::SetUp()
{
    ASSERT_FALSE(folder().empty());
    if (!onServer())
        return;
    std::string why;
    const auto admin = ServerDatabase::testServer(&why);
    if (!admin)
        GTEST_SKIP() << why;
    server_ = std::make_unique<ServerDatabase>(*admin);
    ASSERT_EQ(server_->error(), "") << "test database on " << serverLabel(*admin);
}

void BackendTest::TearDown() { server_.reset(); }

Config BackendTest::config() const
{
    Config c;
    c.localFile = (folder() / "station" / "history.sqlite").string();
    if (server_)
        c.server = server_->config();
    return c;
}

Config BackendTest::configWithServerAway() const
{
    Config c = config();
    if (!c.server)
        c.server = ServerConfig{};
    c.server->host = "127.0.0.1";
    c.server->port = closedPort();
    return c;
}

Status BackendTest::openPrimary(Database& db) const
{
    return server_ ? db.openServer(server_->config()) : db.openFile(config().localFile);
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

void PrintTo(Backend backend, std::ostream* os) { *os << (backend == Backend::SQLite ? "SQLite" : "PostgreSQL"); }

int closedPort()
{
    // Bound but never listening: connections are refused at once, and no
    // other program is given the port while the socket holds it.
    static const int port = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof addr;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), size) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size) != 0)
            return 1; // port 1: refused too on any ordinary machine
        return static_cast<int>(ntohs(addr.sin_port));
    }();
    return port;
}

long long scalar(Database& db, const char* sql)
{
    QSqlQuery q = db.query();
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

} // namespace history::test
