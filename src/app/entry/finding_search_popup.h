#pragma once
// The search pop-up of the identification screen: the vocabulary entries that
// match what was typed into a finding box, under that box; a double click or
// Enter picks the current line, Escape or "关闭" closes it.
#include <QFrame>
#include <optional>

#include "entry/vocabulary_search.h"

class QLineEdit;
class QListWidget;

namespace tcm::ui {

class TPanel;

// A line of the pop-up as it was offered.
struct OfferedFinding {
  QString id, classId, mutex, name;
};

class TFindingSearchPopup : public QFrame {
  Q_OBJECT
 public:
  explicit TFindingSearchPopup(QWidget* parent);

  QListWidget* LstSym = nullptr;
  TPanel* lblCloseSrc = nullptr;  // "关闭"
  QLineEdit* edtSymName = nullptr;  // the free-text box that lies under the list

  // The hits as the lines of the list.
  void showHits(const QList<SearchHit>& hits);
  // Shown under `box`, inside `area` (both in the parent's coordinates).
  void placeUnder(const QPoint& boxBottomLeft, const QRect& area);
  // Hides the pop-up and clears its free text.
  void closePopup();
  // Clears the lines and hides the pop-up (after a pick).
  void clearAndHide();
  // The current line, if any.
  std::optional<OfferedFinding> currentLine() const;
  int lineCount() const;
  // The first line becomes current and the list takes the keyboard.
  void focusFirstLine();

 Q_SIGNALS:
  // The current line was chosen by a double click or Enter.
  void lineChosen();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tcm::ui
