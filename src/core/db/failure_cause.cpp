#include "db/failure_cause.h"

#include "db/gateway.h"

namespace tcm {
namespace {

// SQLite's primary result codes (an extended code keeps its primary one in the low byte).
enum SqliteCode { kPerm = 3, kBusy = 5, kLocked = 6, kReadOnly = 8, kIoErr = 10, kCorrupt = 11, kFull = 13,
                  kCantOpen = 14, kNotADb = 26 };

QString sqliteCause(const QSqlError& error) {
  bool numeric = false;
  const int code = error.nativeErrorCode().toInt(&numeric);
  if (!numeric) return {};
  switch (code & 0xff) {
    case kBusy:
    case kLocked:
      return QStringLiteral("数据库正被另一窗口占用");
    case kReadOnly:
      return QStringLiteral("数据文件只读");
    case kFull:
      return QStringLiteral("磁盘已满");
    case kPerm:
    case kCantOpen:
      return QStringLiteral("无法打开数据文件");
    case kIoErr:
      return QStringLiteral("读写数据文件出错");
    case kCorrupt:
    case kNotADb:
      return QStringLiteral("数据文件已损坏");
    default:
      return {};
  }
}

QString postgresCause(const QSqlError& error) {
  const QString state = error.nativeErrorCode();
  // The gateway reopens a connection that stopped answering: failing that, the server is gone.
  if (error.type() == QSqlError::ConnectionError) return QStringLiteral("无法连接数据库服务器");
  // Class 08 (connection exception) and the server shutting down (57P01-57P03).
  if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
    return QStringLiteral("与数据库服务器的连接已断开");
  if (state == QLatin1String("53100")) return QStringLiteral("数据库服务器磁盘已满");
  if (state == QLatin1String("25006")) return QStringLiteral("数据库只读");
  // A connection that broke during a statement leaves no state, only libpq's words.
  const QString text = error.databaseText();
  if (state.isEmpty() && (text.contains(QLatin1String("server closed the connection")) ||
                          text.contains(QLatin1String("no connection to the server")) ||
                          text.contains(QLatin1String("terminating connection"))))
    return QStringLiteral("与数据库服务器的连接已断开");
  return {};
}

}  // namespace

QString failureCause(const QSqlError& error, Dialect::Kind kind) {
  if (error.type() == QSqlError::NoError) return {};
  return kind == Dialect::Kind::Postgres ? postgresCause(error) : sqliteCause(error);
}

QString failureCause(const TDMServer& dm) { return failureCause(dm.lastSqlError(), dm.lastErrorKind()); }

QString saveFailedMessage(const TDMServer& dm, const QString& rest) {
  QString message = QStringLiteral("保存失败");
  const QString cause = failureCause(dm);
  if (!cause.isEmpty()) message += QStringLiteral("：") + cause;
  return message + rest;
}

}  // namespace tcm
