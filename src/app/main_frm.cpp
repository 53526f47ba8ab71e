#include "main_frm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/gateway.h"
#include "data/knowledge_loader.h"
#include "entry/identify_page.h"
#include "help_frm.h"
#include "login/login_state.h"
#include "messages.h"
#include "msg_box_frm.h"
#include "prescription/pre_frm.h"
#include "prescription/print_rp_frm.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kGreen(0x07, 0xC1, 0x60);
const QColor kDarkTeal(0x00, 0x48, 0x48);
const QColor kPressGreen(0x21, 0x73, 0x46);
const QColor kTopBar(0x03, 0x7C, 0x6A);

// The two pictures of the maximise button, drawn in white.
QPixmap sizePicture(bool restore) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QPen(Qt::white, 1.5));
  if (restore) {
    p.drawRect(QRectF(4.5, 1.5, 10, 10));
    p.fillRect(QRectF(1.5, 4.5, 10, 10), kGreen);
    p.drawRect(QRectF(1.5, 4.5, 10, 10));
  } else {
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
  }
  return pm;
}

TPanel* titleButton(const QString& caption, QWidget* parent, const QString& name) {
  auto* b = new TPanel(caption, parent);
  b->setObjectName(name);
  b->setFixedSize(46, 34);
  QFont f = b->font();
  f.setPixelSize(16);
  b->setFont(f);
  b->setHoverColors(kDarkTeal, Qt::white, kGreen, Qt::white);
  return b;
}

}  // namespace

