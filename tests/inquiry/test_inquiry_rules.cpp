// The inquiry rules without widgets: where headings and answers go, what a
// page can hold, who may answer what, and the three queries on both kinds of
// remote database.
#include <QSqlQuery>

#include "entry/inquiry.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

InquiryRow heading(const QString& title) {
  InquiryRow r;
  r.title = title;
  r.symId = 0;
  return r;
}

InquiryRow answer(qint64 symId, const QString& name = QStringLiteral("答"), const QString& gender = "3") {
  InquiryRow r;
  r.symId = symId;
  r.name = name;
  r.gender = gender;
  r.classId = "0";
  return r;
}

InquiryMetrics area(int width) {
  InquiryMetrics m;
  m.areaWidth = width;
  m.headingHeight = 24;
  m.answerHeight = 30;
  return m;
}

// Every answer 100 px wide.
int fixedWidth(int, const InquiryRow&) { return 100; }

}  // namespace

// ---------------------------------------------------------------- layout

TEST(InquiryLayout, HeadingThenThreeAnswersUnderRightAndWrapped) {
  const QList<InquiryRow> rows = {heading(QStringLiteral("寒热")), answer(1), answer(2), answer(3)};
  // Second answer ends at 220; the third would end at 330, plus 20 is 350.
  const InquiryLayout l = layoutInquiry(rows, area(349), fixedWidth);
  ASSERT_EQ(l.headings.size(), 1);
  EXPECT_EQ(l.headings[0].rect, QRect(10, 10, 329, 24));
  ASSERT_EQ(l.answers.size(), 3);
  EXPECT_EQ(l.answers[0].rect, QRect(10, 44, 100, 30));   // under the heading
  EXPECT_EQ(l.answers[1].rect, QRect(120, 44, 100, 30));  // 10 px to its right
  EXPECT_EQ(l.answers[2].rect, QRect(10, 84, 100, 30));   // wrapped: new line at the left
  EXPECT_EQ(l.contentHeight, 124);
  EXPECT_EQ(l.droppedRows, 0);
}

TEST(InquiryLayout, AnswerThatJustLeavesTheReserveStaysOnTheLine) {
  const QList<InquiryRow> rows = {heading(QStringLiteral("寒热")), answer(1), answer(2), answer(3)};
  const InquiryLayout l = layoutInquiry(rows, area(350), fixedWidth);
  ASSERT_EQ(l.answers.size(), 3);
  EXPECT_EQ(l.answers[2].rect.topLeft(), QPoint(230, 44));
}

TEST(InquiryLayout, AnswersWithoutHeadingStartAtTheCornerAndHeadingsFollowTheLastButton) {
  const QList<InquiryRow> rows = {answer(1), answer(2), heading(QStringLiteral("二便")), answer(3), answer(4)};
  const InquiryLayout l = layoutInquiry(rows, area(600), fixedWidth);
  ASSERT_EQ(l.answers.size(), 4);
  EXPECT_EQ(l.answers[0].rect.topLeft(), QPoint(10, 10));
  EXPECT_EQ(l.answers[1].rect.topLeft(), QPoint(120, 10));
  ASSERT_EQ(l.headings.size(), 1);
  EXPECT_EQ(l.headings[0].rect.topLeft(), QPoint(10, 50));  // 10 px under the buttons (bottom 40)
  EXPECT_EQ(l.headings[0].row, 2);
  // A heading starts a new line even though the line above had room.
  EXPECT_EQ(l.answers[2].rect.topLeft(), QPoint(10, 84));
  EXPECT_EQ(l.answers[3].rect.topLeft(), QPoint(120, 84));
}

