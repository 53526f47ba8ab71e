#include "db/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "db/db_settings.h"

namespace tcm {

QString FolderLock::pathIn(const QString& dataDir) { return QDir(dataDir).filePath(QStringLiteral("tcmcare.lock")); }

bool FolderLock::acquire(const QString& dataDir, Mode mode, QString* error) {
  return acquireFile(pathIn(dataDir), mode, error);
}

bool FolderLock::acquireFile(const QString& lockPath, Mode mode, QString* error) {
  release();
  busy_ = false;
  const QByteArray path = QFile::encodeName(lockPath);
  const bool existed = QFileInfo::exists(lockPath);
  int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A lock file this user may only read still locks (flock needs no write access).
  if (fd < 0 && errno == EACCES) fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = QStringLiteral("无法打开锁文件 %1：%2").arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  if (!existed) keepFolderOwner(lockPath);
  int rc;
  do {
    rc = ::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool busy = errno == EWOULDBLOCK;
    busy_ = busy;
    QString database = lockPath;
    if (database.endsWith(QLatin1String(".lock"))) database.chop(5);
    *error = busy ? (mode == Mode::Shared
                         ? QStringLiteral("数据库正在恢复备份，请稍后再打开（%1）").arg(database)
                         : QStringLiteral("有客户端正在使用数据库 %1，请先关闭所有使用它的客户端").arg(database))
                  : QStringLiteral("无法锁定 %1：%2").arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void FolderLock::release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the descriptor ends the lock
  fd_ = -1;
}

QString DatabaseLocks::lockPathOf(const QString& databaseFile) {
  const QFileInfo file(databaseFile);
  const QFileInfo real(file.exists() ? file.canonicalFilePath() : file.absoluteFilePath());
  const QString folder = QFileInfo(real.absolutePath()).canonicalFilePath();
  return QDir(folder.isEmpty() ? real.absolutePath() : folder).filePath(real.fileName() + QStringLiteral(".lock"));
}

bool DatabaseLocks::holds(const QString& databaseFile) const {
  const QString path = lockPathOf(databaseFile);
  for (const Held& h : held_)
    if (h.lockPath == path) return true;
  return false;
}

bool DatabaseLocks::acquire(const QStringList& databaseFiles, FolderLock::Mode mode, QString* error) {
  const size_t before = held_.size();
  for (const QString& file : databaseFiles) {
    if (holds(file)) continue;
    Held h{lockPathOf(file), std::make_unique<FolderLock>()};
    if (!h.lock->acquireFile(h.lockPath, mode, error)) {
      held_.resize(before);
      return false;
    }
    held_.push_back(std::move(h));
  }
  return true;
}

void DatabaseLocks::release() { held_.clear(); }

}  // namespace tcm
