// The questionnaire window driven as the clerk does: clicks and number keys,
// progress, the unanswered items named, the judgement, the chart, the diet
// advice, saving with the customer and visit, and the trend over three visits.
#include <QChart>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "../customer_details/small_host.h"
#include "constitution/constitution_frm.h"
#include "constitution/constitution_chart.h"
#include "customer/customer_list.h"
#include "customer/pat_med_frm.h"
#include <QPlainTextEdit>
#include "login/login_state.h"
#include "test_support.h"
#include "window_helpers.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class ConstitutionWindow : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    dm = folder.server(&messages);
    loginState().clear();
    loginState().ShopId = "1";
    const auto id = dm->InsertAndGetId(Sql(QStringLiteral("insert into pat(shopId,Name,Gender,Age,wrDate) values(?,?,?,?,?)"),
                                           {1, QStringLiteral("王秀英"), QStringLiteral("女"), QStringLiteral("45"),
                                            QStringLiteral("2026-01-02 09:00:00")}),
                                       QStringLiteral("PatId"), true);
    ASSERT_TRUE(id.has_value());
    host.patId = QString::number(*id);
    host.gender = QStringLiteral("女");
    host.age = QStringLiteral("45");
    host.mzno = QStringLiteral("V1");
    frm = std::make_unique<TConstitutionFrm>(*dm, messages, host);
  }
  void TearDown() override {
    frm.reset();
    loginState().clear();
  }

  // Answers every item with `answer`, the items of `type` with `typeAnswer`, by clicks.
  void answerAll(int answer, const QString& type, int typeAnswer) {
    for (int place = 0; place < frm->questions().size(); ++place) {
      const PageQuestion& q = frm->questions()[place];
      const int a = q.types.contains(type) ? typeAnswer : answer;
      QTest::mouseClick(frm->answerButtons(place)[a - 1], Qt::LeftButton);
    }
  }

  DataFolder folder{GetParam(), true};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  SmallHost host;
  std::unique_ptr<TConstitutionFrm> frm;
};

TEST_P(ConstitutionWindow, WholeQuestionnaireSavedAndReadBack) {
  frm->openForCurrent();
  ASSERT_TRUE(frm->isVisible());
  EXPECT_FALSE(frm->rbElderly->isVisible());  // 45: the standard form only
  ASSERT_EQ(frm->questions().size(), 60);
  EXPECT_EQ(frm->lblProgress->text(), QStringLiteral("已答 0/60"));
  // The women's 湿热质 item is asked, the men's is not.
  QStringList texts;
  for (const PageQuestion& q : frm->questions()) texts << q.text;
  EXPECT_TRUE(texts.join(QString()).contains(QStringLiteral("带下色黄")));
  EXPECT_FALSE(texts.join(QString()).contains(QStringLiteral("阴囊")));

  // The first 37 items by number keys: each key answers the marked item and moves on.
  for (int i = 0; i < 37; ++i) QTest::keyClick(frm.get(), Qt::Key_1);
  EXPECT_EQ(frm->lblProgress->text(), QStringLiteral("已答 37/60"));
  EXPECT_EQ(frm->currentPlace(), 37);
  EXPECT_TRUE(frm->answerButtons(36)[0]->isChecked());
  keepPicture(frm.get(), QStringLiteral("constitution_questionnaire"));

  // Judging now names the items still open and marks the first of them.
  QTest::mouseClick(frm->answerButtons(10)[2], Qt::LeftButton);  // answers can change
  frm->pnlJudgeClick();
  ASSERT_EQ(messages.messages.size(), 1);
  EXPECT_TRUE(messages.messages[0].startsWith(QStringLiteral("第38、39、40、")));
  EXPECT_TRUE(messages.messages[0].endsWith(QStringLiteral("60题未作答")));
  EXPECT_FALSE(frm->result().has_value());
  frm->pnlSaveClick();  // nor can it be saved
  EXPECT_TRUE(messages.messages.last().endsWith(QStringLiteral("题未作答")));

  // All answered: "没有" everywhere, the 气虚质 items "经常" → 气虚质 75, 平和质 56.3, 阳虚质 10.7.
  messages.clear();
  answerAll(1, QStringLiteral("气虚质"), 4);
  EXPECT_EQ(frm->lblProgress->text(), QStringLiteral("已答 60/60"));
  ASSERT_TRUE(frm->result().has_value());
  EXPECT_EQ(frm->lblJudgement->text(), QStringLiteral("判定：是气虚质"));
  const QList<double> bars = shownScores(frm->scoreChart());
  ASSERT_EQ(bars.size(), 9);
  EXPECT_DOUBLE_EQ(bars[0], 56.3);
  EXPECT_DOUBLE_EQ(bars[1], 75.0);
  EXPECT_DOUBLE_EQ(bars[2], 10.7);
  EXPECT_TRUE(frm->lblDiet->text().startsWith(QStringLiteral("气虚质　宜食：山药、白扁豆")))
      << frm->lblDiet->text().toStdString();
  keepPicture(frm.get(), QStringLiteral("constitution_result"));

  frm->pnlSaveClick();
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  std::optional<SavedConstitution> saved;
  ASSERT_TRUE(visitConstitution(*dm, QStringLiteral("1"), host.patId, QStringLiteral("V1"), &saved));
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->result.line, QStringLiteral("是气虚质"));
  EXPECT_EQ(saved->answers, frm->answers());
  EXPECT_EQ(saved->gender, QStringLiteral("女"));
  EXPECT_EQ(scoresText(saved->result), scoresText(*frm->result()));

  // Without a customer nothing is saved.
  messages.clear();
  host.patId = QStringLiteral("0");
  frm->pnlSaveClick();
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("未选择客户")});
  QList<SavedConstitution> history;
  ASSERT_TRUE(constitutionHistory(*dm, QStringLiteral("1"), saved->patId, &history));
  EXPECT_EQ(history.size(), 1);
}

