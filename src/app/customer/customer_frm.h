#pragma once
// The customer list "客户资料": the shop's customers by registration date or by
// name / phone ending, ten a page, each row with "AI辨识", "修改", the diabetes
// mark and "膳食方案"; "添加新客户" adds one.
#include <QPointer>

#include "customer/pat_list_page.h"

namespace tcm::ui {

class TPatInfoFrm;

class TCustomerFrm : public TPatListPage {
  Q_OBJECT
 public:
  TCustomerFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent = nullptr);

  TPanel* pnlSearch = nullptr;  // "查询"
  TPanel* pnl6 = nullptr;       // "添加新客户"

  // The customer details window this list opens (created on first use).
  TPatInfoFrm& patInfoFrm();

 public Q_SLOTS:
  void pnlSearchClick();
  void pnl6Click();
  void PatListFrame1Label1Click(TPatListFrame* row);
  void PatListFrame1Label2Click(TPatListFrame* row);
  void PatListFrame1lblDiseaseClick(TPatListFrame* row);
  void PatListFrame1lblViewClick(TPatListFrame* row);

 protected:
  void fillRow(TPatListFrame* row, const TPatList& r) override;

 private:
  void customerSaved(int fromType, const TPatList& saved);
  void classSaved(const QString& patId, const QString& riskClass);

  QPointer<TPatInfoFrm> patInfo_;
  int editedIndex_ = -1;    // the kept row being edited
  qint32 editedPatId_ = 0;  // and its customer
};

}  // namespace tcm::ui
