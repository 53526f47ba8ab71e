#pragma once
// Who is using a data folder: every client (and tcmcare-admin backup) holds a
// shared lock on <data>/tcmcare.lock for as long as it runs; a restore takes the
// lock exclusively, so it runs only when no client is open and no client can
// start while it replaces the files. The lock is the operating system's (flock):
// it ends with its process, so a crashed client leaves nothing behind.
#include <QString>

namespace tcm {

class FolderLock {
 public:
  enum class Mode { Shared, Exclusive };

  FolderLock() = default;
  ~FolderLock() { release(); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Takes the lock without waiting; false with a Chinese error text when another
  // process holds it in a conflicting mode or the lock file cannot be opened.
  [[nodiscard]] bool acquire(const QString& dataDir, Mode mode, QString* error);
  void release();
  bool held() const { return fd_ >= 0; }

  static QString pathIn(const QString& dataDir);

 private:
  int fd_ = -1;
};

}  // namespace tcm
