// The history's tables, the same on SQLite and PostgreSQL, and their versions.
// Each version is a list of statements applied in one transaction and
// recorded in schema_version; a database of a newer version than the program
// knows is refused and never changed.
#pragma once

#include "history/status.h"

namespace history {

class Database;

// The newest schema this program writes.
int schemaVersion();

// Creates the tables of an empty database or migrates an older one (only
// when mayWrite; otherwise an older schema is refused too).
Status bringSchemaUpToDate(Database& db, bool mayWrite);

} // namespace history
