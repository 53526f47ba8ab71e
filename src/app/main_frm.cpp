#include "main_frm.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "constitution/constitution_frm.h"
#include "customer/customer_frm.h"
#include "customer/customer_rcd_frm.h"
#include "customer/customer_strip.h"
#include "customer/dm_test_frm.h"
#include "customer/pat_info_frm.h"
#include "customer/pat_med_frm.h"
#include "db/gateway.h"
#include "kb/knowledge_loader.h"
#include "entry/identify_page.h"
#include "help_frm.h"
#include "load_panel.h"
#include "login/login_state.h"
#include "messages.h"
#include "msg_box_frm.h"
#include "prescription/food_pre_frm.h"
#include "prescription/pre_frm.h"
#include "prescription/print_rp_frm.h"
#include "settings/set_param_frm.h"
#include "title_bar.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

// An empty page of the page control that a window is docked into later.
QWidget* dockPage(QTabWidget* pages, const QString& name, const QString& caption) {
  auto* page = new QWidget(pages);
  page->setObjectName(name);
  auto* l = new QVBoxLayout(page);
  l->setContentsMargins(0, 0, 0, 0);
  pages->addTab(page, caption);
  return page;
}

constexpr int kMinimumWidth = 1024;
constexpr int kMinimumHeight = 640;

// The window's minimum yields to a size state smaller than it (a small screen):
// each state covers exactly what it was given.
QSize minimumWithin(int width, int height) {
  return {std::min(kMinimumWidth, width), std::min(kMinimumHeight, height)};
}

}  // namespace

TMainFrm::TMainFrm(TDMServer& dm, Messages& messages, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window), dm_(dm), messages_(messages) {
  setObjectName(QStringLiteral("MainFrm"));
  setWindowTitle(QStringLiteral("亚健康中医辨识和康养系统"));
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  titleBar_ = new TTitleBar(this);
  pnlTop = titleBar_;
  lblTitle = titleBar_->lblTitle;
  lblUser = titleBar_->lblUser;
  imgSet = titleBar_->imgSet;
  Panel1 = titleBar_->Panel1;
  pnlMin = titleBar_->pnlMin;
  pnlMAx = titleBar_->pnlMAx;
  imgMax = titleBar_->imgMax;
  imgNoraml = titleBar_->imgNoraml;
  pnlClose = titleBar_->pnlClose;
  imgAI = titleBar_->imgAI;
  imgMedRcd = titleBar_->imgMedRcd;
  lblMember = titleBar_->lblMember;
  root->addWidget(pnlTop);
  installTitleDrag(pnlTop, this, [this] { return sizeTag_ == 0; });

  pgMain = new QTabWidget(this);
  pgMain->setObjectName(QStringLiteral("pgMain"));
  pgMain->setDocumentMode(true);
  pgMain->tabBar()->hide();  // the top bar's buttons choose the page
  tsAI = new TIdentifyPage(dm_, messages_, LstAliases, this, pgMain);
  pgMain->addTab(tsAI, QStringLiteral("AI辨识"));
  tsCustomerRcd = dockPage(pgMain, QStringLiteral("tsCustomerRcd"), QStringLiteral("药膳记录"));
  tsCustomer = dockPage(pgMain, QStringLiteral("tsCustomer"), QStringLiteral("客户资料"));
  root->addWidget(pgMain, 1);
  setActiveTopButton(imgAI);
  connect(imgAI, &TPanel::clicked, this, &TMainFrm::imgAIClick);
  connect(imgMedRcd, &TPanel::clicked, this, &TMainFrm::imgMedRcdClick);
  connect(lblMember, &TPanel::clicked, this, &TMainFrm::lblMemberClick);
  connect(tsAI, &TIdentifyPage::customerDetailsRequested, this, &TMainFrm::openCustomerDetails);
  connect(tsAI->customer->lbl9, &TPanel::clicked, this, &TMainFrm::lbl9Click);
  imgTZ = titleBar_->addPageButton(QStringLiteral("体质问卷"), QStringLiteral("imgTZ"));
  connect(imgTZ, &TPanel::clicked, this, &TMainFrm::imgTZClick);
  connect(tsAI->customer->lblTZ, &TPanel::clicked, this, &TMainFrm::imgTZClick);
  // "历史药膳 >": every recent visit of the current customer.
  connect(tsAI, &TIdentifyPage::visitRecordsRequested, this, [this](int patId) { patMedFrm().openFor(patId, 0); });
  // A classic prescription of the result panel opens the herbal editor.
  connect(tsAI, &TIdentifyPage::classicPrescriptionRequested, this,
          [this](const QString& synName, const QString& preId, const QString& preName) {
            openPreFrm(this, dm_, messages_, synName, preId, preName);
          });
  // A diet prescription of the result panel opens the food editor.
  connect(tsAI, &TIdentifyPage::dietPrescriptionRequested, this,
          [this](const QString& preIds, const QString& syn, const QString& recommend, const QString& notRecommend) {
            openFoodPreFrm(this, dm_, messages_, preIds, syn, recommend, notRecommend);
          });

  pnlLoadData = new TLoadPanel(this);
  lblLoadCaption = pnlLoadData->lblLoadCaption;
  lblReload = pnlLoadData->lblReload;

  tmr1.setSingleShot(true);
  tmr1.setInterval(100);
  connect(&tmr1, &QTimer::timeout, this, &TMainFrm::tmr1Timer);
  connect(lblReload, &TPanel::clicked, this, &TMainFrm::lblReloadClick);
  connect(pnlMin, &TPanel::clicked, this, &TMainFrm::pnlMinClick);
  connect(imgSet, &TPanel::clicked, this, &TMainFrm::imgSetClick);
  connect(Panel1, &TPanel::clicked, this, &TMainFrm::Panel1Click);
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
  SelSymCount = 0;
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  setMinimumSize(minimumWithin(work.width(), work.height()));
  setGeometry(work.x(), work.y(), work.width(), work.height());
  sizeTag_ = 1;
  maxTag_ = 1;
  titleBar_->showFullState(true);
}