TEST(InquiryLayout, ConsecutiveHeadingsDoNotOverlap) {
  const QList<InquiryRow> rows = {heading("A"), heading("B"), answer(1), heading("C"), heading("D"), answer(2)};
  const InquiryLayout l = layoutInquiry(rows, area(600), fixedWidth);
  ASSERT_EQ(l.headings.size(), 4);
  EXPECT_EQ(l.headings[0].rect.top(), 10);
  EXPECT_EQ(l.headings[1].rect.top(), 44);
  EXPECT_EQ(l.answers[0].rect.top(), 78);  // under the last heading, B
  EXPECT_EQ(l.headings[2].rect.top(), 118);
  EXPECT_EQ(l.headings[3].rect.top(), 152);
  EXPECT_EQ(l.answers[1].rect.top(), 186);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(l.headings[i].slot, i);
}

TEST(InquiryLayout, WideAnswersWrapOneByOneAndALineStartIsNeverWrapped) {
  // Each answer takes more than half the area: one per line.
  const QList<InquiryRow> rows = {heading("A"), answer(1), answer(2), answer(3)};
  const InquiryLayout l = layoutInquiry(rows, area(200), [](int, const InquiryRow&) { return 250; });
  ASSERT_EQ(l.answers.size(), 3);
  EXPECT_EQ(l.answers[0].rect, QRect(10, 44, 250, 30));
  EXPECT_EQ(l.answers[1].rect, QRect(10, 84, 250, 30));
  EXPECT_EQ(l.answers[2].rect, QRect(10, 124, 250, 30));
}

TEST(InquiryLayout, NegativeRowsTakeNoPlaceAndNoSlot) {
  const QList<InquiryRow> rows = {heading("A"), answer(-5), answer(1), answer(-1), answer(2)};
  QList<int> measured;
  const InquiryLayout l = layoutInquiry(rows, area(600), [&](int slot, const InquiryRow& r) {
    measured << slot;
    EXPECT_GT(r.symId, 0);
    return 100;
  });
  EXPECT_EQ(measured, (QList<int>{0, 1}));
  ASSERT_EQ(l.answers.size(), 2);
  EXPECT_EQ(l.answers[0].row, 2);
  EXPECT_EQ(l.answers[1].row, 4);
  EXPECT_EQ(l.answers[1].rect.topLeft(), QPoint(120, 44));
  EXPECT_EQ(l.droppedRows, 0);
}

TEST(InquiryLayout, MoreThan250AnswersAreCutAtTheLastSlot) {
  QList<InquiryRow> rows = {heading("A")};
  for (int i = 1; i <= 260; ++i) rows << answer(i);
  int measuredCount = 0;
  const InquiryLayout l = layoutInquiry(rows, area(600), [&](int, const InquiryRow&) {
    ++measuredCount;
    return 50;
  });
  ASSERT_EQ(l.answers.size(), kInquiryAnswerSlots);
  EXPECT_EQ(measuredCount, kInquiryAnswerSlots);
  EXPECT_EQ(l.answers.last().slot, 249);
  EXPECT_EQ(l.answers.last().row, 250);
  EXPECT_EQ(l.droppedRows, 10);
  EXPECT_EQ(l.contentHeight, l.answers.last().rect.bottom() + 11);
}

TEST(InquiryLayout, AHeadingLeftWithoutAnswersAtTheCutIsDropped) {
  QList<InquiryRow> rows = {heading("A")};
  for (int i = 1; i <= 250; ++i) rows << answer(i);
  rows << heading("B") << answer(-2) << answer(251) << answer(252);
  const InquiryLayout l = layoutInquiry(rows, area(600), fixedWidth);
  ASSERT_EQ(l.headings.size(), 1);
  EXPECT_EQ(l.headings[0].row, 0);
  EXPECT_EQ(l.answers.size(), 250);
  EXPECT_EQ(l.droppedRows, 3);  // heading B and two answers; the ignored row is not counted
}

