// The inquiry window: loading a topic or the questions of a disease, the
// answer clicks with their gender, exclusion and capacity rules, the follow-up
// hints, and the floating variant. The identification screen is a fake that
// records what the window asks of it.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "entry/sel_sym_fra.h"
#include "entry/sym_option_frm.h"
#include "entry/sym_option_host.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

// Keeps a plain selected set so that exclusions and removals behave as on the screen.
class FakeHost : public SymOptionHost {
 public:
  FakeHost(TDMServer& dm, Messages& messages) : dm_(dm), messages_(messages) {}
  TDMServer& database() override { return dm_; }
  Messages& messageSink() override { return messages_; }
  QString inquiryGenderCode() const override { return gender; }
  bool hasMutexConflict(const QString& mutex) const override {
    for (const QString& part : mutex.split(QLatin1Char(',')))
      if (selected.contains(part)) return true;
    return false;
  }
  bool categoryFull(const QString& classId) override {
    calls << "full?" + classId;
    return fullCategories.contains(classId);
  }
  // Like the screen's set: a duplicate (or an id in `refused`) changes nothing.
  bool addFinding(const QString& classId, const QString& id, const QString& name, const QString& gender) override {
    calls << QStringList{"add", classId, id, name, gender}.join(QLatin1Char(':'));
    if (selected.contains(id) || refused.contains(id)) return false;
    selected.insert(id);
    if (onAdd) onAdd(classId, id);
    return true;
  }
  bool removeFinding(const QString& classId, const QString& id) override {
    calls << "remove:" + classId + ":" + id;
    return selected.remove(id);
  }
  void showHints(const QList<HintRow>& hints) override {
    QStringList names;
    for (const HintRow& h : hints) names << h.name + "/" + h.symid + "/" + h.mutex;
    calls << "hints:" + names.join(QLatin1Char(','));
  }
  void clearHints() override { calls << "clearHints"; }
  QString derivedPrimaryId() const override { return primary; }
  void runIdentification(const QString& primaryId) override { calls << "run:" + primaryId; }
  void showLoading(const QString& caption) override { calls << "loading:" + caption; }
  void hideLoading() override { calls << "hideLoading"; }

  QStringList filtered(const QString& prefix) const {
    QStringList out;
    for (const QString& c : calls)
      if (c.startsWith(prefix)) out << c;
    return out;
  }

  QString gender = QStringLiteral("1");
  QString primary;
  QSet<QString> selected;
  QSet<QString> refused;
  QSet<QString> fullCategories;
  QStringList calls;
  std::function<void(const QString&, const QString&)> onAdd;

 private:
  TDMServer& dm_;
  Messages& messages_;
};

class InquiryWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    dm = folder.server(&messages);
    host = std::make_unique<FakeHost>(*dm, messages);
    const QString basic = QStringLiteral("基础问诊");
    ASSERT_TRUE(dm->ExecLstSql(
        {option(basic, QStringLiteral("寒热"), "0", "", ""),
         option(basic, "", "101", "3", QStringLiteral("怕冷")),
         option(basic, "", "102", "2", QStringLiteral("月经不调")),
         option(basic, "", "103", "3", QStringLiteral("口干"), "", "1"),
         option(basic, "", "104", "3", QStringLiteral("手足心热"), "101"),
         option(basic, QStringLiteral("舌象"), "0", "", ""),
         option(basic, "", "105", "3", QStringLiteral("舌红"), "", "0", "5"),
         option(basic, "", "106", "", QStringLiteral("无性别")),
         option(basic, "", "107", "1", QStringLiteral("遗精")),
         option(QStringLiteral("疾病"), QStringLiteral("常见疾病"), "0", "", ""),
         option(QStringLiteral("疾病"), "", "801", "3", QStringLiteral("高血压"), "", "0", "8"),
         option(QStringLiteral("疾病"), "", "802", "3", QStringLiteral("糖尿病"), "", "0", "8"),
         Sql("insert into symptom_option_sub(fid,tag,gender,symid,name,mutex) values(103,1,1,'301',?,'')", {"男提示"}),
         Sql("insert into symptom_option_sub(fid,tag,gender,symid,name,mutex) values(103,1,2,'302',?,'101')",
             {"女提示"}),
         Sql("insert into symptom_option_sub(fid,tag,gender,symid,name,mutex) values(103,0,3,'303',?,'')", {"非提示"}),
         Sql("insert into symptom_option_sub(fid,tag,gender,symid,name,mutex) values(103,1,3,'304',?,'')",
             {"通用提示"})},
        true));
    ASSERT_TRUE(dm->ExecLstSql(
        {Sql("insert into symptom_option_sub(fid,title,symId,gender,name,mutex,childTag,classId) "
             "values(801,?,'0','','','','','')",
             {"高血压相关"}),
         Sql("insert into symptom_option_sub(fid,title,symId,gender,name,mutex,childTag,classId) "
             "values(801,'','201','3',?,'','0','0')",
             {"头晕"}),
         Sql("insert into symptom_option_sub(fid,title,symId,gender,name,mutex,childTag,classId) "
             "values(801,'','202','3',?,'','0','0')",
             {"头痛"}),
         Sql("insert into symptom_option_sub(fid,title,symId,gender,name,mutex,childTag,classId) "
             "values(802,'','203','3',?,'','0','0')",
             {"口渴"})},
        false));
  }

  static Sql option(const QString& cls, const QString& title, const QString& symId, const QString& gender,
                    const QString& name, const QString& mutex = {}, const QString& childTag = "0",
                    const QString& classId = "0") {
    return Sql("insert into symptom_option(class,title,symId,gender,name,mutex,childTag,classId) "
               "values(?,?,?,?,?,?,?,?)",
               {cls, title, symId, gender, name, mutex, childTag, classId});
  }

  // A docked window on `topic`, shown at a usable size and loaded.
  std::unique_ptr<TSymOptionFrm> docked(const QString& topic = QStringLiteral("基础问诊")) {
    auto frm = std::make_unique<TSymOptionFrm>(*host);
    frm->resize(420, 400);
    frm->show();
    frm->CurrTabTitle = topic;
    frm->tmr1Timer();
    return frm;
  }

  static void click(TSelSymFra* b) {
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b->lblName, Qt::LeftButton);
  }

  DataFolder folder;
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<FakeHost> host;
};

}  // namespace

