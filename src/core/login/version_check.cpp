#include "login/version_check.h"

#include <QSqlQuery>

#include "db/gateway.h"
#include "messages.h"
#include "settings/ini_file.h"

namespace tcm {
namespace {

const QString kSection = QStringLiteral("Version");

bool askUpgrade(Messages& messages) { return messages.askOkCancel(QStringLiteral("版本升级提示"), QStringLiteral("有新版是否更新")); }

bool sameVersion(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

VersionCheckOutcome runVersionCheck(const QString& iniPath, TDMServer& dm, Messages& messages,
                                    const VersionCheckHooks& hooks, const QDate& today,
                                    const QString& programVersion) {
  IniFile ini(iniPath);
  ini.load();
  const QString todayText = today.toString(QStringLiteral("yyyyMMdd"));
  // A client that has never recorded a check asks the server and compares with
  // its own version; it never claims an upgrade without one being published.
  const bool recorded = ini.contains(kSection, QStringLiteral("date"));
  const QString date = ini.value(kSection, QStringLiteral("date"), recorded ? todayText : QString());
  const QString installed = ini.value(kSection, QStringLiteral("version"), programVersion);
  const QString upted = ini.value(kSection, QStringLiteral("upted"), QStringLiteral("0"));

  if (date != todayText) {
    QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select version from version where flag = 1")), true);
    if (!q) return VersionCheckOutcome::NotAsked;
    const QString server = q->next() ? q->value(0).toString() : QString();
    q->finish();
    if (sameVersion(server, installed)) return VersionCheckOutcome::NotAsked;
    if (!askUpgrade(messages)) return VersionCheckOutcome::Declined;
    if (hooks.requestQuit) hooks.requestQuit();
    ini.setValue(kSection, QStringLiteral("upted"), QStringLiteral("0"));
    ini.setValue(kSection, QStringLiteral("version"), server);
    (void)ini.save();  // a settings file that cannot be written does not stop the upgrade
    if (hooks.startUpgrade) hooks.startUpgrade();
    return VersionCheckOutcome::Upgrading;
  }
  if (upted == QStringLiteral("0")) {
    if (!askUpgrade(messages)) return VersionCheckOutcome::Declined;
    if (hooks.requestQuit) hooks.requestQuit();
    if (hooks.startUpgrade) hooks.startUpgrade();
    return VersionCheckOutcome::Upgrading;
  }
  return VersionCheckOutcome::NotAsked;
}

}  // namespace tcm
