// The login window driven as a user would, on real databases and a loopback
// address service; messages are recorded, never waited on.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "login/login_service.h"
#include "login/login_state.h"
#include "login_frm.h"
#include "load_panel.h"
#include "main_frm.h"
#include "settings/ini_file.h"
#include "settings/set_param_frm.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

// The log lines written while it lives, as "category: message".
class LogCapture {
 public:
  LogCapture() {
    active_ = this;
    previous_ = qInstallMessageHandler(&LogCapture::record);
  }
  ~LogCapture() {
    qInstallMessageHandler(previous_);
    active_ = nullptr;
  }
  QStringList lines;

 private:
  static void record(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (active_) active_->lines << QString::fromUtf8(context.category) + ": " + text;
  }
  static inline LogCapture* active_ = nullptr;
  QtMessageHandler previous_ = nullptr;
};

class LoginWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    qputenv("TCM_IP_SERVICE", ipService.baseUrl().toUtf8());
    loginState().clear();
  }
  void TearDown() override { loginState().clear(); }
  // Creates and shows the windows; the version check runs 10 ms later.
  void open() {
    dm = folder.server(&messages);
    main = std::make_unique<TMainFrm>(*dm, messages);
    login = std::make_unique<TLoginFrm>(*dm, messages, main.get());
    login->versionHooks.requestQuit = [this] { ++quits; };
    login->versionHooks.startUpgrade = [this] { ++upgrades; };
    login->show();
    QTest::qWait(40);
  }
  void writeIni(const QString& section, const QString& key, const QString& value) {
    IniFile ini(folder.settings().iniPath());
    ini.load();
    ini.setValue(section, key, value);
    ASSERT_TRUE(ini.save());
  }
  QString iniValue(const QString& key) {
    IniFile ini(folder.settings().iniPath());
    ini.load();
    return ini.value("LOGIN", key, "<none>");
  }
  void typeInto(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClicks(box, text);
  }

  DataFolder folder;
  LoopbackHttpServer ipService{"198.51.100.20"};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
  std::unique_ptr<TLoginFrm> login;
  int quits = 0, upgrades = 0;
};

}  // namespace

TEST_F(LoginWindow, FirstStartShowsPlaceholdersAndAsksNoUpgradeQuestion) {
  open();
  EXPECT_EQ(login->windowTitle(), QStringLiteral("登陆Orlemo经方"));
  EXPECT_EQ(login->edtName->text(), QStringLiteral("手机号码"));
  EXPECT_EQ(login->edtPwd->text(), "731526");
  EXPECT_EQ(login->edtPwd->echoMode(), QLineEdit::Password);
  EXPECT_EQ(login->passwordMask(), QLatin1Char('*'));
  EXPECT_FALSE(login->chkMember->isChecked());
  EXPECT_TRUE(login->pnlChk->isHidden());
  EXPECT_TRUE(messages.questions.isEmpty());
  EXPECT_EQ(quits + upgrades, 0);
}

TEST_F(LoginWindow, PlaceholderHandlingAndEmptyBoxMessages) {
  open();
  login->edtPwd->clear();
  QTest::mouseClick(login->edtName, Qt::LeftButton);
  EXPECT_EQ(login->edtName->text(), QString());
  EXPECT_EQ(login->edtPwd->text(), QStringLiteral("密码"));
  EXPECT_EQ(login->edtPwd->echoMode(), QLineEdit::Normal);
  EXPECT_TRUE(login->imgUser2->isVisibleTo(login.get()));
  // Enter in the name box with an empty name does nothing.
  QTest::keyClick(login->edtName, Qt::Key_Return);
  EXPECT_TRUE(messages.messages.isEmpty());
  QTest::keyClicks(login->edtName, "13800000001");
  QTest::mouseClick(login->pnlLogin, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{"密码没有填写"});
  // Clicking the password box clears the placeholder and masks with "#".
  QTest::mouseClick(login->edtPwd, Qt::LeftButton);
  EXPECT_EQ(login->edtPwd->text(), QString());
  EXPECT_EQ(login->passwordMask(), QLatin1Char('#'));
  EXPECT_EQ(login->edtPwd->echoMode(), QLineEdit::Password);
  // Enter in the password box always runs the login with its checks.
  QTest::keyClick(login->edtPwd, Qt::Key_Return);
  EXPECT_EQ(messages.messages.last(), "密码没有填写");
  login->edtName->clear();
  QTest::keyClicks(login->edtPwd, "1");
  QTest::keyClick(login->edtPwd, Qt::Key_Return);
  EXPECT_EQ(messages.messages.last(), "用户名没有填写");
  EXPECT_FALSE(loginState().loggedIn());
}

TEST_F(LoginWindow, WrongPasswordKeepsTheWindowAsItWas) {
  open();
  typeInto(login->edtName, "13800000001");
  QTest::mouseClick(login->edtPwd, Qt::LeftButton);
  login->edtPwd->setText("999999");
  QTest::mouseClick(login->pnlLogin, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{"用户名或密码错误"});
  EXPECT_TRUE(login->isVisible());
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(login->edtName->text(), "13800000001");
  EXPECT_TRUE(login->lblPro->isHidden());
}

