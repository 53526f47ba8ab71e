#include "constitution/constitution_frm.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "constitution/constitution_chart.h"
#include "constitution/constitution_diet.h"
#include "customer/customer_host.h"
#include "login/login_state.h"
#include "messages.h"
#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QString kTitle = QStringLiteral("体质问卷");

const QString kStyle = QStringLiteral(
    "QLabel { color: #333; font-size: 14px; }"
    "QRadioButton { font-size: 14px; color: #333; }"
    "QFrame[item=\"true\"] { background: white; border: 1px solid transparent; border-radius: 4px; }"
    "QFrame[item=\"true\"][current=\"true\"] { background: #F3F8F7; border: 1px solid #037C6A; }"
    "QPushButton { min-width: 104px; min-height: 40px; font-size: 12px; color: #333; background: #F3F6F5;"
    " border: 1px solid #C5D3D0; border-radius: 4px; }"
    "QPushButton:hover { border-color: #037C6A; }"
    "QPushButton:checked { color: white; background: #037C6A; border-color: #037C6A; font-weight: bold; }"
    "QLineEdit { border: 1px solid #C5D3D0; border-radius: 3px; padding: 2px 6px; font-size: 14px; }");

bool complete(const QList<PageQuestion>& questions, const ConstitutionAnswers& answers) {
  for (const PageQuestion& q : questions)
    if (!answers.contains(q.question)) return false;
  return true;
}

}  // namespace

TConstitutionFrm::TConstitutionFrm(TDMServer& dm, Messages& messages, CustomerHost& host, QWidget* parent)
    : TToolWindow(QStringLiteral("ConstitutionFrm"), kTitle, QSize(1180, 720), parent),
      dm_(dm),
      messages_(messages),
      host_(host) {
  setFocusPolicy(Qt::StrongFocus);
  pgPages = addPages(QStringLiteral("pgPages"));
  pgPages->setFocusPolicy(Qt::NoFocus);

  // The questionnaire page: items on the left, the chart and the result on the right.
  auto* questionnaire = new QWidget;
  questionnaire->setObjectName(QStringLiteral("tsQuestions"));
  questionnaire->setStyleSheet(kStyle);
  auto* h = new QHBoxLayout(questionnaire);
  h->setContentsMargins(14, 10, 14, 10);
  h->setSpacing(14);
  auto* left = new QVBoxLayout;
  auto* head = new QHBoxLayout;
  lblCustomer = new QLabel(questionnaire);
  lblCustomer->setObjectName(QStringLiteral("lblCustomer"));
  head->addWidget(lblCustomer);
  head->addSpacing(16);
  rbStandard = new QRadioButton(formCaption(ConstitutionForm::Standard), questionnaire);
  rbStandard->setObjectName(QStringLiteral("rbStandard"));
  rbElderly = new QRadioButton(formCaption(ConstitutionForm::Elderly), questionnaire);
  rbElderly->setObjectName(QStringLiteral("rbElderly"));
  for (QRadioButton* rb : {rbStandard, rbElderly}) {
    rb->setFocusPolicy(Qt::NoFocus);
    head->addWidget(rb);
  }
  head->addStretch(1);
  lblProgress = new QLabel(questionnaire);
  lblProgress->setObjectName(QStringLiteral("lblProgress"));
  lblProgress->setStyleSheet(QStringLiteral("color: #037C6A; font-weight: bold; font-size: 15px;"));
  lblProgress->setMinimumWidth(110);
  lblProgress->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  head->addWidget(lblProgress);
  left->addLayout(head);
  auto* hint = new QLabel(QStringLiteral("请根据近一年的体验和感觉回答；可用数字键 1–5 作答，↑↓ 换题"), questionnaire);
  hint->setStyleSheet(QStringLiteral("color: #888; font-size: 12px;"));
  left->addWidget(hint);
  scbItems = new QScrollArea(questionnaire);
  scbItems->setObjectName(QStringLiteral("scbItems"));
  scbItems->setWidgetResizable(true);
  scbItems->setFocusPolicy(Qt::NoFocus);
  scbItems->setFrameShape(QFrame::NoFrame);
  scbItems->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  left->addWidget(scbItems, 1);
  h->addLayout(left, 3);

  auto* right = new QVBoxLayout;
  chtScores = new QChartView(questionnaire);
  chtScores->setObjectName(QStringLiteral("chtScores"));
  chtScores->setRenderHint(QPainter::Antialiasing);
  chtScores->setMinimumHeight(320);
  chtScores->setFocusPolicy(Qt::NoFocus);
  right->addWidget(chtScores, 1);
  lblJudgement = new QLabel(questionnaire);
  lblJudgement->setObjectName(QStringLiteral("lblJudgement"));
  lblJudgement->setWordWrap(true);
  lblJudgement->setStyleSheet(QStringLiteral("color: #C0504D; font-size: 17px; font-weight: bold;"));
  right->addWidget(lblJudgement);
  lblDiet = new QLabel(questionnaire);
  lblDiet->setObjectName(QStringLiteral("lblDiet"));
  lblDiet->setWordWrap(true);
  lblDiet->setTextFormat(Qt::PlainText);
  lblDiet->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblDiet->setStyleSheet(QStringLiteral("color: #444; font-size: 13px;"));
  lblDiet->setMinimumHeight(150);
  right->addWidget(lblDiet);
  auto* foot = new QHBoxLayout;
  foot->addStretch(1);
  pnlJudge = actionButton(QStringLiteral("判定"), QStringLiteral("pnlJudge"), questionnaire);
  pnlSave = actionButton(QStringLiteral("保存"), QStringLiteral("pnlSave"), questionnaire);
  foot->addWidget(pnlJudge);
  foot->addSpacing(16);
  foot->addWidget(pnlSave);
  foot->addStretch(1);
  right->addLayout(foot);
  h->addLayout(right, 2);
  pgPages->addTab(questionnaire, QStringLiteral("问卷"));

  auto* trend = new QWidget;
  trend->setObjectName(QStringLiteral("tsTrend"));
  trend->setStyleSheet(kStyle);
  auto* tv = new QVBoxLayout(trend);
  tv->setContentsMargins(14, 10, 14, 10);
  lblTrend = new QLabel(trend);
  lblTrend->setObjectName(QStringLiteral("lblTrend"));
  tv->addWidget(lblTrend);
  chtTrend = new QChartView(trend);
  chtTrend->setObjectName(QStringLiteral("chtTrend"));
  chtTrend->setRenderHint(QPainter::Antialiasing);
  tv->addWidget(chtTrend, 1);
  pgPages->addTab(trend, QStringLiteral("趋势"));

  connect(rbStandard, &QRadioButton::clicked, this, [this] { setForm(ConstitutionForm::Standard); });
  connect(rbElderly, &QRadioButton::clicked, this, [this] { setForm(ConstitutionForm::Elderly); });
  connect(pnlJudge, &TPanel::clicked, this, &TConstitutionFrm::pnlJudgeClick);
  connect(pnlSave, &TPanel::clicked, this, &TConstitutionFrm::pnlSaveClick);
  connect(imgClose, &TPanel::clicked, this, &TConstitutionFrm::imgCloseClick);
  connect(pgPages, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == 1) refreshTrend();
  });
  rbStandard->setChecked(true);
  setForm(ConstitutionForm::Standard);
}

