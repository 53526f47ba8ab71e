#include "customer/pat_med_frm.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include "constitution/constitution_store.h"
#include "customer/visit_records.h"
#include "db/gateway.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kChosen(33, 115, 70);
const QColor kOther(10, 94, 123);
const char* const kMedIdProperty = "medId";

void setBackground(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  w->setPalette(p);
}

}  // namespace

TPatMedFrm::TPatMedFrm(TDMServer& dm, Messages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), dm_(dm), messages_(messages) {
  setObjectName(QStringLiteral("PatMedFrm"));
  setWindowTitle(QStringLiteral("膳食/方剂记录"));
  resize(760, 560);
  setAutoFillBackground(true);
  setBackground(this, Qt::white);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(2, 2, 2, 2);
  root->setSpacing(0);
  const TitleStrip title = buildTitleStrip(this, QStringLiteral("膳食/方剂记录"), QStringLiteral("imgClose"));
  imgClose = title.close;
  root->addWidget(title.panel);

  auto* body = new QHBoxLayout;
  body->setContentsMargins(10, 10, 10, 10);
  body->setSpacing(10);
  auto* dates = new QVBoxLayout;
  dates->setSpacing(4);
  for (int n = 1; n <= kRecentVisits; ++n) {
    auto* pnl = new QFrame(this);
    pnl->setObjectName(QStringLiteral("pnlDt%1").arg(n));
    pnl->setFixedSize(150, 30);
    pnl->setAutoFillBackground(true);
    setBackground(pnl, kOther);
    auto* lbl = new TPanel(QString(), pnl);
    lbl->setObjectName(QStringLiteral("lbl%1").arg(n));
    lbl->setGeometry(0, 0, 150, 30);
    lbl->setAutoFillBackground(false);
    lbl->setStyleSheet(QStringLiteral("color: white; font-size: 14px;"));
    connect(lbl, &TPanel::clicked, this, [this, i = n - 1] { lbl1Click(i); });
    pnl->hide();
    arrPnlDt << pnl;
    arrLblDt << lbl;
    dates->addWidget(pnl);
  }
  dates->addStretch(1);
  body->addLayout(dates);

  edtMed = new QPlainTextEdit(this);
  edtMed->setObjectName(QStringLiteral("edtMed"));
  QFont f = edtMed->font();
  f.setPixelSize(14);
  edtMed->setFont(f);
  body->addWidget(edtMed, 1);
  root->addLayout(body, 1);

  pnlLoadData = new QLabel(QStringLiteral("正读取数据... ..."), this);
  pnlLoadData->setObjectName(QStringLiteral("pnlLoadData"));
  pnlLoadData->setAlignment(Qt::AlignCenter);
  pnlLoadData->setFixedSize(220, 50);
  pnlLoadData->setStyleSheet(QStringLiteral("background: #FFF8DC; border: 1px solid #037C6A; font-size: 14px;"));
  pnlLoadData->hide();

  tmr1.setSingleShot(true);
  tmr1.setInterval(10);
  connect(&tmr1, &QTimer::timeout, this, &TPatMedFrm::tmr1Timer);
  connect(imgClose, &TPanel::clicked, this, &TPatMedFrm::imgCloseClick);
}

void TPatMedFrm::openFor(int patId_, int medId) {
  patId = patId_;
  MedId = medId;
  showCentredOver(this, parentWidget());
  tmr1.start();
}

int TPatMedFrm::entryMedId(const QWidget* entry) { return entry->property(kMedIdProperty).toInt(); }

QColor TPatMedFrm::entryColor(int index) const { return arrPnlDt.at(index)->palette().color(QPalette::Window); }

void TPatMedFrm::showLoading(bool on) {
  if (!on) {
    pnlLoadData->hide();
    return;
  }
  pnlLoadData->move((width() - pnlLoadData->width()) / 2, (height() - pnlLoadData->height()) / 2);
  pnlLoadData->show();
  pnlLoadData->raise();
  pnlLoadData->repaint();
}

void TPatMedFrm::hideEntries() {
  for (QFrame* p : arrPnlDt) p->hide();
}

void TPatMedFrm::setEntry(int index, int id, const QString& caption) {
  arrLblDt[index]->setText(caption);
  arrLblDt[index]->setProperty(kMedIdProperty, id);
  arrPnlDt[index]->setProperty(kMedIdProperty, id);
  arrPnlDt[index]->show();
}

void TPatMedFrm::tmr1Timer() {
  tmr1.stop();
  if (patId == 0) return;
  showLoading(true);
  // Another customer's visits never show under the previous record's text.
  edtMed->clear();
  edtMed->setPlaceholderText(QString());
  hideEntries();
  if (MedId <= 0) {
    QList<VisitDate> dates;
    if (recentVisits(dm_, patId, &dates)) {
      for (int k = 0; k < dates.size(); ++k) setEntry(k, dates[k].id, dates[k].caption);
      if (!dates.isEmpty())
        lbl1Click(0);
      else
        edtMed->setPlaceholderText(QStringLiteral("该客户还没有膳食/方剂记录"));
    }
  } else {
    GetMed(MedId);
  }
  MedId = 0;
  showLoading(false);
}

void TPatMedFrm::lbl1Click(int index) {
  if (index < 0 || index >= arrLblDt.size() || arrPnlDt[index]->isHidden()) return;
  GetMed(entryMedId(arrLblDt[index]));
  markEntries(arrLblDt[index]->text());
}

void TPatMedFrm::markEntries(const QString& caption) {
  QList<QString> captions;
  for (TPanel* l : arrLblDt) captions << l->text();
  const QList<bool> marks = sameDateMarks(captions, caption);
  for (int i = 0; i < arrPnlDt.size(); ++i) setBackground(arrPnlDt[i], marks[i] ? kChosen : kOther);
}

void TPatMedFrm::GetMed(int id) {
  showLoading(true);
  std::optional<VisitRecord> record;
  if (readVisitRecord(dm_, id, &record)) {
    if (MedId > 0) {
      // The one-visit opening lists that visit alone, with its stored date and time.
      if (record) {
        setEntry(0, record->id, record->wrdate);
        markEntries(record->wrdate);
      }
      MedId = 0;
    }
    // Stored texts are shown as they are, never read as markup.
    QString text = record ? visitRecordText(*record) : QString();
    // A questionnaire answered in the visit follows its record.
    std::optional<SavedConstitution> constitution;
    if (record && recordConstitution(dm_, record->id, &constitution) && constitution)
      text += QLatin1Char('\n') + constitutionSummary(*constitution);
    edtMed->setPlainText(text);
  }
  showLoading(false);
}

void TPatMedFrm::imgCloseClick() {
  edtMed->clear();
  hide();
}

}  // namespace tcm::ui
