#pragma once
// The help window: the constitution help or the disease-care help, one at a time.
#include "base_frm.h"

class QPlainTextEdit;

namespace tcm::ui {

class THelpFrm : public TBaseFrm {
  Q_OBJECT
 public:
  explicit THelpFrm(QWidget* parent = nullptr);

  QPlainTextEdit* memTZ = nullptr;
  QPlainTextEdit* memJB = nullptr;

  void showConstitutionHelp();
  void showDiseaseCareHelp();

 public Q_SLOTS:
  void imgCloseClick();
};

}  // namespace tcm::ui
