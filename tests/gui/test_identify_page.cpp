// The road of one identification on the seed knowledge base, driven through
// the widgets: search, pick, chips, primary mark, result panel and slots.
#include <QComboBox>
#include <QDate>
#include <QTableWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QTest>

#include "kb/knowledge_loader.h"
#include "customer/customer_strip.h"
#include "entry/finding_search_popup.h"
#include "entry/identify_page.h"
#include "entry/inquiry_column.h"
#include "entry/sel_sym_fra.h"
#include "entry/sym_option_frm.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "result/pre_name_frame.h"
#include "result/result_panel.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

// The main window on a data folder of `kind`, logged in to shop 1, loaded.
template <class Base>
class Screen : public Base {
 protected:
  explicit Screen(RemoteKind kind) : folder(kind, true) {}
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    loginState().clear();
    loginState().ShopId = "1";
    dm = folder.server(&messages);
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(3000));
    page = main->tsAI;
  }
  void TearDown() override { loginState().clear(); }

  // Types into the symptom box and picks the result named `name` with the keyboard.
  void pick(const QString& keys, const QString& name, int box = 0) {
    QLineEdit* edit = page->searchBoxes[static_cast<size_t>(box)];
    if (box == 0 && edit->width() == 300) QTest::mouseClick(edit, Qt::LeftButton);
    edit->setFocus();
    edit->clear();  // a refused pick leaves its text in the box
    // Chinese text arrives whole, as an input method commits it.
    if (keys.toLatin1() == keys.toUtf8())
      QTest::keyClicks(edit, keys);
    else
      edit->insert(keys);
    ASSERT_TRUE(page->pnlSearch->isVisible()) << keys.toStdString();
    const QList<QListWidgetItem*> found = page->LstSym->findItems(name, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << name.toStdString();
    page->LstSym->setCurrentItem(found.first());
    QTest::keyClick(page->LstSym, Qt::Key_Return);
  }
  QStringList chipNames(Category c) {
    QStringList names;
    for (TSelSymFra* chip : page->chips(c)) names << chip->caption();
    return names;
  }

  // What the result panel shows: the constitution and the slots' captions.
  QString panel() {
    QStringList shown{page->result->lblSyn->text()};
    for (TPreNameFrame* f : page->result->ArrPreHerName)
      if (f->isVisibleTo(page)) shown << f->lblName->text();
    for (TPreNameFrame* f : page->result->ArrPreFoodName)
      if (f->isVisibleTo(page)) shown << f->lblName->text();
    return shown.join(QLatin1Char('/'));
  }

  DataFolder folder;
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
  TIdentifyPage* page = nullptr;
};

class IdentifyPage : public Screen<::testing::Test> {
 protected:
  IdentifyPage() : Screen(RemoteKind::Sqlite) {}
};

class IdentifyPageOn : public Screen<::testing::TestWithParam<RemoteKind>> {
 protected:
  IdentifyPageOn() : Screen(GetParam()) {}
};

}  // namespace

