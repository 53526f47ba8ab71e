#pragma once
// The left column of the identification screen: the two modes "体质辨识" and
// "疾病调理" with their help marks, and the inquiry tabs ("症状", "舌脉",
// "妇科", "疾病") whose pages are made on first use, plus the floating
// inquiry of a chosen disease.
#include <QFrame>
#include <QPointer>
#include <functional>

class QLabel;
class QTabWidget;

namespace tcm::ui {

class SymOptionHost;
class TPanel;
class TSymOptionFrm;

class TInquiryColumn : public QFrame {
  Q_OBJECT
 public:
  TInquiryColumn(SymOptionHost& host, QWidget* parent);
  ~TInquiryColumn() override;

  TPanel* pnlMod1 = nullptr;  // "体质辨识"
  TPanel* pnlMod2 = nullptr;  // "疾病调理"
  QLabel* Image1 = nullptr;   // help of the first mode
  QLabel* Image2 = nullptr;   // help of the second mode
  QTabWidget* pgSym = nullptr;
  QWidget* tsSymptom = nullptr;
  QWidget* tsTongue = nullptr;
  QWidget* tsGynecology = nullptr;
  QWidget* tsDisease = nullptr;
  QPointer<TSymOptionFrm> SymptomOptionFrm, TongueOptionFrm, GynecologyOptionFrm, DiseaseOptionFrm, DisOptionFrm;

  // 1 "体质辨识" (symptom, tongue and gynaecology tabs), 2 "疾病调理" (the disease tab alone).
  int mode() const { return mode_; }
  void showMode(int mode);
  // The gynaecology tab (only in the first mode); "症状" becomes the active tab.
  void showGynecologyTab(bool shown);
  bool gynecologyTabShown() const;
  // After loading the vocabulary: the first inquiry page.
  void createFirstInquiryPage();
  // The floating inquiry of a chosen disease, centred over the window.
  void openDiseaseInquiry(const QString& diseaseId);
  TSymOptionFrm* activeInquiry() const;
  void forEachInquiry(const std::function<void(TSymOptionFrm*)>& f);

 Q_SIGNALS:
  // A mode caption was clicked (1 or 2).
  void modeClicked(int mode);
  // A mode's help mark was clicked (1 or 2).
  void helpClicked(int mode);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void styleModeCaptions();
  void tabChanged(int index);
  TSymOptionFrm* createDockedInquiry(QWidget* tab, const QString& title);

  SymOptionHost& host_;
  int mode_ = 1;
};

}  // namespace tcm::ui