TEST_F(InquiryWindow, LoadTimerShowsTheTopicUnderTheLoadingPanel) {
  TSymOptionFrm frm(*host);
  frm.resize(420, 400);
  frm.show();
  frm.CurrTabTitle = QStringLiteral("基础问诊");
  EXPECT_TRUE(frm.ArrSelSym.isEmpty());
  EXPECT_EQ(frm.tmr1->interval(), 10);
  EXPECT_TRUE(frm.tmr1->isSingleShot());
  QSignalSpy loaded(&frm, &TSymOptionFrm::pageLoaded);
  frm.tmr1->start();
  ASSERT_TRUE(loaded.wait(2000));
  EXPECT_FALSE(frm.tmr1->isActive());
  EXPECT_EQ(host->calls, (QStringList{QStringLiteral("loading:  正在读取【问诊】数据"), "hideLoading"}));

  ASSERT_EQ(frm.ArrSelSym.size(), 250);
  ASSERT_EQ(frm.arrLblSelSym.size(), 20);
  EXPECT_EQ(frm.ArrSelSym.first()->objectName(), "SelSymFra_1");
  EXPECT_EQ(frm.ArrSelSym.last()->objectName(), "SelSymFra_250");
  EXPECT_EQ(frm.cbSelSym->verticalScrollBar()->singleStep(), 15);
  EXPECT_EQ(frm.arrPnl.size(), 18);

  // Two headings, seven answers, in stored order.
  EXPECT_TRUE(frm.arrLblSelSym[0]->isVisible());
  EXPECT_EQ(frm.arrLblSelSym[0]->text(), QStringLiteral("寒热"));
  EXPECT_EQ(frm.arrLblSelSym[1]->text(), QStringLiteral("舌象"));
  EXPECT_TRUE(frm.arrLblSelSym[2]->isHidden());
  const QStringList ids = {"101", "102", "103", "104", "105", "106", "107"};
  for (int i = 0; i < ids.size(); ++i) {
    EXPECT_TRUE(frm.ArrSelSym[i]->isVisible()) << i;
    EXPECT_EQ(frm.ArrSelSym[i]->id, ids[i]);
    EXPECT_FALSE(frm.ArrSelSym[i]->isSelected());
  }
  EXPECT_TRUE(frm.ArrSelSym[7]->isHidden());
  EXPECT_EQ(frm.ArrSelSym[0]->caption(), QStringLiteral("怕冷"));
  EXPECT_EQ(frm.ArrSelSym[2]->childTag, "1");
  EXPECT_EQ(frm.ArrSelSym[3]->mutex, "101");
  EXPECT_EQ(frm.ArrSelSym[4]->classId, "5");
  EXPECT_EQ(frm.ArrSelSym[1]->gender, "2");

  // The first answer sits under its heading, the second to its right.
  const QRect h1 = frm.arrLblSelSym[0]->geometry();
  const QRect a1 = frm.ArrSelSym[0]->geometry();
  const QRect a2 = frm.ArrSelSym[1]->geometry();
  EXPECT_EQ(a1.topLeft(), QPoint(h1.left(), h1.bottom() + 11));
  EXPECT_EQ(a2.topLeft(), QPoint(a1.right() + 11, a1.top()));
  // The answer after the second heading starts a line under it.
  const QRect h2 = frm.arrLblSelSym[1]->geometry();
  EXPECT_GT(h2.top(), frm.ArrSelSym[3]->geometry().bottom());
  EXPECT_EQ(frm.ArrSelSym[4]->geometry().topLeft(), QPoint(h2.left(), h2.bottom() + 11));
  // Every button fits the area's width.
  for (int i = 0; i < ids.size(); ++i)
    EXPECT_LE(frm.ArrSelSym[i]->x() + frm.ArrSelSym[i]->width() + 20, frm.cbSelSym->viewport()->width());
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_F(InquiryWindow, UnknownCaptionLeavesThePageAlone) {
  auto frm = docked();
  QSignalSpy loaded(frm.get(), &TSymOptionFrm::pageLoaded);
  frm->GetCurrTab(QStringLiteral("不存在"));
  EXPECT_EQ(loaded.count(), 0);
  EXPECT_EQ(frm->ArrSelSym[0]->id, "101");
  EXPECT_TRUE(frm->ArrSelSym[0]->isVisible());
}

TEST_F(InquiryWindow, MaleCustomerCannotChooseAFemaleAnswer) {
  auto frm = docked();
  host->calls.clear();
  click(frm->answerById("102"));
  // The refusal is shown in the plain box, not in the main window's.
  EXPECT_EQ(messages.captioned, QStringList{QStringLiteral("提示|性别与症状矛盾，不能添加")});
  EXPECT_TRUE(messages.messages.isEmpty());
  EXPECT_EQ(host->calls, QStringList{"clearHints"});
  EXPECT_FALSE(frm->answerById("102")->isSelected());

  // The same answer for a woman is added; the changed set is identified by the screen.
  host->gender = "2";
  host->primary = "777";
  host->calls.clear();
  click(frm->answerById("102"));
  EXPECT_EQ(host->calls, (QStringList{"clearHints", "full?0", QStringLiteral("add:0:102:月经不调:2")}));
  EXPECT_TRUE(frm->answerById("102")->isSelected());
  EXPECT_EQ(messages.captioned.size(), 1);

  // And a man's answer is refused to her.
  click(frm->answerById("107"));
  EXPECT_EQ(messages.captioned.size(), 2);
  EXPECT_FALSE(host->selected.contains("107"));
}

TEST_F(InquiryWindow, EitherGenderAnswerIsAcceptedForBothAndEmptyGenderForNone) {
  auto frm = docked();
  for (const QString& g : {QStringLiteral("1"), QStringLiteral("2")}) {
    host->gender = g;
    host->selected.clear();
    frm->clearSelection();
    host->calls.clear();
    click(frm->answerById("101"));
    EXPECT_EQ(host->filtered("add:"), QStringList{QStringLiteral("add:0:101:怕冷:3")}) << g.toStdString();
  }
  host->calls.clear();
  click(frm->answerById("106"));
  EXPECT_EQ(messages.captioned, QStringList{QStringLiteral("提示|性别与症状矛盾，不能添加")});
  EXPECT_TRUE(host->filtered("add:").isEmpty());
  EXPECT_TRUE(host->filtered("run:").isEmpty());
}

TEST_F(InquiryWindow, AnswersChangingTheSetLeaveTheRunToTheScreenOthersRun) {
  auto frm = docked();
  host->primary = "101";
  // Each click: what the window asks of the screen. An add or a removal that
  // changes the set has been identified by the screen; the window runs only
  // when the set stayed as it was.
  host->refused = {"104"};
  const struct {
    const char* id;
    QStringList calls;
    bool selectedAfter;
  } clicks[] = {
      {"105", {"clearHints", "full?5", QStringLiteral("add:5:105:舌红:3")}, true},
      {"105", {"clearHints", "remove:5:105"}, false},
      {"104", {"clearHints", "full?0", QStringLiteral("add:0:104:手足心热:3"), "run:101"}, true},
  };
  for (const auto& c : clicks) {
    host->calls.clear();
    click(frm->answerById(c.id));
    EXPECT_EQ(host->calls, c.calls) << c.id;
    EXPECT_EQ(frm->answerById(c.id)->isSelected(), c.selectedAfter) << c.id;
  }
  EXPECT_FALSE(host->selected.contains("105"));
}

TEST_F(InquiryWindow, FollowUpHintsFollowTheCustomersGender) {
  auto frm = docked();
  host->gender = "2";
  host->calls.clear();
  click(frm->answerById("103"));
  EXPECT_EQ(host->filtered("hints:"), QStringList{QStringLiteral("hints:女提示/302/101,通用提示/304/")});
  // Hints are cleared first and shown before the finding is added.
  EXPECT_EQ(host->calls.indexOf("clearHints"), 0);
  EXPECT_LT(host->calls.indexOf(QStringLiteral("hints:女提示/302/101,通用提示/304/")),
            host->calls.indexOf(QStringLiteral("add:0:103:口干:3")));

  host->gender = "1";
  host->calls.clear();
  click(frm->answerById("103"));  // removing it asks for the hints again
  EXPECT_EQ(host->filtered("hints:"), QStringList{QStringLiteral("hints:男提示/301/,通用提示/304/")});
  EXPECT_EQ(host->filtered("remove:"), QStringList{"remove:0:103"});

  // An answer without follow-ups shows none.
  host->calls.clear();
  click(frm->answerById("101"));
  EXPECT_TRUE(host->filtered("hints:").isEmpty());
}

TEST_F(InquiryWindow, NoMoreThanEightFollowUpHints) {
  QList<Sql> many;
  for (int i = 0; i < 11; ++i)
    many << Sql("insert into symptom_option_sub(fid,tag,gender,symid,name,mutex) values(101,1,3,?,?,'')",
                {QString::number(500 + i), QStringLiteral("提示%1").arg(i)});
  many << Sql("update symptom_option set childTag = '1' where symId = '101'");
  ASSERT_TRUE(dm->ExecLstSql(many, true));
  auto frm = docked();
  host->calls.clear();
  click(frm->answerById("101"));
  const QStringList shown = host->filtered("hints:");
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0].count(QLatin1Char(',')), 7);
  EXPECT_TRUE(shown[0].endsWith(QStringLiteral("提示7/507/")));
}

