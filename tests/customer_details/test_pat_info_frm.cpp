// The customer window driven as a clerk does: adding and correcting in one
// window, each opening and what a save does to it, the search keys and choosing.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "customer/customer_record.h"
#include "customer/pat_info_frm.h"
#include "details_fixture.h"
#include "login/login_state.h"
#include "small_host.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class PatInfoWindow : public DetailsFixture {
 protected:
  void SetUp() override {
    DetailsFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    loginState().clear();
    loginState().ShopId = "1";
    frm = std::make_unique<TPatInfoFrm>(*dm, messages, host);
  }
  void TearDown() override {
    frm.reset();
    loginState().clear();
  }

  void type(const QString& name, const QString& gender, const QString& age, const QString& tel,
            const QString& address) {
    frm->edtName->setText(name);
    frm->cbbGender->setCurrentText(gender);
    frm->edtAge->setText(age);
    frm->edtTel->setText(tel);
    frm->edtAddress->setText(address);
  }
  QStringList boxes() const {
    return {frm->edtName->text(), frm->cbbGender->currentText(), frm->edtAge->text(), frm->edtTel->text(),
            frm->edtAddress->text()};
  }
  void save() { QTest::mouseClick(frm->pnl4, Qt::LeftButton); }

  SmallHost host;
  std::unique_ptr<TPatInfoFrm> frm;
};

TEST_P(PatInfoWindow, AddsThenCorrectsTheSameCustomerAndKeepsTypingOnFailure) {
  QSignalSpy saved(frm.get(), &TPatInfoFrm::customerSaved);
  frm->openPlain();
  EXPECT_TRUE(frm->isVisible());
  EXPECT_TRUE(frm->pgcMain->tabBar()->isVisible());
  EXPECT_EQ(frm->pgcMain->currentWidget(), frm->tsSearch);
  EXPECT_EQ(frm->lblTitle->text(), QStringLiteral("查询/添加客户资料"));
  frm->pgcMain->setCurrentWidget(frm->tsAdd);
  keepPicture(frm.get(), "pat_info_add");

  type(QStringLiteral("王芳"), QStringLiteral("女"), "42", "13912345678", QStringLiteral("杭州"));
  const qint64 before = patCount();
  save();
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  ASSERT_EQ(host.picks.size(), 1);
  const QString id = host.picks[0].patId;
  EXPECT_EQ(host.visits[0], CustomerHost::Visit::Keep);  // no visit number for a new customer
  EXPECT_EQ(QStringList({host.picks[0].name, host.picks[0].gender, host.picks[0].age, host.picks[0].tel}),
            (QStringList{QStringLiteral("王芳"), QStringLiteral("女"), "42", "13912345678"}));
  EXPECT_EQ(frm->editPatId, id);
  EXPECT_TRUE(frm->isVisible());  // a plain opening stays open after saving
  ASSERT_EQ(saved.size(), 1);
  EXPECT_EQ(saved[0][0].toInt(), 0);
  EXPECT_EQ(saved[0][1].value<TPatList>().PatId, id.toInt());

  // Saving again corrects the customer just added; the strip shows the correction.
  frm->edtAge->setText("43");
  save();
  EXPECT_EQ(patCount(), before + 1);
  EXPECT_EQ(patRow(id.toLongLong(), "Age"), QStringList{"43"});
  ASSERT_EQ(host.picks.size(), 2);
  EXPECT_EQ(host.picks[1].patId, id);
  EXPECT_EQ(host.picks[1].age, "43");

  // A failed check or a failed statement: the message, the window open with what was typed, no signal.
  messages.clear();
  frm->edtName->clear();
  save();
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("姓名没有填写")});
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("alter table pat rename to pat_gone")), true));
  frm->edtName->setText(QStringLiteral("王芳芳"));
  messages.choiceAnswers = {1};  // a correction of 王芳, not a new customer
  save();
  EXPECT_EQ(messages.messages.last(), QStringLiteral("保存失败"));
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(boxes(), (QStringList{QStringLiteral("王芳芳"), QStringLiteral("女"), "43", "13912345678",
                                  QStringLiteral("杭州")}));
  EXPECT_EQ(frm->editPatId, id);
  EXPECT_EQ(saved.size(), 2);
  EXPECT_EQ(host.picks.size(), 2);
}

