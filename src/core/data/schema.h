#pragma once
// Creates and upgrades the two databases from the SQL files of each, step by
// step: each step runs in one transaction and is recorded in schema_version.
#include <QString>
#include <QStringList>

namespace tcm {

class TDMServer;

enum class Database { Local, Remote };

// Number of the newest schema step of the database.
int latestSchemaVersion(Database which);
// Current version recorded in the database (0 for a fresh one, -1 when unreadable).
int schemaVersion(TDMServer& dm, Database which);
// Applies every missing step, then repairs and verifies (repairSchema); safe to re-run.
[[nodiscard]] bool applySchema(TDMServer& dm, Database which, QString* error);
// Creates the tables and indexes of every step that are missing; false with the
// list of what is still missing (a column of an existing table is never guessed).
[[nodiscard]] bool repairSchema(TDMServer& dm, Database which, QString* error);
// "表 herb_shop", "列 pat.bodyType": every table and column the system uses that the database lacks.
QStringList missingSchemaParts(TDMServer& dm, Database which);

}  // namespace tcm
