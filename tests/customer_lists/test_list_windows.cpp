// The customer list, the visit-record list and the visit view driven as the
// clerk drives them, on both databases.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include "customer/customer_frm.h"
#include "customer/customer_host.h"
#include "customer/customer_rcd_frm.h"
#include "customer/dm_test_frm.h"
#include "customer/pat_info_frm.h"
#include "customer/pat_list_frame.h"
#include "customer/pat_med_frm.h"
#include "list_rows.h"
#include "login/login_state.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

// The main window as the lists see it: the current customer and the two
// windows that live once.
class ListHost : public CustomerHost {
 public:
  ListHost(TDMServer& dm, Messages& messages) : dm_(dm), messages_(messages) {}
  QString currentPatId() const override { return patId; }
  QString currentMZNO() const override { return {}; }
  QString currentGender() const override { return {}; }
  QString currentAge() const override { return {}; }
  void makeCurrent(const CustomerPick& c, Visit visit) override {
    picks << c;
    visits << visit;
    patId = c.patId;
  }
  void showIdentification() override { ++identificationShown; }
  TPatMedFrm& patMedFrm() override {
    if (!patMed) patMed = std::make_unique<TPatMedFrm>(dm_, messages_);
    return *patMed;
  }
  TDMTestFrm& dmTestFrm() override {
    if (!dmTest) dmTest = std::make_unique<TDMTestFrm>(dm_, messages_);
    return *dmTest;
  }

  QString patId;
  QList<CustomerPick> picks;
  QList<Visit> visits;
  int identificationShown = 0;
  std::unique_ptr<TPatMedFrm> patMed;
  std::unique_ptr<TDMTestFrm> dmTest;

 private:
  TDMServer& dm_;
  Messages& messages_;
};

void keepPicture(QWidget* w, const QString& name) {
  const QString dir = qEnvironmentVariable("TCM_SHOT_DIR");
  if (!dir.isEmpty()) w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

class ListWindows : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<DataFolder>(GetParam());
    if (folder_->postgresMissing() || !folder_->ok()) return;
    dm = folder_->server(&messages);
    host = std::make_unique<ListHost>(*dm, messages);
    loginState().clear();
    loginState().ShopId = "1";
  }
  void TearDown() override { loginState().clear(); }

  // Names of the rows on screen.
  static QStringList shownNames(const TPatListPage& page) {
    QStringList names;
    for (TPatListFrame* row : page.arrPatList)
      if (!row->isHidden()) names << row->lblPatName->text();
    return names;
  }
  // Adds `n` customers registered today (names with the given stem).
  void addToday(int n, const QString& stem) {
    for (int i = 0; i < n; ++i) {
      NewCustomer c;
      c.name = stem + QString::number(i);
      c.tel = QStringLiteral("1350000%1").arg(3000 + i);
      c.address = QStringLiteral("文三路%1号").arg(i);
      c.wrDate = day(QDate::currentDate()) + QStringLiteral(" 08:%1:00").arg(i % 60, 2, 10, QLatin1Char('0'));
      ASSERT_GT(addCustomer(*dm, c), 0);
    }
  }

  std::unique_ptr<DataFolder> folder_;
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<ListHost> host;
};

