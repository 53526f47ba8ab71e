#include "constitution/questionnaire.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "text/csv.h"

namespace tcm {
namespace {

const char* const kSeedFile = ":/data/seed/constitution_items.csv";

Questionnaire loadForm(ConstitutionForm form) {
  Questionnaire q;
  QFile f(QString::fromUtf8(kSeedFile));
  QString error;
  // The seed text travels inside the binary; a broken one is a build fault the
  // seed test names, so the form is then simply empty.
  if (f.open(QIODevice::ReadOnly)) (void)Questionnaire::parse(QString::fromUtf8(f.readAll()), form, &q, &error);
  return q;
}

bool isBiased(const QString& type) { return type != kBalancedType; }

}  // namespace

QString formKey(ConstitutionForm form) {
  return form == ConstitutionForm::Elderly ? QStringLiteral("elderly") : QStringLiteral("standard");
}

bool formFromKey(const QString& key, ConstitutionForm* form) {
  if (key == QLatin1String("standard")) *form = ConstitutionForm::Standard;
  else if (key == QLatin1String("elderly")) *form = ConstitutionForm::Elderly;
  else return false;
  return true;
}

QString formCaption(ConstitutionForm form) {
  return form == ConstitutionForm::Elderly ? QStringLiteral("老年版（33题）") : QStringLiteral("标准版（60题）");
}

const QStringList& constitutionTypes() {
  static const QStringList types = {QStringLiteral("平和质"), QStringLiteral("气虚质"), QStringLiteral("阳虚质"),
                                    QStringLiteral("阴虚质"), QStringLiteral("痰湿质"), QStringLiteral("湿热质"),
                                    QStringLiteral("血瘀质"), QStringLiteral("气郁质"), QStringLiteral("特禀质")};
  return types;
}

QStringList answerCaptions(ConstitutionForm form) {
  if (form == ConstitutionForm::Elderly)
    return {QStringLiteral("没有(根本不/从来没有)"), QStringLiteral("很少(有一点/偶尔)"),
            QStringLiteral("有时(有些/少数时间)"), QStringLiteral("经常(相当/多数时间)"),
            QStringLiteral("总是(非常/每天)")};
  return {QStringLiteral("没有(根本不)"), QStringLiteral("很少(有一点)"), QStringLiteral("有时(有些)"),
          QStringLiteral("经常(相当)"), QStringLiteral("总是(非常)")};
}

const Questionnaire& Questionnaire::of(ConstitutionForm form) {
  static const Questionnaire standard = loadForm(ConstitutionForm::Standard);
  static const Questionnaire elderly = loadForm(ConstitutionForm::Elderly);
  return form == ConstitutionForm::Elderly ? elderly : standard;
}

bool Questionnaire::parse(const QString& csvText, ConstitutionForm form, Questionnaire* out, QString* error) {
  const CsvTable t = parseCsv(csvText);
  for (const char* column : {"form", "type", "question", "reverse", "gender", "text"}) {
    if (t.columnIndex(QString::fromUtf8(column)) < 0) {
      *error = QStringLiteral("体质问卷条目缺少列 %1").arg(QString::fromUtf8(column));
      return false;
    }
  }
  Questionnaire q;
  q.form_ = form;
  QHash<int, QString> textOf;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    if (t.field(r, QStringLiteral("form")) != formKey(form)) continue;
    const QString where = QStringLiteral("体质问卷条目第 %1 行").arg(t.lineNumbers.value(r));
    ConstitutionItem item;
    item.type = t.field(r, QStringLiteral("type"));
    bool numberOk = false;
    item.question = t.field(r, QStringLiteral("question")).toInt(&numberOk);
    item.reverse = t.field(r, QStringLiteral("reverse")) == QLatin1String("1");
    item.gender = t.field(r, QStringLiteral("gender"));
    item.text = t.field(r, QStringLiteral("text"));
    if (!constitutionTypes().contains(item.type)) {
      *error = QStringLiteral("%1：未知体质“%2”").arg(where, item.type);
      return false;
    }
    if (!numberOk || item.question <= 0 || item.text.isEmpty()) {
      *error = QStringLiteral("%1：题号或题目有误").arg(where);
      return false;
    }
    if (!item.gender.isEmpty() && item.gender != QStringLiteral("男") && item.gender != QStringLiteral("女")) {
      *error = QStringLiteral("%1：性别只能为“男”或“女”").arg(where);
      return false;
    }
    // One number is one question: its text is the same under every type.
    if (textOf.contains(item.question) && textOf.value(item.question) != item.text) {
      *error = QStringLiteral("%1：第 %2 题的题目与前面不同").arg(where).arg(item.question);
      return false;
    }
    textOf.insert(item.question, item.text);
    if (form == ConstitutionForm::Elderly && item.text.startsWith(QStringLiteral("您腹部肥大")))
      q.waistQuestion_ = item.question;
    q.items_ << item;
  }
  for (const QString& type : constitutionTypes()) {
    if (q.itemsOf(type, QString()).isEmpty()) {
      *error = QStringLiteral("体质问卷缺少“%1”的条目").arg(type);
      return false;
    }
  }
  *out = q;
  return true;
}

