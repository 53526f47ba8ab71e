#include "data/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace tcm {

QString FolderLock::pathIn(const QString& dataDir) { return QDir(dataDir).filePath(QStringLiteral("tcmcare.lock")); }

bool FolderLock::acquire(const QString& dataDir, Mode mode, QString* error) {
  release();
  const QByteArray path = QFile::encodeName(pathIn(dataDir));
  const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = QStringLiteral("无法打开锁文件 %1：%2").arg(pathIn(dataDir), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  int rc;
  do {
    rc = ::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool busy = errno == EWOULDBLOCK;
    *error = busy ? (mode == Mode::Shared ? QStringLiteral("数据目录正在恢复备份，请稍后再打开")
                                          : QStringLiteral("有客户端正在使用数据库，请先关闭所有客户端"))
                  : QStringLiteral("无法锁定 %1：%2").arg(pathIn(dataDir), QString::fromLocal8Bit(std::strerror(errno)));
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

}  // namespace tcm
