#pragma once
// "体质问卷": the national constitution questionnaire for the current customer.
// One page of items with five large answers each (number keys 1–5 answer the
// marked item), the progress, the nine scores as a chart that follows every
// answer, the judgement line and the diet advice of the types it names; saved
// with the customer and visit; the customer's trend over visits on its own page.
#include <QList>
#include <QPointer>

#include "constitution/constitution_store.h"
#include "tool_window.h"

class QAbstractButton;
class QButtonGroup;
class QChart;
class QChartView;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QTabWidget;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class CustomerHost;
class TPanel;

class TConstitutionFrm : public TToolWindow {
  Q_OBJECT
 public:
  TConstitutionFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent = nullptr);
  ~TConstitutionFrm() override;

  // Opens for the host's current customer: the elderly form offered from 65,
  // the gender-limited item for that gender only. Answers stay while the same
  // customer is asked again.
  void openForCurrent();

  // The page as it stands.
  ConstitutionForm form() const { return form_; }
  const QList<PageQuestion>& questions() const { return questions_; }
  const ConstitutionAnswers& answers() const { return answers_; }
  // The answer of the item at `place` (0-based on the page), as its button's click.
  void answerAt(int place, int answer);
  // The item the number keys answer (0-based).
  int currentPlace() const { return current_; }
  // The result of a complete page (nullopt before).
  const std::optional<ConstitutionResult>& result() const { return result_; }
  QChart* scoreChart() const { return scoreChart_; }
  QChart* trendChart() const { return trendChart_; }
  // The answer buttons of the item at `place`, 1 … 5.
  QList<QAbstractButton*> answerButtons(int place) const;

  QTabWidget* pgPages = nullptr;
  QLabel* lblCustomer = nullptr;
  QRadioButton* rbStandard = nullptr;
  QRadioButton* rbElderly = nullptr;
  QLabel* lblProgress = nullptr;  // "已答 37/60"
  QScrollArea* scbItems = nullptr;
  QLineEdit* edtWaist = nullptr;  // elderly form only
  QChartView* chtScores = nullptr;
  QLabel* lblJudgement = nullptr;
  QLabel* lblDiet = nullptr;
  TPanel* pnlJudge = nullptr;  // "判定"
  TPanel* pnlSave = nullptr;   // "保存"
  QChartView* chtTrend = nullptr;
  QLabel* lblTrend = nullptr;  // what the trend page holds

 public Q_SLOTS:
  // Names the unanswered items, else shows the judgement.
  void pnlJudgeClick();
  // Saves the complete page with the host's current customer and visit.
  void pnlSaveClick();
  void imgCloseClick();
  // Reads the customer's saved results again into the trend page.
  void refreshTrend();

 Q_SIGNALS:
  // After a save that succeeded.
  void constitutionSaved(const QString& patId, const QString& judgement);

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void setForm(ConstitutionForm form);
  void buildPage();
  void setCurrent(int place);
  void answered();
  void showUnanswered(const QString& message);

  TDMServer& dm_;
  Messages& messages_;
  CustomerHost& host_;
  ConstitutionForm form_ = ConstitutionForm::Standard;
  QString patId_, gender_;
  QList<PageQuestion> questions_;
  ConstitutionAnswers answers_;
  std::optional<ConstitutionResult> result_;
  QList<QButtonGroup*> groups_;
  QList<QFrame*> rows_;
  QPointer<QWidget> page_;
  QChart* scoreChart_ = nullptr;
  QChart* trendChart_ = nullptr;
  int current_ = 0;
};

}  // namespace tcm::ui
