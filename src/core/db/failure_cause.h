#pragma once
// Why a statement failed, in a few Chinese words the clerk can act on: the
// gateway keeps the database's own error of its last failure, and every save
// that fails names it after "保存失败：".
#include <QSqlError>
#include <QString>

#include "db/dialect.h"

namespace tcm {

class TDMServer;

// The cause of a database error: the file held by another window, read-only,
// a full disk, a file that cannot be opened or is damaged, a server that cannot
// be reached or a connection to it that broke. Empty for the rest (a statement the database refused), whose text
// the clerk could not act on.
QString failureCause(const QSqlError& error, Dialect::Kind kind);

// The cause of the gateway's last failure (empty when it had none or none of the above).
QString failureCause(const TDMServer& dm);

// "保存失败", then "：" and the cause of the gateway's last failure when it has
// one, then `rest` (the food editor's "，重新保存").
QString saveFailedMessage(const TDMServer& dm, const QString& rest = {});

}  // namespace tcm
