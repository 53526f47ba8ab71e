#pragma once
// Where the client keeps its files and which remote database it uses.
#include <QString>
#include <QStringList>

namespace tcm {

struct DbSettings {
  QString dataDir;    // loc.db, fm.db (embedded default), set.ini and PR live here
  QString remoteUrl;  // empty: the SQLite file fm.db in dataDir
  // How long a statement on a SQLite file waits for another client's lock before it fails.
  int sqliteBusyTimeoutMs = 5000;

  QString localDbPath() const;
  QString remoteDbPath() const;  // the SQLite file of the embedded remote database
  QString iniPath() const;
  QString pictureDir() const;

  // From TCM_DATA_DIR / TCM_REMOTE_DB, overridden by --data DIR / --remote URL
  // in `args` (the options are removed from `args`). The data folder defaults
  // to the working folder.
  static DbSettings fromEnvironmentAndArgs(QStringList* args);
};

// The connection address as it may be shown: the password of its user part
// (and a "password=" option) replaced by "******".
QString maskedConnectionAddress(const QString& url);

// A parsed remote database setting: postgresql://user:pw@host:port/db or sqlite:/path/fm.db.
struct RemoteUrl {
  bool postgres = false;
  QString path;  // SQLite file
  QString host, user, password, database;
  int port = 5432;
  QString error;  // empty when the URL was understood
  static RemoteUrl parse(const QString& url, const QString& defaultSqlitePath);
};

}  // namespace tcm