TEST(InquiryLayout, MoreThan20HeadingsEndThePage) {
  QList<InquiryRow> rows;
  for (int h = 1; h <= 25; ++h) rows << heading(QString::number(h)) << answer(h);
  const InquiryLayout l = layoutInquiry(rows, area(600), fixedWidth);
  ASSERT_EQ(l.headings.size(), kInquiryHeadingSlots);
  EXPECT_EQ(l.answers.size(), 20);
  EXPECT_EQ(l.answers.last().row, 39);  // the answer of heading 20
  EXPECT_EQ(l.droppedRows, 10);
}

TEST(InquiryLayout, EmptyPageHasNoHeight) {
  const InquiryLayout l = layoutInquiry({}, area(600), fixedWidth);
  EXPECT_TRUE(l.headings.isEmpty());
  EXPECT_TRUE(l.answers.isEmpty());
  EXPECT_EQ(l.contentHeight, 0);
}

// ---------------------------------------------------------------- rows and gender

TEST(InquiryRules, SymIdIsReadAsANumber) {
  bool ok = false;
  EXPECT_EQ(readSymId(" 12 ", &ok), 12);
  EXPECT_TRUE(ok);
  EXPECT_EQ(readSymId("0", &ok), 0);
  EXPECT_TRUE(ok);
  EXPECT_EQ(readSymId("", &ok), 0);
  EXPECT_TRUE(ok);
  EXPECT_EQ(readSymId("-3", &ok), -3);
  EXPECT_TRUE(ok);
  readSymId("12a", &ok);
  EXPECT_FALSE(ok);
  InquiryRow r = answer(42);
  EXPECT_TRUE(r.isAnswer());
  EXPECT_EQ(r.id(), "42");
  EXPECT_TRUE(heading("x").isHeading());
  EXPECT_FALSE(answer(-1).isAnswer());
  EXPECT_FALSE(answer(-1).isHeading());
}

TEST(InquiryRules, GenderOfAnAnswer) {
  EXPECT_TRUE(answerGenderAllowed("3", "1"));
  EXPECT_TRUE(answerGenderAllowed("3", "2"));
  EXPECT_TRUE(answerGenderAllowed("1", "1"));
  EXPECT_TRUE(answerGenderAllowed("2", "2"));
  EXPECT_FALSE(answerGenderAllowed("2", "1"));
  EXPECT_FALSE(answerGenderAllowed("1", "2"));
  EXPECT_FALSE(answerGenderAllowed("", "1"));
  EXPECT_FALSE(answerGenderAllowed("", ""));
  EXPECT_FALSE(answerGenderAllowed("0", "1"));
}

// ---------------------------------------------------------------- queries

class InquiryQueries : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam());
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
  }
  static Sql option(const QString& cls, const QString& title, const QString& symId, const QString& gender,
                    const QString& name, const QString& mutex = {}, const QString& childTag = "0",
                    const QString& classId = "0") {
    return Sql("insert into symptom_option(class,title,symId,gender,name,mutex,childTag,classId) "
               "values(?,?,?,?,?,?,?,?)",
               {cls, title, symId, gender, name, mutex, childTag, classId});
  }
  static Sql hint(int fid, int tag, int gender, const QString& symid, const QString& name,
                  const QString& mutex = {}) {
    return Sql("insert into symptom_option_sub(fid,tag,gender,symid,name,mutex) values(?,?,?,?,?,?)",
               {fid, tag, gender, symid, name, mutex});
  }
  static Sql question(int fid, const QString& title, const QString& symId, const QString& name) {
    return Sql("insert into symptom_option_sub(fid,title,symId,gender,name,mutex,childTag,classId) "
               "values(?,?,?,?,?,?,?,?)",
               {fid, title, symId, "3", name, "", "0", "0"});
  }
  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
};

