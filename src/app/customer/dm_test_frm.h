#pragma once
// The diabetes risk questionnaire "中国糖尿病风险评估表": scores the answers as
// they are typed and stores the risk class in the customer's row. One window,
// reused; the answers stay for the next opening.
#include <QList>

#include "tool_window.h"

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tcm {
class TDMServer;
class Messages;
struct DmAnswers;
}  // namespace tcm

namespace tcm::ui {

class TPanel;

class TDMTestFrm : public TToolWindow {
  Q_OBJECT
 public:
  TDMTestFrm(TDMServer& dm, Messages& messages, QWidget* parent = nullptr);

  // The customer the class is stored for.
  QString patId;
  // 0 closed, 1 the main window, 2 the customer list.
  int FromForm = 0;

  // For another customer than the last one, first empties every answer and
  // the result; then sets the gender answer (only for "男"/"女"), the age box
  // (rescoring), patId and FromForm, and shows the window.
  void openFor(const QString& patId, const QString& gender, const QString& age, int fromForm);

  QRadioButton* rb1 = nullptr;  // 男
  QRadioButton* rb2 = nullptr;  // 女
  QLineEdit* edtAge = nullptr;
  QLineEdit* edtHeight = nullptr;
  QLineEdit* edtWeight = nullptr;
  QLineEdit* edtWaistline = nullptr;
  QLineEdit* edtHP = nullptr;
  QRadioButton* rb3 = nullptr;             // family history 是
  QRadioButton* rb4 = nullptr;             // family history 否
  QRadioButton* rb5 = nullptr;             // raised blood sugar 是
  QRadioButton* RzRadioButton1 = nullptr;  // raised blood sugar 否
  QRadioButton* rb7 = nullptr;             // daily activity 是
  QRadioButton* rb8 = nullptr;             // daily activity 否
  QLabel* lblScore = nullptr;
  QLabel* lblLevel = nullptr;
  QLabel* lblWarm = nullptr;
  TPanel* pnl17 = nullptr;

  // The questionnaire as it reads now.
  tcm::DmAnswers answers() const;

 public Q_SLOTS:
  // Rescoring; with age, height, weight or waist empty the shown result stays.
  void TestDM();
  void pnl17Click();
  void imgCloseClick();

 Q_SIGNALS:
  // Only after a save that succeeded.
  void classSaved(const QString& patId, const QString& riskClass);

 private:
  QButtonGroup* pair(QRadioButton*& yes, const QString& yesText, QRadioButton*& no, const QString& noText,
                     const QString& yesName, const QString& noName);

  void clearAnswers();

  TDMServer& dm_;
  Messages& messages_;
  QList<QButtonGroup*> groups_;  // gender, family history, raised sugar, activity
  bool scored_ = false;  // the shown result belongs to the answers as they read now
};

}  // namespace tcm::ui
