#include "customer/customer_frm.h"

#include <QHBoxLayout>
#include <QLabel>

#include "customer/customer_host.h"
#include "customer/dm_test_frm.h"
#include "customer/pat_info_frm.h"
#include "customer/pat_list_frame.h"
#include "customer/pat_med_frm.h"
#include "ui_kit.h"

namespace tcm::ui {

TCustomerFrm::TCustomerFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent)
    : TPatListPage(ListingKind::Customers, dm, messages, host, parent) {
  setObjectName(QStringLiteral("CustomerFrm"));
  pnlSearch = searchButton;
  pnl6 = new TPanel(QStringLiteral("添加新客户"), this);
  pnl6->setObjectName(QStringLiteral("pnl6"));
  pnl6->setFixedSize(110, 30);
  pnl6->setHoverColors(QColor(0x03, 0x7C, 0x6A), Qt::white, QColor(0x07, 0xC1, 0x60), Qt::white);
  filterBar()->addWidget(pnl6);

  const QStringList captions = {QStringLiteral("姓名"),       QStringLiteral("性别"), QStringLiteral("登记年龄"),
                                QStringLiteral("手机"),       QStringLiteral("体质"), QStringLiteral("糖尿病风险"),
                                QStringLiteral("地址"),       QStringLiteral("创建日期")};
  const QList<QLabel*> head = header->labels();
  for (int i = 0; i < captions.size(); ++i) head[i]->setText(captions[i]);
  head[2]->setToolTip(QStringLiteral("登记时填写的年龄"));
  header->lblDisease->setCursor(Qt::ArrowCursor);
  header->Label1->setText(QString());
  header->Label2->setText(QString());
  header->Label1->show();
  header->Label2->show();

  for (TPatListFrame* row : arrPatList) {
    row->lblView->setText(QStringLiteral("膳食方案"));
    row->lblVIP->setText(QString());
    row->Label1->show();
    row->Label2->show();
    row->lblDisease->setCursor(Qt::PointingHandCursor);
    connect(row, &TPatListFrame::aiClicked, this, &TCustomerFrm::PatListFrame1Label1Click);
    connect(row, &TPatListFrame::editClicked, this, &TCustomerFrm::PatListFrame1Label2Click);
    connect(row, &TPatListFrame::diseaseClicked, this, &TCustomerFrm::PatListFrame1lblDiseaseClick);
    connect(row, &TPatListFrame::viewClicked, this, &TCustomerFrm::PatListFrame1lblViewClick);
  }
  connect(pnl6, &TPanel::clicked, this, &TCustomerFrm::pnl6Click);
}

void TCustomerFrm::pnlSearchClick() { searchClick(); }

TPatInfoFrm& TCustomerFrm::patInfoFrm() {
  if (!patInfo_) {
    patInfo_ = new TPatInfoFrm(dm_, messages_, host_, this);
    connect(patInfo_, &TPatInfoFrm::customerSaved, this, &TCustomerFrm::customerSaved);
  }
  return *patInfo_;
}

void TCustomerFrm::fillRow(TPatListFrame* row, const TPatList& r) {
  row->PatId = r.PatId;
  row->lblPatName->setText(r.Name);
  row->lblGender->setText(r.Gender);
  row->lblBirthday->setText(r.Age);
  row->lblTel->setText(r.Tel);
  row->lblBodyType->setText(r.bodyType);
  row->lblDisease->setText(r.disease);
  row->lblDisease->setCursor(r.disease == unassessedMark() ? Qt::PointingHandCursor : Qt::ArrowCursor);
  row->lblAddress->setText(r.Address);
  row->lblDate->setText(r.wrdate);
}

void TCustomerFrm::pnl6Click() { patInfoFrm().openForAdd(); }

void TCustomerFrm::PatListFrame1Label1Click(TPatListFrame* row) {
  if (row->keptIndex < 0 || row->keptIndex >= lstPatObj.size()) return;
  const TPatList& r = lstPatObj.at(row->keptIndex);
  // The row keeps the age of the registration year; the customer is identified at the age of today.
  host_.makeCurrent({QString::number(r.PatId), r.Name, r.Gender, ageTodayOf(r, QDate::currentDate()), r.Tel},
                    CustomerHost::Visit::Keep);
  host_.showIdentification();
}

void TCustomerFrm::PatListFrame1Label2Click(TPatListFrame* row) {
  if (row->keptIndex < 0 || row->keptIndex >= lstPatObj.size()) return;
  editedIndex_ = row->keptIndex;
  editedPatId_ = row->PatId;
  patInfoFrm().openForEdit(lstPatObj.at(row->keptIndex));
}

void TCustomerFrm::PatListFrame1lblDiseaseClick(TPatListFrame* row) {
  // A row that already shows a risk class does nothing.
  if (row->lblDisease->text() != unassessedMark() || row->keptIndex < 0 || row->keptIndex >= lstPatObj.size())
    return;
  const TPatList& r = lstPatObj.at(row->keptIndex);
  TDMTestFrm& frm = host_.dmTestFrm();
  connect(&frm, &TDMTestFrm::classSaved, this, &TCustomerFrm::classSaved, Qt::UniqueConnection);
  frm.openFor(QString::number(r.PatId), r.Gender, ageTodayOf(r, QDate::currentDate()), 2);
}

void TCustomerFrm::PatListFrame1lblViewClick(TPatListFrame* row) { host_.patMedFrm().openFor(row->PatId, 0); }

void TCustomerFrm::customerSaved(int fromType, const TPatList& saved) {
  if (fromType == 2) {
    pnlSearchClick();
    return;
  }
  if (fromType != 3 || editedIndex_ < 0 || editedIndex_ >= lstPatObj.size() || saved.PatId != editedPatId_) return;
  TPatList r = lstPatObj.at(editedIndex_);
  if (r.PatId != saved.PatId) return;
  r.Name = saved.Name;
  r.Gender = saved.Gender;
  r.Age = saved.Age;
  r.Tel = saved.Tel;
  r.Address = saved.Address;
  lstPatObj.replaceShown(editedIndex_, r);
  refreshRows();
}

void TCustomerFrm::classSaved(const QString& patId, const QString& riskClass) {
  if (!lstPatObj.setDiseaseOf(patId.toInt(), riskClass).isEmpty()) refreshRows();
}

}  // namespace tcm::ui