TEST_P(PatInfoWindow, EachOpeningAndWhatASaveDoesToIt) {
  const qint64 listed = addCustomer(1, QStringLiteral("李四"), QStringLiteral("男"), "50", "13700005678");
  TPatList row;
  row.PatId = static_cast<qint32>(listed);
  row.Name = QStringLiteral("李四");
  row.Gender = QStringLiteral("男");
  row.Age = "51";
  row.Tel = "13700005678";
  row.Address = QStringLiteral("某地");
  row.bodyType = QStringLiteral("气虚质");
  row.disease = QStringLiteral("[评估]");
  row.wrdate = "2025-03-01";

  struct Case {
    int fromType;
    std::function<void()> open;
    QString title;
    bool tabsShown;
    QWidget* tab;
    QStringList prefilled;  // the boxes as the opening leaves them
    QStringList typed;      // what the clerk then saves
  };
  const QStringList empty = {"", QStringLiteral("女"), "", "", ""};
  const QList<Case> cases = {
      {1, [&] { frm->openForMainSearch(); }, QStringLiteral("查询/添加客户资料"), true, frm->tsSearch, empty,
       {QStringLiteral("张三"), QStringLiteral("男"), "20", "13600001111", ""}},
      {2, [&] { frm->openForAdd(); }, QStringLiteral("添加新客户"), false, frm->tsAdd,
       {"", QStringLiteral("男"), "", "", ""}, {QStringLiteral("赵六"), QStringLiteral("女"), "33", "1234", ""}},
      {3, [&] { frm->openForEdit(row); }, QStringLiteral("修改客户资料"), false, frm->tsAdd,
       {QStringLiteral("李四"), QStringLiteral("男"), "51", "13700005678", QStringLiteral("某地")},
       {QStringLiteral("李四"), QStringLiteral("男"), "51", "13700009999", QStringLiteral("新址")}},
  };
  frm->cbbGender->setCurrentText(QStringLiteral("女"));
  QSignalSpy saved(frm.get(), &TPatInfoFrm::customerSaved);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fromType);
    messages.clear();
    const int picksBefore = host.picks.size();
    c.open();
    EXPECT_EQ(frm->FromType, c.fromType);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->lblTitle->text(), c.title);
    EXPECT_EQ(frm->pgcMain->tabBar()->isVisible(), c.tabsShown);
    EXPECT_EQ(frm->pgcMain->currentWidget(), c.tab);
    EXPECT_EQ(boxes(), c.prefilled);
    if (c.fromType == 3) keepPicture(frm.get(), "pat_info_edit");

    // A failed check keeps the window as it is and tells the list nothing.
    frm->pgcMain->setCurrentWidget(frm->tsAdd);
    type(c.typed[0], c.typed[1], "abc", c.typed[3], c.typed[4]);
    save();
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("年龄只能为数字")});
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->FromType, c.fromType);
    EXPECT_EQ(saved.size(), 0);

    const qint64 before = patCount();
    type(c.typed[0], c.typed[1], c.typed[2], c.typed[3], c.typed[4]);
    save();
    EXPECT_EQ(messages.messages.last(), QStringLiteral("保存成功"));
    ASSERT_EQ(saved.size(), 1);
    const QList<QVariant> args = saved.takeFirst();
    EXPECT_EQ(args[0].toInt(), c.fromType);
    const TPatList s = args[1].value<TPatList>();
    EXPECT_EQ(QStringList({s.Name, s.Gender, s.Age, s.Tel, s.Address}), c.typed);
    EXPECT_EQ(patRow(s.PatId, "Name,Gender,Age,tel1"),
              (QStringList{c.typed[0], c.typed[1], c.typed[2], c.typed[3].right(4)}));
    if (c.fromType == 3) {
      EXPECT_EQ(s.PatId, row.PatId);  // corrected, not added
      EXPECT_EQ(patCount(), before);
      EXPECT_EQ(s.bodyType, row.bodyType);  // the rest of the list row stays
      EXPECT_EQ(s.disease, row.disease);
      EXPECT_EQ(host.picks.size(), picksBefore);  // not the current customer: the strip is left alone
    } else {
      EXPECT_EQ(patCount(), before + 1);
      ASSERT_EQ(host.picks.size(), picksBefore + 1);
      EXPECT_EQ(host.picks.last().patId, QString::number(s.PatId));
    }
    // Closed with the reset: plain again, boxes empty except the gender.
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->FromType, 0);
    EXPECT_TRUE(frm->editPatId.isEmpty());
    EXPECT_EQ(frm->lblTitle->text(), QStringLiteral("查询/添加客户资料"));
    EXPECT_EQ(boxes(), (QStringList{"", c.typed[1], "", "", ""}));
  }
}

