#include "login_frm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QRegion>
#include <QSystemTrayIcon>
#include <QTabWidget>

#include "db/gateway.h"
#include "login/login_service.h"
#include "login/login_state.h"
#include "login/public_address.h"
#include "main_frm.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kLineGrey(0x71, 0x71, 0x71);
const QColor kLineBlue(0x1E, 0x63, 0xA7);

// Masks the password box with a chosen character.
class MaskStyle : public QProxyStyle {
 public:
  explicit MaskStyle(QChar c) : mask(c) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* ret) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return mask.unicode();
    return QProxyStyle::styleHint(hint, option, widget, ret);
  }
  QChar mask;
};

// The user and password icons, grey or highlighted blue.
QPixmap icon(bool user, bool highlighted) {
  QPixmap pm(22, 22);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor c = highlighted ? kLineBlue : QColor(0x9A, 0x9A, 0x9A);
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  if (user) {
    p.drawEllipse(QRectF(7, 2, 8, 8));
    p.drawPie(QRectF(3, 11, 16, 18), 0, 180 * 16);
  } else {
    p.setPen(QPen(c, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 2, 10, 12), 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(4, 9, 14, 11), 2, 2);
  }
  return pm;
}

QLabel* iconLabel(bool user, bool highlighted, QWidget* parent, const QString& name) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setPixmap(icon(user, highlighted));
  l->setFixedSize(22, 22);
  return l;
}

void setLineColor(QFrame* line, const QColor& c) {
  line->setStyleSheet(QStringLiteral("background: %1;").arg(c.name()));
}

}  // namespace