TMainFrm::TMainFrm(TDMServer& dm, Messages& messages, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window), dm_(dm), messages_(messages) {
  setObjectName(QStringLiteral("MainFrm"));
  setWindowTitle(QStringLiteral("亚健康中医辨识和康养系统"));
  setMinimumSize(1024, 640);
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  pnlTop = new QFrame(this);
  pnlTop->setObjectName(QStringLiteral("pnlTop"));
  pnlTop->setFixedHeight(48);
  pnlTop->setAutoFillBackground(true);
  QPalette topPal = pnlTop->palette();
  topPal.setColor(QPalette::Window, kTopBar);
  topPal.setColor(QPalette::WindowText, Qt::white);
  pnlTop->setPalette(topPal);
  auto* top = new QHBoxLayout(pnlTop);
  top->setContentsMargins(16, 0, 8, 0);
  top->setSpacing(2);
  lblTitle = new QLabel(QStringLiteral("亚健康中医体质辨识与药膳系统"), pnlTop);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  lblTitle->setStyleSheet(QStringLiteral("color: white; font-size: 20px; font-weight: bold;"));
  lblUser = new QLabel(pnlTop);
  lblUser->setObjectName(QStringLiteral("lblUser"));
  lblUser->setStyleSheet(QStringLiteral("color: white; font-size: 14px; padding-right: 12px;"));
  Panel1 = titleButton(QStringLiteral("☰"), pnlTop, QStringLiteral("Panel1"));
  pnlMin = titleButton(QStringLiteral("─"), pnlTop, QStringLiteral("pnlMin"));
  pnlMAx = titleButton(QString(), pnlTop, QStringLiteral("pnlMAx"));
  auto* maxLayout = new QHBoxLayout(pnlMAx);
  maxLayout->setContentsMargins(0, 0, 0, 0);
  imgMax = new QLabel(pnlMAx);
  imgMax->setObjectName(QStringLiteral("imgMax"));
  imgMax->setPixmap(sizePicture(false));
  imgNoraml = new QLabel(pnlMAx);
  imgNoraml->setObjectName(QStringLiteral("imgNoraml"));
  imgNoraml->setPixmap(sizePicture(true));
  for (QLabel* img : {imgMax, imgNoraml}) {
    img->setAlignment(Qt::AlignCenter);
    maxLayout->addWidget(img);
  }
  imgMax->hide();
  pnlClose = titleButton(QStringLiteral("╳"), pnlTop, QStringLiteral("pnlClose"));
  pnlClose->setHoverColors(QColor(0xFF, 0x00, 0x00), QColor(0xF5, 0xF5, 0xF5), kGreen, Qt::white);
  imgAI = new TPanel(QStringLiteral("AI辨识"), pnlTop);
  imgAI->setObjectName(QStringLiteral("imgAI"));
  imgAI->setFixedSize(96, 48);
  imgAI->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
  imgAI->setColors(QColor(0x02, 0x5E, 0x51), Qt::white);  // the active top-bar button
  top->addWidget(lblTitle);
  top->addSpacing(40);
  top->addWidget(imgAI);
  top->addStretch(1);
  top->addWidget(lblUser);
  top->addWidget(Panel1);
  top->addWidget(pnlMin);
  top->addWidget(pnlMAx);
  top->addWidget(pnlClose);
  root->addWidget(pnlTop);
  installTitleDrag(pnlTop, this, [this] { return sizeTag_ == 0; });

  pgMain = new QTabWidget(this);
  pgMain->setObjectName(QStringLiteral("pgMain"));
  pgMain->setDocumentMode(true);
  pgMain->tabBar()->hide();  // the top bar's buttons choose the page
  tsAI = new TIdentifyPage(dm_, messages_, LstAliases, this, pgMain);
  pgMain->addTab(tsAI, QStringLiteral("AI辨识"));
  root->addWidget(pgMain, 1);
  connect(imgAI, &TPanel::clicked, this, [this] { pgMain->setCurrentWidget(tsAI); });
  // A classic prescription of the result panel opens the herbal editor.
  connect(tsAI, &TIdentifyPage::classicPrescriptionRequested, this,
          [this](const QString& synName, const QString& preId, const QString& preName) {
            openPreFrm(this, dm_, messages_, synName, preId, preName);
          });

  pnlLoadData = new QFrame(this);
  pnlLoadData->setObjectName(QStringLiteral("pnlLoadData"));
  pnlLoadData->setFixedSize(380, 110);
  pnlLoadData->setStyleSheet(QStringLiteral(
      "#pnlLoadData { background: white; border: 2px solid #037C6A; border-radius: 6px; }"));
  auto* loadLayout = new QVBoxLayout(pnlLoadData);
  lblLoadCaption = new QLabel(QStringLiteral("   正在初始化数据..."), pnlLoadData);
  lblLoadCaption->setObjectName(QStringLiteral("lblLoadCaption"));
  lblLoadCaption->setStyleSheet(QStringLiteral("font-size: 16px; color: #037C6A;"));
  lblLoadCaption->setAlignment(Qt::AlignCenter);
  lblReload = new TPanel(QStringLiteral("[重新读取]"), pnlLoadData);
  lblReload->setObjectName(QStringLiteral("lblReload"));
  lblReload->setStyleSheet(QStringLiteral("font-size: 15px; color: #1E63A7; background: transparent;"));
  lblReload->hide();
  loadLayout->addWidget(lblLoadCaption);
  loadLayout->addWidget(lblReload, 0, Qt::AlignHCenter);
  pnlLoadData->hide();

  tmr1.setSingleShot(true);
  tmr1.setInterval(100);
  connect(&tmr1, &QTimer::timeout, this, &TMainFrm::tmr1Timer);
  connect(lblReload, &TPanel::clicked, this, &TMainFrm::lblReloadClick);
  connect(pnlMin, &TPanel::clicked, this, &TMainFrm::pnlMinClick);
  connect(pnlClose, &TPanel::clicked, this, &TMainFrm::pnlCloseClick);
  connect(pnlMAx, &TPanel::clicked, this, [this] {
    if (imgMax->isVisible())
      imgMaxClick();
    else
      imgNoramlClick();
  });
  // The identification sheet reads the visit and the customer boxes from here.
  registerMainSheetContext(this, dm_, messages_);
}

TMainFrm::~TMainFrm() { loginState().clear(); }

void TMainFrm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (shownOnce_) return;
  shownOnce_ = true;
  Init();
  tmr1.start();
}

void TMainFrm::Init() {
  LstAliases.clear();
  LstHerbPrice.clear();
  Gender = QStringLiteral("1");
  PatId.clear();
  SelSymCount = 0;
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  setGeometry(work.x(), work.y(), work.width(), work.height());
  sizeTag_ = 1;
  maxTag_ = 1;
  imgNoraml->show();
  imgMax->hide();
}

void TMainFrm::setLoadCaption(const QString& caption) {
  lblLoadCaption->setText(caption);
  pnlLoadData->move((width() - pnlLoadData->width()) / 2, (height() - pnlLoadData->height()) / 2);
  pnlLoadData->raise();
  if (pnlLoadData->isVisible()) pnlLoadData->repaint();
}

void TMainFrm::showLoadingCaption(const QString& caption) {
  pnlLoadData->show();
  setLoadCaption(caption);
}

void TMainFrm::hideLoadingUnlessFailed() {
  if (lblReload->isHidden()) pnlLoadData->hide();
}

QString TMainFrm::loadCaption() const { return lblLoadCaption->text(); }