void TMainFrm::showLoadingCaption(const QString& caption) { pnlLoadData->showCaption(caption); }

void TMainFrm::hideLoadingUnlessFailed() { pnlLoadData->hideUnlessFailed(); }

QString TMainFrm::loadCaption() const { return pnlLoadData->caption(); }

bool TMainFrm::loadFailed() const { return pnlLoadData->failed(); }

// The knowledge base, then the shop's prices: a failure of either (a query that
// fails, or a reading that breaks off) is a load failure with the retry label.
bool TMainFrm::loadKnowledgeAndPrices(const QStringList& captionsBeforePrices) {
  if (LoadData(dm_) == LoadResult::RowsFailed) return false;
  tsAI->prepareKnowledge();
  for (const QString& caption : captionsBeforePrices) pnlLoadData->setCaption(caption);
  return GetHerbPriceList(dm_, loginState().ShopId, &LstHerbPrice);
}

void TMainFrm::showLoadFailure(const QString& caption, const QString& message) {
  pnlLoadData->showFailure(caption);
  messages_.showMessage(message);
}

void TMainFrm::tmr1Timer() {
  tmr1.stop();
  QElapsedTimer clock;
  clock.start();
  pnlLoadData->show();
  pnlLoadData->setCaption(QStringLiteral("   正在初始化数据..."));
  pnlLoadData->setCaption(QStringLiteral("  正在读取【AI】数据..."));
  if (!loadKnowledgeAndPrices({QStringLiteral("  正在读取【中药价格】数据...")}))
    showLoadFailure(QStringLiteral("  请重新读取数据"), QStringLiteral("读取数据时出错，请检查网络是否正常"));
  vocabularyLoaded_ = GetAliases(dm_, &LstAliases);
  if (!vocabularyLoaded_ && !loadFailed())
    showLoadFailure(QStringLiteral("  请重新读取数据"), QStringLiteral("读取数据时出错，请检查网络是否正常"));
  tsAI->createFirstInquiryPage();
  pnlLoadData->hide();
  if (loadFailed()) {
    pnlLoadData->setCaption(QStringLiteral("  请重新读取数据"));
    pnlLoadData->show();
  }
  qCInfo(lcTiming, "[timing] main window loading finished in %lld ms (%d syndromes, %lld herbs, %lld findings)",
        static_cast<long long>(clock.elapsed()), dm_.knowledge()->MaxId(), static_cast<long long>(LstHerbPrice.size()),
        static_cast<long long>(LstAliases.size()));
  Q_EMIT loadingFinished();
}

