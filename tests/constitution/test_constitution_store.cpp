// Questionnaire results saved with the customer and visit, read back on both databases.
#include <QSqlQuery>

#include "constitution/constitution_store.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

class ConstitutionStore : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    dm = folder.server(&messages);
    for (const auto& [shop, name] : {std::pair{1, "王秀英"}, std::pair{2, "别店客户"}}) {
      const auto id = dm->InsertAndGetId(Sql(QStringLiteral("insert into pat(shopId,Name,Gender,wrDate) values(?,?,?,?)"),
                                             {shop, QString::fromUtf8(name), QStringLiteral("女"),
                                              QStringLiteral("2026-01-02 09:00:00")}),
                                         QStringLiteral("PatId"), true);
      ASSERT_TRUE(id.has_value()) << dm->lastError().toStdString();
      patIds << QString::number(*id);
    }
  }

  // A whole standard page answered `answer` everywhere, "容易疲乏" answered `tired`.
  SavedConstitution answered(const QString& mzno, int answer, int tired) const {
    const Questionnaire& q = Questionnaire::of(ConstitutionForm::Standard);
    SavedConstitution s;
    s.shopId = QStringLiteral("1");
    s.patId = patIds.value(0);
    s.mzno = mzno;
    s.gender = QStringLiteral("女");
    for (const PageQuestion& p : q.page(s.gender))
      s.answers.insert(p.question, p.text.contains(QStringLiteral("容易疲乏")) ? tired : answer);
    QString error;
    EXPECT_TRUE(scoreAnswers(q, s.gender, s.answers, &s.result, &error)) << error.toStdString();
    return s;
  }

  int rows() {
    QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select count(*) from constitution")), true);
    const int n = q && q->next() ? q->value(0).toInt() : -1;
    if (q) q->finish();
    return n;
  }

  DataFolder folder{GetParam()};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  QStringList patIds;
};

TEST_P(ConstitutionStore, SavesReadsBackLatestHistoryAndTrend) {
  const QDateTime day1(QDate(2026, 3, 1), QTime(9, 0)), day2(QDate(2026, 4, 1), QTime(10, 30));
  const SavedConstitution first = answered(QStringLiteral("V1"), 1, 1);
  const SavedConstitution again = answered(QStringLiteral("V1"), 1, 5);  // corrected in the same visit
  const SavedConstitution second = answered(QStringLiteral("V2"), 3, 4);
  ASSERT_TRUE(saveConstitution(*dm, first, day1).ok) << dm->lastError().toStdString();
  ASSERT_TRUE(saveConstitution(*dm, again, day1.addSecs(60)).ok);
  const ConstitutionSave saved = saveConstitution(*dm, second, day2);
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(saved.message, QStringLiteral("保存成功"));

  std::optional<SavedConstitution> latest;
  ASSERT_TRUE(latestConstitution(*dm, QStringLiteral("1"), patIds[0], &latest));
  ASSERT_TRUE(latest.has_value());
  EXPECT_EQ(latest->id, saved.id);
  EXPECT_EQ(latest->answers, second.answers);
  EXPECT_EQ(latest->result.form, ConstitutionForm::Standard);
  EXPECT_EQ(latest->result.line, second.result.line);
  EXPECT_EQ(scoresText(latest->result), scoresText(second.result));
  EXPECT_EQ(latest->wrDate, QStringLiteral("2026-04-01 10:30:00"));
  EXPECT_EQ(latest->result.find(QStringLiteral("气虚质"))->verdict, second.result.find(QStringLiteral("气虚质"))->verdict);

  std::optional<SavedConstitution> ofVisit;
  ASSERT_TRUE(visitConstitution(*dm, QStringLiteral("1"), patIds[0], QStringLiteral("V1"), &ofVisit));
  ASSERT_TRUE(ofVisit.has_value());
  EXPECT_EQ(ofVisit->answers, again.answers);
  ASSERT_TRUE(visitConstitution(*dm, QStringLiteral("1"), patIds[0], QStringLiteral("V9"), &ofVisit));
  EXPECT_FALSE(ofVisit.has_value());

  QList<SavedConstitution> history;
  ASSERT_TRUE(constitutionHistory(*dm, QStringLiteral("1"), patIds[0], &history));
  ASSERT_EQ(history.size(), 3);
  const QList<SavedConstitution> trend = trendPoints(history, ConstitutionForm::Standard);
  ASSERT_EQ(trend.size(), 2);  // one point per visit, the visit's last save
  EXPECT_EQ(trend[0].answers, again.answers);
  EXPECT_EQ(trend[1].id, saved.id);
  EXPECT_TRUE(trendPoints(history, ConstitutionForm::Elderly).isEmpty());

  // Another shop sees none of them.
  ASSERT_TRUE(latestConstitution(*dm, QStringLiteral("2"), patIds[0], &latest));
  EXPECT_FALSE(latest.has_value());
}

TEST_P(ConstitutionStore, RefusesCustomersOfOtherShopsAndWritesNothing) {
  SavedConstitution s = answered(QStringLiteral("V1"), 2, 2);
  s.patId = patIds[1];  // a customer of shop 2
  ConstitutionSave r = saveConstitution(*dm, s, QDateTime::currentDateTime());
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.message.startsWith(QStringLiteral("保存失败"))) << r.message.toStdString();
  s.patId = QStringLiteral("0");
  r = saveConstitution(*dm, s, QDateTime::currentDateTime());
  EXPECT_EQ(r.message, QStringLiteral("未选择客户"));
  EXPECT_EQ(rows(), 0);
}

TEST(ConstitutionTexts, StoredTextsReadBackOrAreRefused) {
  ConstitutionAnswers a;
  EXPECT_TRUE(parseAnswersText(QStringLiteral("1:5,3:1,28:4"), &a));
  EXPECT_EQ(answersText(a), QStringLiteral("1:5,3:1,28:4"));
  for (const char* bad : {"1:6", "1-5", "x:1", "1:5,", "0:2"})
    EXPECT_FALSE(parseAnswersText(QString::fromUtf8(bad), &a)) << bad;
  ConstitutionResult r;
  EXPECT_FALSE(parseScoresText(QStringLiteral("平和质:75.0"), ConstitutionForm::Standard, &r));  // eight types missing
  EXPECT_TRUE(parseScoresText(QStringLiteral("平和质:75.0,气虚质:56.0,阳虚质:27.0,阴虚质:25.0,痰湿质:12.0,湿热质:15.0,"
                                             "血瘀质:20.0,气郁质:18.0,特禀质:10.0"),
                              ConstitutionForm::Standard, &r));
  EXPECT_EQ(r.line, QStringLiteral("是气虚质"));
}

INSTANTIATE_TEST_SUITE_P(Databases, ConstitutionStore, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
