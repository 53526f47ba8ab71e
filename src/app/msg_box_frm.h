#pragma once
// The main window's message box: one line, centred, cut off when too long, and "确定".
#include "base_frm.h"

namespace tcm::ui {

class TMsgBoxFrm : public TBaseFrm {
  Q_OBJECT
 public:
  explicit TMsgBoxFrm(QWidget* parent = nullptr);

  QLabel* lblMsg = nullptr;
  TPanel* pnlViewMore = nullptr;

  // One line cut off at the box's width; with `whole`, wrapped onto as many
  // lines as the text needs, the box growing to hold them.
  void setMessage(const QString& text, bool whole = false);

 public Q_SLOTS:
  void pnlViewMoreClick();

 protected:
  // Enter and keypad Enter close the box as "确定" does.
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace tcm::ui
