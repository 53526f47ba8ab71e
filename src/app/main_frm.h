#pragma once
// The main window: the title bar (title_bar.h) with its two size states, the
// page control, and the data loading after login with its progress panel
// (load_panel.h) and retry.
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "customer/customer_host.h"
#include "entry/vocabulary.h"

class QLabel;
class QFrame;
class QMenu;
class QTabWidget;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class TPanel;
class TIdentifyPage;
class TMsgBoxFrm;
class THelpFrm;
class TSetParamFrm;
class TCustomerFrm;
class TCustomerRcdFrm;
class TConstitutionFrm;
class TLoadPanel;
class TTitleBar;

class TMainFrm : public QWidget, public CustomerHost {
  Q_OBJECT
 public:
  TMainFrm(TDMServer& dm, Messages& messages, QWidget* parent = nullptr);
  ~TMainFrm() override;

  // The modal message box showing every line of the text; returns when it is closed.
  void ShowMessage(const QString& text);
  // The message box window (created on first use).
  TMsgBoxFrm* msgBox();
  THelpFrm* helpFrm() const;
  // The shop settings window (created by the gear on first use).
  TSetParamFrm* setParamFrm() const;

  // Title bar
  QFrame* pnlTop = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblUser = nullptr;
  TPanel* imgSet = nullptr;  // the gear "设置"
  TPanel* Panel1 = nullptr;
  TPanel* pnlMin = nullptr;
  TPanel* pnlMAx = nullptr;
  QLabel* imgMax = nullptr;
  QLabel* imgNoraml = nullptr;
  TPanel* pnlClose = nullptr;
  // Pages
  QTabWidget* pgMain = nullptr;
  TPanel* imgAI = nullptr;       // "AI辨识"
  TPanel* imgMedRcd = nullptr;   // "药膳记录"
  TPanel* lblMember = nullptr;   // "客户资料"
  TPanel* imgTZ = nullptr;       // "体质问卷": a window of its own for the current customer
  TIdentifyPage* tsAI = nullptr;
  QWidget* tsCustomerRcd = nullptr;
  QWidget* tsCustomer = nullptr;
  // The pages' windows, docked on first use.
  TCustomerRcdFrm* customerRcdFrm() const { return customerRcdFrm_; }
  TCustomerFrm* customerFrm() const { return customerFrm_; }

  // CustomerHost: the strip of the identification screen owns the current customer.
  QString currentPatId() const override;
  QString currentMZNO() const override;
  QString currentGender() const override;
  QString currentAge() const override;
  void makeCurrent(const CustomerPick& c, Visit visit) override;
  void showIdentification() override { imgAIClick(); }
  TPatMedFrm& patMedFrm() override;
  TDMTestFrm& dmTestFrm() override;
  // Loading
  TLoadPanel* pnlLoadData = nullptr;
  QLabel* lblLoadCaption = nullptr;
  TPanel* lblReload = nullptr;
  QTimer tmr1;

  // The in-memory lists kept for the life of the process.
  AliasList LstAliases;
  AliasList LstHerbPrice;
  int SelSymCount = 0;

  // Size state: 1 full, 0 reduced (the window's tag); 1 full, 2 reduced (pnlMAx's tag).
  int sizeTag() const { return sizeTag_; }
  int maxTag() const { return maxTag_; }
  bool loadFailed() const;
  QString loadCaption() const;
  // The loading panel for other loads (the inquiry pages): shown with a caption,
  // hidden again unless a load failed and the retry label stands.
  void showLoadingCaption(const QString& caption);
  void hideLoadingUnlessFailed();

 public Q_SLOTS:
  void Init();
  void tmr1Timer();
  void lblReloadClick();
  void pnlMinClick();
  void imgMaxClick();
  void imgNoramlClick();
  void pnlCloseClick();
  void Image1Click();
  void Image2Click();
  void Panel1Click();
  void imgSetClick();
  void imgAIClick();
  void imgMedRcdClick();
  void lblMemberClick();
  // "中国糖尿病风险评估表": the assessment for the current customer.
  void lbl9Click();
  // "体质问卷" of the top bar and of the customer strip: the questionnaire for the
  // current customer, whose visit gets its number now when it has none.
  void imgTZClick();
  TConstitutionFrm& constitutionFrm();
  // The strip's "选择", "+ 添加" (0) and "+选择" (1): a fresh customer window each time.
  void openCustomerDetails(int fromType);

 Q_SIGNALS:
  // The after-login loading has run (successfully or not).
  void loadingFinished();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  [[nodiscard]] bool loadKnowledgeAndPrices(const QStringList& captionsBeforePrices);
  void showLoadFailure(const QString& caption, const QString& message);
  void toggleSizeState();
  void setActiveTopButton(TPanel* active);
  void placeFull(int width, int height);

  TDMServer& dm_;
  Messages& messages_;
  TTitleBar* titleBar_ = nullptr;
  QPointer<TMsgBoxFrm> msgBox_;
  QPointer<THelpFrm> helpFrm_;
  QPointer<TSetParamFrm> setParamFrm_;
  TCustomerRcdFrm* customerRcdFrm_ = nullptr;
  TCustomerFrm* customerFrm_ = nullptr;
  QPointer<TPatMedFrm> patMedFrm_;
  QPointer<TDMTestFrm> dmTestFrm_;
  QPointer<TConstitutionFrm> constitutionFrm_;
  int sizeTag_ = 1;
  int maxTag_ = 1;
  bool shownOnce_ = false;
  bool vocabularyLoaded_ = false;
  QPointer<QMenu> menuMain_;
};

}  // namespace tcm::ui
