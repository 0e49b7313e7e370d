#include "history/database.h"

#include "history/schema.h"
#include "history/text.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>

#include <atomic>

namespace history {

namespace {

std::atomic<int> s_connections{0};

// SQLite's primary result codes the history tells apart.
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteFull = 13;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADb = 26;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqlitePerm = 3;
constexpr int kSqliteConstraint = 19;

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

} // namespace

std::string firstLine(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    std::string line = text.toStdString();
    if (const std::size_t lf = line.find('\n'); lf != std::string::npos)
        line.erase(lf);
    // libpq's severity prefix says nothing to the operator.
    for (const char* prefix : {"FATAL:  ", "ERROR:  ", "FATAL: ", "ERROR: "})
        if (line.starts_with(prefix))
            line.erase(0, std::string_view(prefix).size());
    return line;
}

void configureServerConnection(QSqlDatabase& db, const ServerConfig& server)
{
    db.setHostName(QString::fromStdString(server.host));
    db.setPort(server.port);
    db.setDatabaseName(QString::fromStdString(server.database));
    db.setUserName(QString::fromStdString(server.user));
    db.setPassword(QString::fromStdString(server.password));
    db.setConnectOptions(QString::fromStdString(server.options));
}

Database::Database() : name_("ksil_history_" + std::to_string(++s_connections)) {}

Database::~Database() { close(); }

void Database::close()
{
    statements_.clear();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(QString::fromStdString(name_));
    }
    open_ = false;
}

Status Database::openFile(const std::string& path, bool create)
{
    close();
    backend_ = Backend::SQLite;
    label_ = path;
    if (path.empty())
        return Status::failure(Code::Config, "Файл истории не задан");
    const QString file = QString::fromStdString(path);
    const QFileInfo info(file);
    if (info.isDir())
        return Status::failure(Code::NotDatabase, "Файл истории " + path + " — это папка, а не файл");
    if (!info.exists()) {
        if (!create)
            return Status::failure(Code::NotFound, "Файла истории " + path + " нет");
        if (!QDir().mkpath(info.absolutePath()))
            return Status::failure(Code::ReadOnly, "Не создать папку файла истории " + path);
    }
    db_ = QSqlDatabase::addDatabase("QSQLITE", QString::fromStdString(name_));
    if (!db_.isValid())
        return Status::failure(Code::Failed, "Нет драйвера SQLite для Qt (пакет libqt6sql6-sqlite)");
    db_.setDatabaseName(file);
    // Another program (the tool, a second panel) may hold the file for a moment.
    db_.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    if (!db_.open())
        return failure(db_.lastError(), "открытие");
    open_ = true;
    for (const char* pragma : {"PRAGMA foreign_keys = ON", "PRAGMA synchronous = FULL"})
        if (Status s = exec(pragma); !s.ok()) {
            close();
            return s;
        }
    Status s = bringSchemaUpToDate(*this, create);
    if (!s.ok())
        close();
    return s;
}

Status Database::openServer(const ServerConfig& server)
{
    close();
    backend_ = Backend::PostgreSQL;
    label_ = serverLabel(server);
    db_ = QSqlDatabase::addDatabase("QPSQL", QString::fromStdString(name_));
    if (!db_.isValid())
        return Status::failure(Code::Failed, "Нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)");
    configureServerConnection(db_, server);
    if (!db_.open())
        return failure(db_.lastError(), "подключение");
    open_ = true;
    Status s = bringSchemaUpToDate(*this, true);
    if (!s.ok())
        close();
    return s;
}

QSqlQuery& Database::prepared(const char* sql)
{
    auto& slot = statements_[sql];
    if (!slot) {
        slot = std::make_unique<QSqlQuery>(db_);
        slot->setForwardOnly(true);
        slot->prepare(QString::fromUtf8(sql));
    }
    return *slot;
}

QSqlQuery Database::query() const
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    return q;
}

Status Database::exec(const char* sql)
{
    QSqlQuery q = query();
    if (!q.exec(QString::fromUtf8(sql)))
        return failure(q.lastError(), sql);
    return {};
}

Status Database::begin()
{
    // SQLite: take the write lock at once, so that a second writer waits
    // here instead of failing in the middle of the run.
    return exec(backend_ == Backend::SQLite ? "BEGIN IMMEDIATE" : "BEGIN");
}

Status Database::commit() { return exec("COMMIT"); }

void Database::rollback()
{
    if (open_) {
        QSqlQuery q = query();
        q.exec("ROLLBACK");
    }
}

bool Database::isDuplicate(const QSqlError& error) const
{
    const std::string native = error.nativeErrorCode().toStdString();
    if (backend_ == Backend::PostgreSQL)
        return native == "23505";
    return native == std::to_string(kSqliteConstraint) && contains(firstLine(error), "UNIQUE");
}

Status Database::failure(const QSqlError& error, const std::string& what)
{
    const std::string detail = firstLine(error);
    const std::string native = error.nativeErrorCode().toStdString();
    if (backend_ == Backend::SQLite) {
        const int code = static_cast<int>(parseInteger(native).value_or(-1) & 0xFF);
        const std::string file = "Файл истории " + label_;
        switch (code) {
        case kSqliteNotADb:
        case kSqliteCorrupt:
            return Status::failure(Code::NotDatabase, file + " не является базой данных SQLite или повреждён (" + detail + ")");
        case kSqliteReadOnly:
        case kSqlitePerm:
            return Status::failure(Code::ReadOnly, file + " доступен только для чтения (" + detail + ")");
        case kSqliteFull:
            return Status::failure(Code::DiskFull, "Нет места на диске для файла истории " + label_);
        case kSqliteCantOpen:
            return Status::failure(Code::ReadOnly, "Не открыть файл истории " + label_ + " (" + detail + ")");
        default:
            return Status::failure(Code::Failed, file + ": " + what + ": " + detail);
        }
    }

    const std::string server = "Сервер истории " + label_;
    Code code = Code::Failed;
    std::string text;
    // A refused login carries no state through Qt: the server's words tell,
    // in English or in Russian.
    if (native == "28P01" || native == "28000" || contains(detail, "password authentication failed") ||
        contains(detail, "no password supplied") || contains(detail, "authentication failed") ||
        contains(detail, "проверку подлинности") || contains(detail, "пароль не указан") ||
        (contains(detail, "role \"") && contains(detail, "does not exist"))) {
        code = Code::Credentials;
        text = server + " не принял пользователя или пароль (" + detail + ")";
    } else if (native == "3D000" || (contains(detail, "database \"") && contains(detail, "does not exist"))) {
        code = Code::Config;
        text = server + ": нет такой базы данных (" + detail + ")";
    } else if (native == "53100") {
        code = Code::DiskFull;
        text = server + ": на сервере нет места (" + detail + ")";
    } else if (native == "25006" || native == "42501") {
        code = Code::ReadOnly;
        text = server + " не даёт писать (" + detail + ")";
    } else if (native.empty() || native.starts_with("08") || native.starts_with("57P")) {
        // No state from the server: the connection itself failed or was lost.
        code = Code::Unreachable;
        text = server + " недоступен (" + detail + ")";
    } else {
        text = server + ": " + what + ": " + detail;
    }
    if (code == Code::Unreachable)
        close();
    return Status::failure(code, text);
}

} // namespace history