TEST_F(IdentifyPage, SearchPickAndSeeTheConstitutionWithItsPrescriptions) {
  QLineEdit* prompt = page->searchBoxes[0];
  EXPECT_EQ(prompt->text(), QStringLiteral("输入汉字或拼音查询症状/病名/舌苔"));
  QTest::mouseClick(prompt, Qt::LeftButton);
  EXPECT_EQ(prompt->width(), 70);
  EXPECT_TRUE(prompt->text().isEmpty());
  pick("xj", QStringLiteral("心悸"));
  EXPECT_EQ(chipNames(Category::Symptom), QStringList{QStringLiteral("心悸")});
  EXPECT_FALSE(page->pnlSearch->isVisible());
  EXPECT_TRUE(prompt->text().isEmpty());
  // One finding is not enough for a run.
  EXPECT_TRUE(page->result->lblSyn->text().isEmpty());
  pick("fl", QStringLiteral("乏力"));
  pick("qd", QStringLiteral("气短"));
  pick(QStringLiteral("舌淡"), QStringLiteral("舌淡"));
  EXPECT_EQ(chipNames(Category::Tongue), QStringList{QStringLiteral("舌淡")});
  EXPECT_EQ(page->result->lblSyn->text(), QStringLiteral("心气虚"));
  int classic = 0, diet = 0;
  for (TPreNameFrame* s : page->result->ArrPreHerName) classic += s->isVisibleTo(page) ? 1 : 0;
  for (TPreNameFrame* s : page->result->ArrPreFoodName) diet += s->isVisibleTo(page) ? 1 : 0;
  EXPECT_GE(classic, 1);
  EXPECT_GE(diet, 1);
  EXPECT_FALSE(page->result->ArrPreHerName[0]->preId().isEmpty());
  EXPECT_TRUE(page->result->lblRecommend->text().endsWith(QStringLiteral("[详细]")));
  // The advice text opens its full text in the message box.
  QTest::mouseClick(page->result->lblRecommend, Qt::LeftButton);
  ASSERT_EQ(messages.messages.size(), 1);
  EXPECT_EQ(messages.messages[0], page->result->recommendFull());
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_F(IdentifyPage, CapacityMessagesAndSilentRefusals) {
  for (int i = 0; i < 30; ++i) page->AddSelSym("0", QString::number(20000 + i), QStringLiteral("症%1").arg(i), "3");
  EXPECT_TRUE(messages.messages.isEmpty());
  page->AddSelSym("0", "29999", QStringLiteral("多一个"), "3");
  EXPECT_EQ(messages.messages, QStringList{"症状数量不能超过30个"});
  EXPECT_EQ(page->chips(Category::Symptom).size(), 30);
  page->ClearSym();
  EXPECT_TRUE(page->chips(Category::Symptom).isEmpty());
  messages.clear();
  // 怕热 excludes 怕冷: the pick adds nothing, says nothing and runs nothing.
  pick("pl", QStringLiteral("怕冷"));
  pick("pr", QStringLiteral("怕热"));
  EXPECT_EQ(chipNames(Category::Symptom), QStringList{QStringLiteral("怕冷")});
  EXPECT_TRUE(messages.messages.isEmpty());
  // A duplicate is refused silently as well.
  pick("pl", QStringLiteral("怕冷"));
  EXPECT_EQ(page->chips(Category::Symptom).size(), 1);
  // A second disease is refused with its message.
  page->AddSelSym("8", "81111", QStringLiteral("甲病"), "3");
  page->AddSelSym("8", "81112", QStringLiteral("乙病"), "3");
  EXPECT_EQ(messages.messages, QStringList{"疾病只能选择1个"});
}

TEST_F(IdentifyPage, PrimaryMarkAndDiseaseChip) {
  pick("xj", QStringLiteral("心悸"));
  pick("fl", QStringLiteral("乏力"));
  TSelSymFra* first = page->chips(Category::Symptom)[0];
  TSelSymFra* second = page->chips(Category::Symptom)[1];
  QTest::mouseClick(first->lblName, Qt::LeftButton);
  EXPECT_TRUE(first->hasPrimaryLook());
  QTest::mouseClick(second->lblName, Qt::LeftButton);
  EXPECT_FALSE(first->hasPrimaryLook());
  EXPECT_TRUE(second->hasPrimaryLook());
  EXPECT_EQ(page->selected().primaryId(), second->id);
  QTest::mouseClick(second->lblName, Qt::LeftButton);
  EXPECT_FALSE(second->hasPrimaryLook());
  EXPECT_EQ(page->selected().primaryId(), QString());
  // A disease chip starts marked and opens the questions of the disease.
  page->AddSelSym("8", "81111", QStringLiteral("失眠"), "3");
  ASSERT_EQ(page->chips(Category::Disease).size(), 1);
  EXPECT_TRUE(page->chips(Category::Disease)[0]->hasPrimaryLook());
  ASSERT_TRUE(page->inquiry->DisOptionFrm);
  EXPECT_TRUE(page->inquiry->DisOptionFrm->isVisible());
  page->inquiry->DisOptionFrm->hide();
}

TEST_F(IdentifyPage, ChipMenuRemovalClearAndStoredForm) {
  pick("xj", QStringLiteral("心悸"));
  pick("fl", QStringLiteral("乏力"));
  pick("qd", QStringLiteral("气短"));
  QString disease, med, symIds;
  page->GetMed(&disease, &med, &symIds);
  EXPECT_EQ(disease, page->result->lblSyn->text());
  EXPECT_EQ(med, QStringLiteral("心悸，乏力，气短"));
  EXPECT_EQ(symIds.split('|').size(), 3);
  // Removing from the chip menu closes the gap.
  Q_EMIT page->chips(Category::Symptom)[0]->deleteRequested(page->chips(Category::Symptom)[0]);
  EXPECT_EQ(chipNames(Category::Symptom), (QStringList{QStringLiteral("乏力"), QStringLiteral("气短")}));
  QTest::mouseClick(page->customer->pnlClear, Qt::LeftButton);
  for (Category c : {Category::Symptom, Category::Tongue, Category::Pulse, Category::Disease})
    EXPECT_TRUE(page->chips(c).isEmpty());
  EXPECT_TRUE(page->result->lblSyn->text().isEmpty());
  EXPECT_EQ(page->customer->PatId, "0");
  EXPECT_TRUE(page->customer->MZNO.isEmpty());
}

TEST_F(IdentifyPage, GenderAndAgeDriveTheGynaecologyTab) {
  EXPECT_EQ(page->Gender, "1");
  page->customer->edtGender->setCurrentText(QStringLiteral("女"));
  page->customer->edtAge->setText("10");
  EXPECT_FALSE(page->gynecologyTabShown());
  EXPECT_EQ(page->Gender, "2");
  page->customer->edtAge->setText("11");
  EXPECT_TRUE(page->gynecologyTabShown());
  EXPECT_EQ(page->pgSym->currentIndex(), 0);
  page->customer->edtGender->setCurrentText(QStringLiteral("男"));
  EXPECT_FALSE(page->gynecologyTabShown());
  EXPECT_EQ(page->Gender, "1");
  // From another tab a change turns to "症状".
  page->pgSym->setCurrentIndex(1);
  page->customer->edtAge->setText("30");
  EXPECT_EQ(page->pgSym->currentIndex(), 0);
  // In "疾病调理" the disease page stays the only one: a customer's gender and
  // age change the gender code but do not turn the page away from it.
  page->pnlMod2Click();
  ASSERT_EQ(page->pgSym->currentIndex(), 3);
  page->customer->edtGender->setCurrentText(QStringLiteral("女"));
  page->customer->edtAge->setText("30");
  EXPECT_EQ(page->Gender, "2");
  EXPECT_EQ(page->pgSym->currentIndex(), 3);
  EXPECT_FALSE(page->pgSym->tabBar()->isVisible());
  // Back in "体质辨识" the tabs follow the customer again.
  page->pnlMod1Click();
  page->customer->edtGender->setCurrentText(QStringLiteral("女"));
  page->customer->edtAge->setText("30");
  EXPECT_TRUE(page->gynecologyTabShown());
  EXPECT_EQ(page->pgSym->currentIndex(), 0);
}

TEST_F(IdentifyPage, OnlyTheCaptionOfAChipTogglesItsMark) {
  pick("xj", QStringLiteral("心悸"));
  pick("fl", QStringLiteral("乏力"));
  pick("qd", QStringLiteral("气短"));
  TSelSymFra* chip = page->chips(Category::Symptom)[1];
  const QString before = panel();
  // The padding left and right of the caption, and the caption itself.
  const struct {
    QWidget* on;
    QPoint at;
    bool marked;
  } clicks[] = {
      {chip, QPoint(2, chip->height() / 2), false},
      {chip, QPoint(chip->width() - 3, chip->height() / 2), false},
      {chip->lblName, chip->lblName->rect().center(), true},
      {chip, QPoint(2, 2), true},
      {chip->lblName, chip->lblName->rect().center(), false},
  };
  for (const auto& c : clicks) {
    QTest::mouseClick(c.on, Qt::LeftButton, {}, c.at);
    EXPECT_EQ(chip->hasPrimaryLook(), c.marked) << c.on->objectName().toStdString() << " " << c.at.x();
    EXPECT_EQ(page->selected().primaryId(), c.marked ? chip->id : QString()) << c.at.x();
  }
  EXPECT_EQ(panel(), before);
}

TEST_F(IdentifyPage, ClearingWhileThePromptShowsLeavesAnOrdinarySearchBox) {
  QLineEdit* box = page->searchBoxes[0];
  ASSERT_EQ(box->width(), 300);
  QTest::mouseClick(page->customer->pnlClear, Qt::LeftButton);
  EXPECT_EQ(box->width(), 70);
  EXPECT_TRUE(box->text().isEmpty());
  // It looks like every other search box (no grey prompt colour) and searches.
  EXPECT_EQ(box->styleSheet(), page->searchBoxes[1]->styleSheet());
  pick("xj", QStringLiteral("心悸"));
  EXPECT_EQ(chipNames(Category::Symptom), QStringList{QStringLiteral("心悸")});
}

TEST_F(IdentifyPage, OddSearchTextNeverBreaksTheScreen) {
  QLineEdit* box = page->searchBoxes[0];
  QTest::mouseClick(box, Qt::LeftButton);
  for (const QString& text : {QStringLiteral("'"), QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("\"x\""),
                              QString(300, QLatin1Char('a')), QStringLiteral("abc")}) {
    box->setText(text);
    box->clear();
  }
  page->customer->edtPatName->setFocus();
  QTest::keyClicks(page->customer->edtPatName, "%_'");
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
  EXPECT_TRUE(page->chips(Category::Symptom).isEmpty());
}

TEST_F(IdentifyPage, UnreadableKnowledgeRowIsReportedOnce) {
  // A module text whose segment is not "digit, two digits, codes" ends the run.
  ASSERT_TRUE(dm->ExecMSSql(Sql("update syn_food set SymModIdStr = ? where ID = 1", {"x15"})));
  ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
  messages.clear();
  pick("xj", QStringLiteral("心悸"));
  pick("fl", QStringLiteral("乏力"));
  pick("qd", QStringLiteral("气短"));
  const qsizetype reports = messages.messages.size();
  EXPECT_GE(reports, 1);
  pick("zh", QStringLiteral("自汗"));
  EXPECT_EQ(messages.messages.size(), reports);
  EXPECT_EQ(page->chips(Category::Symptom).size(), 4);
}

namespace {

TSelSymFra* visibleAnswer(TSymOptionFrm* w, const std::function<bool(TSelSymFra*)>& pred) {
  for (TSelSymFra* b : w->ArrSelSym)
    if (b->isVisibleTo(w) && pred(b)) return b;
  return nullptr;
}

}  // namespace

TEST_F(IdentifyPage, AnsweringTheFirstInquiryPage) {
  TSymOptionFrm* inquiry = page->inquiry->SymptomOptionFrm;
  ASSERT_NE(inquiry, nullptr);
  QTest::qWait(50);  // the page loads from its own timer
  TSelSymFra* cold = visibleAnswer(inquiry, [](TSelSymFra* b) { return b->caption() == QStringLiteral("怕冷"); });
  TSelSymFra* tired = visibleAnswer(inquiry, [](TSelSymFra* b) { return b->caption() == QStringLiteral("乏力"); });
  TSelSymFra* female = visibleAnswer(inquiry, [](TSelSymFra* b) { return b->gender == "2"; });
  ASSERT_TRUE(cold && tired && female);
  // Before the gender box is filled the customer counts as male: a women's answer is refused.
  QTest::mouseClick(female->lblName, Qt::LeftButton);
  EXPECT_EQ(messages.captioned, QStringList{"提示|性别与症状矛盾，不能添加"});
  EXPECT_TRUE(messages.messages.isEmpty());
  EXPECT_TRUE(page->chips(Category::Symptom).isEmpty());
  QTest::mouseClick(cold->lblName, Qt::LeftButton);
  QTest::mouseClick(tired->lblName, Qt::LeftButton);
  EXPECT_EQ(chipNames(Category::Symptom), (QStringList{QStringLiteral("怕冷"), QStringLiteral("乏力")}));
  EXPECT_TRUE(cold->isSelected());
  EXPECT_FALSE(page->result->lblSyn->text().isEmpty());
  // Clicking a selected answer removes its finding again.
  QTest::mouseClick(cold->lblName, Qt::LeftButton);
  EXPECT_EQ(chipNames(Category::Symptom), QStringList{QStringLiteral("乏力")});
  EXPECT_FALSE(cold->isSelected());
  // Removing a chip from its menu shows the answer as not selected.
  QTest::mouseClick(cold->lblName, Qt::LeftButton);
  TSelSymFra* chip = page->chips(Category::Symptom).last();
  Q_EMIT chip->deleteRequested(chip);
  EXPECT_FALSE(cold->isSelected());
  // A wheel turn over the screen or over the answers scrolls the active inquiry page by one step.
  QScrollBar* bar = inquiry->cbSelSym->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 4 * bar->singleStep());
  for (QWidget* over : {static_cast<QWidget*>(page), inquiry->cbSelSym->viewport()}) {
    const int before = bar->value();
    QWheelEvent wheel(QPointF(5, 5), over->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &wheel);
    EXPECT_EQ(bar->value(), before + bar->singleStep()) << over->objectName().toStdString();
  }
}

