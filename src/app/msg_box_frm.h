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

  void setMessage(const QString& text);

 public Q_SLOTS:
  void pnlViewMoreClick();
};

}  // namespace tcm::ui