TEST_F(InquiryWindow, ExcludedAnswerIsRefusedSilently) {
  auto frm = docked();
  click(frm->answerById("101"));
  ASSERT_TRUE(host->selected.contains("101"));
  host->calls.clear();
  click(frm->answerById("104"));  // its exclusion list names 101
  EXPECT_EQ(host->calls, QStringList{"clearHints"});
  EXPECT_TRUE(messages.messages.isEmpty());
  EXPECT_FALSE(frm->answerById("104")->isSelected());
}

TEST_F(InquiryWindow, FullCategoryStopsWithoutARun) {
  auto frm = docked();
  host->fullCategories = {"0"};
  host->calls.clear();
  click(frm->answerById("101"));
  EXPECT_EQ(host->calls, (QStringList{"clearHints", "full?0"}));
  EXPECT_FALSE(frm->answerById("101")->isSelected());
  // Another category still takes its answers.
  click(frm->answerById("105"));
  EXPECT_TRUE(frm->answerById("105")->isSelected());
  EXPECT_EQ(host->filtered("add:"), QStringList{QStringLiteral("add:5:105:舌红:3")});
}

TEST_F(InquiryWindow, DiseaseAnswersSkipTheCapacityTestAndShowSelected) {
  auto frm = docked(QStringLiteral("疾病"));
  EXPECT_EQ(frm->arrLblSelSym[0]->text(), QStringLiteral("常见疾病"));
  host->fullCategories = {"8"};
  host->primary = "801";
  host->calls.clear();
  click(frm->answerById("801"));
  EXPECT_EQ(host->calls, (QStringList{"clearHints", QStringLiteral("add:8:801:高血压:3")}));
  EXPECT_TRUE(frm->answerById("801")->isSelected());
  // A second disease: the set refuses it itself, the button still shows
  // selected, and the unchanged set runs as it is.
  host->refused = {"802"};
  host->calls.clear();
  click(frm->answerById("802"));
  EXPECT_EQ(host->filtered("full?"), QStringList{});
  EXPECT_EQ(host->filtered("run:"), QStringList{"run:801"});
  EXPECT_TRUE(frm->answerById("802")->isSelected());
  host->calls.clear();
  click(frm->answerById("801"));
  EXPECT_EQ(host->calls, (QStringList{"clearHints", "remove:8:801"}));
  EXPECT_FALSE(frm->answerById("801")->isSelected());
}

