#pragma once
// The national constitution questionnaire (中医体质分类与判定): the nine types,
// the items of the standard 60-item form and of the elderly 33-item form as the
// seed text lists them, the scoring of each type and the judgement in the
// standard's words.
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tcm {

enum class ConstitutionForm { Standard, Elderly };

// "standard" / "elderly", as stored and as the command line takes them.
QString formKey(ConstitutionForm form);
bool formFromKey(const QString& key, ConstitutionForm* form);
// "标准版（60题）" / "老年版（33题）".
QString formCaption(ConstitutionForm form);

// The nine types in the standard's order; 平和质 first, then the eight biased types.
const QStringList& constitutionTypes();
inline const QString kBalancedType = QStringLiteral("平和质");

// The five answers of a form, 1 … 5.
QStringList answerCaptions(ConstitutionForm form);

// One item of one type: the question it asks (its number on the form; the same
// number under two types is one question answered once), reverse scoring, and
// the gender it is limited to ("男", "女" or empty).
struct ConstitutionItem {
  QString type;
  int question = 0;
  bool reverse = false;
  QString gender;
  QString text;
};

// A question of the page for one person: its number, its text, the types it counts for.
struct PageQuestion {
  int question = 0;
  QString text;
  QStringList types;
};

class Questionnaire {
 public:
  // The form as the seed text gives it (read once per process).
  static const Questionnaire& of(ConstitutionForm form);
  // Parses the seed table's rows of `form`; false with the line that is wrong.
  [[nodiscard]] static bool parse(const QString& csvText, ConstitutionForm form, Questionnaire* out, QString* error);

  ConstitutionForm form() const { return form_; }
  // Every item of `type` a person of `gender` answers, in the type's order.
  QList<ConstitutionItem> itemsOf(const QString& type, const QString& gender) const;
  // The questions a person of `gender` answers, each once, in the order of the form.
  QList<PageQuestion> page(const QString& gender) const;
  // The waist item of the elderly form (腹部肥大), 0 when the form has none.
  int waistQuestion() const { return waistQuestion_; }

 private:
  ConstitutionForm form_ = ConstitutionForm::Standard;
  QList<ConstitutionItem> items_;
  int waistQuestion_ = 0;
};

// Whether a gender-limited item is answered by a person of `gender`: items for
// both, and an item limited to one gender only by that gender.
bool itemForGender(const ConstitutionItem& item, const QString& gender);

// The answer the elderly form gives for a waist in cm: < 80 → 1, 80–85 → 2,
// 86–90 → 3, 91–105 → 4, > 105 → 5; 0 for a waist that is no measurement.
int waistAnswer(double waistCm);

enum class Verdict { No, Tendency, Yes, Basically };
// "否", "倾向是", "是", "基本是".
QString verdictText(Verdict v);

struct TypeScore {
  QString type;
  bool hasRaw = false;  // false when the score was given directly
  int raw = 0;          // sum of the answers, reverse items as 6 − answer
  int items = 0;        // number of items summed
  // The judged score: the transformed score (0–100) on the standard form, the
  // raw sum on the elderly form.
  double score = 0;
  Verdict verdict = Verdict::No;
};

struct ConstitutionResult {
  ConstitutionForm form = ConstitutionForm::Standard;
  QList<TypeScore> types;  // the nine types in the standard's order
  QString line;            // "是气虚质", "基本是平和质，有痰湿质倾向", …
  const TypeScore* find(const QString& type) const;
};

// Raw and judged score of one type from its answers in the type's item order
// (items as itemsOf gives them); false with a message naming the type when an
// answer lies outside 1–5 or the count is not the type's item count.
[[nodiscard]] bool scoreType(const Questionnaire& q, const QString& type, const QString& gender,
                             const QList<int>& answers, TypeScore* out, QString* error);
// Transformed score of the standard form: (raw − n) / (4n) × 100.
double transformedScore(int raw, int items);

// Sets each type's verdict and the judgement line from the judged scores.
void judge(ConstitutionResult* result);
// The judgement line of already judged scores.
QString judgementLine(const ConstitutionResult& result);

// Answers of the page: question number → answer 1–5.
using ConstitutionAnswers = QMap<int, int>;
// The page's questions not yet answered (or answered outside 1–5), in page order.
QList<int> unansweredQuestions(const Questionnaire& q, const QString& gender, const ConstitutionAnswers& answers);
// Scores and judges a whole page; false with the message naming the first
// unanswered items ("第3、17题未作答") when the page is not complete.
[[nodiscard]] bool scoreAnswers(const Questionnaire& q, const QString& gender, const ConstitutionAnswers& answers,
                                ConstitutionResult* out, QString* error);
// The scores a partly answered page gives so far: each type from its answered
// items, unanswered items left out (the live chart while answering); every
// verdict 否 and no line, since a part of the items judges nothing.
ConstitutionResult provisionalScores(const Questionnaire& q, const QString& gender, const ConstitutionAnswers& answers);

// The score as shown and stored: one decimal on the standard form, a whole
// number on the elderly form.
QString scoreText(ConstitutionForm form, double score);

}  // namespace tcm

namespace tcm {
// Whether the elderly form is offered for a customer of this age (65 and over).
bool offersElderlyForm(const QString& age);
}  // namespace tcm
