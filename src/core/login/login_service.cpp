#include "login/login_service.h"

#include <QFile>
#include <QSqlQuery>

#include "db/gateway.h"
#include "login/public_address.h"
#include "login/remembered_password.h"
#include "settings/ini_file.h"

namespace tcm {

QString checkLoginBoxes(const QString& name, const QString& password) {
  if (name.trimmed().isEmpty()) return QStringLiteral("用户名没有填写");
  if (password.trimmed().isEmpty() || password == QStringLiteral("密码")) return QStringLiteral("密码没有填写");
  return {};
}

LoginResult LoginService::attempt(const QString& name, const QString& password, LoginState* state) {
  const QString ip = fetchPublicAddress(ipService_);
  // A password GBK cannot represent can be no stored password.
  const std::optional<QString> stored = passwordForDatabase(password);
  if (!stored) return LoginResult::NoMatch;
  QSqlQuery* q = dm_.GetDB(Sql(QStringLiteral("select id,shopId,shopName,name from [user] where userid=? and pwd=?"),
                               {name, *stored}),
                           true);
  if (!q) return LoginResult::DbFailure;
  if (!q->next()) return LoginResult::NoMatch;
  state->UserId = q->value(0).toString();
  state->ShopId = q->value(1).toString();
  state->ShopName = q->value(2).toString();
  state->UserName = q->value(3).toString();
  state->loginName = name;
  state->loginPassword = password;
  q->finish();
  // The journal row's result is not looked at.
  (void)dm_.ExecMSSql(Sql(QStringLiteral("insert into log(userid,ip) values(?,?)"), {name, ip}));
  return LoginResult::Ok;
}

QString LoginService::messageFor(LoginResult r) {
  switch (r) {
    case LoginResult::Ok:
      return {};
    case LoginResult::NoMatch:
      return QStringLiteral("用户名或密码错误");
    case LoginResult::DbFailure:
      return QStringLiteral("登陆过程发生网络连接错误，请重新登陆");
  }
  return {};
}

RememberedLogin readRememberedLogin(const QString& iniPath) {
  RememberedLogin r;
  IniFile ini(iniPath);
  if (!ini.exists()) return r;
  ini.load();
  r.user = ini.value(QStringLiteral("LOGIN"), QStringLiteral("USER"));
  const QString stored = ini.value(QStringLiteral("LOGIN"), QStringLiteral("PWD"));
  if (!stored.isEmpty()) {
    if (const auto pwd = passwordFromStoredForm(stored)) {
      r.password = *pwd;
      r.hasPassword = true;
    }
  }
  return r;
}

bool writeRememberedLogin(const QString& iniPath, const QString& user, const QString& password) {
  const std::optional<QString> stored = passwordToStoredForm(password);
  if (!stored) return false;
  IniFile ini(iniPath);
  ini.load();
  ini.setValue(QStringLiteral("LOGIN"), QStringLiteral("USER"), user);
  ini.setValue(QStringLiteral("LOGIN"), QStringLiteral("PWD"), *stored);
  return ini.save();
}

bool replaceRememberedPassword(const QString& iniPath, const QString& user, const QString& password) {
  IniFile ini(iniPath);
  if (!ini.exists()) return true;
  ini.load();
  if (ini.value(QStringLiteral("LOGIN"), QStringLiteral("USER")) != user ||
      ini.value(QStringLiteral("LOGIN"), QStringLiteral("PWD")).isEmpty())
    return true;
  const std::optional<QString> stored = passwordToStoredForm(password);
  if (!stored) return false;
  ini.setValue(QStringLiteral("LOGIN"), QStringLiteral("PWD"), *stored);
  return ini.save();
}

}  // namespace tcm
