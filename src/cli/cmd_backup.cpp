// tcmcare-admin backup / restore: copies of the embedded databases and putting
// one back. A PostgreSQL server is backed up with the server's own tools.
#include <QDateTime>
#include <QDir>

#include "commands.h"
#include "db/backup.h"

namespace tcm::cli {

int cmdBackup(const DbSettings& settings, const QStringList& args, Io io) {
  if (args.size() > 1) {
    io.err << "用法：tcmcare-admin backup [目录]\n";
    return 2;
  }
  if (!remoteIsEmbedded(settings)) {
    io.err << serverBackupAdvice() << "\n";
    return 3;
  }
  QString error;
  const QString target = args.isEmpty() ? QDir(backupRoot(settings)).filePath(backupFolderName(QDateTime::currentDateTime()))
                                        : QDir(args[0]).absolutePath();
  if (!backupEmbeddedDatabases(settings, target, &error)) {
    io.err << "备份失败：" << error << "\n";
    return 1;
  }
  io.out << "已备份到 " << target << "：" << embeddedDatabaseFiles().join(QStringLiteral("、")) << "\n";
  return 0;
}

int cmdRestore(const DbSettings& settings, const QStringList& args, Io io) {
  if (args.size() != 1) {
    io.err << "用法：tcmcare-admin restore 备份目录\n";
    return 2;
  }
  RestoreReport report;
  QString error;
  if (!restoreEmbeddedDatabases(settings, QDir(args[0]).absolutePath(), QDateTime::currentDateTime(), &report, &error)) {
    io.err << error << "\n";
    return remoteIsEmbedded(settings) ? 1 : 3;
  }
  if (!report.recovered.isEmpty()) io.out << report.recovered << "\n";
  for (const QString& step : report.upgraded) io.out << "备份的数据库结构已升级：" << step << "\n";
  io.out << "已恢复：" << report.restored.join(QStringLiteral("、")) << "\n";
  if (!report.kept.isEmpty()) io.out << "被替换的文件保留为：" << report.kept.join(QStringLiteral("、")) << "\n";
  return 0;
}

}  // namespace tcm::cli
