#include "data/daily_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include "data/backup.h"
#include "data/folder_lock.h"

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

void appendLog(const DbSettings& settings, const QDateTime& now, const QString& line) {
  QFile log(backupLogPath(settings));
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
  QTextStream out(&log);
  out << now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) << ' ' << line << '\n';
}

}  // namespace

QStringList finishedBackups(const QString& root) {
  const QDir dir(root);
  QStringList out;
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
    if (datedName().match(name).hasMatch() && finished(QDir(dir.filePath(name)))) out << name;
  return out;
}

bool dailyBackupDue(const QString& root, const QDate& today) {
  const QString prefix = today.toString(QStringLiteral("yyyyMMdd-"));
  for (const QString& name : finishedBackups(root))
    if (name.startsWith(prefix)) return false;
  return true;
}

QStringList pruneBackups(const QString& root, int keep, const QDate& today) {
  const QDir dir(root);
  QStringList removed;
  const QStringList done = finishedBackups(root);
  for (qsizetype i = 0; i + keep < done.size(); ++i)
    if (QDir(dir.filePath(done[i])).removeRecursively()) removed << done[i];
  // A backup of an earlier day that never finished is of no use.
  const QString todayText = today.toString(QStringLiteral("yyyyMMdd"));
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    const QRegularExpressionMatch m = datedName().match(name);
    if (m.hasMatch() && m.captured(1) < todayText && !done.contains(name) &&
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
  if (!QDir().mkpath(root)) {
    r.kind = DailyBackupResult::Kind::Failed;
    r.error = QStringLiteral("无法创建备份目录：%1").arg(root);
    appendLog(settings, now, QStringLiteral("每日备份失败：") + r.error);
    return r;
  }
  // Two windows logging in at once make one backup: the second finds the lock
  // taken (or, after it, today's backup) and leaves it.
  FolderLock once;
  QString busy;
  if (!once.acquire(root, FolderLock::Mode::Exclusive, &busy) || !dailyBackupDue(root, now.date())) return r;
  const QString folder = QDir(root).filePath(backupFolderName(now));
  QString error;
  if (!backupEmbeddedDatabases(settings, folder, &error)) {
    QDir(folder).removeRecursively();
    r.kind = DailyBackupResult::Kind::Failed;
    r.error = error;
    appendLog(settings, now, QStringLiteral("每日备份失败：") + error);
    return r;
  }
  r.kind = DailyBackupResult::Kind::Made;
  r.folder = folder;
  r.removed = pruneBackups(root, keep, now.date());
  appendLog(settings, now,
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