TConstitutionFrm::~TConstitutionFrm() = default;

void TConstitutionFrm::openForCurrent() {
  const QString patId = host_.currentPatId();
  const QString gender = host_.currentGender();
  const QString age = host_.currentAge();
  const bool elderlyOffered = offersElderlyForm(age);
  lblCustomer->setText(QStringLiteral("性别：%1　年龄：%2")
                           .arg(gender.isEmpty() ? QStringLiteral("未填") : gender,
                                age.isEmpty() ? QStringLiteral("未填") : age));
  rbStandard->setVisible(elderlyOffered);
  rbElderly->setVisible(elderlyOffered);
  const ConstitutionForm form = elderlyOffered ? ConstitutionForm::Elderly : ConstitutionForm::Standard;
  // Another customer, another gender or another form starts an empty page.
  if (patId != patId_ || gender != gender_ || form != form_ || (!elderlyOffered && form_ == ConstitutionForm::Elderly)) {
    patId_ = patId;
    gender_ = gender;
    (form == ConstitutionForm::Elderly ? rbElderly : rbStandard)->setChecked(true);
    setForm(form);
  }
  pgPages->setCurrentIndex(0);
  showCentredOver(this, parentWidget());
  setFocus();
}

void TConstitutionFrm::setForm(ConstitutionForm form) {
  form_ = form;
  answers_.clear();
  result_.reset();
  questions_ = Questionnaire::of(form).page(gender_);
  buildPage();
  // The view releases the chart it showed when it is given another.
  QChart* old = chtScores->chart();
  scoreChart_ = newScoreChart(form);
  chtScores->setChart(scoreChart_);
  delete old;
  answered();
}