TEST_P(ListWindows, CustomerListPagesFromTheKeptRows) {
  TCM_REQUIRE_FOLDER(*folder_);
  addToday(25, QStringLiteral("甲"));
  addToday(3, QStringLiteral("乙"));
  addToday(11, QStringLiteral("丙"));
  TCustomerFrm frm(*dm, messages, *host);
  frm.resize(1200, 620);
  frm.show();
  EXPECT_EQ(frm.dt1->date(), QDate::currentDate().addDays(-7));
  EXPECT_EQ(frm.dt2->date(), QDate::currentDate());

  struct Case {
    QString typed;
    int rows, pages;
    QString count;
    QStringList page1Head;  // the first names on page 1
    int lastPageRows;
  };
  const Case cases[] = {
      {QStringLiteral("甲"), 25, 3, QStringLiteral("25条"), {QStringLiteral("甲0"), QStringLiteral("甲1")}, 5},
      {QStringLiteral("乙"), 3, 1, QStringLiteral("3条"), {QStringLiteral("乙0")}, 3},
      {QStringLiteral("丙1"), 2, 1, QStringLiteral("2条"), {QStringLiteral("丙1"), QStringLiteral("丙10")}, 2},
      {QStringLiteral("丙"), 11, 2, QStringLiteral("11条"), {QStringLiteral("丙0")}, 1},
      {QStringLiteral("甲1"), 11, 2, QStringLiteral("11条"), {QStringLiteral("甲1")}, 1},
      {QStringLiteral("无此人"), 0, 0, QStringLiteral("0条"), {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    frm.edtPatName->setText(c.typed);
    const int fillsBefore = frm.pageFills();
    QTest::mouseClick(frm.pnlSearch, Qt::LeftButton);
    frm.finishListing();
    EXPECT_EQ(frm.lstPatObj.size(), c.rows);
    EXPECT_EQ(frm.cbbTotalPage->count(), c.pages);
    EXPECT_EQ(frm.lblTotalPage->text(), c.count);
    EXPECT_EQ(frm.pageFills() - fillsBefore, 1);  // refilling the chooser pages nothing
    const QStringList names = shownNames(frm);
    EXPECT_EQ(names.size(), std::min(c.rows, 10));
    EXPECT_EQ(names.mid(0, c.page1Head.size()), c.page1Head);
    if (c.pages > 1) {
      frm.cbbTotalPage->setCurrentIndex(c.pages - 1);
      EXPECT_EQ(shownNames(frm).size(), c.lastPageRows);
      EXPECT_EQ(frm.pageFills() - fillsBefore, 2);
    }
  }
  // A 25-row listing seen on page 3, then a 3-row listing: only "1" is offered.
  frm.edtPatName->setText(QStringLiteral("甲"));
  frm.pnlSearchClick();
  frm.finishListing();
  frm.cbbTotalPage->setCurrentIndex(2);
  keepPicture(&frm, QStringLiteral("customer_list_page3"));
  frm.edtPatName->setText(QStringLiteral("乙"));
  frm.pnlSearchClick();
  frm.finishListing();
  EXPECT_EQ(frm.cbbTotalPage->count(), 1);
  EXPECT_EQ(frm.cbbTotalPage->currentText(), "1");
  EXPECT_EQ(frm.lstPatObj.size(), 3);
  EXPECT_EQ(shownNames(frm), QStringList({QStringLiteral("乙0"), QStringLiteral("乙1"), QStringLiteral("乙2")}));

  // Texts no name can match clear the rows and say so; reversed dates change nothing.
  for (const QString& typed : {QStringLiteral("o'k"), QStringLiteral("wang"), QStringLiteral("123456789012"),
                               QStringLiteral("无此人"), QString()}) {
    frm.edtPatName->setText(QStringLiteral("乙"));  // the 3 rows of "乙" first
    frm.pnlSearchClick();
    frm.finishListing();
    messages.clear();
    frm.edtPatName->setText(typed);
    if (typed.isEmpty()) frm.dt1->setDate(frm.dt2->date().addDays(1));
    const qsizetype before = frm.lstPatObj.size();
    frm.pnlSearchClick();
    frm.finishListing();
    EXPECT_EQ(frm.lstPatObj.size(), typed.isEmpty() ? before : 0) << typed.toStdString();
    EXPECT_EQ(shownNames(frm).size(), typed.isEmpty() ? before : 0) << typed.toStdString();
    EXPECT_EQ(messages.messages, typed.isEmpty() ? QStringList{} : QStringList{QStringLiteral("没有找到")})
        << typed.toStdString();
  }
  // "今日" whatever the pickers say: the 39 customers of today, the first page at once.
  frm.dt1->setDate(QDate(2001, 1, 1));
  frm.dt2->setDate(QDate(2001, 1, 2));
  QTest::mouseClick(frm.pnl20, Qt::LeftButton);
  frm.finishListing();
  EXPECT_EQ(frm.lstPatObj.size(), 39);
  EXPECT_EQ(frm.cbbTotalPage->count(), 4);
  EXPECT_EQ(frm.arrPatList[0]->lblDate->text(), day(QDate::currentDate()));
  EXPECT_EQ(frm.arrPatList[0]->lblTel->text(), "13500003000");
  EXPECT_EQ(frm.arrPatList[0]->lblAddress->text(), QStringLiteral("文三路0号"));
  EXPECT_EQ(frm.lstPatObj.decipheredCount(), 10);
  keepPicture(&frm, QStringLiteral("customer_list"));

  // Coming back to the page starts afresh.
  frm.hide();
  frm.show();
  EXPECT_EQ(shownNames(frm).size(), 0);
  EXPECT_EQ(frm.lstPatObj.size(), 0);
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(ListWindows, RestOfTheListingArrivesWithoutMovingThePage) {
  TCM_REQUIRE_FOLDER(*folder_);
  QList<Sql> inserts;
  for (int i = 0; i < 130; ++i)
    inserts << Sql(QStringLiteral("insert into pat(shopId,Name,Tel,wrDate) values(1,?,?,?)"),
                   {QStringLiteral("批%1").arg(i, 3, 10, QLatin1Char('0')), *encryptText(QStringLiteral("1380000%1").arg(i)),
                    day(QDate::currentDate())});
  ASSERT_TRUE(dm->ExecLstSql(inserts, true));
  TCustomerFrm frm(*dm, messages, *host);
  frm.show();
  frm.pnl20Click();
  // The first step: ten pages, the count still growing, page 1 on screen.
  ASSERT_FALSE(frm.listingDone());
  EXPECT_EQ(frm.lstPatObj.size(), 100);
  EXPECT_EQ(frm.lblTotalPage->text(), QStringLiteral("100条…"));
  EXPECT_EQ(frm.cbbTotalPage->count(), 10);
  const int fills = frm.pageFills();
  frm.cbbTotalPage->setCurrentIndex(9);
  EXPECT_EQ(frm.pageFills(), fills + 1);
  EXPECT_EQ(shownNames(frm).first(), QStringLiteral("批090"));
  // The rest arrives between turns of the event loop; the page chosen stays.
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm.listingDone(); }, 10000));
  EXPECT_EQ(frm.lstPatObj.size(), 130);
  EXPECT_EQ(frm.lblTotalPage->text(), QStringLiteral("130条"));
  EXPECT_EQ(frm.cbbTotalPage->count(), 13);
  EXPECT_EQ(frm.cbbTotalPage->currentIndex(), 9);
  EXPECT_EQ(frm.pageFills(), fills + 1);
  EXPECT_EQ(shownNames(frm).first(), QStringLiteral("批090"));
  EXPECT_EQ(frm.arrPatList[0]->lblTel->text(), "138000090");
  EXPECT_LE(frm.lstPatObj.decipheredCount(), 20);
  frm.cbbTotalPage->setCurrentIndex(12);
  EXPECT_EQ(shownNames(frm), QStringList({QStringLiteral("批120"), QStringLiteral("批121"), QStringLiteral("批122"),
                                          QStringLiteral("批123"), QStringLiteral("批124"), QStringLiteral("批125"),
                                          QStringLiteral("批126"), QStringLiteral("批127"), QStringLiteral("批128"),
                                          QStringLiteral("批129")}));
}

