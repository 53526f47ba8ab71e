#include "help_frm.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui_kit.h"

namespace tcm::ui {
namespace {

QPlainTextEdit* readOnlyText(const QStringList& lines, QWidget* parent) {
  auto* t = new QPlainTextEdit(parent);
  t->setReadOnly(true);
  t->setFrameShape(QFrame::NoFrame);
  t->setPlainText(lines.join(QLatin1Char('\n')));
  QFont f = t->font();
  f.setPixelSize(15);
  t->setFont(f);
  return t;
}

}  // namespace

THelpFrm::THelpFrm(QWidget* parent) : TBaseFrm(QStringLiteral("说明"), parent, 40, QColor(0x21, 0x73, 0x46)) {
  setObjectName(QStringLiteral("HelpFrm"));
  setFixedSize(720, 560);
  memTZ = readOnlyText({QStringLiteral("体质辨识包括11类49种中医体质及药膳方案"), QString(),
                        QStringLiteral("气虚型：心气虚/肺气虚/脾气虚/肾气虚/胆气虚/心肺气虚/肺脾气虚/心肾气虚/脾肾气虚/肺肾气虚"),
                        QString(), QStringLiteral("心阴型：心阴虚/肝阴虚/肺阴虚/肾阴虚/胃阴虚/心肾阴虚/肺肾阴虚/肝肾阴虚"),
                        QString(), QStringLiteral("心阳型：心阳虚/脾阳虚/胃阳虚/肾阳虚/心肾阳虚/脾肾阳虚"), QString(),
                        QStringLiteral("痰湿型：痰湿蕴肺/痰湿蕴脾"), QString(), QStringLiteral("湿热型：肝胆湿热/脾胃湿热"),
                        QString(), QStringLiteral("气郁型：肝气郁/胆气郁"), QString(),
                        QStringLiteral("瘀血型：瘀血在心/肝血瘀阻"), QString(), QStringLiteral("血虚型：心血虚/肝血虚"), QString(),
                        QStringLiteral("火热型：肝火炽盛/胃火炽盛/心火亢盛/肺热炽盛"), QString(),
                        QStringLiteral("特禀型：特禀鼻鼽/特禀瘾疹"), QString(), QStringLiteral("平和型：平和质")},
                       pnlBaseCenter);
  memTZ->setObjectName(QStringLiteral("memTZ"));
  memJB = readOnlyText({QStringLiteral("疾病调理"), QString(), QStringLiteral("选择一个疾病，选择症状，查找适合的方案")},
                       pnlBaseCenter);
  memJB->setObjectName(QStringLiteral("memJB"));
  memTZ->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  centerLayout()->setContentsMargins(16, 12, 16, 16);
  centerLayout()->addWidget(memTZ);
  centerLayout()->addWidget(memJB);
  memJB->hide();
  connect(pnlBaseClose, &TPanel::clicked, this, &THelpFrm::imgCloseClick);
}

void THelpFrm::showConstitutionHelp() {
  memJB->hide();
  memTZ->show();
}

void THelpFrm::showDiseaseCareHelp() {
  memTZ->hide();
  memJB->show();
}

void THelpFrm::imgCloseClick() { close(); }

}  // namespace tcm::ui