TEST_P(IdentifyPageOn, TheResultAlwaysAnswersTheFindingsOnScreen) {
  TSymOptionFrm* inquiry = page->inquiry->SymptomOptionFrm;
  ASSERT_NE(inquiry, nullptr);
  const auto answer = [inquiry](const QString& caption) -> TSelSymFra* {
    for (int tries = 0; tries < 100; ++tries) {  // the page loads from its own timer
      for (TSelSymFra* b : inquiry->ArrSelSym)
        if (b->isVisibleTo(inquiry) && b->caption() == caption) return b;
      QTest::qWait(20);
    }
    return nullptr;
  };
  const auto chip = [this](const QString& caption) -> TSelSymFra* {
    for (Category c : {Category::Symptom, Category::Tongue, Category::Pulse, Category::Disease})
      for (TSelSymFra* f : page->chips(c))
        if (f->caption() == caption) return f;
    return nullptr;
  };
  // The chip's own menu item "删除", as the clerk picks it.
  const auto deleteChip = [&chip](const QString& caption) {
    TSelSymFra* f = chip(caption);
    ASSERT_NE(f, nullptr) << caption.toStdString();
    auto* menu = f->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().first()->text(), QStringLiteral("删除"));
    menu->actions().first()->trigger();
  };
  TSelSymFra* cold = answer(QStringLiteral("怕冷"));
  ASSERT_NE(cold, nullptr);
  pick("xj", QStringLiteral("心悸"));
  pick("fl", QStringLiteral("乏力"));
  pick("qd", QStringLiteral("气短"));
  pick(QStringLiteral("舌淡"), QStringLiteral("舌淡"));
  ASSERT_EQ(page->result->lblSyn->text(), QStringLiteral("心气虚"));

  QString hinted;
  const struct {
    const char* what;
    std::function<void()> change;
  } changes[] = {
      {"chip menu: 心悸", [&] { deleteChip(QStringLiteral("心悸")); }},
      {"answer 怕冷", [&] { QTest::mouseClick(cold->lblName, Qt::LeftButton); }},
      {"first hint",
       [&] {
         ASSERT_TRUE(page->ArrLblSym[0]->isVisibleTo(page));
         hinted = page->ArrLblSym[0]->text();
         QTest::mouseClick(page->ArrLblSym[0], Qt::LeftButton);
       }},
      {"caption of 乏力", [&] { QTest::mouseClick(chip(QStringLiteral("乏力"))->lblName, Qt::LeftButton); }},
      {"chip menu: 乏力 (marked)", [&] { deleteChip(QStringLiteral("乏力")); }},
      {"answer 怕冷 again", [&] { QTest::mouseClick(cold->lblName, Qt::LeftButton); }},
      {"chip menu: 舌淡", [&] { deleteChip(QStringLiteral("舌淡")); }},
      {"chip menu: the hint's symptom", [&] { deleteChip(hinted); }},
  };
  for (const auto& c : changes) {
    const QString findings = page->selected().findingListText();  // with the marks
    c.change();
    ASSERT_NE(page->selected().findingListText().toStdString(), findings.toStdString()) << c.what;
    // The panel shows what a run on the findings now on screen gives.
    const QString shown = panel();
    page->Ai(page->selected().primaryId());
    EXPECT_EQ(shown, panel()) << c.what << ": " << page->selected().shownText().toStdString();
    QString disease, med, symIds;
    page->GetMed(&disease, &med, &symIds);
    EXPECT_EQ(disease, page->result->lblSyn->text()) << c.what;
  }
  // One finding is too few for a run: nothing is shown and nothing can be saved as a result.
  ASSERT_EQ(page->selected().GetCodeList().size(), 1) << page->selected().shownText().toStdString();
  EXPECT_EQ(panel(), QString());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();

  // The next customer starts without the hints of this one.
  QTest::mouseClick(cold->lblName, Qt::LeftButton);
  ASSERT_TRUE(page->lblHintTitle->isVisibleTo(page));
  QTest::mouseClick(page->customer->pnlClear, Qt::LeftButton);
  EXPECT_FALSE(page->lblHintTitle->isVisibleTo(page));
  for (TPanel* hint : page->ArrLblSym) EXPECT_FALSE(hint->isVisibleTo(page));
  EXPECT_EQ(panel(), QString());
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, IdentifyPageOn, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

