// Runs written to and read from one database connection.
#pragma once

#include "history/database.h"
#include "history/query.h"
#include "history/record.h"
#include "history/status.h"

#include <string>
#include <vector>

namespace history {

// Stores the whole run in one transaction, and with queue also its place in
// the outbox. A run whose id is already there is left as it is (a send whose
// answer was lost comes again): *already is then set.
Status insertRun(Database& db, const Run& run, bool queue, bool* already = nullptr);

// The id of the one run whose id begins with prefix.
Result<std::string> resolveRunId(Database& db, const std::string& prefix);
Result<Run> readRun(Database& db, const std::string& id);
Result<std::vector<RunListEntry>> readRuns(Database& db, const RunFilter& filter);
// WRITE runs of a module that kept the as-found table, newest first.
Result<std::vector<RunInfo>> readBackups(Database& db, const ModuleRef& module);
Result<std::vector<DriftPoint>> readDrift(Database& db, const DriftQuery& query);

// The outbox, oldest first.
Result<std::vector<std::string>> outboxIds(Database& db);
Result<int> outboxCount(Database& db);
Status dropFromOutbox(Database& db, const std::string& id);
// Counts a failed send of one run (empty id: of every run waiting) with its reason.
Status noteOutboxFailure(Database& db, const std::string& id, const std::string& why);

} // namespace history
