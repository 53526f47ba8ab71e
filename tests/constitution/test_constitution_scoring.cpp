// The questionnaire's scoring and judgement against the standard's figures.
#include <gtest/gtest.h>

#include <QFile>

#include "constitution/constitution_diet.h"
#include "constitution/questionnaire.h"

namespace tcm {
namespace {

ConstitutionResult scored(ConstitutionForm form, const QList<double>& scores) {
  ConstitutionResult r;
  r.form = form;
  for (qsizetype i = 0; i < constitutionTypes().size(); ++i)
    r.types << TypeScore{constitutionTypes()[i], false, 0, 0, scores.value(i), Verdict::No};
  judge(&r);
  return r;
}

struct LineCase {
  ConstitutionForm form;
  QList<double> scores;  // 平和 气虚 阳虚 阴虚 痰湿 湿热 血瘀 气郁 特禀
  const char* line;
  Verdict balanced, qixu;
};

TEST(ConstitutionJudgement, EdgesAndWorkedExamples) {
  using F = ConstitutionForm;
  const QList<LineCase> cases = {
      // The standard's two worked examples.
      {F::Standard, {75, 56, 27, 25, 12, 15, 20, 18, 10}, "是气虚质", Verdict::No, Verdict::Yes},
      {F::Standard, {75, 16, 27, 25, 32, 25, 10, 18, 10}, "基本是平和质，有痰湿质倾向", Verdict::Basically, Verdict::No},
      // Edges of a biased type.
      {F::Standard, {0, 29.9, 0, 0, 0, 0, 0, 0, 0}, "未能判定体质类型", Verdict::No, Verdict::No},
      {F::Standard, {0, 30, 0, 0, 0, 0, 0, 0, 0}, "有气虚质倾向", Verdict::No, Verdict::Tendency},
      {F::Standard, {0, 39.9, 0, 0, 0, 0, 0, 0, 0}, "有气虚质倾向", Verdict::No, Verdict::Tendency},
      {F::Standard, {0, 40, 0, 0, 0, 0, 0, 0, 0}, "是气虚质", Verdict::No, Verdict::Yes},
      // 平和质: its own edge and the others' edges.
      {F::Standard, {59.9, 10, 0, 0, 0, 0, 0, 0, 0}, "未能判定体质类型", Verdict::No, Verdict::No},
      {F::Standard, {60, 29.9, 0, 0, 0, 0, 0, 0, 0}, "是平和质", Verdict::Yes, Verdict::No},
      {F::Standard, {60, 30, 0, 0, 0, 0, 0, 0, 0}, "基本是平和质，有气虚质倾向", Verdict::Basically, Verdict::Tendency},
      {F::Standard, {60, 39.9, 0, 0, 0, 0, 0, 0, 0}, "基本是平和质，有气虚质倾向", Verdict::Basically, Verdict::Tendency},
      {F::Standard, {60, 40, 0, 0, 0, 0, 0, 0, 0}, "是气虚质", Verdict::No, Verdict::Yes},
      {F::Standard, {59.9, 30, 0, 0, 0, 0, 0, 0, 0}, "有气虚质倾向", Verdict::No, Verdict::Tendency},
      // Several types, highest first.
      {F::Standard, {20, 45, 50, 0, 0, 0, 33, 0, 31}, "是阳虚质、气虚质，有血瘀质、特禀质倾向", Verdict::No, Verdict::Yes},
      // Elderly form: 是 ≥ 11, 倾向是 9–10, 否 ≤ 8; 平和质 ≥ 17 with others ≤ 8 or ≤ 10.
      {F::Elderly, {17, 8, 4, 4, 4, 4, 4, 4, 4}, "是平和质", Verdict::Yes, Verdict::No},
      {F::Elderly, {17, 9, 4, 4, 4, 4, 4, 4, 4}, "基本是平和质，有气虚质倾向", Verdict::Basically, Verdict::Tendency},
      {F::Elderly, {17, 10, 4, 4, 4, 4, 4, 4, 4}, "基本是平和质，有气虚质倾向", Verdict::Basically, Verdict::Tendency},
      {F::Elderly, {17, 11, 4, 4, 4, 4, 4, 4, 4}, "是气虚质", Verdict::No, Verdict::Yes},
      {F::Elderly, {16, 8, 4, 4, 4, 4, 4, 4, 4}, "未能判定体质类型", Verdict::No, Verdict::No},
  };
  for (const LineCase& c : cases) {
    const ConstitutionResult r = scored(c.form, c.scores);
    SCOPED_TRACE(QStringList([&] {
                   QStringList s;
                   for (double v : c.scores) s << QString::number(v);
                   return s;
                 }())
                     .join(QLatin1Char(','))
                     .toStdString());
    EXPECT_EQ(r.line, QString::fromUtf8(c.line));
    EXPECT_EQ(r.find(QStringLiteral("平和质"))->verdict, c.balanced);
    EXPECT_EQ(r.find(QStringLiteral("气虚质"))->verdict, c.qixu);
  }
}

TEST(ConstitutionScoring, ReverseItemsGenderItemsAndBothForms) {
  const Questionnaire& standard = Questionnaire::of(ConstitutionForm::Standard);
  const Questionnaire& elderly = Questionnaire::of(ConstitutionForm::Elderly);
  // 60 questions a person answers on the standard form, 33 on the elderly form.
  EXPECT_EQ(standard.page(QStringLiteral("女")).size(), 60);
  EXPECT_EQ(standard.page(QStringLiteral("男")).size(), 60);
  EXPECT_EQ(elderly.page(QStringLiteral("女")).size(), 33);

  // 平和质: answers 5,1,2,1,3,3,4,1 with items 2,3,4,5,7,8 reversed: 5+5+4+5+3+3+2+5 = 32.
  TypeScore s;
  QString error;
  ASSERT_TRUE(scoreType(standard, QStringLiteral("平和质"), QStringLiteral("女"), {5, 1, 2, 1, 3, 3, 4, 1}, &s, &error));
  EXPECT_EQ(s.raw, 32);
  EXPECT_DOUBLE_EQ(s.score, 75.0);  // (32 − 8) / 32 × 100
  const QList<ConstitutionItem> balanced = standard.itemsOf(QStringLiteral("平和质"), QString());
  QStringList reversed;
  for (const ConstitutionItem& i : balanced)
    if (i.reverse) reversed << i.text;
  EXPECT_EQ(reversed.size(), 6);
  EXPECT_TRUE(reversed.first().contains(QStringLiteral("容易疲乏")));
  EXPECT_TRUE(reversed.last().contains(QStringLiteral("容易忘事")));

  // 湿热质: six items for each gender, five without one; the women's item is not the men's.
  const auto textsOf = [&](const QString& gender) {
    QStringList t;
    for (const ConstitutionItem& i : standard.itemsOf(QStringLiteral("湿热质"), gender)) t << i.text;
    return t;
  };
  EXPECT_EQ(textsOf(QStringLiteral("女")).size(), 6);
  EXPECT_TRUE(textsOf(QStringLiteral("女")).last().contains(QStringLiteral("带下色黄")));
  EXPECT_TRUE(textsOf(QStringLiteral("男")).last().contains(QStringLiteral("阴囊潮湿")) ||
              textsOf(QStringLiteral("男")).last().contains(QStringLiteral("阴囊部位潮湿")));
  EXPECT_EQ(textsOf(QString()).size(), 5);
  ASSERT_TRUE(scoreType(standard, QStringLiteral("湿热质"), QStringLiteral("男"), {3, 3, 3, 3, 3, 5}, &s, &error));
  EXPECT_EQ(s.items, 6);
  EXPECT_DOUBLE_EQ(s.score, (20.0 - 6) / 24 * 100);
  EXPECT_FALSE(scoreType(standard, QStringLiteral("湿热质"), QStringLiteral("男"), {3, 3, 3, 3, 3, 5, 1}, &s, &error));
  EXPECT_EQ(error, QStringLiteral("湿热质应有 6 个答案，给出了 7 个"));
  EXPECT_FALSE(scoreType(standard, QStringLiteral("气虚质"), QStringLiteral("男"), {1, 2, 3, 4, 5, 6, 1, 1}, &s, &error));
  EXPECT_EQ(error, QStringLiteral("气虚质第 6 个答案“6”不在 1–5 之内"));
  EXPECT_FALSE(scoreType(standard, QStringLiteral("火热质"), QStringLiteral("男"), {1}, &s, &error));

  // Elderly: 平和质 of five items, 2, 4, 5 and 13 reversed; the others of four, summed.
  ASSERT_TRUE(scoreType(elderly, QStringLiteral("平和质"), QString(), {5, 1, 1, 1, 1}, &s, &error));
  EXPECT_EQ(s.raw, 25);
  EXPECT_DOUBLE_EQ(s.score, 25);
  ASSERT_TRUE(scoreType(elderly, QStringLiteral("痰湿质"), QString(), {3, 3, 3, 2}, &s, &error));
  EXPECT_EQ(s.raw, 11);
  EXPECT_EQ(elderly.waistQuestion(), 28);
  const QList<std::pair<double, int>> waists = {{60, 1}, {79.9, 1}, {80, 2}, {85, 2}, {86, 3}, {90, 3},
                                                {91, 4}, {105, 4}, {105.5, 5}, {130, 5}, {0, 0}, {-3, 0}};
  for (const auto& [cm, answer] : waists) EXPECT_EQ(waistAnswer(cm), answer) << cm;
  EXPECT_TRUE(offersElderlyForm(QStringLiteral("65")));
  EXPECT_FALSE(offersElderlyForm(QStringLiteral("64")));
  EXPECT_FALSE(offersElderlyForm(QString()));
}

TEST(ConstitutionScoring, WholePageSharedQuestionsAndUnanswered) {
  const Questionnaire& standard = Questionnaire::of(ConstitutionForm::Standard);
  const QList<PageQuestion> page = standard.page(QStringLiteral("女"));
  // Everything answered "没有": every biased type 0, 平和质 scores its six reverse items high.
  ConstitutionAnswers answers;
  for (const PageQuestion& p : page) answers.insert(p.question, 1);
  ConstitutionResult r;
  QString error;
  ASSERT_TRUE(scoreAnswers(standard, QStringLiteral("女"), answers, &r, &error)) << error.toStdString();
  EXPECT_DOUBLE_EQ(r.find(QStringLiteral("平和质"))->score, (1 + 5 * 6 + 1 - 8) * 100.0 / 32);
  EXPECT_DOUBLE_EQ(r.find(QStringLiteral("气虚质"))->score, 0);
  EXPECT_EQ(r.line, QStringLiteral("是平和质"));
  // One answer of "容易疲乏" counts for 平和质 (reversed) and 气虚质 together.
  const PageQuestion* tired = nullptr;
  for (const PageQuestion& p : page)
    if (p.text.contains(QStringLiteral("容易疲乏"))) tired = &p;
  ASSERT_NE(tired, nullptr);
  EXPECT_EQ(tired->types, QStringList({QStringLiteral("平和质"), QStringLiteral("气虚质")}));
  answers[tired->question] = 5;
  ASSERT_TRUE(scoreAnswers(standard, QStringLiteral("女"), answers, &r, &error));
  EXPECT_DOUBLE_EQ(r.find(QStringLiteral("气虚质"))->score, 4 * 100.0 / 32);
  EXPECT_DOUBLE_EQ(r.find(QStringLiteral("平和质"))->score, (1 + 5 * 5 + 1 + 1 - 8) * 100.0 / 32);
  // Unanswered items are named by their place on the page.
  answers.remove(page[2].question);
  answers[page[16].question] = 0;
  EXPECT_FALSE(scoreAnswers(standard, QStringLiteral("女"), answers, &r, &error));
  EXPECT_EQ(error, QStringLiteral("第3、17题未作答"));
  EXPECT_EQ(unansweredQuestions(standard, QStringLiteral("女"), answers).size(), 2);
}

TEST(ConstitutionSeed, BrokenSeedRowsAreNamed) {
  QFile f(QStringLiteral(":/data/seed/constitution_items.csv"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(f.readAll());
  Questionnaire q;
  QString error;
  ASSERT_TRUE(Questionnaire::parse(text, ConstitutionForm::Elderly, &q, &error)) << error.toStdString();
  QString broken = text;
  broken.replace(QStringLiteral("standard,特禀质"), QStringLiteral("standard,特异质"));
  EXPECT_FALSE(Questionnaire::parse(broken, ConstitutionForm::Standard, &q, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("未知体质“特异质”"))) << error.toStdString();
  broken = text;
  broken.replace(QStringLiteral("您容易失眠吗？"), QStringLiteral("您容易失眠吗"));
  broken.replace(QStringLiteral("standard,平和质,1,0,,您精力充沛吗？"), QStringLiteral("standard,平和质,2,0,,您精力充沛吗？"));
  EXPECT_FALSE(Questionnaire::parse(broken, ConstitutionForm::Standard, &q, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("第 2 题的题目与前面不同"))) << error.toStdString();
}

TEST(ConstitutionSeed, EveryTypeHasDietAdviceOfAKnowledgeBaseSyndrome) {
  QFile f(QStringLiteral(":/data/seed/syndromes.jsonl"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString syndromes = QString::fromUtf8(f.readAll());
  for (const QString& type : constitutionTypes()) {
    const QString syndrome = dietSyndromeOf(type);
    ASSERT_FALSE(syndrome.isEmpty()) << type.toStdString();
    EXPECT_TRUE(syndromes.contains(QStringLiteral("\"name\":\"%1\"").arg(syndrome))) << syndrome.toStdString();
  }
}

}  // namespace
}  // namespace tcm