TEST_P(InquiryQueries, TopicRowsInStoredOrderForThatTopicOnly) {
  ASSERT_TRUE(dm->ExecLstSql({option(QStringLiteral("基础问诊"), QStringLiteral("寒热"), "0", "", ""),
                              option(QStringLiteral("舌脉"), "", "500", "3", QStringLiteral("舌红"), "", "0", "5"),
                              option(QStringLiteral("基础问诊"), "", " 12 ", "3", QStringLiteral("怕冷"), "13,14", "1"),
                              option(QStringLiteral("基础问诊"), "", "-1", "3", QStringLiteral("停用")),
                              option(QStringLiteral("基础问诊"), "", "7", "2", QStringLiteral("月经不调"))},
                             true));
  const QList<InquiryRow> rows = loadTopicRows(*dm, QStringLiteral("基础问诊"));
  ASSERT_EQ(rows.size(), 4);
  EXPECT_TRUE(rows[0].isHeading());
  EXPECT_EQ(rows[0].title, QStringLiteral("寒热"));
  EXPECT_EQ(rows[1].symId, 12);
  EXPECT_EQ(rows[1].name, QStringLiteral("怕冷"));
  EXPECT_EQ(rows[1].mutex, "13,14");
  EXPECT_EQ(rows[1].childTag, "1");
  EXPECT_EQ(rows[1].classId, "0");
  EXPECT_EQ(rows[1].gender, "3");
  EXPECT_EQ(rows[2].symId, -1);
  EXPECT_EQ(rows[3].symId, 7);  // after 12 although smaller: stored order, not id order
  EXPECT_EQ(rows[3].gender, "2");

  const QList<InquiryRow> tongue = loadTopicRows(*dm, QStringLiteral("舌脉"));
  ASSERT_EQ(tongue.size(), 1);
  EXPECT_EQ(tongue[0].classId, "5");
  EXPECT_TRUE(loadTopicRows(*dm, QStringLiteral("无此页")).isEmpty());
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(InquiryQueries, RowsFollowTheTableIdsNotTheOrderOfWriting) {
  // Rows written out of id order (a page edited later): the page keeps the id order.
  ASSERT_TRUE(dm->ExecLstSql(
      {Sql("insert into symptom_option(id,class,title,symId,gender,name) values(30,?,'','3','3','c')", {"面部"}),
       Sql("insert into symptom_option(id,class,title,symId,gender,name) values(10,?,?,'0','','')", {"面部", "面色"}),
       Sql("insert into symptom_option(id,class,title,symId,gender,name) values(20,?,'','2','3','b')", {"面部"}),
       Sql("insert into symptom_option_sub(id,fid,tag,gender,symid,name) values(9,5,1,3,'9','late')"),
       Sql("insert into symptom_option_sub(id,fid,tag,gender,symid,name) values(4,5,1,3,'4','early')")},
      true));
  const QList<InquiryRow> rows = loadTopicRows(*dm, QStringLiteral("面部"));
  ASSERT_EQ(rows.size(), 3);
  EXPECT_TRUE(rows[0].isHeading());
  EXPECT_EQ(rows[1].name, "b");
  EXPECT_EQ(rows[2].name, "c");
  QList<InquiryHint> hints;
  ASSERT_TRUE(loadFollowUpHints(*dm, "5", "1", &hints));
  ASSERT_EQ(hints.size(), 2);
  EXPECT_EQ(hints[0].name, "early");
}

TEST_P(InquiryQueries, TopicCaptionWithQuoteIsBoundNotSpliced) {
  ASSERT_TRUE(dm->ExecLstSql({option("a'b", "", "3", "3", "x")}, true));
  const QList<InquiryRow> rows = loadTopicRows(*dm, "a'b");
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].symId, 3);
  EXPECT_TRUE(loadTopicRows(*dm, "' or '1'='1").isEmpty());
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(InquiryQueries, FailedTopicQueryIsShownAndGivesNoRows) {
  ASSERT_TRUE(dm->ExecMSSql(Sql("drop table symptom_option")));
  EXPECT_TRUE(loadTopicRows(*dm, QStringLiteral("基础问诊")).isEmpty());
  EXPECT_EQ(messages.dbErrors.size(), 1);
}