bool itemForGender(const ConstitutionItem& item, const QString& gender) {
  return item.gender.isEmpty() || item.gender == gender;
}

QList<ConstitutionItem> Questionnaire::itemsOf(const QString& type, const QString& gender) const {
  QList<ConstitutionItem> out;
  for (const ConstitutionItem& i : items_)
    if (i.type == type && itemForGender(i, gender)) out << i;
  return out;
}

QList<PageQuestion> Questionnaire::page(const QString& gender) const {
  QList<PageQuestion> out;
  QHash<int, qsizetype> at;
  for (const ConstitutionItem& i : items_) {
    if (!itemForGender(i, gender)) continue;
    if (at.contains(i.question)) {
      out[at.value(i.question)].types << i.type;
      continue;
    }
    at.insert(i.question, out.size());
    out << PageQuestion{i.question, i.text, {i.type}};
  }
  // The elderly form asks in its own numbering; the standard form type by type.
  if (form_ == ConstitutionForm::Elderly)
    std::stable_sort(out.begin(), out.end(), [](const PageQuestion& a, const PageQuestion& b) { return a.question < b.question; });
  return out;
}

int waistAnswer(double waistCm) {
  if (!std::isfinite(waistCm) || waistCm <= 0) return 0;
  if (waistCm < 80) return 1;
  if (waistCm < 86) return 2;
  if (waistCm < 91) return 3;
  if (waistCm <= 105) return 4;
  return 5;
}

bool offersElderlyForm(const QString& age) {
  bool ok = false;
  const int years = age.trimmed().toInt(&ok);
  return ok && years >= 65;
}

QString verdictText(Verdict v) {
  switch (v) {
    case Verdict::Yes: return QStringLiteral("是");
    case Verdict::Basically: return QStringLiteral("基本是");
    case Verdict::Tendency: return QStringLiteral("倾向是");
    case Verdict::No: break;
  }
  return QStringLiteral("否");
}

const TypeScore* ConstitutionResult::find(const QString& type) const {
  for (const TypeScore& t : types)
    if (t.type == type) return &t;
  return nullptr;
}

double transformedScore(int raw, int items) {
  if (items <= 0) return 0;
  // 100 × (raw − n) is exact, so a score on an edge (40, 30, 60) is exactly that figure.
  return static_cast<double>(100 * (raw - items)) / static_cast<double>(4 * items);
}

bool scoreType(const Questionnaire& q, const QString& type, const QString& gender, const QList<int>& answers,
               TypeScore* out, QString* error) {
  if (!constitutionTypes().contains(type)) {
    *error = QStringLiteral("未知体质“%1”").arg(type);
    return false;
  }
  const QList<ConstitutionItem> items = q.itemsOf(type, gender);
  if (answers.size() != items.size()) {
    *error = QStringLiteral("%1应有 %2 个答案，给出了 %3 个").arg(type).arg(items.size()).arg(answers.size());
    return false;
  }
  TypeScore s;
  s.type = type;
  s.hasRaw = true;
  s.items = static_cast<int>(items.size());
  for (qsizetype i = 0; i < items.size(); ++i) {
    const int a = answers[i];
    if (a < 1 || a > 5) {
      *error = QStringLiteral("%1第 %2 个答案“%3”不在 1–5 之内").arg(type).arg(i + 1).arg(a);
      return false;
    }
    s.raw += items[i].reverse ? 6 - a : a;
  }
  s.score = q.form() == ConstitutionForm::Elderly ? s.raw : transformedScore(s.raw, s.items);
  *out = s;
  return true;
}