TLoginFrm::TLoginFrm(TDMServer& dm, Messages& messages, TMainFrm* mainFrm, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window), dm_(dm), messages_(messages), mainFrm_(mainFrm) {
  setObjectName(QStringLiteral("LoginFrm"));
  setWindowTitle(QStringLiteral("登陆Orlemo经方"));
  setFixedSize(500, 348);
  // FormCreate: only the two top corners are curved (a 500 × 500 rounded shape).
  QPainterPath shape;
  shape.addRoundedRect(QRectF(0, 0, 500, 500), 5, 5);
  setMask(QRegion(shape.toFillPolygon().toPolygon()));
  setStyleSheet(QStringLiteral("#LoginFrm { background: white; }"));
  setAutoFillBackground(true);

  auto* band = new QFrame(this);
  band->setObjectName(QStringLiteral("band"));
  band->setGeometry(0, 0, 500, 110);
  band->setStyleSheet(QStringLiteral("#band { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #037C6A, stop:1 #07C160); }"));
  band->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* caption1 = new QLabel(QStringLiteral("Orlemo医学 "), this);
  caption1->setGeometry(24, 22, 300, 30);
  caption1->setStyleSheet(QStringLiteral("color: white; font-size: 22px; font-weight: bold;"));
  caption1->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* caption2 = new QLabel(QStringLiteral("AI亚健康中医体质辨识与药膳系统"), this);
  caption2->setGeometry(24, 58, 420, 30);
  caption2->setStyleSheet(QStringLiteral("color: white; font-size: 18px;"));
  caption2->setAttribute(Qt::WA_TransparentForMouseEvents);

  imgMin = new TPanel(QStringLiteral("─"), this);
  imgMin->setObjectName(QStringLiteral("imgMin"));
  imgMin->setGeometry(420, 0, 40, 30);
  imgClose = new TPanel(QStringLiteral("╳"), this);
  imgClose->setObjectName(QStringLiteral("imgClose"));
  imgClose->setGeometry(460, 0, 40, 30);
  for (TPanel* b : {imgMin, imgClose}) {
    b->setHoverColors(QColor(0x00, 0x48, 0x48), Qt::white, QColor(0x03, 0x7C, 0x6A), Qt::white);
  }
  imgClose->setHoverColors(QColor(0xFF, 0x00, 0x00), Qt::white, QColor(0x03, 0x7C, 0x6A), Qt::white);

  imgUser1 = iconLabel(true, false, this, QStringLiteral("imgUser1"));
  imgUser2 = iconLabel(true, true, this, QStringLiteral("imgUser2"));
  imgPwd1 = iconLabel(false, false, this, QStringLiteral("imgPwd1"));
  imgPwd2 = iconLabel(false, true, this, QStringLiteral("imgPwd2"));
  imgUser1->move(90, 140);
  imgUser2->move(90, 140);
  imgPwd1->move(90, 192);
  imgPwd2->move(90, 192);
  imgUser2->hide();
  imgPwd2->hide();

  const QString boxStyle = QStringLiteral("QLineEdit { border: none; font-size: 16px; color: #333; background: transparent; }");
  edtName = new QLineEdit(QStringLiteral("手机号码"), this);
  edtName->setObjectName(QStringLiteral("edtName"));
  edtName->setGeometry(122, 134, 280, 32);
  edtName->setStyleSheet(boxStyle);
  edtPwd = new QLineEdit(QStringLiteral("731526"), this);
  edtPwd->setObjectName(QStringLiteral("edtPwd"));
  edtPwd->setGeometry(122, 186, 280, 32);
  edtPwd->setStyleSheet(boxStyle);
  setPasswordMask(QLatin1Char('*'), true);
  pnlLine1 = new QFrame(this);
  pnlLine1->setGeometry(86, 168, 318, 1);
  pnlLine2 = new QFrame(this);
  pnlLine2->setGeometry(86, 220, 318, 1);
  setLineColor(pnlLine1, kLineGrey);
  setLineColor(pnlLine2, kLineGrey);

  chkMember = new QCheckBox(QStringLiteral("记住密码"), this);
  chkMember->setObjectName(QStringLiteral("chkMember"));
  chkMember->setGeometry(86, 232, 120, 24);
  chkMember->setStyleSheet(QStringLiteral("font-size: 14px; color: #555;"));

  pnlLogin = new TPanel(QStringLiteral("登 陆"), this);
  pnlLogin->setObjectName(QStringLiteral("pnlLogin"));
  pnlLogin->setGeometry(86, 266, 318, 40);
  QFont lf = pnlLogin->font();
  lf.setPixelSize(18);
  pnlLogin->setFont(lf);
  pnlLogin->setHoverColors(QColor(0x21, 0x73, 0x46), Qt::white, QColor(0x07, 0xC1, 0x60), Qt::white);
  lblPro = new QLabel(QStringLiteral("......"), pnlLogin);
  lblPro->setObjectName(QStringLiteral("lblPro"));
  lblPro->setGeometry(200, 4, 80, 30);
  lblPro->setStyleSheet(QStringLiteral("color: white; font-size: 18px; background: transparent;"));
  lblPro->hide();

  pnlChk = new QLabel(QStringLiteral("正在检测新版本"), this);
  pnlChk->setObjectName(QStringLiteral("pnlChk"));
  pnlChk->setGeometry(0, 318, 500, 30);
  pnlChk->setAlignment(Qt::AlignCenter);
  pnlChk->setStyleSheet(QStringLiteral("background: #F0F0F0; color: #037C6A; font-size: 13px;"));
  pnlChk->hide();

  tmr1.setSingleShot(true);
  tmr1.setInterval(10);
  connect(&tmr1, &QTimer::timeout, this, &TLoginFrm::tmr1Timer);
  connect(pnlLogin, &TPanel::clicked, this, &TLoginFrm::pnlLoginClick);
  connect(imgMin, &TPanel::clicked, this, &TLoginFrm::imgMinClick);
  connect(imgClose, &TPanel::clicked, this, &TLoginFrm::imgCloseClick);
  edtName->installEventFilter(this);
  edtPwd->installEventFilter(this);
  installTitleDrag(this, this);

  pm1 = new QMenu(this);
  N1 = pm1->addAction(QStringLiteral("退出"));
  connect(N1, &QAction::triggered, this, &TLoginFrm::imgCloseClick);
  RzTrayIcon1 = new QSystemTrayIcon(this);
  QPixmap trayPicture(32, 32);
  trayPicture.fill(QColor(0x07, 0xC1, 0x60));
  RzTrayIcon1->setIcon(QIcon(trayPicture));
  RzTrayIcon1->setToolTip(QStringLiteral("亚健康中医辨识和康养系统"));
  RzTrayIcon1->setContextMenu(pm1);
  if (QSystemTrayIcon::isSystemTrayAvailable()) RzTrayIcon1->show();
}