TEST_P(ListWindows, CustomerRowActions) {
  TCM_REQUIRE_FOLDER(*folder_);
  const qint32 zhou = addCustomer(*dm, {1, QStringLiteral("周八"), QStringLiteral("男"), "45", "13900002222",
                                        QStringLiteral("西湖路1号"), day(QDate::currentDate()), ""});
  const qint32 wu = addCustomer(*dm, {1, QStringLiteral("吴九"), QStringLiteral("女"), "38", "13900003333", "",
                                      day(QDate::currentDate()), QStringLiteral("低危")});
  ASSERT_TRUE(zhou > 0 && wu > 0);
  TCustomerFrm frm(*dm, messages, *host);
  frm.show();
  frm.pnl20Click();
  frm.finishListing();
  ASSERT_EQ(shownNames(frm), QStringList({QStringLiteral("周八"), QStringLiteral("吴九")}));
  TPatListFrame* row = frm.arrPatList[0];

  // "AI辨识": the customer becomes current, no visit number, the identification page shows.
  QTest::mouseClick(row->Label1, Qt::LeftButton);
  ASSERT_EQ(host->picks.size(), 1);
  EXPECT_EQ(host->picks[0].patId, QString::number(zhou));
  EXPECT_EQ(host->picks[0].tel, "13900002222");
  EXPECT_EQ(host->visits[0], CustomerHost::Visit::Keep);
  EXPECT_EQ(host->identificationShown, 1);

  // "膳食方案": the visit view for this customer, all visits.
  QTest::mouseClick(row->lblView, Qt::LeftButton);
  ASSERT_TRUE(host->patMed);
  EXPECT_EQ(host->patMed->patId, zhou);
  EXPECT_EQ(host->patMed->MedId, 0);
  host->patMed->hide();

  // "[评估]": the label changes only once the class is stored.
  EXPECT_EQ(row->lblDisease->text(), QStringLiteral("[评估]"));
  QTest::mouseClick(row->lblDisease, Qt::LeftButton);
  ASSERT_TRUE(host->dmTest);
  TDMTestFrm& dmFrm = *host->dmTest;
  EXPECT_EQ(dmFrm.patId, QString::number(zhou));
  EXPECT_EQ(dmFrm.FromForm, 2);
  EXPECT_EQ(dmFrm.edtAge->text(), "45");
  EXPECT_TRUE(dmFrm.rb1->isChecked());
  dmFrm.edtHeight->setText("170");
  dmFrm.edtWeight->setText("70");
  dmFrm.edtHP->setText("135");
  QTest::mouseClick(dmFrm.rb3, Qt::LeftButton);
  dmFrm.pnl17Click();  // the waist is missing: nothing is stored
  EXPECT_EQ(row->lblDisease->text(), QStringLiteral("[评估]"));
  dmFrm.edtWaistline->setText("88");
  ASSERT_EQ(dmFrm.lblLevel->text(), QStringLiteral("高危型"));
  dmFrm.pnl17Click();
  EXPECT_EQ(row->lblDisease->text(), QStringLiteral("高危型"));
  EXPECT_EQ(frm.lstPatObj.at(0).disease, QStringLiteral("高危型"));
  dmFrm.hide();
  // A row with a class ignores clicks.
  dmFrm.patId.clear();
  QTest::mouseClick(frm.arrPatList[1]->lblDisease, Qt::LeftButton);
  EXPECT_TRUE(dmFrm.patId.isEmpty());
  EXPECT_FALSE(dmFrm.isVisible());

  // "修改": a save that fails leaves the row; one that succeeds rewrites it.
  QTest::mouseClick(row->Label2, Qt::LeftButton);
  TPatInfoFrm& info = frm.patInfoFrm();
  EXPECT_EQ(info.FromType, 3);
  EXPECT_EQ(info.edtName->text(), QStringLiteral("周八"));
  info.edtName->clear();
  messages.clear();
  info.pnl4Click();
  EXPECT_FALSE(messages.messages.isEmpty());
  EXPECT_EQ(row->lblPatName->text(), QStringLiteral("周八"));
  info.edtName->setText(QStringLiteral("周八八"));
  info.edtTel->setText("13911112222");
  info.pnl4Click();
  EXPECT_EQ(row->lblPatName->text(), QStringLiteral("周八八"));
  EXPECT_EQ(row->lblTel->text(), "13911112222");
  EXPECT_EQ(row->lblDisease->text(), QStringLiteral("高危型"));
  EXPECT_EQ(frm.lstPatObj.at(0).Name, QStringLiteral("周八八"));

  // A customer registered three years ago at 34: the column shows the age kept
  // in the row, "AI辨识" and "[评估]" carry the age of today.
  const QDate registered = QDate::currentDate().addYears(-3);
  ASSERT_GT(addCustomer(*dm, {1, QStringLiteral("郑十"), QStringLiteral("男"), "34", "13900004444", "", day(registered), ""}), 0);
  frm.edtPatName->setText(QStringLiteral("郑十"));
  frm.pnlSearchClick();
  frm.finishListing();
  ASSERT_EQ(shownNames(frm), QStringList{QStringLiteral("郑十")});
  EXPECT_EQ(row->lblBirthday->text(), "34");
  const QString ageToday = QString::number(34 + QDate::currentDate().year() - registered.year());
  QTest::mouseClick(row->Label1, Qt::LeftButton);
  EXPECT_EQ(host->picks.last().age, ageToday);
  QTest::mouseClick(row->lblDisease, Qt::LeftButton);
  EXPECT_EQ(dmFrm.edtAge->text(), ageToday);
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(ListWindows, VisitListOpensTheVisitOfItsRow) {
  TCM_REQUIRE_FOLDER(*folder_);
  const qint32 pat = addCustomer(*dm, {1, QStringLiteral("郑十"), QStringLiteral("女"), "60", "13700004444", "",
                                       "2026-01-01", ""});
  ASSERT_GT(pat, 0);
  QList<qint32> ids;
  const QDate today = QDate::currentDate();
  for (int i = 0; i < 13; ++i) {
    NewVisit v;
    v.patId = pat;
    v.foodPrice = 12.5;
    v.herbPrice = 30 + i;
    v.bl = QStringLiteral("所见%1").arg(i);
    v.herb = QStringLiteral("<i>方剂</i>%1").arg(i);
    v.wrDate = day(today.addDays(-12 + i)) + QStringLiteral(" 09:00:00");
    ids << addVisit(*dm, v);
    ASSERT_GT(ids.last(), 0);
  }
  TCustomerRcdFrm frm(*dm, messages, *host);
  frm.resize(1200, 620);
  frm.show();
  // A name search with the end before the start does nothing.
  frm.edtPatName->setText(QStringLiteral("郑"));
  frm.dt1->setDate(today);
  frm.dt2->setDate(today.addDays(-1));
  frm.pnl2Click();
  EXPECT_EQ(frm.lstPatObj.size(), 0);
  EXPECT_EQ(frm.lblTotalPage->text(), QStringLiteral("0条"));
  frm.dt1->setDate(today.addDays(-30));
  frm.dt2->setDate(today);
  frm.pnl2Click();
  frm.finishListing();
  ASSERT_EQ(frm.lstPatObj.size(), 13);
  EXPECT_EQ(frm.arrPatList[0]->lblAddress->text(), "42.5");
  EXPECT_EQ(frm.arrPatList[1]->lblAddress->text(), "43.5");
  EXPECT_EQ(frm.arrPatList[0]->lblTel->text(), "13700004444");
  EXPECT_TRUE(frm.arrPatList[0]->Label1->isHidden());
  EXPECT_TRUE(frm.arrPatList[0]->lblBodyType->isHidden());
  keepPicture(&frm, QStringLiteral("visit_list"));

  // Page 2's first row opens its own visit, not the one that stood there on page 1.
  frm.cbbTotalPage->setCurrentIndex(1);
  ASSERT_EQ(shownNames(frm).size(), 3);
  EXPECT_EQ(frm.arrPatList[0]->lblDate->text(), day(today.addDays(-2)));
  QTest::mouseClick(frm.arrPatList[0]->lblView, Qt::LeftButton);
  TPatMedFrm& view = *host->patMed;
  EXPECT_EQ(view.patId, pat);
  EXPECT_EQ(view.MedId, ids[10]);
  view.tmr1Timer();
  EXPECT_EQ(view.MedId, 0);
  EXPECT_FALSE(view.arrPnlDt[0]->isHidden());
  EXPECT_TRUE(view.arrPnlDt[1]->isHidden());
  EXPECT_EQ(view.arrLblDt[0]->text(), day(today.addDays(-2)) + QStringLiteral(" 09:00:00"));
  EXPECT_EQ(view.edtMed->toPlainText(), QStringLiteral("所见10\n\n<i>方剂</i>10"));
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(ListWindows, VisitViewLatestFourteen) {
  TCM_REQUIRE_FOLDER(*folder_);
  const qint32 pat = addCustomer(*dm, {1, QStringLiteral("冯一"), "", "", "13700005555", "", "2026-01-01", ""});
  const qint32 none = addCustomer(*dm, {1, QStringLiteral("陈二"), "", "", "13700006666", "", "2026-01-01", ""});
  ASSERT_TRUE(pat > 0 && none > 0);
  QList<qint32> ids;
  for (int i = 0; i < 20; ++i) {
    NewVisit v;
    v.patId = pat;
    v.bl = QStringLiteral("所见%1").arg(i);
    v.food = QStringLiteral("山药粥%1").arg(i);
    v.herb = QStringLiteral("黄芪%1").arg(i);
    // The two newest on one day.
    v.wrDate = QStringLiteral("2026-05-%1 1%2:00:00").arg(std::min(i, 18) + 1, 2, 10, QLatin1Char('0')).arg(i % 10);
    ids << addVisit(*dm, v);
    ASSERT_GT(ids.last(), 0);
  }
  TPatMedFrm& view = host->patMedFrm();
  view.openFor(pat, 0);
  view.tmr1Timer();
  int shown = 0;
  for (QFrame* p : view.arrPnlDt) shown += p->isHidden() ? 0 : 1;
  ASSERT_EQ(shown, 14);
  for (int k = 0; k < 14; ++k) EXPECT_EQ(TPatMedFrm::entryMedId(view.arrLblDt[k]), ids[19 - k]) << k;
  EXPECT_EQ(view.arrLblDt[0]->text(), "2026-05-19");
  EXPECT_EQ(view.arrLblDt[1]->text(), "2026-05-19");
  EXPECT_EQ(view.edtMed->toPlainText(), QStringLiteral("所见19\n山药粥19\n黄芪19"));
  const QColor chosen(33, 115, 70), other(10, 94, 123);
  // Both entries of the newest day are marked; choosing another day moves the mark.
  struct Case {
    int click;
    QList<int> marked;
    QString text;
  };
  const Case cases[] = {{1, {0, 1}, QStringLiteral("所见18\n山药粥18\n黄芪18")},
                        {5, {5}, QStringLiteral("所见14\n山药粥14\n黄芪14")},
                        {0, {0, 1}, QStringLiteral("所见19\n山药粥19\n黄芪19")}};
  for (const Case& c : cases) {
    QTest::mouseClick(view.arrLblDt[c.click], Qt::LeftButton);
    EXPECT_EQ(view.edtMed->toPlainText(), c.text);
    for (int k = 0; k < 14; ++k)
      EXPECT_EQ(view.entryColor(k), c.marked.contains(k) ? chosen : other) << c.click << " " << k;
  }
  keepPicture(&view, QStringLiteral("visit_view"));
  // Another customer without visits: no dates, and no earlier customer's text.
  view.openFor(none, 0);
  view.tmr1Timer();
  for (QFrame* p : view.arrPnlDt) EXPECT_TRUE(p->isHidden());
  EXPECT_TRUE(view.edtMed->toPlainText().isEmpty());
  EXPECT_EQ(view.edtMed->placeholderText(), QStringLiteral("该客户还没有膳食/方剂记录"));
  // Opening for no customer changes nothing; closing clears the text.
  view.openFor(pat, 0);
  view.tmr1Timer();
  EXPECT_TRUE(view.edtMed->placeholderText().isEmpty());
  view.openFor(0, 0);
  view.tmr1Timer();
  EXPECT_FALSE(view.edtMed->toPlainText().isEmpty());
  QTest::mouseClick(view.imgClose, Qt::LeftButton);
  EXPECT_FALSE(view.isVisible());
  EXPECT_TRUE(view.edtMed->toPlainText().isEmpty());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(BothDatabases, ListWindows, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
