#include "db/db_settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace tcm {

QString DbSettings::localDbPath() const { return QDir(dataDir).filePath(QStringLiteral("loc.db")); }
QString DbSettings::remoteDbPath() const { return QDir(dataDir).filePath(QStringLiteral("fm.db")); }
QString DbSettings::iniPath() const { return QDir(dataDir).filePath(QStringLiteral("set.ini")); }
QString DbSettings::pictureDir() const { return QDir(dataDir).filePath(QStringLiteral("PR")); }

QString DbSettings::embeddedRemotePath() const {
  const RemoteUrl url = RemoteUrl::parse(remoteUrl, remoteDbPath());
  if (!url.error.isEmpty() || url.postgres) return {};
  return QFileInfo(url.path).absoluteFilePath();
}

QStringList DbSettings::embeddedDatabasePaths() const {
  QStringList out{QFileInfo(localDbPath()).absoluteFilePath()};
  const QString remote = embeddedRemotePath();
  if (!remote.isEmpty()) out << remote;
  return out;
}

void restrictNewFiles() { ::umask(077); }

void restrictFile(const QString& path) {
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void restrictFolder(const QString& path) {
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void restrictDataFolder(const DbSettings& settings) {
  const QDir dir(settings.dataDir);
  if (!dir.exists()) return;
  restrictFolder(dir.absolutePath());
  const QStringList patterns = {QStringLiteral("*.db"),      QStringLiteral("*.db-wal"), QStringLiteral("*.db-shm"),
                                QStringLiteral("*.db-journal"), QStringLiteral("*.ini"),  QStringLiteral("*.log"),
                                QStringLiteral("*.replaced-*")};
  for (const QString& f : dir.entryList(patterns, QDir::Files)) restrictFile(dir.filePath(f));
}

bool makePrivateFolder(const QString& path) {
  QStringList missing;
  for (QString p = QDir(path).absolutePath(); !QFileInfo::exists(p); p = QFileInfo(p).absolutePath()) {
    missing.prepend(p);
    if (QFileInfo(p).absolutePath() == p) break;
  }
  for (const QString& p : missing) {
    if (!QDir().mkdir(p) && !QFileInfo(p).isDir()) return false;
    restrictFolder(p);
    keepFolderOwner(p);
  }
  return QFileInfo(path).isDir();
}

void keepFolderOwner(const QString& path) {
  if (::geteuid() != 0) return;
  struct stat folder {};
  const QByteArray parent = QFile::encodeName(QFileInfo(path).absolutePath());
  if (::stat(parent.constData(), &folder) != 0 || folder.st_uid == 0) return;
  const QByteArray name = QFile::encodeName(path);
  (void)::lchown(name.constData(), folder.st_uid, folder.st_gid);
}

QString defaultDataDir() {
  // The user's data location ($XDG_DATA_HOME, else ~/.local/share), never the
  // folder the programs are installed in or started from.
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir(base.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : base).filePath(QStringLiteral("tcmcare"));
}

DbSettings DbSettings::fromEnvironmentAndArgs(QStringList* args) {
  DbSettings s;
  s.dataDir = qEnvironmentVariable("TCM_DATA_DIR");
  s.remoteUrl = qEnvironmentVariable("TCM_REMOTE_DB");
  if (args) {
    for (qsizetype i = 0; i < args->size();) {
      const QString a = args->at(i);
      auto take = [&](const QString& opt, QString* target) {
        if (a == opt && i + 1 < args->size()) {
          *target = args->at(i + 1);
          args->remove(i, 2);
          return true;
        }
        if (a.startsWith(opt + QLatin1Char('='))) {
          *target = a.mid(opt.size() + 1);
          args->remove(i);
          return true;
        }
        return false;
      };
      if (take(QStringLiteral("--data"), &s.dataDir) || take(QStringLiteral("--remote"), &s.remoteUrl)) continue;
      ++i;
    }
  }
  if (s.dataDir.isEmpty()) s.dataDir = defaultDataDir();
  s.dataDir = QDir(s.dataDir).absolutePath();
  return s;
}

QString maskedConnectionAddress(const QString& url) {
  QString out = url;
  const qsizetype scheme = out.indexOf(QLatin1String("://"));
  const qsizetype at = out.lastIndexOf(QLatin1Char('@'));
  if (scheme >= 0 && at > scheme) {
    const qsizetype colon = out.indexOf(QLatin1Char(':'), scheme + 3);
    if (colon >= 0 && colon < at) out.replace(colon + 1, at - colon - 1, QStringLiteral("******"));
  }
  static const QRegularExpression option(QStringLiteral("(password=)[^&;\\s]*"), QRegularExpression::CaseInsensitiveOption);
  out.replace(option, QStringLiteral("\\1******"));
  return out;
}

RemoteUrl RemoteUrl::parse(const QString& url, const QString& defaultSqlitePath) {
  RemoteUrl r;
  if (url.trimmed().isEmpty()) {
    r.path = defaultSqlitePath;
    return r;
  }
  if (url.startsWith(QLatin1String("sqlite:"))) {
    r.path = url.mid(7);
    if (r.path.startsWith(QLatin1String("//"))) r.path = r.path.mid(2);
    if (r.path.isEmpty()) r.error = QStringLiteral("远程数据库设置缺少文件路径：%1").arg(maskedConnectionAddress(url));
    return r;
  }
  const QUrl u(url);
  if (u.isValid() && (u.scheme() == QLatin1String("postgresql") || u.scheme() == QLatin1String("postgres"))) {
    r.postgres = true;
    r.host = u.host().isEmpty() ? QStringLiteral("localhost") : u.host();
    r.port = u.port(5432);
    r.user = u.userName();
    r.password = u.password();
    r.database = u.path().mid(1);
    if (r.database.isEmpty()) r.database = QStringLiteral("fm");
    return r;
  }
  r.error = QStringLiteral("无法识别的远程数据库设置：%1（应为 postgresql://用户:密码@主机:端口/库名 或 sqlite:/路径/fm.db）")
                .arg(maskedConnectionAddress(url));
  return r;
}

}  // namespace tcm