void judge(ConstitutionResult* result) {
  const bool elderly = result->form == ConstitutionForm::Elderly;
  // Standard: 是 ≥ 40, 倾向是 30–39.9; elderly: 是 ≥ 11, 倾向是 9–10.
  const double yesAt = elderly ? 11 : 40;
  const double tendencyAt = elderly ? 9 : 30;
  const double balancedAt = elderly ? 17 : 60;
  double highestOther = 0;
  bool anyOther = false;
  for (TypeScore& t : result->types) {
    if (!isBiased(t.type)) continue;
    t.verdict = t.score >= yesAt ? Verdict::Yes : t.score >= tendencyAt ? Verdict::Tendency : Verdict::No;
    highestOther = anyOther ? std::max(highestOther, t.score) : t.score;
    anyOther = true;
  }
  for (TypeScore& t : result->types) {
    if (isBiased(t.type)) continue;
    // 是: every other type 否; 基本是: no other type 是.
    t.verdict = Verdict::No;
    if (t.score >= balancedAt) {
      if (highestOther < tendencyAt) t.verdict = Verdict::Yes;
      else if (highestOther < yesAt) t.verdict = Verdict::Basically;
    }
  }
  result->line = judgementLine(*result);
}

QString judgementLine(const ConstitutionResult& result) {
  QList<const TypeScore*> yes, tendency;
  const TypeScore* balanced = nullptr;
  for (const TypeScore& t : result.types) {
    if (!isBiased(t.type)) balanced = &t;
    else if (t.verdict == Verdict::Yes) yes << &t;
    else if (t.verdict == Verdict::Tendency) tendency << &t;
  }
  const auto highestFirst = [](const TypeScore* a, const TypeScore* b) { return a->score > b->score; };
  std::stable_sort(yes.begin(), yes.end(), highestFirst);
  std::stable_sort(tendency.begin(), tendency.end(), highestFirst);
  const auto names = [](const QList<const TypeScore*>& list) {
    QStringList n;
    for (const TypeScore* t : list) n << t->type;
    return n.join(QStringLiteral("、"));
  };
  QStringList parts;
  if (balanced && balanced->verdict == Verdict::Yes) parts << QStringLiteral("是平和质");
  else if (balanced && balanced->verdict == Verdict::Basically) parts << QStringLiteral("基本是平和质");
  if (!yes.isEmpty()) parts << QStringLiteral("是") + names(yes);
  if (!tendency.isEmpty()) parts << QStringLiteral("有%1倾向").arg(names(tendency));
  if (parts.isEmpty()) return QStringLiteral("未能判定体质类型");
  return parts.join(QStringLiteral("，"));
}

QList<int> unansweredQuestions(const Questionnaire& q, const QString& gender, const ConstitutionAnswers& answers) {
  QList<int> out;
  for (const PageQuestion& p : q.page(gender)) {
    const int a = answers.value(p.question);
    if (a < 1 || a > 5) out << p.question;
  }
  return out;
}

bool scoreAnswers(const Questionnaire& q, const QString& gender, const ConstitutionAnswers& answers,
                  ConstitutionResult* out, QString* error) {
  const QList<int> missing = unansweredQuestions(q, gender, answers);
  if (!missing.isEmpty()) {
    // Named by their place on the page, as the person sees them.
    const QList<PageQuestion> page = q.page(gender);
    QStringList places;
    for (qsizetype i = 0; i < page.size(); ++i)
      if (missing.contains(page[i].question)) places << QString::number(i + 1);
    *error = QStringLiteral("第%1题未作答").arg(places.join(QStringLiteral("、")));
    return false;
  }
  ConstitutionResult r;
  r.form = q.form();
  for (const QString& type : constitutionTypes()) {
    QList<int> given;
    for (const ConstitutionItem& i : q.itemsOf(type, gender)) given << answers.value(i.question);
    TypeScore s;
    if (!scoreType(q, type, gender, given, &s, error)) return false;
    r.types << s;
  }
  judge(&r);
  *out = r;
  return true;
}

ConstitutionResult provisionalScores(const Questionnaire& q, const QString& gender, const ConstitutionAnswers& answers) {
  ConstitutionResult r;
  r.form = q.form();
  for (const QString& type : constitutionTypes()) {
    TypeScore s;
    s.type = type;
    s.hasRaw = true;
    for (const ConstitutionItem& i : q.itemsOf(type, gender)) {
      const int a = answers.value(i.question);
      if (a < 1 || a > 5) continue;
      s.raw += i.reverse ? 6 - a : a;
      ++s.items;
    }
    s.score = q.form() == ConstitutionForm::Elderly ? s.raw : transformedScore(s.raw, s.items);
    r.types << s;
  }
  return r;  // not judged: a part of the items says nothing yet
}

QString scoreText(ConstitutionForm form, double score) {
  if (form == ConstitutionForm::Elderly) return QString::number(static_cast<int>(std::lround(score)));
  return QString::number(score, 'f', 1);
}

}  // namespace tcm
