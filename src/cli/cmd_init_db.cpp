#include <QDir>
#include <QFile>

#include "commands.h"
#include "db/backup.h"
#include "db/gateway.h"
#include "db/schema.h"
#include "kb/seed_accounts.h"
#include "kb/seed_knowledge.h"
#include "messages.h"

namespace tcm::cli {
namespace {

bool ensureSqliteFile(const QString& path, QString* error) {
  if (QFile::exists(path)) return true;
  makePrivateFolder(QFileInfo(path).absolutePath());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) {
    *error = QStringLiteral("无法创建数据库文件 %1").arg(path);
    return false;
  }
  f.close();
  restrictFile(path);
  keepFolderOwner(path);
  return true;
}

}  // namespace

int cmdInitDb(const DbSettings& settings, const QStringList& args, Io io) {
  const bool reloadKnowledge = args.contains(QStringLiteral("--reload-kb"));
  SilentMessages messages;
  QString error, recovered;
  // A restore that stopped half-way is put right before anything is opened.
  if (!finishInterruptedRestore(settings, &recovered, &error)) {
    io.err << error << "\n";
    return 1;
  }
  if (!recovered.isEmpty()) io.out << recovered << "\n";
  // A missing database beside what a restore left is never made afresh: the
  // shop's data is in those files, and a blank demo database would hide it.
  const QStringList leftovers = restoreLeftovers(settings);
  for (const QString& db : settings.embeddedDatabasePaths()) {
    if (QFileInfo::exists(db) || leftovers.isEmpty()) continue;
    io.err << "未建立新数据库：" << db << " 不存在，而它的目录中有恢复备份留下的文件：" << leftovers.join(QStringLiteral("、"))
           << "\n店里的数据可能在这些文件中：请用 tcmcare-admin restore 放回备份，或把 *.replaced-* 文件改回原名后再运行。\n";
    return 1;
  }
  makePrivateFolder(settings.dataDir);
  restrictDataFolder(settings);
  if (!ensureSqliteFile(settings.localDbPath(), &error)) {
    io.err << error << "\n";
    return 1;
  }
  const RemoteUrl url = RemoteUrl::parse(settings.remoteUrl, settings.remoteDbPath());
  if (!url.error.isEmpty()) {
    io.err << url.error << "\n";
    return 1;
  }
  if (!url.postgres && !ensureSqliteFile(url.path, &error)) {
    io.err << error << "\n";
    return 1;
  }
  if (!makePrivateFolder(settings.pictureDir())) {  // the prescription pictures are saved here
    io.err << "无法创建图片文件夹 " << settings.pictureDir() << "\n";
    return 1;
  }
  TDMServer dm(settings, &messages);
  if (!applySchema(dm, Database::Local, &error) || !applySchema(dm, Database::Remote, &error)) {
    io.err << "建立数据库结构失败：" << error << "\n";
    return 1;
  }
  if (!seedAccounts(dm, &error)) {
    io.err << "写入演示账户失败：" << error << "\n";
    return 1;
  }
  SeedReport report;
  if (!seedKnowledge(dm, reloadKnowledge, &report, &error)) {
    io.err << "写入知识库失败：" << error << "\n";
    return 1;
  }
  io.out << "数据库已就绪：" << settings.localDbPath() << "，"
         << (url.postgres ? QStringLiteral("postgresql://%1:%2/%3").arg(url.host).arg(url.port).arg(url.database) : url.path)
         << "\n";
  if (!report.summary.isEmpty()) io.out << report.summary << "\n";
  return 0;
}

}  // namespace tcm::cli
