// Tailoring 天王补心丹 in the herbal editor on both databases: the catalogue
// search adds, replaces and refuses a herb already present or a 33rd, the slots
// take herbs out and close up, "恢复原方" brings the textbook form back, the
// dispensing notes are shown, printed and read back by the visit view, and each
// kind of warning is shown, confirmed before the save and kept with the visit.
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

#include "customer/customer_strip.h"
#include "customer/visit_records.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/pre_frm.h"
#include "prescription/print_rp_frm.h"
#include "test_support.h"
#include "ui_kit.h"
#include "window_helpers.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

const QStringList kTextbook = {"生地黄", "人参", "丹参", "玄参", "茯苓", "五味子", "远志",
                               "桔梗", "当归", "天冬", "麦冬", "柏子仁", "酸枣仁"};

class PreTailoring : public ::testing::TestWithParam<RemoteKind> {
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
    customer = main->tsAI->customer;
    customer->PatId = query1("select PatId from pat where shopId = ? order by PatId", {1});
    ASSERT_FALSE(customer->PatId.isEmpty());
    customer->MZNO.clear();
    setCustomer(QStringLiteral("男"), QStringLiteral("60"));
    frm = openPreFrm(main.get(), *dm, messages, QStringLiteral("心阴虚"),
                     query1("select PreId from pre where name = ?", {QStringLiteral("天王补心丹")}),
                     QStringLiteral("天王补心丹"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->ArrHer[0]->isVisible(); }, 2000));
  }
  void TearDown() override {
    if (TPrintRPFrm* picture = printRPFrm()) picture->close();
    if (frm) {
      messages.choiceAnswers = {1};
      frm->close();
    }
    main.reset();
    loginState().clear();
  }

  void setCustomer(const QString& gender, const QString& age) {
    customer->edtGender->setCurrentText(gender);
    customer->edtAge->setText(age);
  }
  QString query1(const QString& sql, const QVariantList& values) {
    QSqlQuery* q = dm->GetDB(Sql(sql, values), true);
    return q && q->next() ? q->value(0).toString() : QString();
  }
  QStringList names() const {
    QStringList out;
    for (TPreHerFra* slot : frm->ArrHer)
      if (slot->isVisible()) out << slot->lblName->text();
    return out;
  }
  TPreHerFra* slotOf(const QString& name) const {
    for (TPreHerFra* slot : frm->ArrHer)
      if (slot->isVisible() && slot->lblName->text() == name) return slot;
    return nullptr;
  }
  // Types into the search box (Chinese arrives committed by the input method) and presses Enter.
  void searchAndPick(const QString& keys) {
    QLineEdit* box = frm->search->edtHerb;
    box->setFocus();
    if (keys.front().unicode() < 128) {
      QTest::keyClicks(box, keys);
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(keys);
      QApplication::sendEvent(box, &commit);
    }
    QTest::keyClick(box, Qt::Key_Return);
  }
  void setDose(const QString& name, const QString& dose) {
    QLineEdit* box = slotOf(name)->edtDosage;
    box->selectAll();
    QTest::keyClicks(box, dose);
  }
  QString storedIds() {
    return query1("select HerbIds from pat_med where patId = ? and MZNO = ?", {customer->PatId.toLongLong(), customer->MZNO});
  }
  QString visitViewText() {
    std::optional<VisitRecord> record;
    const QString id = query1("select id from pat_med where patId = ? and MZNO = ?",
                              {customer->PatId.toLongLong(), customer->MZNO});
    EXPECT_TRUE(readVisitRecord(*dm, id.toInt(), &record));
    return record ? visitRecordText(*record) : QString();
  }
  QString priceOf(const HerbPrescription& p) const { return herbPriceText(p, frm->cbbTea->currentText()); }

  DataFolder folder{GetParam(), true};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
  TCustomerStrip* customer = nullptr;
  TPreFrm* frm = nullptr;
};

}  // namespace

