// The herbal editor opened from a classic prescription of the result panel:
// its slots, repricing at each dosage keystroke, and saving into the visit.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

#include "customer/customer_strip.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/herb_prescription.h"
#include "prescription/pre_frm.h"
#include "prescription/print_rp_frm.h"
#include "result/pre_name_frame.h"
#include "result/result_panel.h"
#include "test_support.h"
#include "window_helpers.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class PreFrmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    loginState().clear();
    loginState().ShopId = "1";
    loginState().ShopName = QStringLiteral("测试店");
    dm = folder.server(&messages);
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(5000));
    page = main->tsAI;
  }
  void TearDown() override {
    main.reset();
    loginState().clear();
  }

  void pick(const QString& keys, const QString& name) { pickFinding(page, keys, name); }

  QString query1(const QString& sql, const QVariantList& values) {
    QSqlQuery* q = dm->GetDB(Sql(sql, values), true);
    return q && q->next() ? q->value(0).toString() : QString();
  }

  DataFolder folder{RemoteKind::Sqlite, true};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
  TIdentifyPage* page = nullptr;
};

}  // namespace

TEST_F(PreFrmTest, OpenFromTheResultEditADoseAndSaveIntoTheVisit) {
  pick("xj", QStringLiteral("心悸"));
  pick("fl", QStringLiteral("乏力"));
  pick("qd", QStringLiteral("气短"));
  TPreNameFrame* slot = page->result->ArrPreHerName[0];
  ASSERT_TRUE(slot->isVisibleTo(page));
  const QString preName = slot->lblName->text();
  QTest::mouseClick(slot->lblName, Qt::LeftButton);
  TPreFrm* frm = preFrm();
  ASSERT_NE(frm, nullptr);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(frm->windowTitle(), QStringLiteral("治疗方剂"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->ArrHer[0]->isVisible(); }, 2000));

  // The slots show the prescription's herbs, priced from the shop's list.
  HerbPrescription expected;
  expected.fill(query1("select herbIds from pre where PreId = ?", {slot->preId().toLongLong()}), main->LstHerbPrice);
  // The textbook form carries the catalogue's dispensing notes.
  for (int i = 0; i < expected.slots().size(); ++i)
    if (const HerbRule* rule = frm->catalogue().byName(expected.slots()[i].name)) expected.setNote(i, rule->note);
  const int n = static_cast<int>(expected.slots().size());
  ASSERT_GT(n, 1);
  for (int i = 0; i < HerbPrescription::kSlots; ++i) EXPECT_EQ(frm->ArrHer[i]->isVisible(), i < n) << i;
  EXPECT_EQ(frm->ArrHer[0]->lblName->text(), expected.slots()[0].name);
  EXPECT_EQ(frm->cbbTea->currentText(), "6");
  EXPECT_EQ(frm->lblPrice->text(), herbPriceText(expected, "6"));
  EXPECT_EQ(frm->lblPre->text(), herbPreCaption(preName, expected.weight()));
  EXPECT_NE(frm->lblPrice->text(), "0.0");

  // Each keystroke in a dosage box reprices; a cleared box counts as 0 at once.
  const QString originalDose = expected.slots()[0].dosage;
  QLineEdit* dose = frm->ArrHer[0]->edtDosage;
  dose->selectAll();
  QTest::keyClick(dose, Qt::Key_Backspace);
  expected.setDosage(0, QString());
  EXPECT_EQ(frm->lblPrice->text(), herbPriceText(expected, "6"));
  QTest::keyClicks(dose, "2");
  expected.setDosage(0, "2");
  EXPECT_EQ(frm->lblPrice->text(), herbPriceText(expected, "6"));
  QTest::keyClicks(dose, "0");
  expected.setDosage(0, "20");
  EXPECT_EQ(frm->lblPrice->text(), herbPriceText(expected, "6"));
  frm->cbbTea->setCurrentText("7");
  EXPECT_EQ(frm->lblPrice->text(), herbPriceText(expected, "7"));

  // No customer: nothing is saved.
  page->customer->PatId = "0";
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("未选择客户")});
  EXPECT_EQ(query1("select count(*) from pat_med", {}), "0");

  // A customer without a visit number yet: the save makes one and stores the prescription.
  const QString patId = query1("select PatId from pat where shopId = ? order by PatId", {1});
  ASSERT_FALSE(patId.isEmpty());
  page->customer->PatId = patId;
  page->customer->MZNO.clear();
  messages.clear();
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  ASSERT_EQ(page->customer->MZNO.size(), 19);
  EXPECT_EQ(query1("select HerbIds from pat_med where patId = ? and MZNO = ?", {patId.toLongLong(), page->customer->MZNO}),
            herbIdsText(expected, "7", preName));
  EXPECT_TRUE(herbIdsText(expected, "7", preName).contains(QStringLiteral(",%1,20,").arg(expected.slots()[0].name)));
  EXPECT_EQ(query1("select Herb from pat_med where patId = ?", {patId.toLongLong()}), herbDisplayText(expected, "7"));
  EXPECT_EQ(query1("select bodyType from pat where PatId = ?", {patId.toLongLong()}), page->result->lblSyn->text());
  EXPECT_DOUBLE_EQ(query1("select herbPrice from pat_med", {}).toDouble(), frm->lblPrice->text().toDouble());

  // "打印" hands the prescription to the picture window as one print line.
  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  TPrintRPFrm* picture = printRPFrm();
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->isVisible());
  ASSERT_EQ(picture->LstObj.size(), 1);
  EXPECT_EQ(picture->LstObj[0].PreName, preName);
  EXPECT_EQ(picture->LstObj[0].FoodHer, herbPrintLine(expected, preName).FoodHer);
  EXPECT_EQ(picture->Fee, frm->lblPrice->text());
  EXPECT_EQ(picture->Syn, page->result->lblSyn->text());
  EXPECT_EQ(picture->UseUnit, QStringLiteral("测试店"));
  EXPECT_EQ(picture->UseUnitC, QStringLiteral("处方"));
  picture->close();

  // Saved and unchanged: closing asks nothing. The next opening of the same
  // prescription in this visit shows what was saved, and says so.
  const QString savedIds = herbIdsText(expected, "7", preName);
  messages.clear();
  QTest::mouseClick(frm->imgClose, Qt::LeftButton);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_TRUE(messages.questions.isEmpty());
  frm->cbbTea->setCurrentText("6");
  QTest::mouseClick(slot->lblName, Qt::LeftButton);
  EXPECT_EQ(preFrm(), frm);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->ArrHer[0]->isVisible(); }, 2000));
  EXPECT_EQ(frm->ArrHer[0]->edtDosage->text(), "20");
  EXPECT_EQ(frm->cbbTea->currentText(), "7");
  EXPECT_EQ(frm->lblPrice->text(), herbPriceText(expected, "7"));
  EXPECT_TRUE(frm->lblSaved->isVisible());
  EXPECT_TRUE(frm->pnlRestore->isVisible());
  keepPicture(frm, "pre_frm_reopened");

  // A change not saved: every way of closing asks. Cancel keeps the editor and
  // the change; "不保存" closes and the visit keeps what was saved.
  QTest::keyClicks(frm->ArrHer[1]->edtDosage, "5");
  EXPECT_FALSE(frm->lblSaved->isVisible());
  messages.choiceAnswers = {2};
  QTest::mouseClick(frm->imgClose, Qt::LeftButton);
  ASSERT_EQ(messages.questions.size(), 1);
  EXPECT_EQ(messages.questions[0], QStringLiteral("提示|方剂已修改，尚未保存。是否保存？|保存/不保存/取消|0"));
  EXPECT_TRUE(frm->isVisible());
  messages.choiceAnswers = {-1};
  QTest::keyClick(frm, Qt::Key_Escape);
  EXPECT_TRUE(frm->isVisible());
  messages.choiceAnswers = {1};
  frm->close();
  EXPECT_FALSE(frm->isVisible());
  const auto storedIds = [&] {
    return query1("select HerbIds from pat_med where patId = ? and MZNO = ?", {patId.toLongLong(), page->customer->MZNO});
  };
  EXPECT_EQ(storedIds(), savedIds);

  // "恢复原方" brings back the textbook dosages; "保存" on the question stores them and closes.
  QTest::mouseClick(slot->lblName, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->ArrHer[0]->isVisible(); }, 2000));
  EXPECT_EQ(frm->ArrHer[0]->edtDosage->text(), "20");
  QTest::mouseClick(frm->pnlRestore, Qt::LeftButton);
  EXPECT_EQ(frm->ArrHer[0]->edtDosage->text(), originalDose);
  EXPECT_FALSE(frm->pnlRestore->isVisible());
  expected.setDosage(0, originalDose);
  EXPECT_EQ(frm->lblPrice->text(), herbPriceText(expected, "7"));  // the doses box keeps its number
  messages.clear();
  messages.choiceAnswers = {0};
  QTest::mouseClick(frm->imgClose, Qt::LeftButton);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  EXPECT_EQ(storedIds(), herbIdsText(expected, "7", preName));
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}
