#pragma once
// The new-version check run once after the login window is shown.
#include <QDate>
#include <QString>
#include <functional>

namespace tcm {

class TDMServer;
class Messages;

inline constexpr const char* kProgramVersion = "1.0.0";

struct VersionCheckHooks {
  std::function<void()> requestQuit;        // ends the program when control returns to the event loop
  std::function<void()> startUpgrade;       // starts 升级程序 beside the executable
};

enum class VersionCheckOutcome { NotAsked, Declined, Upgrading };

// Reads set.ini, asks the server when the day changed, and asks the user when
// a different version is flagged or an upgrade is pending.
VersionCheckOutcome runVersionCheck(const QString& iniPath, TDMServer& dm, Messages& messages,
                                    const VersionCheckHooks& hooks, const QDate& today,
                                    const QString& programVersion = QString::fromLatin1(kProgramVersion));

}  // namespace tcm
