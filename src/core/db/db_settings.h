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
  // The SQLite file of the remote database wherever it lives (fm.db of the data
  // folder, or the file a "sqlite:" setting names); empty for a server or a
  // setting that was not understood.
  QString embeddedRemotePath() const;
  // Every embedded database file of these settings: loc.db and, unless the
  // remote database is a server, the remote file.
  QStringList embeddedDatabasePaths() const;

  // From TCM_DATA_DIR / TCM_REMOTE_DB, overridden by --data DIR / --remote URL
  // in `args` (the options are removed from `args`). The data folder defaults
  // to defaultDataDir().
  static DbSettings fromEnvironmentAndArgs(QStringList* args);
};

// The data folder when none is given: "tcmcare" in the user's data location
// (~/.local/share/tcmcare unless XDG_DATA_HOME says otherwise).
QString defaultDataDir();

// Files and folders the programs create are for the shop's user alone
// (folders 0700, files 0600): called once at the start of each program.
void restrictNewFiles();
// Makes the data folder 0700 and the files it holds 0600 (databases, their
// logs, set.ini, backup.log), for folders made before files were restricted.
void restrictDataFolder(const DbSettings& settings);
// A program run as root gives a file or folder it made or replaced to the owner
// of the folder holding it, so that the shop's user can still write it.
void keepFolderOwner(const QString& path);
// The permissions a data file gets (0600) and a data folder gets (0700).
void restrictFile(const QString& path);
void restrictFolder(const QString& path);
// Creates the folder and any missing parent, each new one 0700 and given to
// the owner of the folder holding it; true when it exists afterwards.
bool makePrivateFolder(const QString& path);

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
