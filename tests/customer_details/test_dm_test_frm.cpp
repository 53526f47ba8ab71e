// The diabetes window: live scoring as the answers change (the gender
// included), the kept result while a box is empty, and saving the class.
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "customer/dm_risk.h"
#include "customer/dm_test_frm.h"
#include "details_fixture.h"
#include "login/login_state.h"
#include "small_host.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class DmTestWindow : public DetailsFixture {
 protected:
  void SetUp() override {
    DetailsFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    loginState().clear();
    loginState().ShopId = "1";
    frm = std::make_unique<TDMTestFrm>(*dm, messages);
  }
  void TearDown() override {
    frm.reset();
    loginState().clear();
  }
  QStringList shown() const {
    return {frm->lblScore->text(), frm->lblLevel->text(), frm->lblWarm->isVisible() ? "advice" : ""};
  }

  std::unique_ptr<TDMTestFrm> frm;
};

TEST_P(DmTestWindow, ScoresAsTheAnswersChange) {
  const QString high = QStringLiteral("高危型"), middle = QStringLiteral("中危型"), low = QStringLiteral("低危");
  frm->openFor("", QStringLiteral("男"), "45", 1);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_TRUE(frm->rb1->isChecked());
  EXPECT_EQ(frm->edtAge->text(), "45");
  EXPECT_EQ(frm->FromForm, 1);
  EXPECT_EQ(shown(), (QStringList{"0", low, ""}));  // nothing to score yet

  // Each step is one change as the clerk makes it, then what the window shows.
  struct Step {
    std::function<void()> change;
    QStringList expected;
  };
  const QList<Step> steps = {
      {[&] { frm->edtHeight->setText("170"); }, {"0", low, ""}},
      {[&] { frm->edtWeight->setText("70"); }, {"0", low, ""}},
      // 12 + BMI 3 + waist 7 + male 2
      {[&] { frm->edtWaistline->setText("88"); }, {"24", middle, ""}},
      {[&] { frm->edtHP->setText("135"); }, {"30", high, "advice"}},
      {[&] { QTest::mouseClick(frm->rb3, Qt::LeftButton); }, {"36", high, "advice"}},
      {[&] { QTest::mouseClick(frm->RzRadioButton1, Qt::LeftButton); }, {"36", high, "advice"}},
      {[&] { QTest::mouseClick(frm->rb7, Qt::LeftButton); }, {"36", high, "advice"}},
      // a woman at once: waist 88 → 8, no male points
      {[&] { QTest::mouseClick(frm->rb2, Qt::LeftButton); }, {"35", high, "advice"}},
      {[&] { QTest::mouseClick(frm->rb1, Qt::LeftButton); }, {"36", high, "advice"}},
      // an emptied box keeps the shown result
      {[&] { frm->edtWeight->clear(); }, {"36", high, "advice"}},
      {[&] { frm->edtWeight->setText("50"); }, {"33", high, "advice"}},
      {[&] { QTest::mouseClick(frm->rb4, Qt::LeftButton); }, {"27", high, "advice"}},
      {[&] { frm->edtHP->setText("100"); }, {"21", middle, ""}},
      {[&] { frm->edtAge->setText("24"); }, {"9", low, ""}},
      {[&] { QTest::mouseClick(frm->rb8, Qt::LeftButton); }, {"11", low, ""}},
      {[&] { QTest::mouseClick(frm->rb5, Qt::LeftButton); }, {"16", low, ""}},
      {[&] { frm->edtAge->setText("25"); }, {"20", middle, ""}},
  };
  for (int i = 0; i < steps.size(); ++i) {
    steps[i].change();
    EXPECT_EQ(shown(), steps[i].expected) << "step " << i;
    if (i == 6) keepPicture(frm.get(), "dm_test");
  }

  // Reopening for another customer sets the gender and the age and rescores even when they read the same.
  frm->openFor("7", QStringLiteral("未知"), "25", 2);
  EXPECT_TRUE(frm->rb1->isChecked());
  EXPECT_EQ(frm->patId, "7");
  EXPECT_EQ(frm->FromForm, 2);
  EXPECT_EQ(shown(), (QStringList{"20", middle, ""}));
  frm->openFor("7", QStringLiteral("女"), "25", 2);
  EXPECT_EQ(shown(), (QStringList{"19", middle, ""}));  // age 4 + waist 88 → 8 + sugar 5 + inactive 2
  frm->imgCloseClick();
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(frm->FromForm, 0);
  EXPECT_EQ(frm->edtHeight->text(), "170");  // the answers stay for the next opening
}

TEST_P(DmTestWindow, SavesTheShownClassForItsOwnCustomerOnly) {
  const qint64 id = addCustomer(1, QStringLiteral("孙七"), QStringLiteral("男"), "45", "13800007777");
  QSignalSpy saved(frm.get(), &TDMTestFrm::classSaved);

  // Nothing scored yet: no class to store.
  frm->openFor(QString::number(id), QStringLiteral("男"), "45", 2);
  frm->pnl17Click();
  EXPECT_EQ(messages.messages, QStringList{kDmNotScored});

  frm->edtHeight->setText("170");
  frm->edtWeight->setText("70");
  frm->edtWaistline->setText("88");
  frm->edtHP->setText("135");
  QTest::mouseClick(frm->rb3, Qt::LeftButton);
  ASSERT_EQ(frm->lblLevel->text(), QStringLiteral("高危型"));

  // The window's own customer decides, whatever the main window holds.
  struct Case {
    QString patId, message, stored;
  };
  const QList<Case> cases = {
      {"", kDmNoCustomer, ""},
      {"0", kDmNoCustomer, ""},
      {QString::number(id), QStringLiteral("保存成功"), QStringLiteral("高危型")},
  };
  for (const Case& c : cases) {
    messages.clear();
    frm->openFor(c.patId, QStringLiteral("男"), "45", 2);
    QTest::mouseClick(frm->pnl17, Qt::LeftButton);
    EXPECT_EQ(messages.messages, QStringList{c.message}) << c.patId.toStdString();
    EXPECT_EQ(patRow(id, "dm"), QStringList{c.stored}) << c.patId.toStdString();
  }
  ASSERT_EQ(saved.size(), 1);
  EXPECT_EQ(saved[0], (QList<QVariant>{QString::number(id), QStringLiteral("高危型")}));

  // An emptied box: the shown class no longer belongs to the answers and is not stored.
  frm->edtWaistline->clear();
  messages.clear();
  frm->pnl17Click();
  EXPECT_EQ(messages.messages, QStringList{kDmNotScored});
  EXPECT_EQ(saved.size(), 1);

  frm->edtWaistline->setText("70");
  frm->edtHP->setText("");
  QTest::mouseClick(frm->rb4, Qt::LeftButton);
  ASSERT_EQ(frm->lblLevel->text(), QStringLiteral("中危型"));  // 12 + 3 + 0 + 2
  frm->pnl17Click();
  EXPECT_EQ(patRow(id, "dm"), QStringList{QStringLiteral("中危型")});
  ASSERT_EQ(saved.size(), 2);
  EXPECT_EQ(saved[1][1].toString(), QStringLiteral("中危型"));
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, DmTestWindow, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
