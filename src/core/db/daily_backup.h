#pragma once
// The client's backup of the day: made after the first login of each day into
// <data>/backup/<yyyyMMdd-hhmmss>/, on a thread of its own so that the login
// never waits for it; the newest 14 backups are kept, older ones removed. A
// failure goes to <data>/backup.log and is handed to the window once.
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <thread>

#include "db/db_settings.h"

namespace tcm {

inline constexpr int kKeptDailyBackups = 14;

// Names of the finished backup folders under `root` (both files present),
// oldest first in the order they were made (kept in each backup, see
// backupOrder, then the time kept in it), so a clock set back does not make a
// new backup look old.
QStringList finishedBackups(const QString& root);
// True when no finished backup of `today` is under `root`.
bool dailyBackupDue(const QString& root, const QDate& today);
// Removes all but the newest `keep` finished backups, and folders of earlier
// days that never finished; the backup named `justMade` is never removed and
// counts as one of the kept. The names removed.
QStringList pruneBackups(const QString& root, int keep, const QDate& today, const QString& justMade = {});
// Appends one line, stamped with `now`, to <data>/backup.log.
void appendBackupLog(const DbSettings& settings, const QDateTime& now, const QString& line);

struct DailyBackupResult {
  enum class Kind { NotDue, Server, Made, Failed };
  Kind kind = Kind::NotDue;
  QString folder;       // the backup made
  QString error;        // why it failed
  QStringList removed;  // old backups removed
};

// The whole daily step as the job runs it; the log line is written here.
DailyBackupResult runDailyBackup(const DbSettings& settings, const QDateTime& now, int keep = kKeptDailyBackups);
// <data>/backup.log
QString backupLogPath(const DbSettings& settings);
// The one message the client shows for a failed daily backup.
QString dailyBackupFailureMessage(const QString& error);

class DailyBackupJob : public QObject {
  Q_OBJECT
 public:
  explicit DailyBackupJob(DbSettings settings, int keep = kKeptDailyBackups, QObject* parent = nullptr);
  ~DailyBackupJob() override;  // waits for a backup still running

  // Starts runDailyBackup on its own thread and returns at once; false when the
  // previous one is still running.
  bool start(const QDateTime& now);
  bool running() const { return running_.load(); }
  // Waits for the thread (tests, benchmarks, closing); `finished` still comes through the event loop.
  void wait();

 Q_SIGNALS:
  // Emitted on the job's own thread (the window's) when the backup step ended.
  void finished(const tcm::DailyBackupResult& result);

 private:
  DbSettings settings_;
  int keep_;
  std::thread worker_;
  std::atomic<bool> running_{false};
};

}  // namespace tcm
