// The food editor opened from the diet slots of the result panel, driven
// through its widgets: loading, ticking, quantities, dosages, saving, printing.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

#include "customer/customer_strip.h"
#include "customer/visit_records.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/food_pre_frm.h"
#include "prescription/pre_frm.h"
#include "prescription/print_rp_frm.h"
#include "result/pre_name_frame.h"
#include "result/result_panel.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class FoodPreFrmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    loginState().clear();
    loginState().ShopId = "1";
    loginState().ShopName = QStringLiteral("康养堂");
    dm = folder.server(&messages);
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(5000));
    main->tsAI->result->SetName(
        5, QStringLiteral("脾气虚"),
        QStringLiteral("[{id:70,name:黄芪炖鸡,remark:8},{id:72,name:山药薏米粥,remark:8},{id:86,name:枸杞菊花茶,remark:8}]"),
        QStringLiteral("忌食|生冷油腻"), QStringLiteral("宜食|山药、大枣"));
  }
  void TearDown() override {
    main.reset();
    loginState().clear();
  }

  // Clicks the name of diet slot `k` and waits for the editor's loading.
  TFoodPreFrm* openSlot(int k) {
    TPreNameFrame* slot = main->tsAI->result->ArrPreFoodName[static_cast<size_t>(k)];
    QTest::mouseClick(slot->lblName, Qt::LeftButton);
    TFoodPreFrm* frm = foodPreFrm();
    if (!frm) return nullptr;
    QSignalSpy done(frm, &TFoodPreFrm::loadFinished);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(frm->lblPrice->text() == "0.0");  // emptied at once, loaded once on screen
    EXPECT_TRUE(done.wait(5000));
    return frm;
  }
  static int shownSlots(const TFoodPreFrm::SectionControls& c) {
    int n = 0;
    for (TPreHerFra* s : c.slots) n += s->isVisibleTo(s->parentWidget()) ? 1 : 0;
    return n;
  }

  DataFolder folder{RemoteKind::Sqlite, true};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
};

}  // namespace

