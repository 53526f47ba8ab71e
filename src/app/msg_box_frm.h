#pragma once
// The main window's message box: the text centred and wrapped onto as many lines as it needs, and "确定".
#include "base_frm.h"

namespace tcm::ui {

class TMsgBoxFrm : public TBaseFrm {
  Q_OBJECT
 public:
  explicit TMsgBoxFrm(QWidget* parent = nullptr);

  QLabel* lblMsg = nullptr;
  TPanel* pnlViewMore = nullptr;

  // Shows the whole text: wrapped at the box's width, the box growing by the
  // lines beyond the first, so nothing is ever cut off.
  void setMessage(const QString& text);

 public Q_SLOTS:
  void pnlViewMoreClick();

 protected:
  // Enter and keypad Enter close the box as "确定" does.
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace tcm::ui
