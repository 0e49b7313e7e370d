// The history of runs: what the program hands over when a run has ended, and
// what it and the ksil_history tool ask for later.
//
// Every run goes first into the station's SQLite file (one transaction: the
// whole run or none of it). With a lab server configured the run is also
// queued there and sent to the server, as are all runs still waiting; a run
// the server did not take stays queued and goes with the next store or send.
// Each run carries a UUID and the server takes a run it already holds as
// done, so an answer lost after a send never makes a duplicate.
//
// No call throws; each answers a status with one line for the operator. A
// History belongs to the thread that opened it.
#pragma once

#include "history/config.h"
#include "history/query.h"
#include "history/record.h"
#include "history/status.h"

#include <memory>
#include <string>
#include <vector>

namespace history {

class Database;

class History {
public:
    // Where a question is answered: the lab server when one is configured,
    // else the local file; or the local file in any case.
    enum class Source { Primary, Local };

    History();
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Opens the local file (creating or migrating it) from the environment's
    // configuration or the one given. The server is not reached here (start-up
    // never waits for it): the first store, send or question does that. A
    // failure leaves the history usable through the server when there is one.
    Status open();
    Status open(const Config& config);
    // Opens only to read: a missing file is not created, nothing is migrated.
    Status openToRead(const Config& config);

    const Config& config() const { return config_; }
    bool hasServer() const { return config_.server.has_value(); }
    // "the local file /x/history.sqlite" or "server host:5432/db (local file /x/...)".
    std::string where() const;

    struct StoreResult {
        Status status;        // fails only when the run is stored nowhere
        std::string id;       // the run's UUID
        bool onServer = false;
        int waiting = 0;      // runs of this station the server does not hold yet
        std::string warning;  // one line to show when not empty: why a part did not go
    };
    // Stores a finished run; without an id it is given one. With sendNow
    // unset the run is only stored locally (and queued): sendWaiting sends it.
    StoreResult store(const Run& run, bool sendNow = true);

    struct SendResult {
        Status status;
        int sent = 0;
        int waiting = 0;
    };
    // Sends the runs waiting for the server. Nothing to send: no connection is made.
    SendResult sendWaiting();
    // How many runs wait for the server.
    Result<int> waiting();

    // Newest first.
    Result<std::vector<RunListEntry>> listRuns(const RunFilter& filter, Source source = Source::Primary);
    // By its UUID or the UUID's beginning.
    Result<Run> loadRun(const std::string& idOrPrefix, Source source = Source::Primary);
    // WRITE runs of the module that kept its as-found table, newest first.
    Result<std::vector<RunInfo>> listBackups(const ModuleRef& module, Source source = Source::Primary);
    // The as-found table of one of them, bit for bit.
    Result<TableValues> loadBackup(const std::string& idOrPrefix, Source source = Source::Primary);
    // Measured values of the module's cells across its calibrations, grouped by
    // channel and row, oldest first.
    Result<std::vector<DriftPoint>> drift(const DriftQuery& query, Source source = Source::Primary);

private:
    Status openLocal(bool create);
    Status connectServer();
    // The database a question goes to, connected; nullptr with *why set.
    Database* reader(Source source, Status* why);
    // The answer of ask(database) on the database for source, or why there is none.
    template <typename Ask>
    auto answer(Source source, Ask ask);

    Config config_;
    bool create_ = true;
    std::unique_ptr<Database> local_;
    std::unique_ptr<Database> server_;
};

// The station's host name and operating-system user, with the program's version
// and the switch-code library's CRC the program gives.
Station thisStation(std::string programVersion, std::string libraryCrc);
// A new random UUID, lower case, without braces.
std::string newRunId();

} // namespace history
