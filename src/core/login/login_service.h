#pragma once
// The login: checks of the two boxes, the account query, the journal row and
// remembering the credentials.
#include <QString>

#include "login/login_state.h"

namespace tcm {

class TDMServer;
class IniFile;

enum class LoginResult { Ok, NoMatch, DbFailure };

// The message for boxes that must not be sent; empty when they may.
QString checkLoginBoxes(const QString& name, const QString& password);

class LoginService {
 public:
  LoginService(TDMServer& dm, QString ipServiceUrl) : dm_(dm), ipService_(std::move(ipServiceUrl)) {}

  // Fetches the public address, runs the account query and, on a match, fills
  // `state` and writes the journal row. Texts are sent as typed.
  LoginResult attempt(const QString& name, const QString& password, LoginState* state);

  // The message the window shows for a result (empty for Ok).
  static QString messageFor(LoginResult r);

 private:
  TDMServer& dm_;
  QString ipService_;
};

// Credentials remembered in set.ini.
struct RememberedLogin {
  QString user;
  QString password;
  bool hasPassword = false;
};
RememberedLogin readRememberedLogin(const QString& iniPath);
[[nodiscard]] bool writeRememberedLogin(const QString& iniPath, const QString& user, const QString& password);
// After a password change of `user`'s account: a password remembered for that
// user takes the new one; nothing else in the file changes, and a file that
// remembers no password for that user is left alone. False when a remembered
// password had to be replaced and the file could not be written.
[[nodiscard]] bool replaceRememberedPassword(const QString& iniPath, const QString& user, const QString& password);

}  // namespace tcm
