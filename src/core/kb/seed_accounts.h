#pragma once
// The demo shops and accounts that init-db creates.
#include <QString>

namespace tcm {

class TDMServer;

struct DemoAccount {
  int shopId;
  const char* shopName;
  const char* userName;
  const char* login;
  const char* password;
};

inline constexpr DemoAccount kDemoAccounts[] = {
    {1, "Orlemo经方示范店", "张明", "13800000001", "731526"},
    {2, "Orlemo经方二店", "李华", "13800000002", "246810"},
};

// Shops, users, and the published version row; rows already there are kept.
[[nodiscard]] bool seedAccounts(TDMServer& dm, QString* error);

}  // namespace tcm