TEST_P(PreTailoring, AddRemoveReplaceAndRestoreTheTextbookForm) {
  ASSERT_EQ(names(), kTextbook);
  EXPECT_EQ(slotOf(QStringLiteral("人参"))->cbbNote->currentText(), QStringLiteral("另煎"));  // the catalogue's note
  EXPECT_FALSE(frm->pnlRestore->isVisible());
  EXPECT_TRUE(frm->lblWarn->text().isEmpty());

  // Pinyin initials find 龙骨 first; Enter adds it with its usual dose and note, priced at once.
  searchAndPick("lg");
  ASSERT_EQ(names().size(), kTextbook.size() + 1);
  TPreHerFra* added = frm->ArrHer[kTextbook.size()];
  EXPECT_EQ(added->lblName->text(), QStringLiteral("龙骨"));
  EXPECT_EQ(added->edtDosage->text(), "15");
  EXPECT_EQ(added->cbbNote->currentText(), QStringLiteral("先煎"));
  EXPECT_TRUE(added->lblMark->text().contains(QStringLiteral("加")));
  EXPECT_TRUE(added->edtDosage->hasFocus());
  EXPECT_EQ(frm->lblPrice->text(), priceOf(frm->prescription()));
  EXPECT_NE(GetHerbPriceById(main->LstHerbPrice, added->id), 0.0);
  EXPECT_TRUE(frm->pnlRestore->isVisible());

  // A herb already present is not added twice; its slot is shown instead.
  searchAndPick(QStringLiteral("酸枣仁"));
  EXPECT_EQ(names().size(), kTextbook.size() + 1);
  EXPECT_EQ(frm->lblTip->text(), QStringLiteral("处方中已有酸枣仁"));
  EXPECT_TRUE(slotOf(QStringLiteral("酸枣仁"))->edtDosage->hasFocus());

  // The slot's control and Delete take herbs out; the slots close up in order.
  QTest::mouseClick(slotOf(QStringLiteral("丹参"))->btnRemove, Qt::LeftButton);
  slotOf(QStringLiteral("桔梗"))->setFocus();
  QTest::keyClick(slotOf(QStringLiteral("桔梗")), Qt::Key_Delete);
  // An emptied dose box takes its herb out when it is left; a 0 as well.
  setDose(QStringLiteral("远志"), "0");
  QTest::keyClick(slotOf(QStringLiteral("远志"))->edtDosage, Qt::Key_Return);
  QStringList expected = kTextbook;
  expected.removeAll(QStringLiteral("丹参"));
  expected.removeAll(QStringLiteral("桔梗"));
  expected.removeAll(QStringLiteral("远志"));
  expected << QStringLiteral("龙骨");
  EXPECT_EQ(names(), expected);
  for (int i = static_cast<int>(expected.size()); i < HerbPrescription::kSlots; ++i) EXPECT_FALSE(frm->ArrHer[i]->isVisible());
  EXPECT_EQ(frm->lblChanges->text(), QStringLiteral("原方已去：丹参、远志、桔梗"));
  EXPECT_EQ(frm->lblPrice->text(), priceOf(frm->prescription()));

  // A click on a name replaces that herb: 人参 → 党参, in its place; Escape leaves the replacing.
  QTest::mouseClick(slotOf(QStringLiteral("人参"))->lblName, Qt::LeftButton);
  EXPECT_EQ(frm->lblTip->text(), QStringLiteral("替换人参为："));
  QTest::keyClick(frm->search->edtHerb, Qt::Key_Escape);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_TRUE(frm->lblTip->text().isEmpty());
  QTest::mouseClick(slotOf(QStringLiteral("人参"))->lblName, Qt::LeftButton);
  searchAndPick("dangs");  // no herb: nothing happens
  EXPECT_EQ(names()[1], QStringLiteral("人参"));
  frm->search->edtHerb->clear();
  searchAndPick("ds");
  expected[1] = QStringLiteral("党参");
  EXPECT_EQ(names(), expected);
  EXPECT_EQ(frm->ArrHer[1]->cbbNote->currentText(), QString());
  // Replacing with a herb held by another slot is refused like an addition.
  QTest::mouseClick(frm->ArrHer[0]->lblName, Qt::LeftButton);
  searchAndPick(QStringLiteral("龙骨"));
  EXPECT_EQ(names(), expected);
  EXPECT_EQ(frm->lblTip->text(), QStringLiteral("处方中已有龙骨"));

  // Saving stores the tailored list under the formula's own name, without the
  // removed herbs; the visit view reads the display text back exactly.
  setDose(QStringLiteral("龙骨"), "20");
  EXPECT_TRUE(slotOf(QStringLiteral("龙骨"))->lblMark->text().contains(QStringLiteral("加")));
  EXPECT_TRUE(frm->ArrHer[0]->lblMark->text().isEmpty());
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  const QString ids = storedIds();
  EXPECT_EQ(ids, herbIdsText(frm->prescription(), "6", QStringLiteral("天王补心丹")));
  EXPECT_TRUE(ids.startsWith(QStringLiteral("6&天王补心丹&"))) << ids.toStdString();
  EXPECT_TRUE(ids.contains(QStringLiteral(",党参,12,g|"))) << ids.toStdString();
  EXPECT_TRUE(ids.endsWith(QStringLiteral(",龙骨,20,g(先煎)"))) << ids.toStdString();
  for (const QString& gone : {QStringLiteral("丹参"), QStringLiteral("远志"), QStringLiteral("桔梗"), QStringLiteral(",0,")})
    EXPECT_FALSE(ids.contains(gone)) << gone.toStdString();
  EXPECT_TRUE(visitViewText().endsWith(herbDisplayText(frm->prescription(), "6").replace("\r\n", "\n")))
      << visitViewText().toStdString();

  // "恢复原方" brings the textbook herbs, dosages and notes back.
  QTest::mouseClick(frm->pnlRestore, Qt::LeftButton);
  EXPECT_EQ(names(), kTextbook);
  EXPECT_TRUE(frm->lblChanges->text().isEmpty());
  EXPECT_FALSE(frm->pnlRestore->isVisible());
  for (TPreHerFra* slot : frm->ArrHer) {
    if (slot->isVisible()) {
      EXPECT_TRUE(slot->lblMark->text().isEmpty()) << slot->lblName->text().toStdString();
    }
  }
  keepPicture(frm, QStringLiteral("tailoring_restored"));
}