TEST_F(FoodPreFrmTest, DietSlotOpensTheEditorThatPricesSavesAndPrints) {
  TFoodPreFrm* frm = openSlot(1);
  ASSERT_NE(frm, nullptr);
  EXPECT_EQ(frm->windowTitle(), QStringLiteral("治疗方剂"));
  EXPECT_EQ(frm->pnlBaseTop->text(), QStringLiteral("药膳方"));
  EXPECT_EQ(frm->PreId, "70,72,86");
  EXPECT_EQ(frm->recommend, QStringLiteral("宜食：山药、大枣"));
  EXPECT_EQ(frm->notRecommend, QStringLiteral("忌食：生冷油腻"));
  auto& soup = frm->sections[FoodPrescription::Soup];
  auto& porridge = frm->sections[FoodPrescription::Porridge];
  auto& drink = frm->sections[FoodPrescription::Drink];
  EXPECT_EQ(soup.lblTitle->text(), QStringLiteral("黄芪炖鸡"));
  EXPECT_EQ(porridge.lblTitle->text(), QStringLiteral("山药薏米粥"));
  EXPECT_EQ(drink.lblTitle->text(), QStringLiteral("枸杞菊花茶"));
  EXPECT_EQ(shownSlots(soup), 4);
  EXPECT_EQ(shownSlots(porridge), 3);
  EXPECT_EQ(shownSlots(drink), 2);
  EXPECT_EQ(porridge.pnl->height(), TFoodPreFrm::kOpenHeight);
  EXPECT_TRUE(soup.chk->isChecked() && porridge.chk->isChecked() && drink.chk->isChecked());
  EXPECT_EQ(frm->lblPrice->text(), "110.8");
  // The window has grown with the porridge and drink panels.
  const int fullHeight = frm->height();
  EXPECT_GT(fullHeight, 3 * TFoodPreFrm::kOpenHeight);

  // Unticking reprices at once; so do the quantity and a dosage typed into its box.
  QTest::mouseClick(porridge.chk, Qt::LeftButton);
  EXPECT_FALSE(porridge.chk->isChecked());
  EXPECT_EQ(frm->lblPrice->text(), "91.0");
  soup.cbb->setEditText("2");
  EXPECT_EQ(frm->lblPrice->text(), "39.1");
  QLineEdit* dose = soup.slots[0]->edtDosage;
  EXPECT_EQ(soup.slots[0]->lblName->text(), QStringLiteral("黄芪"));
  dose->selectAll();
  QTest::keyClicks(dose, "10");
  EXPECT_EQ(frm->lblPrice->text(), "35.9");

  // Saving: no customer first, then the first customer of the shop.
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages.value(0), QStringLiteral("未选择客户"));
  QSqlQuery* q = dm->GetDB(Sql("select PatId from pat where shopId = ? order by PatId", {1}), true);
  ASSERT_TRUE(q && q->next());
  main->tsAI->customer->PatId = q->value(0).toString();
  q->finish();
  main->tsAI->customer->MZNO.clear();
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages.value(1), QStringLiteral("保存成功"));
  ASSERT_EQ(main->tsAI->customer->MZNO.size(), 19);
  q = dm->GetDB(Sql("select foodIds,foodPrice,food from pat_med where MZNO = ?", {main->tsAI->customer->MZNO}), true);
  ASSERT_TRUE(q && q->next());
  EXPECT_EQ(q->value(0).toString(), QStringLiteral("黄芪炖鸡&3,黄芪,10,g|148,鸡肉,250,g|105,生姜,6,g|8,大枣,15,g$$"
                                                   "枸杞菊花茶&22,枸杞子,10,g|109,菊花,5,g"));
  EXPECT_DOUBLE_EQ(q->value(1).toDouble(), 35.9);
  EXPECT_TRUE(q->value(2).toString().startsWith(QStringLiteral("黄芪炖鸡\r\n黄芪 10g鸡肉 250g")));
  q->finish();

  // Printing hands one line per ticked section to the picture window.
  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  TPrintRPFrm* picture = printRPFrm();
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->isVisible());
  ASSERT_EQ(picture->LstObj.size(), 2);
  EXPECT_EQ(picture->LstObj[1].PreName, QStringLiteral("枸杞菊花茶"));
  EXPECT_EQ(picture->LstObj[1].FoodHer, QStringLiteral("枸杞子,10,g|菊花,5,g"));
  EXPECT_EQ(picture->LstObj[0].recommend, QStringLiteral("宜食：山药、大枣"));
  EXPECT_EQ(picture->Fee, "35.9");
  EXPECT_EQ(picture->Syn, QStringLiteral("脾气虚"));
  EXPECT_EQ(picture->UseUnit, QStringLiteral("康养堂"));
  EXPECT_EQ(picture->UseUnitC, QStringLiteral("药膳方"));
  picture->hide();

  // The same window again, from the third slot once it is unticked: of the two
  // prescriptions offered, the visit saved the soup (quantity 2, 黄芪 10): it
  // comes back as saved; the porridge, not saved, stays unticked.
  main->tsAI->result->ArrPreFoodName[2]->chk->setChecked(false);
  ASSERT_EQ(openSlot(2), frm);
  EXPECT_EQ(frm->PreId, "70,72");
  EXPECT_EQ(drink.pnl->height(), 1);
  EXPECT_EQ(frm->height(), fullHeight - TFoodPreFrm::kOpenHeight + 1);
  EXPECT_EQ(shownSlots(drink), 0);
  EXPECT_TRUE(drink.lblTitle->text().isEmpty());
  EXPECT_EQ(soup.cbb->currentText(), "2");
  EXPECT_EQ(soup.slots[0]->edtDosage->text(), "10");
  EXPECT_TRUE(soup.chk->isChecked());
  EXPECT_FALSE(porridge.chk->isChecked());
  EXPECT_EQ(frm->lblPrice->text(), "22.7");  // the soup alone, twice, 黄芪 at 10
  EXPECT_TRUE(frm->lblSaved->isVisible());
  EXPECT_TRUE(frm->pnlRestore->isVisible());

  // "恢复原方" brings the textbook sections back (the quantities stay as typed).
  QTest::mouseClick(frm->pnlRestore, Qt::LeftButton);
  EXPECT_TRUE(soup.chk->isChecked() && porridge.chk->isChecked());
  EXPECT_EQ(frm->lblPrice->text(), "45.7");  // 2 × 12.97 + 6 × 3.3
  EXPECT_FALSE(frm->lblSaved->isVisible());
  EXPECT_FALSE(frm->pnlRestore->isVisible());

  // No ticked section: printing opens nothing, saving says so.
  QTest::mouseClick(soup.chk, Qt::LeftButton);
  QTest::mouseClick(porridge.chk, Qt::LeftButton);
  EXPECT_EQ(frm->lblPrice->text(), "0.0");
  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  EXPECT_FALSE(picture->isVisible());
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages.last(), QStringLiteral("未选择药膳方"));

  // Closing with changes not saved asks; "不保存" hides the window and closes
  // the porridge panel, and the visit keeps what was saved.
  messages.choiceAnswers = {2, 1};
  QTest::mouseClick(frm->imgClose, Qt::LeftButton);
  EXPECT_TRUE(frm->isVisible());
  QTest::mouseClick(frm->imgClose, Qt::LeftButton);
  EXPECT_EQ(messages.questions.size(), 2);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(porridge.pnl->height(), 1);
  q = dm->GetDB(Sql("select foodPrice from pat_med where MZNO = ?", {main->tsAI->customer->MZNO}), true);
  ASSERT_TRUE(q && q->next());
  EXPECT_DOUBLE_EQ(q->value(0).toDouble(), 35.9);
  q->finish();
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

