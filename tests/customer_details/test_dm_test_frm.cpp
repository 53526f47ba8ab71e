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
  const QString none = QStringLiteral("—");
  EXPECT_EQ(shown(), (QStringList{none, none, ""}));  // nothing to score yet

  // Each step is one change as the clerk makes it, then what the window shows.
  struct Step {
    std::function<void()> change;
    QStringList expected;
  };
  const QList<Step> steps = {
      {[&] { frm->edtHeight->setText("170"); }, {none, none, ""}},
      {[&] { frm->edtWeight->setText("70"); }, {none, none, ""}},
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

  // Reopening for the same customer keeps the answers, sets the gender and the
  // age and rescores even when they read the same.
  frm->openFor("", QStringLiteral("未知"), "25", 2);
  EXPECT_TRUE(frm->rb1->isChecked());
  EXPECT_EQ(frm->patId, "");
  EXPECT_EQ(frm->FromForm, 2);
  EXPECT_EQ(shown(), (QStringList{"20", middle, ""}));
  frm->openFor("", QStringLiteral("女"), "25", 2);
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

  const auto answerHigh = [&] {
    frm->edtHeight->setText("170");
    frm->edtWeight->setText("70");
    frm->edtWaistline->setText("88");
    frm->edtHP->setText("135");
    QTest::mouseClick(frm->rb3, Qt::LeftButton);
  };
  answerHigh();
  ASSERT_EQ(frm->lblLevel->text(), QStringLiteral("高危型"));

  // Another customer, or none, starts from empty answers with that customer's
  // gender and age: nothing typed for the one before is shown or stored.
  const qint64 other = addCustomer(1, QStringLiteral("吴九"), QStringLiteral("女"), "52", "13800009999");
  struct Case {
    QString patId, gender, age, message;
  };
  const QList<Case> cases = {
      {QString::number(other), QStringLiteral("女"), "52", kDmNotScored},
      {"", QString(), "", kDmNoCustomer},
      {"0", QString(), "", kDmNoCustomer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.patId.toStdString());
    messages.clear();
    frm->openFor(c.patId, c.gender, c.age, 2);
    EXPECT_EQ(frm->rb2->isChecked(), c.gender == QStringLiteral("女"));
    EXPECT_FALSE(frm->rb1->isChecked());
    EXPECT_EQ(frm->edtAge->text(), c.age);
    EXPECT_EQ(QStringList({frm->edtHeight->text(), frm->edtWeight->text(), frm->edtWaistline->text(), frm->edtHP->text()}),
              QStringList({"", "", "", ""}));
    EXPECT_FALSE(frm->rb3->isChecked() || frm->rb4->isChecked());
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("—"), QStringLiteral("—"), ""}));
    QTest::mouseClick(frm->pnl17, Qt::LeftButton);
    EXPECT_EQ(messages.messages, QStringList{c.message});
  }
  EXPECT_EQ(patRow(other, "dm"), QStringList{QString()});
  EXPECT_EQ(patRow(id, "dm"), QStringList{QString()});

  // The customer's own answers stay while the same customer is assessed again.
  messages.clear();
  frm->openFor(QString::number(id), QStringLiteral("男"), "45", 2);
  answerHigh();
  frm->imgCloseClick();
  frm->openFor(QString::number(id), QStringLiteral("男"), "45", 2);
  EXPECT_EQ(frm->edtWaistline->text(), "88");
  QTest::mouseClick(frm->pnl17, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  EXPECT_EQ(patRow(id, "dm"), QStringList{QStringLiteral("高危型")});
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