void TMainFrm::lblReloadClick() {
  pnlLoadData->clearFailure();
  bool ok = loadKnowledgeAndPrices({QStringLiteral("正在读取症状数据..."), QStringLiteral("正在读取中药价格数据...")});
  // A vocabulary that failed to load is read again with the rest.
  if (ok && !vocabularyLoaded_) ok = vocabularyLoaded_ = GetAliases(dm_, &LstAliases);
  if (!ok) showLoadFailure(pnlLoadData->caption(), QStringLiteral("读取系统数据时出错，请检查网络是否正常"));
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

void TMainFrm::imgSetClick() {
  if (!setParamFrm_) {
    setParamFrm_ = new TSetParamFrm(dm_, messages_, this);
    // A saved price is the one the editors price with from their next opening.
    connect(setParamFrm_, &TSetParamFrm::herbPriceSaved, this,
            [this](const QString& id, const QString& name, double price) { putHerbPrice(&LstHerbPrice, id, name, price); });
  }
  setParamFrm_->showCenteredOver(this);
}

TSetParamFrm* TMainFrm::setParamFrm() const { return setParamFrm_; }

void TMainFrm::setActiveTopButton(TPanel* active) { titleBar_->setActivePage(active); }

void TMainFrm::imgAIClick() {
  setActiveTopButton(imgAI);
  pgMain->setCurrentWidget(tsAI);
}

void TMainFrm::imgMedRcdClick() {
  if (!customerRcdFrm_) {
    customerRcdFrm_ = new TCustomerRcdFrm(dm_, messages_, *this, tsCustomerRcd);
    tsCustomerRcd->layout()->addWidget(customerRcdFrm_);
  }
  setActiveTopButton(imgMedRcd);
  pgMain->setCurrentWidget(tsCustomerRcd);
}

void TMainFrm::lblMemberClick() {
  if (!customerFrm_) {
    customerFrm_ = new TCustomerFrm(dm_, messages_, *this, tsCustomer);
    tsCustomer->layout()->addWidget(customerFrm_);
  }
  setActiveTopButton(lblMember);
  pgMain->setCurrentWidget(tsCustomer);
}

void TMainFrm::lbl9Click() {
  dmTestFrm().openFor(currentPatId(), currentGender(), currentAge(), 1);
}

void TMainFrm::imgTZClick() {
  if (!tsAI->customer->hasCustomer()) {
    messages_.showMessage(QStringLiteral("未选择客户"));
    return;
  }
  tsAI->customer->ensureMZNO();
  constitutionFrm().openForCurrent();
}

TConstitutionFrm& TMainFrm::constitutionFrm() {
  if (!constitutionFrm_) constitutionFrm_ = new TConstitutionFrm(dm_, messages_, *this, this);
  return *constitutionFrm_;
}

void TMainFrm::openCustomerDetails(int fromType) {
  auto* frm = new TPatInfoFrm(dm_, messages_, *this, this);
  frm->setAttribute(Qt::WA_DeleteOnClose);
  if (fromType == 1)
    frm->openForMainSearch();
  else
    frm->openPlain();
}

QString TMainFrm::currentPatId() const { return tsAI->customer->PatId; }
QString TMainFrm::currentMZNO() const { return tsAI->customer->MZNO; }
QString TMainFrm::currentGender() const { return tsAI->customer->edtGender->currentText(); }
QString TMainFrm::currentAge() const { return tsAI->customer->edtAge->text(); }

void TMainFrm::makeCurrent(const CustomerPick& c, Visit visit) { tsAI->customer->makeCurrent(c, visit); }

TPatMedFrm& TMainFrm::patMedFrm() {
  if (!patMedFrm_) patMedFrm_ = new TPatMedFrm(dm_, messages_, this);
  return *patMedFrm_;
}

TDMTestFrm& TMainFrm::dmTestFrm() {
  if (!dmTestFrm_) dmTestFrm_ = new TDMTestFrm(dm_, messages_, this);
  return *dmTestFrm_;
}

void TMainFrm::Panel1Click() {
  // The "☰" button offers what the top bar holds elsewhere, so it is never a dead button.
  if (!menuMain_) {
    menuMain_ = new QMenu(this);
    menuMain_->addAction(QStringLiteral("体质辨识说明"), this, &TMainFrm::Image1Click);
    menuMain_->addAction(QStringLiteral("疾病调理说明"), this, &TMainFrm::Image2Click);
    menuMain_->addAction(QStringLiteral("设置"), this, &TMainFrm::imgSetClick);
    menuMain_->addSeparator();
    menuMain_->addAction(QStringLiteral("退出"), this, &TMainFrm::pnlCloseClick);
  }
  menuMain_->popup(Panel1->mapToGlobal(QPoint(0, Panel1->height())));
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
    // The reduced state is four fifths of the screen also on small screens
    // (1366×768 gives 1092×614).
    setMinimumSize(minimumWithin(w, h));
    setGeometry(screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2, w, h);
    maxTag_ = 2;
    sizeTag_ = 0;
    titleBar_->showFullState(false);
  }
}

void TMainFrm::placeFull(int width, int height) {
  setMinimumSize(minimumWithin(width, height));
  setGeometry(1, 1, width, height);
  maxTag_ = 1;
  sizeTag_ = 1;
  titleBar_->showFullState(true);
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

void TMainFrm::pnlCloseClick() { close(); }

void TMainFrm::closeEvent(QCloseEvent* e) {
  // However the window is closed ("╳", Alt+F4, the taskbar), the program ends
  // and lets go of its databases.
  e->accept();
  QApplication::quit();
}

THelpFrm* TMainFrm::helpFrm() const { return helpFrm_; }

}  // namespace tcm::ui