TEST_P(PatInfoWindow, SearchKeysAndChoosingACustomer) {
  addCustomer(1, QStringLiteral("陈一"), QStringLiteral("男"), "30", "13800001234", "2023-06-01");
  const qint64 second = addCustomer(1, QStringLiteral("陈二"), QStringLiteral("女"), "25", "13900001234");
  addCustomer(1, QStringLiteral("李三"), QStringLiteral("女"), "40", "13700005678");
  frm->openForMainSearch();
  frm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
  QTest::keyClick(frm->edtPatName, Qt::Key_Down);  // nothing listed yet: the focus stays
  EXPECT_TRUE(frm->edtPatName->hasFocus());

  auto column = [&](int c) {
    QStringList out;
    for (int r = 0; r < frm->sgPat->rowCount(); ++r)
      out << (frm->sgPat->item(r, c) ? frm->sgPat->item(r, c)->text() : QString());
    while (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
  };
  // A search that cannot match clears the rows of the one before and says so.
  const QList<std::pair<QString, QStringList>> searches = {
      {"1234", {QStringLiteral("陈一"), QStringLiteral("陈二")}},
      {"chen", {}},
      {"", {QStringLiteral("陈一"), QStringLiteral("陈二"), QStringLiteral("李三")}},
      {"12 4", {}},
      {QStringLiteral("王"), {}},
      {QStringLiteral("陈"), {QStringLiteral("陈一"), QStringLiteral("陈二")}},
  };
  for (const auto& [typed, names] : searches) {
    messages.clear();
    frm->edtPatName->setText(typed);
    QTest::keyClick(frm->edtPatName, Qt::Key_Return);
    EXPECT_EQ(column(1), names) << typed.toStdString();
    EXPECT_EQ(messages.messages, names.isEmpty() ? QStringList{QStringLiteral("没有找到")} : QStringList{})
        << typed.toStdString();
  }
  messages.clear();
  EXPECT_EQ(frm->sgPat->rowCount(), kCustomerDetailRows);
  EXPECT_EQ(frm->sgPat->horizontalHeaderItem(4)->text(), QStringLiteral("电话"));
  EXPECT_EQ(column(3), (QStringList{QString::number(30 + QDate::currentDate().year() - 2023),
                                     QString::number(25 + QDate::currentDate().year() - 2024)}));
  EXPECT_EQ(column(4), (QStringList{"13800001234", "13900001234"}));
  keepPicture(frm.get(), "pat_info_search");

  frm->sgPatDblClick(5);  // an empty row chooses nobody
  EXPECT_TRUE(host.picks.isEmpty());
  EXPECT_TRUE(frm->isVisible());

  QTest::keyClick(frm->edtPatName, Qt::Key_Down);
  EXPECT_TRUE(frm->sgPat->hasFocus());
  QTest::keyClick(frm->sgPat, Qt::Key_Down);
  QTest::keyClick(frm->sgPat, Qt::Key_Return);
  ASSERT_EQ(host.picks.size(), 1);
  EXPECT_EQ(host.picks[0].patId, QString::number(second));
  EXPECT_EQ(host.picks[0].name, QStringLiteral("陈二"));
  EXPECT_EQ(host.picks[0].tel, "13900001234");
  EXPECT_EQ(host.visits[0], CustomerHost::Visit::NewIfNone);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(frm->FromType, 0);
  EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(",").toStdString();
}

TEST_P(PatInfoWindow, ANewNameAfterASaveAsksBeforeOverwritingTheCustomerJustAdded) {
  frm->openPlain();
  frm->pgcMain->setCurrentWidget(frm->tsAdd);
  EXPECT_EQ(frm->lblSaveTarget->text(), QStringLiteral("保存将添加一位新客户"));
  type(QStringLiteral("顾客甲"), QStringLiteral("男"), "30", "13800000011", QStringLiteral("东街"));
  save();
  ASSERT_EQ(host.picks.size(), 1);
  const qint64 first = host.picks[0].patId.toLongLong();
  EXPECT_EQ(frm->lblSaveTarget->text(), QStringLiteral("保存将修改客户“顾客甲”的资料"));
  const QStringList firstRow = patRow(first, "Name,Gender,Age,tel1");
  const qint64 before = patCount();

  // The next customer typed over the boxes: asked, and cancelling stores nothing.
  type(QStringLiteral("顾客乙"), QStringLiteral("女"), "52", "13900000022", QStringLiteral("西街"));
  messages.clear();
  save();
  ASSERT_EQ(messages.questions.size(), 1);
  EXPECT_TRUE(messages.questions[0].endsWith(QStringLiteral("|添加新客户/更正“顾客甲”/取消|0")))
      << messages.questions[0].toStdString();
  EXPECT_TRUE(messages.messages.isEmpty());
  EXPECT_EQ(patCount(), before);
  EXPECT_EQ(boxes()[0], QStringLiteral("顾客乙"));

  // The default answer adds her; the first customer's row stays his.
  messages.clear();
  messages.choiceAnswers = {0};
  save();
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("保存成功")});
  EXPECT_EQ(patCount(), before + 1);
  EXPECT_EQ(patRow(first, "Name,Gender,Age,tel1"), firstRow);
  ASSERT_EQ(host.picks.size(), 2);
  const qint64 second = host.picks[1].patId.toLongLong();
  EXPECT_NE(second, first);
  EXPECT_EQ(patRow(second, "Name,Gender,Age,tel1"), (QStringList{QStringLiteral("顾客乙"), QStringLiteral("女"), "52", "22"}));
  EXPECT_EQ(frm->lblSaveTarget->text(), QStringLiteral("保存将修改客户“顾客乙”的资料"));

  // A correction under the same name asks nothing; a rename chosen as a correction renames.
  messages.clear();
  frm->edtAge->setText("53");
  save();
  EXPECT_TRUE(messages.questions.isEmpty());
  EXPECT_EQ(patRow(second, "Age"), QStringList{"53"});
  messages.choiceAnswers = {1};
  frm->edtName->setText(QStringLiteral("顾客乙二"));
  save();
  EXPECT_EQ(messages.questions.size(), 1);
  EXPECT_EQ(patRow(second, "Name"), QStringList{QStringLiteral("顾客乙二")});
  EXPECT_EQ(patCount(), before + 1);

  // A box the checks refuse is reported before any question.
  messages.clear();
  type(QStringLiteral("顾客丙"), QStringLiteral("女"), "abc", "13900000033", "");
  save();
  EXPECT_TRUE(messages.questions.isEmpty());
  EXPECT_EQ(messages.messages, QStringList{QStringLiteral("年龄只能为数字")});
}

TEST_P(PatInfoWindow, ACorrectionOfTheCurrentCustomerGivesTheStripTheAgeOfToday) {
  const qint64 listed = addCustomer(1, QStringLiteral("周七"), QStringLiteral("男"), "34", "13700007777", "2023-05-01");
  host.patId = QString::number(listed);
  TPatList row;
  row.PatId = static_cast<qint32>(listed);
  row.Name = QStringLiteral("周七");
  row.Gender = QStringLiteral("男");
  row.Age = "34";
  row.Tel = "13700007777";
  row.wrdate = "2023-05-01";
  frm->openForEdit(row);
  EXPECT_EQ(frm->lblSaveTarget->text(), QStringLiteral("保存将修改客户“周七”的资料"));
  frm->edtTel->setText("13700008888");
  save();
  EXPECT_EQ(patRow(listed, "Age"), QStringList{"34"});  // the row keeps the age of the registration year
  ASSERT_EQ(host.picks.size(), 1);
  EXPECT_EQ(host.picks[0].age, QString::number(34 + QDate::currentDate().year() - 2023));
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, PatInfoWindow, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
