// The sheet at the counter: printed from the herbal editor before any save it
// carries the visit number the save then keeps, and the doses beside the
// amount; on SQLite and PostgreSQL.
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

class SheetAtTheCounter : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void TearDown() override {
    if (TPrintRPFrm* picture = printRPFrm()) picture->close();
    main.reset();
    loginState().clear();
  }

  void pick(const QString& keys, const QString& name) { pickFinding(page, keys, name); }

  QStringList row(const QString& sql, const QVariantList& values, int columns) {
    QSqlQuery* q = dm->GetDB(Sql(sql, values), true);
    QStringList out;
    if (q && q->next())
      for (int i = 0; i < columns; ++i) out << q->value(i).toString();
    return out;
  }

  // The texts of the picture's sheet starting with `prefix`.
  static QStringList drawn(const QString& prefix) {
    QStringList out;
    for (const SheetText& t : printRPFrm()->drawn.texts)
      if (t.text.startsWith(prefix)) out << t.text;
    return out;
  }

  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
  TIdentifyPage* page = nullptr;
};

}  // namespace

TEST_P(SheetAtTheCounter, TheFirstPrintNumbersTheVisitAndTheSaveKeepsTheNumber) {
  DataFolder folder(GetParam(), true);
  TCM_REQUIRE_FOLDER(folder);
  loginState().clear();
  loginState().ShopId = "1";
  loginState().ShopName = QStringLiteral("测试店");
  loginState().UserName = QStringLiteral("李医生");
  dm = folder.server(&messages);
  main = std::make_unique<TMainFrm>(*dm, messages);
  QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
  main->show();
  ASSERT_TRUE(loaded.wait(5000));
  page = main->tsAI;

  pick("xj", QStringLiteral("心悸"));
  pick("fl", QStringLiteral("乏力"));
  pick("qd", QStringLiteral("气短"));
  TPreNameFrame* slot = page->result->ArrPreHerName[0];
  ASSERT_TRUE(slot->isVisibleTo(page));
  QTest::mouseClick(slot->lblName, Qt::LeftButton);
  TPreFrm* frm = preFrm();
  ASSERT_NE(frm, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->ArrHer[0]->isVisible(); }, 2000));
  frm->cbbTea->setCurrentText("7");

  // No customer chosen: the sheet has no visit to number, and none is made.
  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  ASSERT_NE(printRPFrm(), nullptr);
  EXPECT_EQ(drawn(QStringLiteral("ID：")), QStringList{QStringLiteral("ID：")});
  EXPECT_TRUE(page->customer->MZNO.isEmpty());

  // A customer made current from the customer list has no visit number yet.
  const QStringList pat = row("select PatId, Name, Gender, Age, Tel from pat where shopId = ? order by PatId", {1}, 5);
  ASSERT_EQ(pat.size(), 5);
  page->customer->makeCurrent({pat[0], pat[1], pat[2], pat[3], pat[4]}, CustomerHost::Visit::Keep);
  ASSERT_TRUE(page->customer->MZNO.isEmpty());

  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  const QString mzno = page->customer->MZNO;
  ASSERT_EQ(mzno.size(), 19);
  EXPECT_EQ(drawn(QStringLiteral("ID：")), QStringList{QStringLiteral("ID：") + mzno});
  EXPECT_EQ(drawn(QStringLiteral("姓名：")), QStringList{QStringLiteral("姓名：") + pat[1]});
  // The doses the amount is for stand beside it.
  EXPECT_EQ(printRPFrm()->LstObj.value(0).Dosage, QStringLiteral("7"));
  EXPECT_EQ(drawn(QStringLiteral("剂数：")), QStringList{QStringLiteral("剂数：7剂")});
  EXPECT_EQ(drawn(QStringLiteral("金额：")), QStringList{QStringLiteral("金额：￥") + frm->lblPrice->text()});

  // Printing again keeps the number; the save writes the visit under it.
  QTest::mouseClick(frm->pnlPRT, Qt::LeftButton);
  EXPECT_EQ(page->customer->MZNO, mzno);
  messages.clear();
  QTest::mouseClick(frm->pnlSave, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  EXPECT_EQ(page->customer->MZNO, mzno);
  EXPECT_EQ(row("select MZNO from pat_med where patId = ?", {pat[0].toLongLong()}, 1), QStringList{mzno});
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, SheetAtTheCounter, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