void TConstitutionFrm::buildPage() {
  groups_.clear();
  rows_.clear();
  edtWaist = nullptr;
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pnlItems"));
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 8, 0);
  v->setSpacing(4);
  const QStringList captions = answerCaptions(form_);
  const int waist = Questionnaire::of(form_).waistQuestion();
  for (qsizetype place = 0; place < questions_.size(); ++place) {
    const PageQuestion& q = questions_[place];
    auto* row = new QFrame(page);
    row->setObjectName(QStringLiteral("pnlItem%1").arg(place + 1));
    row->setProperty("item", true);
    auto* rv = new QVBoxLayout(row);
    rv->setContentsMargins(8, 6, 8, 6);
    rv->setSpacing(4);
    auto* text = new QLabel(QStringLiteral("%1. %2").arg(place + 1).arg(q.text), row);
    text->setWordWrap(true);
    rv->addWidget(text);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    auto* group = new QButtonGroup(row);
    for (int a = 1; a <= 5; ++a) {
      // "没有(根本不/从来没有)" on two lines: the word, then what it means.
      QString caption = captions[a - 1];
      caption.replace(QLatin1Char('('), QStringLiteral("\n("));
      auto* b = new QPushButton(QStringLiteral("%1 %2").arg(a).arg(caption), row);
      b->setObjectName(QStringLiteral("btnAnswer%1_%2").arg(place + 1).arg(a));
      b->setCheckable(true);
      b->setFocusPolicy(Qt::NoFocus);
      group->addButton(b, a);
      buttons->addWidget(b);
    }
    buttons->addStretch(1);
    rv->addLayout(buttons);
    if (q.question == waist) {
      // The abdominal item is answered from the waist as the form gives it.
      auto* w = new QHBoxLayout;
      w->addWidget(new QLabel(QStringLiteral("腰围"), row));
      edtWaist = new QLineEdit(row);
      edtWaist->setObjectName(QStringLiteral("edtWaist"));
      edtWaist->setFixedWidth(80);
      edtWaist->setMaxLength(5);
      w->addWidget(edtWaist);
      w->addWidget(new QLabel(QStringLiteral("厘米（<80→1，80–85→2，86–90→3，91–105→4，>105→5）"), row));
      w->addStretch(1);
      rv->addLayout(w);
      connect(edtWaist, &QLineEdit::textChanged, this, [this, place](const QString& text) {
        bool ok = false;
        const int a = waistAnswer(text.trimmed().toDouble(&ok));
        if (ok && a > 0) answerAt(static_cast<int>(place), a);
      });
    }
    connect(group, &QButtonGroup::idClicked, this, [this, place](int a) { answerAt(static_cast<int>(place), a); });
    groups_ << group;
    rows_ << row;
    v->addWidget(row);
  }
  v->addStretch(1);
  scbItems->setWidget(page);  // deletes the page shown before
  page_ = page;
  current_ = -1;
  setCurrent(0);
}

QList<QAbstractButton*> TConstitutionFrm::answerButtons(int place) const {
  if (place < 0 || place >= groups_.size()) return {};
  QList<QAbstractButton*> out;
  for (int a = 1; a <= 5; ++a) out << groups_[place]->button(a);
  return out;
}

void TConstitutionFrm::setCurrent(int place) {
  if (rows_.isEmpty()) return;
  place = std::clamp(place, 0, static_cast<int>(rows_.size()) - 1);
  if (current_ >= 0 && current_ < rows_.size()) {
    rows_[current_]->setProperty("current", false);
    rows_[current_]->style()->polish(rows_[current_]);
  }
  current_ = place;
  rows_[place]->setProperty("current", true);
  rows_[place]->style()->polish(rows_[place]);
  scbItems->ensureWidgetVisible(rows_[place], 0, 40);
}

void TConstitutionFrm::answerAt(int place, int answer) {
  if (place < 0 || place >= questions_.size() || answer < 1 || answer > 5) return;
  if (QAbstractButton* b = groups_[place]->button(answer); b && !b->isChecked()) b->setChecked(true);
  answers_.insert(questions_[place].question, answer);
  answered();
  // The keys go on with the next item left open after this one.
  int next = place + 1;
  while (next < questions_.size() && answers_.contains(questions_[next].question)) ++next;
  setCurrent(next < questions_.size() ? next : place);
}

