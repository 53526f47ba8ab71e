#pragma once
// The food-therapy prescription editor "药膳方": the soup, porridge and drink
// sections with their check boxes, twelve herb slots and a quantity each, the
// total over the ticked sections, saving into the visit record and printing.
#include <QTimer>
#include <array>

#include "base_frm.h"
#include "prescription/food_prescription.h"
#include "prescription/herb_safety.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class TMainFrm;
class TPanel;
class TPreHerFra;

class TFoodPreFrm : public TBaseFrm {
  Q_OBJECT
 public:
  static constexpr int kOpenHeight = 184;  // a section holding a prescription: its head and three rows of slots

  TFoodPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages);

  // Set by the opener.
  QString PreId;  // comma-separated ids of the prescriptions to load
  QString SynName, SynId, PreName, Syn;
  int FromType = 0;
  QString recommend, notRecommend;
  // The coded findings of the last save.
  QString symIds;

  // One section's controls, in the order soup, porridge, drink.
  struct SectionControls {
    QFrame* pnl = nullptr;  // pnlTang, pnlZHou, pnlTea
    QLabel* lblTitle = nullptr;  // lblTang, lblZhou, lblTea
    QCheckBox* chk = nullptr;  // chkTang, chkZhou, chkTea
    QComboBox* cbb = nullptr;  // cbbTang, cbbZhou, cbbTea
    std::array<TPreHerFra*, FoodPrescription::kSlots> slots{};  // ArrTang, ArrZhou, ArrTea
  };
  std::array<SectionControls, FoodPrescription::kSections> sections{};

  QLabel* lblPrice = nullptr;  // the total, its label "合计："
  QFrame* pnlLoadData = nullptr;  // "正在读取数据... ..." while loading
  TPanel* pnlSave = nullptr;  // "保存"
  TPanel* pnlPRT = nullptr;  // "打印"
  QLabel* lblSaved = nullptr;  // kShowsSavedPrescription while the visit's saved sections are shown
  TPanel* pnlRestore = nullptr;  // "恢复原方": back to the textbook sections
  TPanel* imgClose = nullptr;  // the close mark of the title bar
  QTimer tmr1;  // started by the opener: the load follows as soon as the window is on screen

  const FoodPrescription& prescription() const { return pre_; }

  void tmr1Timer();
  void GetPreHerb(const QString& synName, const QString& preName, const QString& preId, const QString& symIdsText,
                  const QString& fromType);
  void SetPreItem(const QString& preName, const QString& herbIds);
  void ClearPreItem();
  void CalaFee();
  void Tang1edtDosageChange(TPreHerFra* slot);
  void cbbTangChange(int section);
  void chkClick(int section);
  void pnlSaveClick();
  void pnlPRTClick();
  void pnlRestoreClick();
  void imgCloseClick();
  // Changes not yet saved into the visit (sections, dosages, quantities).
  bool hasUnsavedChanges() const;
  // Asks about unsaved changes; true when the editor may close or load others.
  bool mayLeave();

 Q_SIGNALS:
  // The prescriptions of the last opening are on screen (or could not be read).
  void loadFinished();

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  // Every way of closing (the "×", Escape, the platform) asks about unsaved changes first.
  void reject() override;

 private:
  [[nodiscard]] bool save();
  // The textbook prescriptions of PreId into the sections.
  void loadTextbook();
  // Puts the visit's saved sections over the sections holding the same prescriptions; false when none is.
  bool loadSavedOfVisit();
  // Everything a save stores, as one text.
  QString formText() const;
  void showRestoreState();
  QFrame* buildSection(int s);
  void FormShow();
  void collapsePanels();
  void refit();
  void showSection(int s);
  // The section and slot of a slot widget; false when it is none of them.
  bool locate(const TPreHerFra* slot, int* s, int* i) const;
  void removeHerb(TPreHerFra* slot);

  TMainFrm* mainFrm_;
  TDMServer& dm_;
  Messages& messages_;
  FoodPrescription pre_;
  QString textbookForm_;  // formText() of the textbook sections
  QString loadedForm_;    // formText() as last loaded or saved: what closing would lose
  QString visitForm_;     // formText() of what the visit holds (empty: none shown)
  HerbCatalogue catalogue_;  // the pairs and pregnancy marks the save checks
};

// Opens the one food editor of the process (created on first use, reused
// after) with the diet prescriptions of the result panel; it empties itself at
// once and loads the prescriptions as soon as it is on screen.
TFoodPreFrm* openFoodPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages, const QString& preIds,
                            const QString& syn, const QString& recommend, const QString& notRecommend);
// The editor, or null before the first opening.
TFoodPreFrm* foodPreFrm();

}  // namespace tcm::ui
