#pragma once
// The right column of the identification screen: the constitution, the
// recommended diet and classic prescriptions, and the diet advice.
#include <QFrame>
#include <array>

#include "result/recommendations.h"

class QLabel;

namespace tcm {
class Messages;
}

namespace tcm::ui {

class TPreNameFrame;
class TPanel;

class TResultPanel : public QFrame {
  Q_OBJECT
 public:
  explicit TResultPanel(Messages& messages, QWidget* parent = nullptr);

  QLabel* lblSyn = nullptr;
  QLabel* lblScore = nullptr;
  std::array<TPreNameFrame*, 3> ArrPreHerName{};
  std::array<TPreNameFrame*, 3> ArrPreFoodName{};
  QFrame* pnlNotRecommend = nullptr;
  QLabel* lblNotRecommendTitle = nullptr;
  QLabel* lblNotRecommend = nullptr;
  QLabel* lblRecommendTitle = nullptr;
  QLabel* lblRecommend = nullptr;
  QFrame* pnlLine2 = nullptr;
  TPanel* pnlViewMore = nullptr;

  void ClearResult();
  // Shows one result: its name, its prescriptions and, when given, the diet advice.
  void SetName(int id, const QString& name, const QString& pre, const QString& notRecommendFood,
               const QString& recommendFood);
  // The full advice texts kept behind the short labels.
  QString notRecommendFull() const { return notRecommendFull_; }
  QString recommendFull() const { return recommendFull_; }
  // The diet prescription ids to open: the ticked visible slots, else the clicked one.
  QString dietPrescriptionIds(const TPreNameFrame* clicked) const;

 Q_SIGNALS:
  void classicPrescriptionClicked(TPreNameFrame* slot);
  void dietPrescriptionClicked(TPreNameFrame* slot);
  void viewMoreClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillSlots(const PrescriptionSlots& slots, int id, const QString& name);
  void showAdvice(QLabel* title, QLabel* text, QString* full, const QString& advice);
  Messages& messages_;
  QString notRecommendFull_, recommendFull_;
};

}  // namespace tcm::ui