TEST_P(PreTailoring, TheThirtyThirdHerbIsRefused) {
  for (const HerbRule& rule : frm->catalogue().rules()) {
    if (names().size() == HerbPrescription::kSlots) break;
    frm->addHerb(rule.id);
  }
  ASSERT_EQ(names().size(), HerbPrescription::kSlots);
  EXPECT_TRUE(messages.messages.isEmpty());
  searchAndPick("xkc");  // 夏枯草, not yet in the prescription
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("处方最多32味药，不能再加")});
  EXPECT_EQ(names().size(), HerbPrescription::kSlots);
  EXPECT_FALSE(names().contains(QStringLiteral("夏枯草")));
}

TEST_P(PreTailoring, NotesAreShownPrintedAndReadBack) {
  searchAndPick(QStringLiteral("辛夷"));  // 包煎
  TPreHerFra* xinyi = slotOf(QStringLiteral("辛夷"));
  ASSERT_NE(xinyi, nullptr);
  EXPECT_EQ(xinyi->cbbNote->currentText(), QStringLiteral("包煎"));
  setDose(QStringLiteral("辛夷"), "9");
  // A note set for this prescription only: 酸枣仁 后下 (marked), 人参 without its 另煎.
  slotOf(QStringLiteral("酸枣仁"))->cbbNote->setCurrentText(QStringLiteral("后下"));
  slotOf(QStringLiteral("人参"))->cbbNote->setCurrentIndex(0);
  EXPECT_TRUE(slotOf(QStringLiteral("酸枣仁"))->lblMark->text().contains(QStringLiteral("改注")));

  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  TPrintRPFrm* picture = printRPFrm();
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(picture->LstObj.size(), 1);
  EXPECT_TRUE(picture->LstObj[0].FoodHer.endsWith(QStringLiteral("|辛夷,9,g(包煎)")));
  QStringList printed;
  for (const SheetText& t : picture->drawn.texts) printed << t.text;
  const QString sheet = printed.join('#');
  EXPECT_TRUE(printed.contains(QStringLiteral("辛夷  9g(包煎)"))) << sheet.toStdString();
  EXPECT_TRUE(printed.contains(QStringLiteral("酸枣仁  9g(后下)"))) << sheet.toStdString();
  EXPECT_TRUE(printed.contains(QStringLiteral("人参  6g"))) << sheet.toStdString();
  EXPECT_FALSE(sheet.contains(QStringLiteral("孕妇")));  // a man of 60
  picture->close();

  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  ASSERT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  EXPECT_TRUE(storedIds().contains(QStringLiteral(",酸枣仁,9,g(后下)|"))) << storedIds().toStdString();
  EXPECT_TRUE(storedIds().contains(QStringLiteral(",人参,6,g|"))) << storedIds().toStdString();
  EXPECT_TRUE(visitViewText().contains(QStringLiteral("|辛夷,9g(包煎)\n剂数：6剂"))) << visitViewText().toStdString();
  // Reopened in the same visit, each slot shows the note that was saved.
  frm->close();
  frm = openPreFrm(main.get(), *dm, messages, QStringLiteral("心阴虚"),
                   query1("select PreId from pre where name = ?", {QStringLiteral("天王补心丹")}), QStringLiteral("天王补心丹"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return slotOf(QStringLiteral("辛夷")) != nullptr; }, 2000));
  EXPECT_EQ(slotOf(QStringLiteral("辛夷"))->cbbNote->currentText(), QStringLiteral("包煎"));
  EXPECT_EQ(slotOf(QStringLiteral("辛夷"))->lblUnit->text(), "g");
  EXPECT_EQ(slotOf(QStringLiteral("酸枣仁"))->cbbNote->currentText(), QStringLiteral("后下"));
  EXPECT_EQ(slotOf(QStringLiteral("人参"))->cbbNote->currentText(), QString());
  EXPECT_TRUE(frm->lblSaved->isVisible());
  EXPECT_FALSE(frm->hasUnsavedChanges());
}