TEST_P(ConstitutionWindow, TrendOverThreeVisits) {
  const QList<std::pair<QString, int>> visits = {{QStringLiteral("V1"), 4}, {QStringLiteral("V2"), 3},
                                                 {QStringLiteral("V3"), 2}};
  for (const auto& [mzno, qixu] : visits) {
    host.mzno = mzno;
    frm->openForCurrent();
    answerAll(1, QStringLiteral("气虚质"), qixu);
    frm->pnlSaveClick();
  }
  EXPECT_EQ(messages.messages, QStringList(3, QStringLiteral("保存成功")));
  frm->pgPages->setCurrentIndex(1);
  QChart* trend = frm->trendChart();
  ASSERT_NE(trend, nullptr);
  ASSERT_EQ(trend->series().size(), 9);
  auto* qixu = qobject_cast<QLineSeries*>(trend->series()[1]);
  ASSERT_NE(qixu, nullptr);
  EXPECT_EQ(qixu->name(), QStringLiteral("气虚质"));
  ASSERT_EQ(qixu->count(), 3);
  // (8 × answer − 8) / 32 × 100
  EXPECT_DOUBLE_EQ(qixu->at(0).y(), 75.0);
  EXPECT_DOUBLE_EQ(qixu->at(1).y(), 50.0);
  EXPECT_DOUBLE_EQ(qixu->at(2).y(), 25.0);
  EXPECT_EQ(frm->lblTrend->text(), QStringLiteral("共 3 次就诊的问卷结果，最近一次：是平和质"));
  keepPicture(frm.get(), QStringLiteral("constitution_trend"));
}

TEST_P(ConstitutionWindow, ElderlyFormFromSixtyFiveWithTheWaistItem) {
  host.age = QStringLiteral("70");
  host.gender = QStringLiteral("男");
  frm->openForCurrent();
  EXPECT_TRUE(frm->rbElderly->isVisible());
  EXPECT_TRUE(frm->rbElderly->isChecked());
  EXPECT_EQ(frm->form(), ConstitutionForm::Elderly);
  ASSERT_EQ(frm->questions().size(), 33);
  EXPECT_EQ(frm->lblProgress->text(), QStringLiteral("已答 0/33"));
  ASSERT_NE(frm->edtWaist, nullptr);
  QTest::keyClicks(frm->edtWaist, QStringLiteral("92"));
  EXPECT_TRUE(frm->answerButtons(27)[3]->isChecked());  // item 28, 91–105 cm → 4
  EXPECT_EQ(frm->answers().value(28), 4);
  EXPECT_EQ(frm->lblProgress->text(), QStringLiteral("已答 1/33"));
  keepPicture(frm.get(), QStringLiteral("constitution_elderly"));
  // The standard form can still be chosen; it starts empty.
  QTest::mouseClick(frm->rbStandard, Qt::LeftButton);
  EXPECT_EQ(frm->questions().size(), 60);
  EXPECT_TRUE(frm->answers().isEmpty());
}

TEST_P(ConstitutionWindow, VisitViewAndCustomerListShowTheSavedResult) {
  const auto visit = dm->InsertAndGetId(Sql(QStringLiteral("insert into pat_med(shopId,MZNO,patId,bl,wrDate) values(?,?,?,?,?)"),
                                            {1, QStringLiteral("V1"), host.patId.toLongLong(), QStringLiteral("乏力,气短"),
                                             QStringLiteral("2026-03-01")}),
                                        QStringLiteral("id"), true);
  ASSERT_TRUE(visit.has_value());
  // The constitution column of this customer's row in the shop's customer list.
  const auto listed = [&] {
    KeptPatList rows;
    EXPECT_TRUE(listRows(ListingKind::Customers, *dm, 1, ListingFilter{ListingFilter::Kind::Name, {}, {}, {}, 0}, &rows));
    for (int i = 0; i < rows.size(); ++i)
      if (QString::number(rows.at(i).PatId) == host.patId) return rows.at(i).bodyType;
    return QStringLiteral("not listed");
  };

  EXPECT_EQ(listed(), QString());
  frm->openForCurrent();
  answerAll(1, QStringLiteral("气虚质"), 4);
  frm->pnlSaveClick();
  ASSERT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});

  TPatMedFrm view(*dm, messages);
  view.openFor(host.patId.toInt(), 0);
  view.tmr1Timer();
  const QStringList lines = view.edtMed->toPlainText().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 5);
  EXPECT_EQ(lines[0], QStringLiteral("乏力,气短"));
  EXPECT_TRUE(lines[3].startsWith(QStringLiteral("体质问卷（标准版（60题），"))) << lines[3].toStdString();
  EXPECT_TRUE(lines[3].endsWith(QStringLiteral("）：是气虚质")));
  EXPECT_TRUE(lines[4].startsWith(QStringLiteral("平和质 56.3　气虚质 75.0　阳虚质 10.7"))) << lines[4].toStdString();

  // The customer list's constitution column shows the latest judgement while the
  // identification has stored none, and the identification's once it has.
  EXPECT_EQ(listed(), QStringLiteral("是气虚质"));
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("update pat set bodyType = ? where PatId = ?"),
                              {QStringLiteral("脾气虚"), host.patId.toLongLong()}),
                          true));
  EXPECT_EQ(listed(), QStringLiteral("脾气虚"));
}

INSTANTIATE_TEST_SUITE_P(Databases, ConstitutionWindow, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
