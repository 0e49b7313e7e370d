// One connection of the history to its SQLite file or its PostgreSQL server,
// with the database's errors turned into the history's one-line statuses.
// A connection belongs to the thread that opened it.
#pragma once

#include "history/config.h"
#include "history/status.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <map>
#include <memory>
#include <string>

namespace history {

class Database {
public:
    enum class Backend { SQLite, PostgreSQL };

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file and brings its schema up to date; a newer schema is
    // refused untouched. With create unset a missing file is not made and an
    // older schema is not migrated (for readers). Either way the file is
    // opened for writing where the system allows it, so that a reader, too,
    // rolls back what a killed writer left half done.
    Status openFile(const std::string& path, bool create = true);
    Status openServer(const ServerConfig& server);
    void close();
    bool isOpen() const { return open_; }
    Backend backend() const { return backend_; }
    // The file's path or the server's "host:port/database".
    const std::string& label() const { return label_; }

    // A statement prepared once per connection and kept for reuse.
    QSqlQuery& prepared(const char* sql);
    // A query for one use.
    QSqlQuery query() const;
    Status exec(const char* sql);
    Status begin();
    Status commit();
    void rollback();

    // The status for an error the database reported while doing what; a lost
    // server connection is closed, so that the next call connects again.
    Status failure(const QSqlError& error, const std::string& what);
    // True when the error is a duplicate key (a run already there).
    bool isDuplicate(const QSqlError& error) const;

private:
    std::string name_;
    std::string label_;
    Backend backend_ = Backend::SQLite;
    bool open_ = false;
    QSqlDatabase db_;
    std::map<std::string, std::unique_ptr<QSqlQuery>> statements_;
};

// Puts a server's configuration into a Qt connection (before it is opened).
void configureServerConnection(QSqlDatabase& db, const ServerConfig& server);

// The first line of an error's text.
std::string firstLine(const QSqlError& error);

} // namespace history