// Herbs come out of a recipe by the slot's control or a dose left at 0; the
// save checks the recipes against the visit's herbal prescription, asks, and
// keeps the confirmed warnings with the visit.
TEST_F(FoodPreFrmTest, RemovedHerbsAndWarningsAcrossTheVisit) {
  const auto exec = [&](const QString& sql, const QVariantList& values) {
    ASSERT_NE(dm->GetDB(Sql(sql, values), true), nullptr);
  };
  exec(QStringLiteral("update pre set herbIds = ? where PreId = 86"), {QStringLiteral("22,枸杞子,10,g|1,人参,3,g")});
  QSqlQuery* q = dm->GetDB(Sql("select PatId from pat where shopId = ? order by PatId", {1}), true);
  ASSERT_TRUE(q && q->next());
  TCustomerStrip* customer = main->tsAI->customer;
  customer->PatId = q->value(0).toString();
  q->finish();
  customer->MZNO = QStringLiteral("2026121100001000001");
  customer->edtGender->setCurrentText(QStringLiteral("女"));
  customer->edtAge->setText(QStringLiteral("30"));
  exec(QStringLiteral("insert into pat_med(shopId,MZNO,patId,Herb,HerbIds,herbPrice,herbStockState) values(1,?,?,?,?,0,0)"),
       {customer->MZNO, customer->PatId.toLongLong(), QStringLiteral("五灵脂,6g\r\n剂数：6剂"),
        QStringLiteral("6&失笑散&139,五灵脂,6,g")});

  TFoodPreFrm* frm = openSlot(1);
  ASSERT_NE(frm, nullptr);
  auto& soup = frm->sections[FoodPrescription::Soup];
  ASSERT_EQ(shownSlots(soup), 4);
  EXPECT_FALSE(soup.slots[0]->cbbNote->isVisibleTo(soup.slots[0]));
  QTest::mouseClick(soup.slots[1]->btnRemove, Qt::LeftButton);  // 鸡肉
  ASSERT_EQ(shownSlots(soup), 3);
  EXPECT_EQ(soup.slots[1]->lblName->text(), QStringLiteral("生姜"));
  QLineEdit* ginger = soup.slots[1]->edtDosage;
  ginger->selectAll();
  QTest::keyClicks(ginger, "0");
  QTest::keyClick(ginger, Qt::Key_Return);
  EXPECT_EQ(shownSlots(soup), 2);
  EXPECT_EQ(soup.slots[1]->lblName->text(), QStringLiteral("大枣"));

  const QString storedFood = [&] {
    QSqlQuery* r = dm->GetDB(Sql("select foodIds from pat_med where MZNO = ?", {customer->MZNO}), true);
    return r && r->next() ? r->value(0).toString() : QString();
  }();
  EXPECT_TRUE(storedFood.isEmpty());
  messages.clear();
  messages.answers = {false};
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  ASSERT_EQ(messages.questions.size(), 1);
  EXPECT_EQ(messages.questions[0], QStringLiteral("用药提示|用药提示：\n十九畏：人参（药膳方）与五灵脂（汤方）不宜同用\n"
                                                  "孕妇慎用：薏苡仁\n确认无误，仍要保存吗？"));
  EXPECT_TRUE(messages.messages.isEmpty());
  QSqlQuery* r = dm->GetDB(Sql("select foodIds from pat_med where MZNO = ?", {customer->MZNO}), true);
  ASSERT_TRUE(r && r->next());
  EXPECT_TRUE(r->value(0).toString().isEmpty());
  r->finish();

  messages.clear();
  messages.answers = {true};
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  r = dm->GetDB(Sql("select id,food from pat_med where MZNO = ?", {customer->MZNO}), true);
  ASSERT_TRUE(r && r->next());
  const int visitId = r->value(0).toInt();
  const QString food = r->value(1).toString();
  r->finish();
  EXPECT_FALSE(food.contains(QStringLiteral("鸡肉")));
  EXPECT_FALSE(food.contains(QStringLiteral("生姜")));
  std::optional<VisitRecord> record;
  ASSERT_TRUE(readVisitRecord(*dm, visitId, &record));
  ASSERT_TRUE(record.has_value());
  EXPECT_TRUE(visitRecordText(*record).endsWith(
      QStringLiteral("用药提示：\n药膳方：十九畏：人参（药膳方）与五灵脂（汤方）不宜同用；孕妇慎用：薏苡仁")))
      << visitRecordText(*record).toStdString();
}
