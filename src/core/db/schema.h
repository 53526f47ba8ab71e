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
// Applies only the steps after the recorded version, each in one transaction;
// what the earlier steps made is neither checked nor made again.
[[nodiscard]] bool applyMissingSchemaSteps(TDMServer& dm, Database which, QString* error);
// Empty when both databases are at this program's schema version (or cannot be
// read at all: that failure is reported where they are used); otherwise the
// message the client shows when it refuses to run on an older one.
QString outdatedSchemaMessage(TDMServer& dm);
// Creates the tables and indexes of every step that are missing; false with the
// list of what is still missing (a column of an existing table is never guessed).
[[nodiscard]] bool repairSchema(TDMServer& dm, Database which, QString* error);
// "表 herb_shop", "列 pat.bodyType": every table and column the system uses that
// the database lacks; with `uptoVersion`, only those the steps up to that one make.
QStringList missingSchemaParts(TDMServer& dm, Database which, int uptoVersion = -1);

}  // namespace tcm
