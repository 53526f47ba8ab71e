#include "customer/dm_test_frm.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "customer/dm_risk.h"
#include "login/login_state.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

// The score and class boxes before the answers give a score.
const QString kNoScore = QStringLiteral("—");

const QString kTitle = QStringLiteral("中国糖尿病风险评估表");

const QString kStyle = QStringLiteral(
    "QLabel { color: #333; font-size: 14px; }"
    "QRadioButton { font-size: 14px; color: #333; }"
    "QLineEdit { border: 1px solid #C5D3D0; border-radius: 3px; padding: 2px 6px; font-size: 14px; }"
    "QLineEdit:focus { border-color: #037C6A; }");

const QString kNote = QStringLiteral(
    "国家糖尿病防治行动提示：\n"
    "提倡18岁及以上人群每年至少检测一次空腹血糖；糖尿病前期人群通过合理膳食、控制体重、"
    "每天至少30分钟中等强度活动，可以降低发生糖尿病的风险。\n"
    "本表总分25分及以上者为糖尿病高风险人群，应到医疗机构进行口服葡萄糖耐量试验(OGTT)检查，"
    "并定期随访。");

QLineEdit* numberBox(QWidget* parent, const QString& name) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setFixedWidth(90);
  e->setMaxLength(6);
  return e;
}

QLabel* unit(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setStyleSheet(QStringLiteral("color: #888;"));
  return l;
}

std::optional<bool> answer(const QRadioButton* yes, const QRadioButton* no) {
  if (yes->isChecked()) return true;
  if (no->isChecked()) return false;
  return std::nullopt;
}

}  // namespace