void TConstitutionFrm::answered() {
  const int done = static_cast<int>(answers_.size());
  lblProgress->setText(QStringLiteral("已答 %1/%2").arg(done).arg(questions_.size()));
  const Questionnaire& q = Questionnaire::of(form_);
  if (complete(questions_, answers_)) {
    ConstitutionResult r;
    QString error;
    if (scoreAnswers(q, gender_, answers_, &r, &error)) {
      const bool changed = !result_ || result_->line != r.line;
      result_ = r;
      showScores(scoreChart_, r);
      lblJudgement->setText(QStringLiteral("判定：%1").arg(r.line));
      if (changed) {
        QList<ConstitutionDiet> diet;
        lblDiet->setText(constitutionDiet(dm_, r, &diet) ? dietText(diet) : QString());
      }
      return;
    }
  }
  result_.reset();
  showScores(scoreChart_, provisionalScores(q, gender_, answers_));
  lblJudgement->setText(QStringLiteral("答完全部 %1 题后判定").arg(questions_.size()));
  lblDiet->clear();
}

void TConstitutionFrm::showUnanswered(const QString& message) {
  messages_.showMessage(message);
  for (qsizetype place = 0; place < questions_.size(); ++place) {
    if (!answers_.contains(questions_[place].question)) {
      setCurrent(static_cast<int>(place));
      break;
    }
  }
}

void TConstitutionFrm::pnlJudgeClick() {
  ConstitutionResult r;
  QString error;
  if (!scoreAnswers(Questionnaire::of(form_), gender_, answers_, &r, &error)) {
    showUnanswered(error);
    return;
  }
  answered();
}

void TConstitutionFrm::pnlSaveClick() {
  const QString patId = host_.currentPatId();
  if (patId.isEmpty() || patId == QLatin1String("0")) {
    messages_.showMessage(QStringLiteral("未选择客户"));
    return;
  }
  if (patId != patId_) {
    // The strip picked another customer since this page was opened for one.
    messages_.showMessage(QStringLiteral("当前客户已更换，请重新打开体质问卷"));
    return;
  }
  ConstitutionResult r;
  QString error;
  if (!scoreAnswers(Questionnaire::of(form_), gender_, answers_, &r, &error)) {
    showUnanswered(error);
    return;
  }
  SavedConstitution s;
  s.shopId = loginState().ShopId;
  s.patId = patId;
  s.mzno = host_.currentMZNO();
  s.gender = gender_;
  s.answers = answers_;
  s.result = r;
  const ConstitutionSave saved = saveConstitution(dm_, s, QDateTime::currentDateTime());
  messages_.showMessage(saved.message);
  if (!saved.ok) return;
  refreshTrend();
  Q_EMIT constitutionSaved(patId, r.line);
}

void TConstitutionFrm::refreshTrend() {
  QList<SavedConstitution> history;
  const QString patId = host_.currentPatId();
  const bool read = !patId.isEmpty() && patId != QLatin1String("0") &&
                    constitutionHistory(dm_, loginState().ShopId, patId, &history);
  const ConstitutionForm form = history.isEmpty() ? form_ : history.last().result.form;
  const QList<SavedConstitution> points = trendPoints(history, form);
  QChart* old = chtTrend->chart();
  trendChart_ = newTrendChart(points);
  chtTrend->setChart(trendChart_);
  delete old;
  if (!read || points.isEmpty())
    lblTrend->setText(QStringLiteral("当前客户还没有保存的体质问卷"));
  else
    lblTrend->setText(QStringLiteral("共 %1 次就诊的问卷结果，最近一次：%2").arg(points.size()).arg(points.last().result.line));
}

void TConstitutionFrm::keyPressEvent(QKeyEvent* e) {
  if (e->key() >= Qt::Key_1 && e->key() <= Qt::Key_5 && !(edtWaist && edtWaist->hasFocus())) {
    answerAt(current_, e->key() - Qt::Key_0);
    return;
  }
  if (e->key() == Qt::Key_Down || e->key() == Qt::Key_Up) {
    setCurrent(current_ + (e->key() == Qt::Key_Down ? 1 : -1));
    return;
  }
  TToolWindow::keyPressEvent(e);
}

void TConstitutionFrm::imgCloseClick() { close(); }

}  // namespace tcm::ui
