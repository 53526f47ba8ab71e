// tcmcare-admin: create and seed the databases, check the knowledge base,
// encipher or decipher stored values, run the engine and an identification.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "commands.h"

namespace {

const char* const kUsage =
    "用法：tcmcare-admin [--data 目录] [--remote 地址] 命令 [参数]\n"
    "\n"
    "命令：\n"
    "  init-db [--reload-kb]   建立本地与远程数据库的结构，写入演示门店、账户、版本与知识库；\n"
    "                          可重复运行，已有的数据保留；--reload-kb 重新写入知识库\n"
    "  cipher des-encrypt 文本 用 DES 加密（GBK 字节，密钥 KD3907），输出十六进制\n"
    "  cipher des-decrypt 密文 DES 解密；不是十六进制时输出 0\n"
    "  cipher aes-encrypt 文本 用 AES-256 加密（GBK 字节），输出十六进制\n"
    "  cipher aes-decrypt 密文 AES-256 解密；失败时在标准错误输出原因并以状态 1 退出\n"
    "  engine --codes 编码,… [--departments 科室,…] [--chief 编码,…] [--limit N] [--min-score N] [--sort 0|1]\n"
    "                          只运行辨证引擎（默认：4 个结果、最低 20 分、按得分与匹配数排序、女性科室表、\n"
    "                          无主诉），每个结果一行，制表符分隔：编号、名称、得分、匹配数、模块标志、来源、模块方剂\n"
    "  identify [--gender 男|女] [--age 岁数] [--primary 名称] 名称…\n"
    "                          按主窗口的方式辨识词库中的症状、舌象、脉象、疾病名称，输出格式同 engine\n"
    "  check-kb [--seed 目录] [--cases 病例文件]\n"
    "                          检查知识库文本（默认为程序内置的一份）：编码、方剂、药材、问诊与规则的引用，\n"
    "                          每个证型与每个教材病例都能辨出；有问题时逐行列出并以状态 1 退出\n"
    "  backup [目录]           用 SQLite 在线备份复制 fm.db 与 loc.db（客户端运行时也可），默认放入\n"
    "                          数据目录的 backup/年月日-时分秒/；远程库为 PostgreSQL 时不复制，\n"
    "                          提示改用服务器的 pg_dump，并以状态 3 退出\n"
    "  restore 备份目录        检查备份（完整性、每个表与列）并升级到当前结构后放回原处，原文件改名为\n"
    "                          *.replaced-年月日-时分秒 保留；任何客户端打开着这些数据库时拒绝；\n"
    "                          中断的恢复由下次启动（客户端、init-db、restore）完成或复原\n"
    "  constitution [--form standard|elderly] [--gender 男|女] --answers 平和质=5,1,… 气虚质=… …\n"
    "  constitution [--form standard|elderly] --scores 平和质=75,气虚质=56,…\n"
    "                          按中医体质分类与判定计算一人的九种体质：每种体质一个参数，给出该体质各条目的\n"
    "                          答案 1–5（湿热质只给所给性别的条目），或直接给出转化分（只作判定）；每种体质\n"
    "                          一行，制表符分隔：体质、原始分、转化分、判定，末行“判定：…”；老年版以各条目\n"
    "                          得分之和判定，写在原始分一栏；输入有误时说明原因并以状态 2 退出\n"
    "  help [命令]             显示本说明\n"
    "\n"
    "数据目录：--data 或环境变量 TCM_DATA_DIR，默认为 ~/.local/share/tcmcare（loc.db、fm.db、set.ini、PR）。\n"
    "远程数据库：--remote 或环境变量 TCM_REMOTE_DB，例如 postgresql://用户:密码@主机:5432/fm\n"
    "            或 sqlite:/路径/fm.db；默认为数据目录中的 fm.db。\n";

}  // namespace

int main(int argc, char** argv) {
  tcm::restrictNewFiles();
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = app.arguments().mid(1);
  const tcm::DbSettings settings = tcm::DbSettings::fromEnvironmentAndArgs(&args);
  tcm::cli::Io io{out, err};
  if (args.isEmpty() || args[0] == QLatin1String("help") || args[0] == QLatin1String("--help") ||
      args[0] == QLatin1String("-h")) {
    out << kUsage;
    return args.isEmpty() ? 2 : 0;
  }
  const QString command = args.takeFirst();
  if (command == QLatin1String("init-db")) return tcm::cli::cmdInitDb(settings, args, io);
  if (command == QLatin1String("cipher")) return tcm::cli::cmdCipher(args, io);
  if (command == QLatin1String("engine")) return tcm::cli::cmdEngine(settings, args, io);
  if (command == QLatin1String("identify")) return tcm::cli::cmdIdentify(settings, args, io);
  if (command == QLatin1String("check-kb")) return tcm::cli::cmdCheckKb(args, io);
  if (command == QLatin1String("backup")) return tcm::cli::cmdBackup(settings, args, io);
  if (command == QLatin1String("restore")) return tcm::cli::cmdRestore(settings, args, io);
  if (command == QLatin1String("constitution")) return tcm::cli::cmdConstitution(args, io);
  err << "未知命令：" << command << "\n\n" << kUsage;
  return 2;
}