TEST_P(InquiryQueries, FollowUpHintsForTheCustomersGenderAtMostEight) {
  ASSERT_TRUE(dm->ExecLstSql({hint(103, 1, 1, "301", QStringLiteral("遗精"), "302"),
                              hint(103, 1, 2, "302", QStringLiteral("带下")),
                              hint(103, 0, 3, "303", QStringLiteral("不是提示")),
                              hint(104, 1, 3, "304", QStringLiteral("别的答案")),
                              hint(103, 1, 3, "305", QStringLiteral("乏力"))},
                             true));
  QList<InquiryHint> hints;
  ASSERT_TRUE(loadFollowUpHints(*dm, "103", "1", &hints));
  ASSERT_EQ(hints.size(), 2);
  EXPECT_EQ(hints[0].name, QStringLiteral("遗精"));
  EXPECT_EQ(hints[0].symid, "301");
  EXPECT_EQ(hints[0].mutex, "302");
  EXPECT_EQ(hints[1].name, QStringLiteral("乏力"));

  ASSERT_TRUE(loadFollowUpHints(*dm, "103", "2", &hints));
  ASSERT_EQ(hints.size(), 2);
  EXPECT_EQ(hints[0].name, QStringLiteral("带下"));
  EXPECT_EQ(hints[1].name, QStringLiteral("乏力"));

  QList<Sql> many;
  for (int i = 0; i < 12; ++i) many << hint(110, 1, 3, QString::number(400 + i), QStringLiteral("提示%1").arg(i));
  ASSERT_TRUE(dm->ExecLstSql(many, true));
  ASSERT_TRUE(loadFollowUpHints(*dm, "110", "2", &hints));
  ASSERT_EQ(hints.size(), kInquiryHintSlots);
  EXPECT_EQ(hints.first().symid, "400");
  EXPECT_EQ(hints.last().symid, "407");

  ASSERT_TRUE(loadFollowUpHints(*dm, "999", "1", &hints));
  EXPECT_TRUE(hints.isEmpty());
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(InquiryQueries, FailedHintQueryReportsFalse) {
  ASSERT_TRUE(dm->ExecMSSql(Sql("drop table symptom_option_sub")));
  QList<InquiryHint> hints{InquiryHint{"x", "1", ""}};
  EXPECT_FALSE(loadFollowUpHints(*dm, "103", "1", &hints));
  EXPECT_TRUE(hints.isEmpty());
  EXPECT_EQ(messages.dbErrors.size(), 1);
}

TEST_P(InquiryQueries, DiseaseQuestionsFromTheLocalFileAtMostHundred) {
  QList<Sql> rows = {question(801, QStringLiteral("高血压相关"), "0", "")};
  for (int i = 1; i <= 120; ++i) rows << question(801, "", QString::number(1000 - i), QStringLiteral("问%1").arg(i));
  rows << question(802, "", "5", QStringLiteral("别的疾病"));
  ASSERT_TRUE(dm->ExecLstSql(rows, false));
  const QList<InquiryRow> q = loadDiseaseRows(*dm, "801");
  ASSERT_EQ(q.size(), kDiseaseQuestionRows);
  EXPECT_TRUE(q[0].isHeading());
  EXPECT_EQ(q[0].title, QStringLiteral("高血压相关"));
  EXPECT_EQ(q[1].symId, 999);
  EXPECT_EQ(q[99].symId, 901);  // the first hundred stored rows
  const QList<InquiryRow> other = loadDiseaseRows(*dm, "802");
  ASSERT_EQ(other.size(), 1);
  EXPECT_EQ(other[0].name, QStringLiteral("别的疾病"));
  // The remote copy of the table is not consulted.
  ASSERT_TRUE(dm->ExecLstSql({hint(803, 1, 3, "7", "remote")}, true));
  EXPECT_TRUE(loadDiseaseRows(*dm, "803").isEmpty());
  // An id that is not a number has no questions and no failure.
  EXPECT_TRUE(loadDiseaseRows(*dm, "8x").isEmpty());
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, InquiryQueries, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