TEST_F(InquiryWindow, ClickBesideTheAnswersOnlyRuns) {
  auto frm = docked();
  host->primary = "105";
  host->calls.clear();
  frm->AddSelSym(nullptr);
  EXPECT_EQ(host->calls, QStringList{"run:105"});
}

TEST_F(InquiryWindow, MainWindowClearsAndUnselects) {
  auto frm = docked();
  click(frm->answerById("101"));
  click(frm->answerById("105"));
  ASSERT_TRUE(frm->answerById("101")->isSelected());
  frm->unselectAnswer("101");
  EXPECT_FALSE(frm->answerById("101")->isSelected());
  EXPECT_TRUE(frm->answerById("105")->isSelected());
  frm->unselectAnswer("999");
  EXPECT_TRUE(frm->answerById("105")->isSelected());
  frm->clearSelection();
  for (TSelSymFra* b : frm->ArrSelSym) EXPECT_FALSE(b->isSelected());
  // A click after the clearing adds again.
  host->selected.clear();
  host->calls.clear();
  click(frm->answerById("105"));
  EXPECT_EQ(host->filtered("add:").size(), 1);
}

TEST_F(InquiryWindow, ReloadingAPageShowsEverythingNotSelected) {
  auto frm = docked();
  click(frm->answerById("101"));
  ASSERT_TRUE(frm->answerById("101")->isSelected());
  frm->GetSign(QStringLiteral("疾病"));
  EXPECT_EQ(frm->answerById("101"), nullptr);
  EXPECT_EQ(frm->ArrSelSym[0]->id, "801");
  for (TSelSymFra* b : frm->ArrSelSym) EXPECT_FALSE(b->isSelected());
  EXPECT_TRUE(frm->ArrSelSym[2]->isHidden());
  EXPECT_EQ(frm->ArrSelSym[2]->caption(), QString());
  EXPECT_TRUE(frm->arrLblSelSym[1]->isHidden());
  EXPECT_EQ(frm->arrLblSelSym[1]->text(), QString());
}

