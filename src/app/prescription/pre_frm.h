#pragma once
// The herbal prescription editor "汤方": 32 herb slots, the number of doses,
// the weight and price, saving into the visit record and printing.
#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>

#include "base_frm.h"
#include "entry/vocabulary_search.h"
#include "prescription/herb_prescription.h"
#include "prescription/herb_safety.h"
#include "prescription/saved_prescription.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class TMainFrm;
class TPanel;

// A herb slot: name, editable dosage, unit, dispensing note and the control
// that takes the herb out. Occupied exactly when visible. A click on the name
// replaces the herb; Delete on the focused slot takes it out.
class TPreHerFra : public QFrame {
  Q_OBJECT
 public:
  explicit TPreHerFra(QWidget* parent = nullptr);

  QFrame* shp1 = nullptr;  // the slot's background shape
  QLabel* lblName = nullptr;
  QLabel* lblMark = nullptr;  // how it differs from the textbook form; its pregnancy mark
  QLineEdit* edtDosage = nullptr;
  QLabel* lblUnit = nullptr;
  QComboBox* cbbNote = nullptr;  // "" or one of the dispensing notes
  QToolButton* btnRemove = nullptr;
  QLabel* imgChange = nullptr;  // a marker, hidden whenever the slot is filled
  QString id;
  double price = 0;

  // Shows the herb in the slot without announcing a change; `unit` is the
  // stored unit field, its note goes into the note box.
  void fill(const QString& herbId, const QString& name, const QString& dosage, const QString& unit, double unitPrice);
  // Hides the slot and clears its name.
  void empty();
  // The dosage box at its fixed place in the slot.
  void placeDosageBox();
  // The marks of the slot: its change from the textbook and pregnancy mark.
  void setMarks(SlotChange change, PregnancyMark pregnancy);

 Q_SIGNALS:
  void dosageChanged(TPreHerFra* slot);
  void dosageLeft(TPreHerFra* slot);
  void noteChanged(TPreHerFra* slot);
  void removeRequested(TPreHerFra* slot);
  void replaceRequested(TPreHerFra* slot);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
};

// The catalogue search of an editor: a box (name or pinyin initials, the
// vocabulary's search rules) with its list of herbs below it; Enter or a click
// picks a herb.
class THerbSearch : public QObject {
  Q_OBJECT
 public:
  THerbSearch(QWidget* window, QWidget* boxParent);
  QLineEdit* edtHerb = nullptr;
  QListWidget* lstHerb = nullptr;
  bool replacing = false;  // Escape ends a replacing before it closes the window
  // A catalogue read afresh: the search's index of the earlier one is dropped.
  void setCatalogue(const HerbCatalogue* catalogue) {
    catalogue_ = catalogue;
    rules_ = VocabularySearch();
  }
  // Empties the box and hides the list.
  void reset();

 Q_SIGNALS:
  void picked(const QString& herbId);
  void cancelled();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void search(const QString& text);
  void pickRow(int row);
  QWidget* window_;
  const HerbCatalogue* catalogue_ = nullptr;
  VocabularySearch rules_;
};

// The foot row both editors share: "合计：" with the total, the note that the
// saved prescription of the visit is shown, "恢复原方" (shown only while the
// prescription differs from the textbook one), then "保存" and "打印".
struct PrescriptionFoot {
  QHBoxLayout* layout = nullptr;
  QLabel* lblPrice = nullptr;
  QLabel* lblSaved = nullptr;
  TPanel* pnlRestore = nullptr;
  TPanel* pnlSave = nullptr;
  TPanel* pnlPRT = nullptr;
};
PrescriptionFoot buildPrescriptionFoot(QWidget* parent);

// The note an editor shows when it opened what the current visit has saved.
inline const QString kShowsSavedPrescription = QStringLiteral("已打开本次就诊保存的方剂");

// What the current customer's current visit has saved; nullopt without a
// customer, a visit row or when the read failed.
std::optional<SavedVisitTexts> savedTextsOfCurrentVisit(TMainFrm* mainFrm, TDMServer& dm);

// Whether an editor may close or load other prescriptions: at once without
// unsaved changes; otherwise as the clerk answers "保存" (only when the save
// succeeded), "不保存" or "取消".
bool mayLeaveEditor(Messages& messages, bool unsaved, const std::function<bool()>& save);

