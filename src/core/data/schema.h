#pragma once
// Creates and upgrades the two databases from the SQL files of each, step by
// step: each step runs in one transaction and is recorded in schema_version.
#include <QString>

namespace tcm {

class TDMServer;

enum class Database { Local, Remote };

// Number of the newest schema step of the database.
int latestSchemaVersion(Database which);
// Current version recorded in the database (0 for a fresh one, -1 when unreadable).
int schemaVersion(TDMServer& dm, Database which);
// Applies every missing step; safe to re-run.
[[nodiscard]] bool applySchema(TDMServer& dm, Database which, QString* error);

}  // namespace tcm