TEST_F(IdentifyPage, PickingACustomerKeepsTheFindingsAndMakesAVisitNumber) {
  pick("xj", QStringLiteral("心悸"));
  page->customer->edtPatName->setFocus();
  page->customer->edtPatName->insert(QStringLiteral("王"));
  ASSERT_TRUE(page->customer->pnlLst->isVisible());
  ASSERT_NE(page->customer->sgPat->item(0, 1), nullptr);
  // Only matches are listed; no stale row stays behind.
  page->customer->edtPatName->setText(QStringLiteral("无此客户"));
  EXPECT_EQ(page->customer->sgPat->item(0, 1), nullptr);
  page->customer->edtPatName->setText(QStringLiteral("王"));
  page->customer->sgPatDblClick(0);
  EXPECT_FALSE(page->customer->pnlLst->isVisible());
  EXPECT_TRUE(page->customer->edtPatName->text().startsWith(QStringLiteral("王")));
  EXPECT_FALSE(page->customer->PatId.isEmpty());
  EXPECT_EQ(page->customer->MZNO.size(), 19);
  EXPECT_TRUE(page->customer->MZNO.startsWith(QDate::currentDate().toString("yyyyMMdd") + "00001"));
  EXPECT_FALSE(page->customer->edtTel->text().isEmpty());
  EXPECT_TRUE(page->result->pnlViewMore->isVisibleTo(page));
  EXPECT_EQ(chipNames(Category::Symptom), QStringList{QStringLiteral("心悸")});
  // The visit records link needs a customer.
  page->ClearSym();
  page->customer->PatId.clear();
  Q_EMIT page->result->viewMoreClicked();
  EXPECT_EQ(messages.messages.last(), "未选择客户");
}
