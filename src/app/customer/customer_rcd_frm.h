#pragma once
// The visit-record list "药膳记录": the shop's visits joined with their
// customers by visit date or by name / phone ending, ten a page, each row with
// its amount (food plus herbal price) and "膳食方案" opening that visit.
#include "customer/pat_list_page.h"

namespace tcm::ui {

class TCustomerRcdFrm : public TPatListPage {
  Q_OBJECT
 public:
  TCustomerRcdFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent = nullptr);

  TPanel* pnl2 = nullptr;  // "查询"

 public Q_SLOTS:
  void pnl2Click();
  void PatListFrame1lblViewClick(TPatListFrame* row);

 protected:
  void fillRow(TPatListFrame* row, const TPatList& r) override;
};

}  // namespace tcm::ui
