#pragma once
// Who is using a database. Every process that opens an embedded database file
// (the client, tcmcare-admin, a backup) holds a shared lock on the file's lock
// file "<file>.lock" beside it, from whatever data folder it was started with;
// a restore takes the lock of every file it replaces exclusively, so it runs
// only when nobody has them open and nobody can open them while it swaps the
// files. The lock is the operating system's (flock): it ends with its process,
// so a crashed client leaves nothing behind.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace tcm {

class FolderLock {
 public:
  enum class Mode { Shared, Exclusive };

  FolderLock() = default;
  ~FolderLock() { release(); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Takes the lock of <dataDir>/tcmcare.lock without waiting (the daily backup
  // uses it so that two windows logging in at once make one backup).
  [[nodiscard]] bool acquire(const QString& dataDir, Mode mode, QString* error);
  // Takes the lock of the file `lockPath` without waiting; false with a Chinese
  // error text when another process holds it in a conflicting mode or the file
  // cannot be opened.
  [[nodiscard]] bool acquireFile(const QString& lockPath, Mode mode, QString* error);
  void release();
  bool held() const { return fd_ >= 0; }
  // After a failed acquire: true when another process holds the lock (false
  // when the lock file itself could not be used).
  bool busy() const { return busy_; }

  static QString pathIn(const QString& dataDir);

 private:
  int fd_ = -1;
  bool busy_ = false;
};

// The locks of a set of embedded database files, taken together or not at all.
class DatabaseLocks {
 public:
  // "<file>.lock" beside the database file, its folder's links resolved, so
  // that every path to one file names one lock.
  static QString lockPathOf(const QString& databaseFile);

  // Takes the lock of each file not held yet (in `mode`); on failure the locks
  // taken by this call are released again.
  [[nodiscard]] bool acquire(const QStringList& databaseFiles, FolderLock::Mode mode, QString* error);
  bool holds(const QString& databaseFile) const;
  void release();

 private:
  struct Held {
    QString lockPath;
    std::unique_ptr<FolderLock> lock;
  };
  std::vector<Held> held_;
};

}  // namespace tcm
