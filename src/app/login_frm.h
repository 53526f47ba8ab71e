#pragma once
// The login window: remembered credentials, the version check, the login.
#include <QTimer>
#include <QWidget>
#include <functional>

#include "login/version_check.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QSystemTrayIcon;
class QMenu;
class QAction;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class TMainFrm;
class TPanel;

class TLoginFrm : public QWidget {
  Q_OBJECT
 public:
  TLoginFrm(TDMServer& dm, Messages& messages, TMainFrm* mainFrm, QWidget* parent = nullptr);

  QLineEdit* edtName = nullptr;
  QLineEdit* edtPwd = nullptr;
  QCheckBox* chkMember = nullptr;
  TPanel* pnlLogin = nullptr;
  QLabel* lblPro = nullptr;
  QLabel* pnlChk = nullptr;
  QLabel* imgUser1 = nullptr;
  QLabel* imgUser2 = nullptr;
  QLabel* imgPwd1 = nullptr;
  QLabel* imgPwd2 = nullptr;
  QFrame* pnlLine1 = nullptr;
  QFrame* pnlLine2 = nullptr;
  TPanel* imgMin = nullptr;
  TPanel* imgClose = nullptr;
  QTimer tmr1;
  QSystemTrayIcon* RzTrayIcon1 = nullptr;
  QMenu* pm1 = nullptr;
  QAction* N1 = nullptr;

  // How the version check ends the program and starts the upgrade program.
  VersionCheckHooks versionHooks;
  // The mask character of the password box ("*" at first, "#" after a click).
  QChar passwordMask() const { return mask_; }
  // True when set.ini asked for no version check (tests).
  QString iniPath() const;

 public Q_SLOTS:
  void FormShow();
  void tmr1Timer();
  void GetVersion();
  void edtNameClick();
  void edtPwdClick();
  void pnlLoginClick();
  void imgMinClick();
  void imgCloseClick();

 Q_SIGNALS:
  void loggedIn();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setPasswordMask(QChar c, bool masked);
  void highlightName(bool on);

  TDMServer& dm_;
  Messages& messages_;
  TMainFrm* mainFrm_;
  QChar mask_ = QLatin1Char('*');
  bool restored_ = false;
};

}  // namespace tcm::ui
