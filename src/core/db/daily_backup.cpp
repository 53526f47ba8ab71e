#include "db/daily_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>

#include "db/backup.h"
#include "db/folder_lock.h"

namespace tcm {
namespace {

const QRegularExpression& datedName() {
  static const QRegularExpression re(QStringLiteral("^(\\d{8})-\\d{6}$"));
  return re;
}

bool finished(const QDir& folder) {
  for (const QString& f : embeddedDatabaseFiles())
    if (!QFileInfo(folder.filePath(f)).isFile()) return false;
  return true;
}

}  // namespace

void appendBackupLog(const DbSettings& settings, const QDateTime& now, const QString& line) {
  const QString path = backupLogPath(settings);
  const bool existed = QFileInfo::exists(path);
  QFile log(path);
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
  if (!existed) {
    restrictFile(path);
    keepFolderOwner(path);
  }
  QTextStream out(&log);
  out << now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) << ' ' << line << '\n';
}

QStringList finishedBackups(const QString& root) {
  const QDir dir(root);
  struct Found {
    int order;
    QDateTime made;
    QString name;
  };
  QList<Found> found;
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
    if (datedName().match(name).hasMatch() && finished(QDir(dir.filePath(name))))
      found.append({backupOrder(dir.filePath(name)), backupMadeAt(dir.filePath(name)), name});
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.order != b.order ? a.order < b.order : a.made < b.made;
  });
  QStringList out;
  for (const Found& f : found) out << f.name;
  return out;
}

bool dailyBackupDue(const QString& root, const QDate& today) {
  const QString prefix = today.toString(QStringLiteral("yyyyMMdd-"));
  for (const QString& name : finishedBackups(root))
    if (name.startsWith(prefix)) return false;
  return true;
}

QStringList pruneBackups(const QString& root, int keep, const QDate& today, const QString& justMade) {
  const QDir dir(root);
  QStringList removed;
  const QStringList done = finishedBackups(root);
  QStringList others = done;
  if (others.removeAll(justMade) > 0) --keep;
  for (qsizetype i = 0; i + std::max(keep, 0) < others.size(); ++i)
    if (QDir(dir.filePath(others[i])).removeRecursively()) removed << others[i];
  // A backup of an earlier day that never finished is of no use.
  const QString todayText = today.toString(QStringLiteral("yyyyMMdd"));
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    const QRegularExpressionMatch m = datedName().match(name);
    if (m.hasMatch() && m.captured(1) < todayText && !done.contains(name) && name != justMade &&
        QDir(dir.filePath(name)).removeRecursively())
      removed << name;
  }
  return removed;
}

QString backupLogPath(const DbSettings& settings) { return QDir(settings.dataDir).filePath(QStringLiteral("backup.log")); }

QString dailyBackupFailureMessage(const QString& error) {
  return QStringLiteral("今天的数据备份没有完成：%1\n请检查数据目录的磁盘空间与权限，详情见 backup.log。").arg(error);
}

DailyBackupResult runDailyBackup(const DbSettings& settings, const QDateTime& now, int keep) {
  DailyBackupResult r;
  if (!remoteIsEmbedded(settings)) {
    r.kind = DailyBackupResult::Kind::Server;  // the server's operator dumps it
    return r;
  }
  const QString root = backupRoot(settings);
  auto fail = [&](const QString& error) {
    r.kind = DailyBackupResult::Kind::Failed;
    r.error = error;
    appendBackupLog(settings, now, QStringLiteral("每日备份失败：") + error);
    return r;
  };
  if (!makePrivateFolder(root)) return fail(QStringLiteral("无法创建备份目录：%1").arg(root));
  // Two windows logging in at once make one backup: the second finds the lock
  // taken (or, after it, today's backup) and leaves it. A lock that cannot be
  // taken for another reason (a folder this user may not write) is a failure.
  FolderLock once;
  QString lockError;
  if (!once.acquire(root, FolderLock::Mode::Exclusive, &lockError)) {
    if (once.busy()) return r;
    return fail(lockError);
  }
  if (!dailyBackupDue(root, now.date())) return r;
  const QString folder = QDir(root).filePath(backupFolderName(now));
  QString error;
  if (!backupEmbeddedDatabases(settings, folder, &error, now)) {
    QDir(folder).removeRecursively();
    return fail(error);
  }
  r.kind = DailyBackupResult::Kind::Made;
  r.folder = folder;
  r.removed = pruneBackups(root, keep, now.date(), backupFolderName(now));
  appendBackupLog(settings, now,
            QStringLiteral("每日备份完成：%1%2")
                .arg(folder, r.removed.isEmpty() ? QString() : QStringLiteral("；删除旧备份 ") + r.removed.join(QLatin1Char(' '))));
  return r;
}

DailyBackupJob::DailyBackupJob(DbSettings settings, int keep, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), keep_(keep) {}

DailyBackupJob::~DailyBackupJob() { wait(); }

bool DailyBackupJob::start(const QDateTime& now) {
  if (running_.exchange(true)) return false;
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread([this, now] {
    const DailyBackupResult result = runDailyBackup(settings_, now, keep_);
    running_.store(false);
    // The result is handed over on the job's own thread; a job destroyed
    // before then drops it with the queued call.
    QMetaObject::invokeMethod(
        this,
        [this, result] { Q_EMIT finished(result); },
        Qt::QueuedConnection);
  });
  return true;
}

void DailyBackupJob::wait() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace tcm