TEST_F(InquiryWindow, DiseaseQuestionsInTheFloatingWindow) {
  QWidget main;
  main.resize(1200, 800);
  main.move(100, 50);
  main.show();
  TSymOptionFrm dis(*host, &main, TSymOptionFrm::Mode::Floating);
  EXPECT_EQ(dis.mode(), TSymOptionFrm::Mode::Floating);
  EXPECT_EQ(dis.size(), QSize(800, 500));
  EXPECT_TRUE(dis.isWindow());
  EXPECT_TRUE(dis.windowFlags().testFlag(Qt::FramelessWindowHint));
  dis.showCenteredOver(&main);
  EXPECT_TRUE(dis.isVisible());
  EXPECT_TRUE(dis.pnlTitle->isVisible());
  EXPECT_TRUE(dis.img1->isVisible());
  const QRect f = main.frameGeometry();
  EXPECT_EQ(dis.pos(), QPoint(f.left() + (f.width() - 800) / 2, f.top() + (f.height() - 500) / 2));

  dis.lblTitle->setText("x");
  dis.GetSymptomHint(QString(), "801");
  EXPECT_EQ(dis.lblTitle->text(), QStringLiteral("选择症状"));
  EXPECT_EQ(dis.arrLblSelSym[0]->text(), QStringLiteral("高血压相关"));
  ASSERT_NE(dis.answerById("201"), nullptr);
  ASSERT_NE(dis.answerById("202"), nullptr);
  EXPECT_EQ(dis.answerById("202")->caption(), QStringLiteral("头痛"));
  click(dis.answerById("201"));
  EXPECT_EQ(host->filtered("add:"), QStringList{QStringLiteral("add:0:201:头晕:3")});
  EXPECT_TRUE(dis.answerById("201")->isSelected());

  // Another disease reloads the window with nothing selected.
  dis.GetSymptomHint(QString(), "802");
  EXPECT_EQ(dis.answerById("201"), nullptr);
  ASSERT_NE(dis.answerById("203"), nullptr);
  EXPECT_FALSE(dis.answerById("203")->isSelected());
  EXPECT_TRUE(dis.arrLblSelSym[0]->isHidden());

  // Closing only hides it.
  QTest::mouseClick(dis.img1, Qt::LeftButton);
  EXPECT_FALSE(dis.isVisible());
  EXPECT_NE(dis.answerById("203"), nullptr);
}

TEST_F(InquiryWindow, AddingADiseaseThatReloadsTheWindowLeavesTheNewPageAlone) {
  QWidget main;
  TSymOptionFrm dis(*host, &main, TSymOptionFrm::Mode::Floating);
  dis.GetSign(QStringLiteral("疾病"));
  // The screen opens the questions of the new disease in this same window.
  host->onAdd = [&](const QString& classId, const QString& id) {
    if (classId == "8") dis.GetSymptomHint(QString(), id);
  };
  click(dis.answerById("801"));
  ASSERT_NE(dis.answerById("201"), nullptr);
  for (TSelSymFra* b : dis.ArrSelSym) EXPECT_FALSE(b->isSelected());
  EXPECT_EQ(host->filtered("add:").size(), 1);
}

TEST_F(InquiryWindow, DockedWindowHasNoFrameAndNoTitleStrip) {
  auto frm = docked();
  EXPECT_EQ(frm->mode(), TSymOptionFrm::Mode::Docked);
  EXPECT_TRUE(frm->pnlTitle->isHidden());
  EXPECT_FALSE(frm->windowFlags().testFlag(Qt::FramelessWindowHint));
  QWidget page;
  TSymOptionFrm inPage(*host, &page);
  EXPECT_FALSE(inPage.isWindow());
}

