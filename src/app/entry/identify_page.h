#pragma once
// The identification screen: the inquiry column on the left (inquiry_column.h),
// the customer strip and the selected findings with their search pop-up
// (finding_search_popup.h) in the middle, the result panel on the right.
#include <QPointer>
#include <QWidget>
#include <array>

#include "engine/syndrome_engine.h"
#include "entry/selected_set.h"
#include "entry/sym_option_host.h"
#include "entry/vocabulary.h"
#include "entry/vocabulary_search.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTableWidget;
class QFrame;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class TChipRow;
class TFindingSearchPopup;
class TInquiryColumn;
class TCustomerStrip;
class TPanel;
class TResultPanel;
class TSelSymFra;
class TSymOptionFrm;
class TMainFrm;

class TIdentifyPage : public QWidget, public SymOptionHost {
  Q_OBJECT
 public:
  TIdentifyPage(TDMServer& dm, Messages& messages, const AliasList& vocabulary, TMainFrm* mainFrm,
                QWidget* parent = nullptr);
  ~TIdentifyPage() override;

  // Mode captions and inquiry tabs (inquiry_column.h)
  TInquiryColumn* inquiry = nullptr;
  QTabWidget* pgSym = nullptr;  // the inquiry column's tabs
  // The customer strip: the current customer's one owner.
  TCustomerStrip* customer = nullptr;
  // Hints
  QLabel* lblHintTitle = nullptr;
  std::array<TPanel*, 8> ArrLblSym{};
  // Selected findings
  std::array<TChipRow*, 4> rows{};  // pnlSym, pnlTongue, pnlPulse, pnlDisease
  std::array<QLineEdit*, 4> searchBoxes{};  // edtSearch, edtSearcTongue, edtSearchPulse, edtSearchDisease
  QLineEdit* EdtTmp = nullptr;
  // The search pop-up (finding_search_popup.h) and its parts.
  TFindingSearchPopup* pnlSearch = nullptr;
  QListWidget* LstSym = nullptr;
  TPanel* lblCloseSrc = nullptr;
  QLineEdit* edtSymName = nullptr;
  QFrame* pnlEntry = nullptr;
  // Result
  TResultPanel* result = nullptr;

  QString Gender = QStringLiteral("1");

  const SelectedSet& selected() const { return set_; }
  // The chip widgets of a category in slot order.
  QList<TSelSymFra*> chips(Category c) const;
  // The identification run.
  void Ai(const QString& primaryId);
  // Both true when the set changed (the identification has then run again).
  bool AddSelSym(const QString& classId, const QString& id, const QString& name, const QString& gender,
                 const QString& ids = {});
  bool Del(Category c, const QString& id);
  void ClearSym();
  // Stored form of the set for a visit record.
  void GetMed(QString* Disease, QString* Med, QString* SymIds) const;
  void SetHintSym(const QList<HintRow>& hints);
  void ClearHintSym();
  // Picks line `row` of the search pop-up as a double click does.
  void LstSymDblClick();
  // The vocabulary's clear names are searched here; the search of the box that was typed in.
  void edtSymNameChange(QLineEdit* box);
  void pnlMod1Click();
  void pnlMod2Click();
  void pnlRowClick(Category c);
  // The prompt box shrinks to an ordinary search box at its first click.
  void edtSearchClick();
  // Shows "妇科" for women of 11 or more; "症状" becomes the active tab.
  void SetGynecology();
  bool gynecologyTabShown() const;
  // Parses the freshly loaded knowledge base once, so the first run is quick.
  void prepareKnowledge();
  // After loading the vocabulary: create the first inquiry page.
  void createFirstInquiryPage();

  // SymOptionHost
  TDMServer& database() override { return dm_; }
  Messages& messageSink() override { return messages_; }
  QString inquiryGenderCode() const override { return Gender; }
  bool hasMutexConflict(const QString& mutex) const override { return set_.GetMutexSym(mutex); }
  bool categoryFull(const QString& classId) override;
  bool addFinding(const QString& classId, const QString& id, const QString& name, const QString& gender) override;
  bool removeFinding(const QString& classId, const QString& id) override;
  void showHints(const QList<HintRow>& hints) override { SetHintSym(hints); }
  void clearHints() override { ClearHintSym(); }
  QString derivedPrimaryId() const override { return set_.primaryId(); }
  void runIdentification(const QString& primaryId) override { Ai(primaryId); }
  void showLoading(const QString& caption) override;
  void hideLoading() override;

 Q_SIGNALS:
  // Handed to the prescription editors when they exist.
  void classicPrescriptionRequested(const QString& synName, const QString& preId, const QString& preName);
  void dietPrescriptionRequested(const QString& preIds, const QString& syn, const QString& recommend,
                                 const QString& notRecommend);
  void visitRecordsRequested(int patId);
  // The strip's "选择", "+ 添加" (0) and "+选择" (1).
  void customerDetailsRequested(int fromType);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A wheel turn anywhere on the screen scrolls the active inquiry page (the
  // page's own area scrolls itself and does not pass the turn on).
  void wheelEvent(QWheelEvent* e) override;

 private:
  QWidget* buildEntryColumn();
  void relayoutRow(Category c);
  // The set changed: run the identification on it, or show no result when it is empty.
  void findingsChanged();
  // The symptom box as an ordinary empty search box (70 px, regular colour).
  void leavePrompt();
  void placeSearchPopup(QLineEdit* box);
  void closeSearchPopup();
  // Any key but the ones that do not search brings the pop-up back under the box.
  void edtSymKeyUp(QLineEdit* box, int key);
  void chipCaptionClicked(TSelSymFra* chip);
  void chipDeleteRequested(TSelSymFra* chip);
  void SelectOption(const QString& diseaseId);
  void edtGenderOrAgeChange();
  void showDietResult(int id, const QString& name, const QString& pre);

  TDMServer& dm_;
  Messages& messages_;
  const AliasList& vocabulary_;
  TMainFrm* mainFrm_;
  SelectedSet set_;
  std::array<QList<TSelSymFra*>, 4> chipWidgets_;
  VocabularySearch search_;
  QString lastRunError_;
  SyndromeIndexCache indexCache_;
};

}  // namespace tcm::ui
