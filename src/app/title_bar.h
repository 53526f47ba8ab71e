#pragma once
// The main window's top bar: the title, the page buttons ("AI辨识", "药膳记录",
// "客户资料"), the user, the gear, "☰" and the three window buttons whose
// middle one shows the picture of the other size state.
#include <QFrame>

class QHBoxLayout;
class QLabel;

namespace tcm::ui {

class TPanel;

class TTitleBar : public QFrame {
  Q_OBJECT
 public:
  explicit TTitleBar(QWidget* parent);

  QLabel* lblTitle = nullptr;
  QLabel* lblUser = nullptr;
  TPanel* imgSet = nullptr;  // the gear "设置"
  TPanel* Panel1 = nullptr;  // "☰"
  TPanel* pnlMin = nullptr;
  TPanel* pnlMAx = nullptr;
  QLabel* imgMax = nullptr;     // shown in the reduced state
  QLabel* imgNoraml = nullptr;  // shown in the full state
  TPanel* pnlClose = nullptr;
  TPanel* imgAI = nullptr;      // "AI辨识"
  TPanel* imgMedRcd = nullptr;  // "药膳记录"
  TPanel* lblMember = nullptr;  // "客户资料"

  // A page button added after "客户资料" (a window of its own, not a page).
  TPanel* addPageButton(const QString& caption, const QString& name);
  // The active page's button darker, the others in the bar's colour.
  void setActivePage(TPanel* active);
  // The middle window button's picture: "restore" in the full state.
  void showFullState(bool full);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QHBoxLayout* layout_ = nullptr;
  int pageButtonsEnd_ = 0;  // layout index after the last page button
};

}  // namespace tcm::ui