TDMTestFrm::TDMTestFrm(TDMServer& dm, Messages& messages, QWidget* parent)
    : TToolWindow(QStringLiteral("DMTestFrm"), kTitle, QSize(640, 660), parent), dm_(dm), messages_(messages) {
  QVBoxLayout* root = body();

  auto* body = new QWidget(this);
  body->setStyleSheet(kStyle);
  auto* v = new QVBoxLayout(body);
  v->setContentsMargins(28, 16, 28, 14);
  v->setSpacing(12);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(14);
  grid->setVerticalSpacing(10);
  int row = 0;
  auto addQuestion = [&](const QString& question, QWidget* a, QWidget* b, QWidget* c = nullptr) {
    auto* q = new QLabel(question, body);
    grid->addWidget(q, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    auto* answers = new QHBoxLayout;
    answers->setSpacing(16);
    for (QWidget* w : {a, b, c})
      if (w) answers->addWidget(w);
    answers->addStretch(1);
    grid->addLayout(answers, row, 1);
    ++row;
  };

  QButtonGroup* gender = pair(rb1, QStringLiteral("男"), rb2, QStringLiteral("女"), QStringLiteral("rb1"),
                              QStringLiteral("rb2"));
  addQuestion(QStringLiteral("性别"), rb1, rb2);
  edtAge = numberBox(body, QStringLiteral("edtAge"));
  addQuestion(QStringLiteral("年龄"), edtAge, unit(QStringLiteral("岁"), body));
  edtHeight = numberBox(body, QStringLiteral("edtHeight"));
  addQuestion(QStringLiteral("身高"), edtHeight, unit(QStringLiteral("厘米"), body));
  edtWeight = numberBox(body, QStringLiteral("edtWeight"));
  addQuestion(QStringLiteral("体重"), edtWeight, unit(QStringLiteral("公斤"), body));
  edtWaistline = numberBox(body, QStringLiteral("edtWaistline"));
  addQuestion(QStringLiteral("腰围"), edtWaistline, unit(QStringLiteral("厘米"), body));
  edtHP = numberBox(body, QStringLiteral("edtHP"));
  addQuestion(QStringLiteral("收缩压"), edtHP, unit(QStringLiteral("mmHg"), body));
  QButtonGroup* family = pair(rb3, QStringLiteral("是"), rb4, QStringLiteral("否"), QStringLiteral("rb3"),
                              QStringLiteral("rb4"));
  addQuestion(QStringLiteral("糖尿病家族史(父母、兄弟姐妹、子女）"), rb3, rb4);
  QButtonGroup* sugar = pair(rb5, QStringLiteral("是"), RzRadioButton1, QStringLiteral("否"), QStringLiteral("rb5"),
                             QStringLiteral("RzRadioButton1"));
  addQuestion(QStringLiteral("是否曾有血糖增高史"), rb5, RzRadioButton1);
  QButtonGroup* activity = pair(rb7, QStringLiteral("是"), rb8, QStringLiteral("否"), QStringLiteral("rb7"),
                                QStringLiteral("rb8"));
  addQuestion(QStringLiteral("是否每天至少活动30分钟"), rb7, rb8);
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(0, 280);
  v->addLayout(grid);

  auto* result = new QFrame(body);
  result->setObjectName(QStringLiteral("pnlResult"));
  result->setStyleSheet(QStringLiteral("#pnlResult { background: #F3F8F7; border: 1px solid #DCE8E5; border-radius: 4px; }"));
  auto* rv = new QVBoxLayout(result);
  rv->setContentsMargins(16, 10, 16, 10);
  rv->setSpacing(6);
  auto* scoreRow = new QHBoxLayout;
  scoreRow->addWidget(new QLabel(QStringLiteral("得分"), result));
  lblScore = new QLabel(kNoScore, result);
  lblScore->setObjectName(QStringLiteral("lblScore"));
  lblScore->setStyleSheet(QStringLiteral("color: #037C6A; font-size: 22px; font-weight: bold;"));
  scoreRow->addWidget(lblScore);
  scoreRow->addWidget(new QLabel(QStringLiteral("分"), result));
  scoreRow->addSpacing(30);
  scoreRow->addWidget(new QLabel(QStringLiteral("评估结果"), result));
  lblLevel = new QLabel(kNoScore, result);
  lblLevel->setObjectName(QStringLiteral("lblLevel"));
  lblLevel->setStyleSheet(QStringLiteral("color: #C0504D; font-size: 18px; font-weight: bold;"));
  scoreRow->addWidget(lblLevel);
  scoreRow->addStretch(1);
  rv->addLayout(scoreRow);
  lblWarm = new QLabel(QStringLiteral("建议：进行口服葡萄糖耐量试验检查"), result);
  lblWarm->setObjectName(QStringLiteral("lblWarm"));
  lblWarm->setStyleSheet(QStringLiteral("color: #C0504D; font-weight: bold;"));
  lblWarm->hide();
  rv->addWidget(lblWarm);
  v->addWidget(result);

  auto* note = new QLabel(kNote, body);
  note->setObjectName(QStringLiteral("lblNote"));
  note->setWordWrap(true);
  note->setTextFormat(Qt::PlainText);
  note->setStyleSheet(QStringLiteral("color: #666; font-size: 12px;"));
  v->addWidget(note);
  v->addStretch(1);

  pnl17 = actionButton(QStringLiteral("保存"), QStringLiteral("pnl17"), body);
  auto* foot = new QHBoxLayout;
  foot->addStretch(1);
  foot->addWidget(pnl17);
  foot->addStretch(1);
  v->addLayout(foot);
  root->addWidget(body, 1);

  for (QLineEdit* e : {edtAge, edtHeight, edtWeight, edtWaistline, edtHP})
    connect(e, &QLineEdit::textChanged, this, &TDMTestFrm::TestDM);
  // Every answer rescores at once, the gender included: a stored class always
  // belongs to the answers shown.
  groups_ = {gender, family, sugar, activity};
  for (QButtonGroup* g : groups_) connect(g, &QButtonGroup::buttonClicked, this, &TDMTestFrm::TestDM);
  connect(pnl17, &TPanel::clicked, this, &TDMTestFrm::pnl17Click);
  connect(imgClose, &TPanel::clicked, this, &TDMTestFrm::imgCloseClick);
}

QButtonGroup* TDMTestFrm::pair(QRadioButton*& yes, const QString& yesText, QRadioButton*& no, const QString& noText,
                               const QString& yesName, const QString& noName) {
  yes = new QRadioButton(yesText, this);
  no = new QRadioButton(noText, this);
  yes->setObjectName(yesName);
  no->setObjectName(noName);
  auto* group = new QButtonGroup(this);
  group->addButton(yes);
  group->addButton(no);
  return group;
}

tcm::DmAnswers TDMTestFrm::answers() const {
  tcm::DmAnswers a;
  a.gender = rb1->isChecked() ? DmGender::Male : rb2->isChecked() ? DmGender::Female : DmGender::None;
  a.age = edtAge->text();
  a.height = edtHeight->text();
  a.weight = edtWeight->text();
  a.waist = edtWaistline->text();
  a.pressure = edtHP->text();
  a.familyHistory = answer(rb3, rb4);
  a.raisedSugar = answer(rb5, RzRadioButton1);
  a.dailyActivity = answer(rb7, rb8);
  return a;
}

void TDMTestFrm::TestDM() {
  const std::optional<DmScore> s = tcm::TestDM(answers());
  scored_ = s.has_value();
  if (!s) return;
  lblWarm->setVisible(s->advise);
  lblScore->setText(QString::number(s->score));
  lblLevel->setText(s->riskClass);
}

void TDMTestFrm::clearAnswers() {
  for (QLineEdit* e : {edtAge, edtHeight, edtWeight, edtWaistline, edtHP}) {
    const QSignalBlocker quiet(e);
    e->clear();
  }
  for (QButtonGroup* g : groups_) {
    // An exclusive group keeps one button checked; unchecking needs it open for a moment.
    g->setExclusive(false);
    for (QAbstractButton* b : g->buttons()) b->setChecked(false);
    g->setExclusive(true);
  }
  lblScore->setText(kNoScore);
  lblLevel->setText(kNoScore);
  lblWarm->hide();
  scored_ = false;
}

void TDMTestFrm::openFor(const QString& id, const QString& gender, const QString& age, int fromForm) {
  // Answers stay only while the same customer is assessed again.
  if (id != patId) clearAnswers();
  if (gender == QStringLiteral("男")) rb1->setChecked(true);
  if (gender == QStringLiteral("女")) rb2->setChecked(true);
  edtAge->setText(age);
  TestDM();  // also when neither the gender nor the age text changed
  patId = id;
  FromForm = fromForm;
  showCentredOver(this, parentWidget());
}

void TDMTestFrm::pnl17Click() {
  const QString id = patId;
  // Without a score for the answers as they read now there is no class to store.
  const DmSave r = saveDmClass(dm_, loginState().ShopId, id, scored_ ? lblLevel->text() : QString());
  messages_.showMessage(r.message);
  if (r.ok) Q_EMIT classSaved(id, lblLevel->text());
}

void TDMTestFrm::imgCloseClick() {
  FromForm = 0;
  close();
}

}  // namespace tcm::ui