bool TMainFrm::loadFailed() const { return !lblReload->isHidden(); }

void TMainFrm::tmr1Timer() {
  tmr1.stop();
  QElapsedTimer clock;
  clock.start();
  pnlLoadData->show();
  setLoadCaption(QStringLiteral("   正在初始化数据..."));
  bool failed = false;
  setLoadCaption(QStringLiteral("  正在读取【AI】数据..."));
  if (LoadData(dm_) == LoadResult::RowsFailed) {
    failed = true;
  } else {
    tsAI->prepareKnowledge();
    setLoadCaption(QStringLiteral("  正在读取【中药价格】数据..."));
    GetHerbPriceList(dm_, loginState().ShopId, &LstHerbPrice);
  }
  if (failed) {
    setLoadCaption(QStringLiteral("  请重新读取数据"));
    lblReload->show();
    messages_.showMessage(QStringLiteral("读取数据时出错，请检查网络是否正常"));
  }
  GetAliases(dm_, &LstAliases);
  tsAI->createFirstInquiryPage();
  pnlLoadData->hide();
  if (!lblReload->isHidden()) {
    setLoadCaption(QStringLiteral("  请重新读取数据"));
    pnlLoadData->show();
  }
  qInfo("[timing] main window loading finished in %lld ms (%d syndromes, %lld herbs, %lld findings)",
        static_cast<long long>(clock.elapsed()), dm_.knowledge()->MaxId(), static_cast<long long>(LstHerbPrice.size()),
        static_cast<long long>(LstAliases.size()));
  Q_EMIT loadingFinished();
}

void TMainFrm::lblReloadClick() {
  pnlLoadData->hide();
  lblReload->hide();
  if (LoadData(dm_) == LoadResult::RowsFailed) {
    pnlLoadData->show();
    lblReload->show();
    setLoadCaption(lblLoadCaption->text());
    messages_.showMessage(QStringLiteral("读取系统数据时出错，请检查网络是否正常"));
    return;
  }
  tsAI->prepareKnowledge();
  setLoadCaption(QStringLiteral("正在读取症状数据..."));
  setLoadCaption(QStringLiteral("正在读取中药价格数据..."));
  GetHerbPriceList(dm_, loginState().ShopId, &LstHerbPrice);
}

TMsgBoxFrm* TMainFrm::msgBox() {
  if (!msgBox_) msgBox_ = new TMsgBoxFrm(this);
  return msgBox_;
}

void TMainFrm::ShowMessage(const QString& text) {
  TMsgBoxFrm* box = msgBox();
  box->setMessage(text);
  box->centerOver(isVisible() ? this : nullptr);
  box->exec();
}

void TMainFrm::Image1Click() {
  if (!helpFrm_) helpFrm_ = new THelpFrm(this);
  helpFrm_->showConstitutionHelp();
  helpFrm_->centerOver(this);
  helpFrm_->show();
}

void TMainFrm::Image2Click() {
  if (!helpFrm_) helpFrm_ = new THelpFrm(this);
  helpFrm_->showDiseaseCareHelp();
  helpFrm_->centerOver(this);
  helpFrm_->show();
}

void TMainFrm::pnlMinClick() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) w->showMinimized();
}

void TMainFrm::toggleSizeState() {
  if (maxTag_ == 1) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int w = screen.width() * 8 / 10;
    const int h = screen.height() * 8 / 10;
    setGeometry(screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2, w, h);
    maxTag_ = 2;
    sizeTag_ = 0;
    imgNoraml->hide();
    imgMax->show();
  }
}

void TMainFrm::placeFull(int width, int height) {
  setGeometry(1, 1, width, height);
  maxTag_ = 1;
  sizeTag_ = 1;
  imgMax->hide();
  imgNoraml->show();
}

void TMainFrm::imgMaxClick() {
  if (maxTag_ == 1) {
    toggleSizeState();
    return;
  }
  QScreen* s = QGuiApplication::primaryScreen();
  const int taskBar = s->geometry().bottom() - s->availableGeometry().bottom();
  placeFull(s->geometry().width(), s->geometry().height() - taskBar);
}

void TMainFrm::imgNoramlClick() {
  if (maxTag_ == 1) {
    toggleSizeState();
    return;
  }
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  placeFull(work.width(), work.height());
}

void TMainFrm::pnlCloseClick() {
  close();
  QApplication::quit();
}

}  // namespace tcm::ui

namespace tcm::ui {
THelpFrm* TMainFrm::helpFrm() const { return helpFrm_; }
}  // namespace tcm::ui
