// tcmcare: the client at the shop counter. Start-up creates the data module,
// then the main window (hidden), then shows the login window modally.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QProcess>
#include <QScreen>
#include <QGuiApplication>
#include <QTimer>

#include "app_messages.h"
#include "db/daily_backup.h"
#include "db/backup.h"
#include "db/gateway.h"
#include "login/login_state.h"
#include "login_frm.h"
#include "main_frm.h"
#include "ui_kit.h"

int main(int argc, char** argv) {
  QElapsedTimer startClock;
  startClock.start();
  tcm::restrictNewFiles();  // the data folder's files are the shop's user's alone
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tcmcare"));
  QApplication::setQuitOnLastWindowClosed(false);
  // Without Qt's translation file only Qt's own dialogs stay in English.
  (void)tcm::ui::useChineseLocale();
  if (!tcm::ui::uiFontFamily().isEmpty()) {
    QFont f(tcm::ui::uiFontFamily());
    f.setPixelSize(14);
    QApplication::setFont(f);
  }

  QStringList args = app.arguments().mid(1);
  const tcm::DbSettings settings = tcm::DbSettings::fromEnvironmentAndArgs(&args);
  tcm::makePrivateFolder(settings.dataDir);
  tcm::restrictDataFolder(settings);
  QDir::setCurrent(settings.dataDir);

  tcm::ui::AppMessages messages;
  tcm::TDMServer DMServer(settings, &messages);
  // Before any window reads the databases: an interrupted restore finished, the
  // lock of every embedded database held while the client runs (a restore waits
  // for every client of those files to close), an older schema refused.
  QString startError;
  if (!tcm::beginClientSession(DMServer, &startError)) {
    messages.showMessage(startError);
    return 1;
  }
  tcm::ui::TMainFrm MainFrm(DMServer, messages);
  messages.setMainFrm(&MainFrm);
  MainFrm.setEnabled(false);

  tcm::ui::TLoginFrm LoginFrm(DMServer, messages, &MainFrm);
  LoginFrm.versionHooks.requestQuit = [] { QTimer::singleShot(0, qApp, &QApplication::quit); };
  LoginFrm.versionHooks.startUpgrade = [] {
    QProcess::startDetached(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("升级程序")), {});
  };
  // The day's backup of the embedded databases runs behind the first login of the day.
  tcm::DailyBackupJob dailyBackup(settings);
  QObject::connect(&dailyBackup, &tcm::DailyBackupJob::finished, &MainFrm, [&messages](const tcm::DailyBackupResult& r) {
    if (r.kind == tcm::DailyBackupResult::Kind::Failed) messages.showMessage(tcm::dailyBackupFailureMessage(r.error));
  });
  QObject::connect(&LoginFrm, &tcm::ui::TLoginFrm::loggedIn, &dailyBackup,
                   [&dailyBackup] { dailyBackup.start(QDateTime::currentDateTime()); });
  LoginFrm.setWindowModality(Qt::ApplicationModal);
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  LoginFrm.move(work.center() - QPoint(LoginFrm.width() / 2, LoginFrm.height() / 2));
  LoginFrm.show();
  qCInfo(tcm::ui::lcTiming, "[timing] login window shown %lld ms after start", static_cast<long long>(startClock.elapsed()));
  if (!DMServer.configError().isEmpty()) messages.showDbError(DMServer.configError());

  const int rc = app.exec();
  tcm::loginState().clear();
  return rc;
}