class TPreFrm : public TBaseFrm {
  Q_OBJECT
 public:
  TPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages);

  // Set by the opener.
  QString SynName, SynId, PreId, PreName;

  QLabel* lblPre = nullptr;    // name and weight; its hint holds the bare name
  QLabel* lblPrice = nullptr;  // the total price
  QComboBox* cbbTea = nullptr; // "剂数": 1 … 15
  TPanel* pnlSave = nullptr;   // "保存"
  TPanel* pnlPRT = nullptr;    // "打印"
  QLabel* lblSaved = nullptr;  // kShowsSavedPrescription while the visit's saved prescription is shown
  TPanel* pnlRestore = nullptr;  // "恢复原方": back to the textbook herbs and dosages
  TPanel* imgClose = nullptr;  // the close mark of the title bar
  std::array<TPreHerFra*, HerbPrescription::kSlots> ArrHer{};  // Her1 … Her32
  QTimer tmr1;                 // 1 ms, started by the opener

  // The bare prescription name (the hint of lblPre).
  QString preHint() const;
  const HerbPrescription& prescription() const { return pre_; }

  void tmr1Timer();
  void GetPreHerb(const QString& synId, const QString& synName, const QString& preId, const QString& preName,
                  int fromType);
  void SetPreItem(const QString& preName, const QString& herbIds);
  void ClearPreItem();
  void CalaFee(int day);
  void cbbTeaChange();
  void Her1edtDosageChange(TPreHerFra* slot);
  void pnlSaveClick();
  void pnlPRTClick();
  void pnlRestoreClick();
  void imgCloseClick();
  // Tailoring: a catalogue herb into the next free slot (or into the slot
  // being replaced), a slot taken out, a slot's herb replaced.
  void addHerb(const QString& herbId);
  void removeSlot(int slot);
  void startReplace(int slot);
  // The warnings the prescription shows now.
  const QList<SafetyWarning>& warnings() const { return warnings_; }
  const HerbCatalogue& catalogue() const { return catalogue_; }

  THerbSearch* search = nullptr;
  QLabel* lblTip = nullptr;      // what the search did (a herb already present, replacing)
  QLabel* lblChanges = nullptr;  // the textbook herbs taken out
  QLabel* lblWarn = nullptr;     // the safety warnings
  // Changes not yet saved into the visit (a dose, the doses, the herbs).
  bool hasUnsavedChanges() const;
  // Asks about unsaved changes; true when the editor may close or load others.
  bool mayLeave();

 protected:
  void showEvent(QShowEvent* e) override;
  // Every way of closing (the "×", Escape, the platform) asks about unsaved changes first.
  void reject() override;

 private:
  void FormShow();
  void reprice();
  [[nodiscard]] bool save();
  // The visit's saved herbal prescription when it is the one opened; false otherwise.
  bool loadSavedOfVisit();
  QString currentIdsText() const;
  void showRestoreState();
  void showSlots();
  void refreshChecks();
  bool childBearing() const;
  QStringList foodHerbsOfVisit();
  QList<SafetyWarning> checkNow(const QStringList& foodHerbs) const;
  void slotDosageLeft(TPreHerFra* slot);
  void slotNoteChanged(TPreHerFra* slot);
  int indexOfSlot(const TPreHerFra* slot) const;

  TMainFrm* mainFrm_;
  TDMServer& dm_;
  Messages& messages_;
  HerbPrescription pre_;
  QString textbookHerbs_;  // the herbs and dosages of the textbook form, as printed
  QString loadedIds_;      // the ids text as it was last loaded or saved: what closing would lose
  QString visitIds_;       // the ids text the visit holds for this prescription (empty: none)
  HerbPrescription textbook_;  // the textbook form with its catalogue notes
  HerbCatalogue catalogue_;
  QStringList visitFoodHerbs_;  // the herbs of the visit's saved food prescription
  QList<SafetyWarning> warnings_;
  int replacing_ = -1;          // the slot whose herb the search replaces
};

// Opens the one editor of the process (created on first use, reused after) for
// a classic prescription of the result panel; the loading follows 1 ms later.
TPreFrm* openPreFrm(TMainFrm* mainFrm, TDMServer& dm, Messages& messages, const QString& synName,
                    const QString& preId, const QString& preName);
// The editor, or null before the first opening.
TPreFrm* preFrm();

}  // namespace tcm::ui