TEST_F(LoginWindow, SuccessfulLoginShowsTheMainWindowAndRemembers) {
  open();
  typeInto(login->edtName, "13800000001");
  login->chkMember->setChecked(true);
  QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
  LogCapture log;
  QTest::mouseClick(login->pnlLogin, Qt::LeftButton);
  EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(",").toStdString();
  EXPECT_FALSE(login->isVisible());
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(main->isEnabled());
  // The full state covers the work area, also on a screen smaller than the
  // window's usual minimum (the offscreen screen is 800 × 600).
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_LT(work.width(), 1024);
  EXPECT_EQ(main->geometry(), work);
  main->imgNoramlClick();  // reduced
  main->imgNoramlClick();  // full again
  EXPECT_EQ(main->geometry(), QRect(QPoint(1, 1), work.size()));
  EXPECT_EQ(main->lblUser->text(), QStringLiteral("张明"));
  EXPECT_EQ(loginState().ShopId, "1");
  EXPECT_EQ(loginState().UserName, QStringLiteral("张明"));
  EXPECT_EQ(iniValue("USER"), "13800000001");
  EXPECT_NE(iniValue("PWD"), "731526");
  ASSERT_TRUE(loaded.wait(2000));
  EXPECT_FALSE(main->loadFailed());
  EXPECT_TRUE(main->pnlLoadData->isHidden());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
  // A normal run writes no timings.
  EXPECT_TRUE(log.lines.filter("[timing]").isEmpty()) << log.lines.join("\n").toStdString();
}

TEST_F(LoginWindow, TimingsAreWrittenWhenAskedFor) {
  QLoggingCategory::setFilterRules(QStringLiteral("tcm.timing.info=true"));
  struct RulesBack {
    ~RulesBack() { QLoggingCategory::setFilterRules(QString()); }
  } rulesBack;
  LogCapture log;
  open();
  typeInto(login->edtName, "13800000001");
  QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
  QTest::mouseClick(login->pnlLogin, Qt::LeftButton);
  ASSERT_TRUE(loaded.wait(2000));
  const QStringList timings = log.lines.filter("[timing]");
  ASSERT_EQ(timings.size(), 2) << log.lines.join("\n").toStdString();
  EXPECT_TRUE(timings[0].startsWith("tcm.timing: [timing] login query answered after ")) << timings[0].toStdString();
  EXPECT_TRUE(timings[1].startsWith("tcm.timing: [timing] main window loading finished in ")) << timings[1].toStdString();
}

TEST_F(LoginWindow, ChangedPasswordIsTheOneTheNextStartRemembers) {
  open();
  typeInto(login->edtName, "13800000001");
  login->chkMember->setChecked(true);
  QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
  QTest::mouseClick(login->pnlLogin, Qt::LeftButton);
  ASSERT_TRUE(loaded.wait(2000));
  ASSERT_EQ(readRememberedLogin(folder.settings().iniPath()).password, "731526");

  // The settings window's password change, as the clerk types it.
  QTest::mouseClick(main->imgSet, Qt::LeftButton);
  TSetParamFrm* settings = main->setParamFrm();
  ASSERT_TRUE(settings);
  QTest::keyClicks(settings->edtPwd_old, "731526");
  QTest::keyClicks(settings->edtPwd_new, " 5566aa ");
  QTest::mouseClick(settings->pnl2, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("修改成功")});

  // The next start offers the new password, and it logs in.
  login.reset();
  main.reset();
  dm.reset();
  loginState().clear();
  messages.clear();
  open();
  EXPECT_EQ(login->edtName->text(), "13800000001");
  EXPECT_EQ(login->edtPwd->text(), "5566aa");
  EXPECT_TRUE(login->chkMember->isChecked());
  QTest::mouseClick(login->pnlLogin, Qt::LeftButton);
  EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(",").toStdString();
  EXPECT_TRUE(loginState().loggedIn());
  EXPECT_EQ(loginState().loginPassword, "5566aa");
}

TEST_F(LoginWindow, RememberedCredentialsAreRestoredAndKeptWhenNotAsked) {
  ASSERT_TRUE(writeRememberedLogin(folder.settings().iniPath(), "13800000002", "246810"));
  open();
  EXPECT_EQ(login->edtName->text(), "13800000002");
  EXPECT_EQ(login->edtPwd->text(), "246810");
  EXPECT_TRUE(login->chkMember->isChecked());
  login->chkMember->setChecked(false);
  typeInto(login->edtName, "13800000001");
  QTest::mouseClick(login->edtPwd, Qt::LeftButton);
  login->edtPwd->setText("731526");
  QTest::mouseClick(login->pnlLogin, Qt::LeftButton);
  ASSERT_TRUE(loginState().loggedIn());
  EXPECT_EQ(iniValue("USER"), "13800000002");  // untouched
}

TEST_F(LoginWindow, CorruptSettingsFileStillOpensWithDefaults) {
  writeIni("LOGIN", "PWD", "%%%garbage%%%");
  writeIni("Version", "date", "not-a-date");
  open();
  EXPECT_EQ(login->edtName->text(), QStringLiteral("手机号码"));
  EXPECT_EQ(login->edtPwd->text(), "731526");
  EXPECT_FALSE(login->chkMember->isChecked());
}

TEST_F(LoginWindow, PendingUpgradeIsOfferedAndCancelGoesOn) {
  writeIni("Version", "date", QDate::currentDate().toString("yyyyMMdd"));
  writeIni("Version", "upted", "0");
  messages.answers = {false};
  open();
  EXPECT_EQ(messages.questions, QStringList{"版本升级提示|有新版是否更新"});
  EXPECT_EQ(quits + upgrades, 0);
  EXPECT_TRUE(login->pnlChk->isHidden());
  EXPECT_TRUE(login->isVisible());
}
