#pragma once
// The login state: filled once by a successful login, read everywhere else.
#include <QString>

namespace tcm {

struct LoginState {
  QString ShopId;    // id of the logged-in shop, as text
  QString ShopName;  // the shop's display name
  QString UserId;    // numeric row id of the user, as text
  QString UserName;  // the user's display name
  // The boxes' texts at the successful login (the password change uses them).
  QString loginName;
  QString loginPassword;

  bool loggedIn() const { return !ShopId.isEmpty(); }
  void clear() { *this = LoginState(); }
};

// The process-wide login state.
LoginState& loginState();

}  // namespace tcm