QString TLoginFrm::iniPath() const { return dm_.settings().iniPath(); }

void TLoginFrm::setPasswordMask(QChar c, bool masked) {
  mask_ = c;
  auto* style = new MaskStyle(c);
  style->setParent(edtPwd);
  edtPwd->setStyle(style);
  edtPwd->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

void TLoginFrm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (restored_) return;
  restored_ = true;
  FormShow();
  tmr1.start();
}

void TLoginFrm::FormShow() {
  const RememberedLogin r = readRememberedLogin(iniPath());
  if (r.hasPassword && !r.password.isEmpty()) {
    edtPwd->setText(r.password);
    chkMember->setChecked(true);
  }
  if (!r.user.isEmpty()) edtName->setText(r.user);
}

void TLoginFrm::tmr1Timer() {
  tmr1.stop();
  GetVersion();
}

void TLoginFrm::GetVersion() {
  pnlChk->show();
  pnlChk->raise();
  pnlChk->repaint();
  (void)runVersionCheck(iniPath(), dm_, messages_, versionHooks, QDate::currentDate());
  pnlChk->hide();
}

void TLoginFrm::highlightName(bool on) {
  imgUser2->setVisible(on);
  imgUser1->setVisible(!on);
  imgPwd2->setVisible(!on);
  imgPwd1->setVisible(on);
  setLineColor(pnlLine1, on ? kLineBlue : kLineGrey);
  setLineColor(pnlLine2, on ? kLineGrey : kLineBlue);
}

void TLoginFrm::edtNameClick() {
  if (edtName->text() == QStringLiteral("手机号码")) edtName->clear();
  highlightName(true);
  if (edtPwd->text().isEmpty()) {
    setPasswordMask(mask_, false);
    edtPwd->setText(QStringLiteral("密码"));
  }
}

void TLoginFrm::edtPwdClick() {
  if (edtPwd->text() == QStringLiteral("密码")) {
    setPasswordMask(QLatin1Char('#'), true);
    edtPwd->clear();
  }
  highlightName(false);
  imgPwd2->raise();
}

bool TLoginFrm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    if (watched == edtName) edtNameClick();
    if (watched == edtPwd) edtPwdClick();
  }
  if (event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
    if (enter && watched == edtName) {
      if (!edtName->text().isEmpty() && !edtPwd->text().isEmpty()) pnlLoginClick();
      return true;
    }
    if (enter && watched == edtPwd) {
      pnlLoginClick();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TLoginFrm::pnlLoginClick() {
  const QString name = edtName->text();
  const QString password = edtPwd->text();
  const QString problem = checkLoginBoxes(name, password);
  if (!problem.isEmpty()) {
    messages_.showMessage(problem);
    return;
  }
  QElapsedTimer clock;
  clock.start();
  lblPro->show();
  lblPro->repaint();
  LoginService service(dm_, publicAddressService());
  LoginState state;
  const LoginResult result = service.attempt(name, password, &state);
  if (result == LoginResult::Ok) {
    qCInfo(lcTiming, "[timing] login query answered after %lld ms", static_cast<long long>(clock.elapsed()));
    loginState() = state;
    mainFrm_->lblUser->setText(state.UserName);
    mainFrm_->show();
    hide();
    mainFrm_->setEnabled(true);
    mainFrm_->pgMain->setEnabled(true);
    lblPro->hide();
    if (chkMember->isChecked() && !writeRememberedLogin(iniPath(), name, password))
      messages_.showMessage(QStringLiteral("无法保存记住的密码：设置文件 set.ini 不能写入"));
    Q_EMIT loggedIn();
    return;
  }
  messages_.showMessage(LoginService::messageFor(result));
  lblPro->hide();
}

void TLoginFrm::imgMinClick() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) w->showMinimized();
}

void TLoginFrm::imgCloseClick() { QApplication::quit(); }

void TLoginFrm::closeEvent(QCloseEvent* e) {
  e->accept();
  QApplication::quit();
}

}  // namespace tcm::ui