TEST_F(InquiryWindow, FloatingWindowIsDraggedByItsTitleStrip) {
  QWidget main;
  main.resize(1000, 700);
  main.show();
  TSymOptionFrm dis(*host, &main, TSymOptionFrm::Mode::Floating);
  dis.showCenteredOver(&main);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dis));
  // The offscreen platform has no window-manager move: the window follows the mouse itself.
  const QPoint before = dis.pos();
  QTest::mousePress(dis.pnlTitle, Qt::LeftButton, {}, QPoint(100, 10));
  QMouseEvent move(QEvent::MouseMove, QPointF(140, 30), dis.pnlTitle->mapToGlobal(QPointF(140, 30)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(dis.pnlTitle, &move);
  QTest::mouseRelease(dis.pnlTitle, Qt::LeftButton, {}, QPoint(140, 30));
  EXPECT_EQ(dis.pos(), before + QPoint(40, 20));
  // The answer area is no title: a press there moves nothing.
  const QPoint after = dis.pos();
  QTest::mousePress(dis.cbSelSym->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseRelease(dis.cbSelSym->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(dis.pos(), after);
}

TEST_F(InquiryWindow, ScrollStepsOfFifteenPixels) {
  QList<Sql> rows;
  for (int i = 0; i < 120; ++i)
    rows << option(QStringLiteral("面部"), "", QString::number(600 + i), "3", QStringLiteral("面色萎黄%1").arg(i));
  ASSERT_TRUE(dm->ExecLstSql(rows, true));
  auto frm = docked(QStringLiteral("面部"));
  QScrollBar* sb = frm->cbSelSym->verticalScrollBar();
  ASSERT_GT(sb->maximum(), 30);
  EXPECT_EQ(sb->value(), 0);
  frm->scrollStep(true);
  frm->scrollStep(true);
  EXPECT_EQ(sb->value(), 30);
  frm->scrollStep(false);
  EXPECT_EQ(sb->value(), 15);
  frm->scrollStep(false);
  frm->scrollStep(false);
  EXPECT_EQ(sb->value(), 0);

  // Wheel turns over the answer area (a turn over an answer reaches it from the
  // answer) and over its scroll bar: one step per notch, finer turns adding up
  // to a notch.
  QWidget* area = frm->cbSelSym->viewport();
  const struct {
    QWidget* over;
    int delta;
    int value;
  } turns[] = {
      {area, -120, 15}, {sb, -120, 30}, {area, -60, 30}, {area, -60, 45}, {area, 240, 15}, {sb, 120, 0},
  };
  for (const auto& t : turns) {
    const QPointF at(2, 2);
    QWheelEvent wheel(at, t.over->mapToGlobal(at), QPoint(), QPoint(0, t.delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(t.over, &wheel);
    EXPECT_EQ(sb->value(), t.value) << t.over->objectName().toStdString() << " " << t.delta;
  }
  // The content reaches below the last button.
  const QRect last = frm->answerById("719")->geometry();
  EXPECT_GE(frm->pnlOptions->height(), last.bottom() + 11);
}

TEST_F(InquiryWindow, AnswersFlowAgainWhenTheWindowIsResized) {
  auto frm = docked();
  click(frm->answerById("101"));
  frm->resize(1000, 400);
  QApplication::processEvents();
  const int wideTop = frm->answerById("104")->y();
  EXPECT_EQ(wideTop, frm->answerById("101")->y());  // all four on one line
  frm->resize(200, 400);
  QApplication::processEvents();
  EXPECT_GT(frm->answerById("104")->y(), frm->answerById("101")->y());
  // Only a button that starts a line may reach into the reserve at the right.
  const int w = frm->cbSelSym->viewport()->width();
  for (TSelSymFra* b : frm->ArrSelSym) {
    if (b->isVisible() && b->x() != 10) {
      EXPECT_LE(b->x() + b->width() + 20, w) << b->caption().toStdString();
    }
  }
  EXPECT_TRUE(frm->answerById("101")->isSelected());
  EXPECT_EQ(frm->pnlOptions->width(), frm->cbSelSym->viewport()->width());
}

TEST_F(InquiryWindow, ATopicWithMoreAnswersThanButtonsShowsTheFirst250) {
  QList<Sql> rows = {option(QStringLiteral("上肢"), QStringLiteral("上肢"), "0", "", "")};
  for (int i = 1; i <= 260; ++i)
    rows << option(QStringLiteral("上肢"), "", QString::number(2000 + i), "3", QString::number(i));
  ASSERT_TRUE(dm->ExecLstSql(rows, true));
  auto frm = docked(QStringLiteral("上肢"));
  EXPECT_EQ(frm->droppedRows(), 10);
  EXPECT_TRUE(frm->ArrSelSym.last()->isVisible());
  EXPECT_EQ(frm->ArrSelSym.last()->id, "2250");
  EXPECT_EQ(frm->answerById("2251"), nullptr);
}

TEST_F(InquiryWindow, FailedQueryLeavesThePageEmpty) {
  auto frm = docked();
  ASSERT_TRUE(dm->ExecMSSql(Sql("drop table symptom_option")));
  frm->GetSign(QStringLiteral("基础问诊"));
  EXPECT_EQ(messages.dbErrors.size(), 1);
  for (TSelSymFra* b : frm->ArrSelSym) EXPECT_TRUE(b->isHidden());
  for (QLabel* l : frm->arrLblSelSym) EXPECT_TRUE(l->isHidden());
}
