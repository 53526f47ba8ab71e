#include "customer/customer_rcd_frm.h"

#include <QLabel>

#include "customer/customer_host.h"
#include "customer/pat_list_frame.h"
#include "customer/pat_med_frm.h"
#include "ui_kit.h"

namespace tcm::ui {

TCustomerRcdFrm::TCustomerRcdFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent)
    : TPatListPage(ListingKind::Visits, dm, messages, host, parent) {
  setObjectName(QStringLiteral("CustomerRcdFrm"));
  pnl2 = searchButton;
  pnl2->setObjectName(QStringLiteral("pnl2"));

  header->lblPatName->setText(QStringLiteral("姓名"));
  header->lblGender->setText(QStringLiteral("性别"));
  header->lblBirthday->setText(QStringLiteral("出生"));
  header->lblTel->setText(QStringLiteral("手机"));
  header->lblBodyType->hide();
  header->setWideColumn(header->lblDisease, 90);
  header->lblDisease->setText(QStringLiteral("辨证结果/主症"));
  header->lblAddress->setText(QStringLiteral("金额"));
  header->lblDate->setText(QStringLiteral("创建日期"));

  for (TPatListFrame* row : arrPatList) {
    row->lblBodyType->hide();
    row->setWideColumn(row->lblDisease, 90);
    row->lblView->setText(QStringLiteral("膳食方案"));
    row->lblDisease->setCursor(Qt::ArrowCursor);
    connect(row, &TPatListFrame::viewClicked, this, &TCustomerRcdFrm::PatListFrame1lblViewClick);
  }
}

void TCustomerRcdFrm::pnl2Click() { searchClick(); }

void TCustomerRcdFrm::fillRow(TPatListFrame* row, const TPatList& r) {
  row->medId = r.id;
  row->PatId = r.PatId;
  row->lblPatName->setText(r.Name);
  row->lblGender->setText(r.Gender);
  row->lblBirthday->setText(r.Age);
  row->lblTel->setText(r.Tel);
  row->lblDisease->setText(r.disease);
  row->lblAddress->setText(r.Address);
  row->lblDate->setText(r.wrdate);
}

void TCustomerRcdFrm::PatListFrame1lblViewClick(TPatListFrame* row) {
  host_.patMedFrm().openFor(row->PatId, row->medId);
}

}  // namespace tcm::ui