TEST_P(PreTailoring, EachWarningIsShownConfirmedAndKeptWithTheVisit) {
  struct Case {
    const char* keys;     // the herb added through the search
    const char* dose;     // its dose, typed
    const char* warning;  // the line shown
    bool confirm;         // saving asks first
  };
  const Case cases[] = {
      {"wlz", "6", "十九畏：人参与五灵脂不宜同用", true},
      {"rgsx", "0.05", "孕妇禁用：人工麝香", true},
      {"nx", "9", "孕妇慎用：五灵脂、牛膝", false},
      {"zfz", "30", "制附子为有毒药，30g超过限量3～15g", true},
      {"hq", "40", "黄芪 40g超过常用量9～30g", false},
  };
  setCustomer(QStringLiteral("女"), QStringLiteral("32"));
  for (const Case& c : cases) {
    searchAndPick(QString::fromLatin1(c.keys));
    const QString added = frm->ArrHer[names().size() - 1]->lblName->text();
    setDose(added, QString::fromLatin1(c.dose));
    EXPECT_TRUE(frm->lblWarn->text().contains(QString::fromUtf8(c.warning))) << frm->lblWarn->text().toStdString();
    bool found = false;
    for (const SafetyWarning& w : frm->warnings())
      if (w.text == QString::fromUtf8(c.warning)) found = w.mustConfirm == c.confirm;
    EXPECT_TRUE(found) << c.warning;
  }
  EXPECT_TRUE(slotOf(QStringLiteral("人工麝香"))->lblMark->text().contains(QStringLiteral("孕禁")));
  EXPECT_TRUE(slotOf(QStringLiteral("牛膝"))->lblMark->text().contains(QStringLiteral("孕慎")));
  keepPicture(frm, QStringLiteral("tailored_warnings"));

  // The sheet of a woman of child-bearing age prints the caution line.
  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  ASSERT_NE(printRPFrm(), nullptr);
  QStringList printed;
  for (const SheetText& t : printRPFrm()->drawn.texts) printed << t.text;
  EXPECT_TRUE(printed.contains(QStringLiteral("孕妇禁用：人工麝香；孕妇慎用：五灵脂、牛膝、制附子"))) << printed.join('#').toStdString();
  keepPicture(printRPFrm(), QStringLiteral("tailored_sheet"));
  printRPFrm()->close();

  // Not confirmed: nothing is written.
  messages.answers = {false};
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  ASSERT_EQ(messages.questions.size(), 1);
  EXPECT_TRUE(messages.questions[0].startsWith(QStringLiteral("用药提示|用药提示：\n十九畏：人参与五灵脂不宜同用\n")));
  EXPECT_TRUE(messages.messages.isEmpty());
  EXPECT_EQ(query1("select count(*) from pat_med", {}), "0");
  EXPECT_EQ(query1("select count(*) from pat_med_note", {}), "0");
  // A typing slip is refused before any question.
  messages.clear();
  setDose(QStringLiteral("黄芪"), "400");
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("黄芪的剂量400g不像实际用量（应在0.01～250克之间），请核对")});
  EXPECT_TRUE(messages.questions.isEmpty());
  setDose(QStringLiteral("黄芪"), "40");
  // Confirmed: saved, and the warnings stay with the visit, shown by the visit view.
  messages.clear();
  messages.answers = {true};
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  const QString note = safetyNote(frm->warnings());
  EXPECT_EQ(query1("select note from pat_med_note where patId = ? and MZNO = ? and side = ?",
                   {customer->PatId.toLongLong(), customer->MZNO, QStringLiteral("汤方")}),
            note);
  EXPECT_TRUE(visitViewText().endsWith(QStringLiteral("\n用药提示：\n汤方：") + note)) << visitViewText().toStdString();

  // Across the visit: a food prescription with 五灵脂 and the herbal 人参 — and
  // a save without warnings takes the kept note away.
  QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("update pat_med set foodIds = ?, food = ? where MZNO = ?"),
                               {QStringLiteral("失笑粥&139,五灵脂,6,g"), QStringLiteral("五灵脂,6g\r\n剂数：1剂"), customer->MZNO}),
                           true);
  ASSERT_NE(q, nullptr);
  for (const QString& name : {QStringLiteral("五灵脂"), QStringLiteral("人工麝香"), QStringLiteral("牛膝"),
                              QStringLiteral("制附子"), QStringLiteral("黄芪")})
    QTest::mouseClick(slotOf(name)->btnRemove, Qt::LeftButton);
  messages.clear();
  messages.answers = {false};
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  ASSERT_EQ(messages.questions.size(), 1);
  EXPECT_TRUE(messages.questions[0].contains(QStringLiteral("十九畏：人参（汤方）与五灵脂（药膳方）不宜同用")));
  EXPECT_TRUE(frm->lblWarn->text().contains(QStringLiteral("人参（汤方）与五灵脂（药膳方）")));
  QTest::mouseClick(slotOf(QStringLiteral("人参"))->btnRemove, Qt::LeftButton);
  messages.clear();
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_TRUE(messages.questions.isEmpty());
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  EXPECT_EQ(query1("select count(*) from pat_med_note", {}), "0");
  EXPECT_FALSE(visitViewText().contains(QStringLiteral("用药提示")));
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(',').toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, PreTailoring, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
