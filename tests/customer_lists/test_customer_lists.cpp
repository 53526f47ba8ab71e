#include "customer/customer_list.h"
#include "list_rows.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

TEST(Paging, PagesSlicesAndChooserEntries) {
  struct Case {
    int rows, pages;
    int page;
    PageSlice slice;
  };
  const Case cases[] = {
      {0, 0, 1, {0, 0}},   {1, 1, 1, {0, 1}},   {10, 1, 1, {0, 10}}, {10, 1, 2, {0, 0}},
      {11, 2, 1, {0, 10}}, {11, 2, 2, {10, 1}}, {25, 3, 3, {20, 5}}, {25, 3, 0, {0, 0}},
      {3, 1, 1, {0, 3}},   {20, 2, 2, {10, 10}}, {21, 3, 3, {20, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    EXPECT_EQ(pageCount(c.rows), c.pages);
    const PageSlice s = pageSlice(c.page, c.rows);
    EXPECT_EQ(s.first, c.slice.first);
    EXPECT_EQ(s.count, c.slice.count);
    EXPECT_EQ(pageNumbers(c.rows).size(), c.pages);
  }
  EXPECT_EQ(pageNumbers(25), QStringList({"1", "2", "3"}));
  EXPECT_TRUE(pageNumbers(0).isEmpty());
}

TEST(SearchFilter, BoxAndPickers) {
  using K = ListingFilter::Kind;
  const QDate d1(2026, 5, 1), d2(2026, 5, 8);
  struct Case {
    ListingKind list;
    QString typed;
    QDate start, end;
    std::optional<K> kind;  // nullopt: the search does nothing
    QString name;
    qint64 tel1 = 0;
  };
  const ListingKind C = ListingKind::Customers, V = ListingKind::Visits;
  const Case cases[] = {
      {C, "", d1, d2, K::DateRange, {}, 0},
      {C, "   ", d1, d2, K::DateRange, {}, 0},
      {C, "", d2, d1, std::nullopt, {}, 0},
      {C, QStringLiteral(" 王 "), d2, d1, K::Name, QStringLiteral("王"), 0},
      {C, "5678", d2, d1, K::TelEnding, {}, 5678},
      {C, "123456", d1, d2, K::TelEnding, {}, 1234},
      {C, "12 4", d1, d2, K::NoMatch, {}, 0},
      {C, "o'neil", d1, d2, K::NoMatch, {}, 0},
      {C, "wang", d1, d2, K::NoMatch, {}, 0},
      {C, "123456789012", d1, d2, K::NoMatch, {}, 0},
      {V, "", d1, d2, K::DateRange, {}, 0},
      {V, "", d2, d1, std::nullopt, {}, 0},
      {V, QStringLiteral("王"), d2, d1, std::nullopt, {}, 0},
      {V, "  ", d1, d2, K::Name, "", 0},
      {V, "0012", d1, d2, K::TelEnding, {}, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    const std::optional<ListingFilter> f = searchFilter(c.list, c.typed, c.start, c.end);
    ASSERT_EQ(f.has_value(), c.kind.has_value());
    if (!f) continue;
    EXPECT_EQ(f->kind, *c.kind);
    if (f->kind == K::Name) {
      EXPECT_EQ(f->name, c.name);
    }
    if (f->kind == K::TelEnding) {
      EXPECT_EQ(f->tel1, c.tel1);
    }
    if (f->kind == K::DateRange) {
      EXPECT_EQ(f->from, c.start);
      EXPECT_EQ(f->to, c.end.addDays(1));
    }
  }
  const ListingFilter week = quickRangeFilter(7, QDate(2026, 5, 8));
  EXPECT_EQ(week.kind, K::Between);
  EXPECT_EQ(week.from, QDate(2026, 5, 1));
  EXPECT_EQ(week.to, QDate(2026, 5, 9));
}

TEST(VisitAmount, ExactSumInOneDecimal) {
  struct Case {
    QVariant food, herb;
    const char* text;
  };
  const Case cases[] = {
      {12.5, 30, "42.5"},          {0.05, 0.1, "0.2"},  {QVariant(), QVariant(), "0.0"},
      {"12.2500", "0.0000", "12.3"}, {1.15, 0, "1.2"},  {"0.0400", "0.0100", "0.1"},
      {99999.95, 0.04, "100000.0"}, {0.04, 0, "0.0"},
  };
  for (const Case& c : cases) EXPECT_EQ(visitAmountText(c.food, c.herb), QString::fromUtf8(c.text)) << c.text;
}

class CustomerLists : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<DataFolder>(GetParam());
    if (folder_->postgresMissing() || !folder_->ok()) return;
    dm = folder_->server(&messages);
  }
  std::unique_ptr<DataFolder> folder_;
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
};

TEST_P(CustomerLists, CustomersByDatesKeptCipheredUntilShown) {
  TCM_REQUIRE_FOLDER(*folder_);
  // 25 customers over five days, five a day at the same minute (ties in date order).
  QList<qint32> ids;
  for (int i = 0; i < 25; ++i) {
    NewCustomer c;
    c.name = QStringLiteral("客户%1").arg(i);
    c.tel = QStringLiteral("1390000%1").arg(1000 + i);
    c.address = QStringLiteral("杭州路%1号").arg(i);
    c.wrDate = QStringLiteral("2026-05-0%1 09:30:00").arg(1 + i / 5);
    c.dm = i == 3 ? QStringLiteral("高危型") : QString();
    ids << addCustomer(*dm, c);
    ASSERT_GT(ids.last(), 0);
  }
  ASSERT_GT(addCustomer(*dm, {2, QStringLiteral("别店"), "", "", "13900001000", "", "2026-05-02 09:30:00", ""}), 0);
  ASSERT_GT(addCustomer(*dm, {1, QStringLiteral("早到"), "", "", "13900005678", "", "2026-04-01", ""}), 0);

  KeptPatList kept;
  ASSERT_TRUE(listRows(ListingKind::Customers, *dm, 1,
                       *searchFilter(ListingKind::Customers, "", QDate(2026, 5, 1), QDate(2026, 5, 5)), &kept));
  ASSERT_EQ(kept.size(), 25);
  EXPECT_EQ(kept.decipheredCount(), 0);
  const QList<TPatList> page3 = kept.page(3);
  ASSERT_EQ(page3.size(), 5);
  EXPECT_EQ(kept.decipheredCount(), 5);
  EXPECT_EQ(page3[0].PatId, ids[20]);
  EXPECT_EQ(page3[0].Tel, "13900001020");
  EXPECT_EQ(page3[0].Address, QStringLiteral("杭州路20号"));
  EXPECT_EQ(page3[0].wrdate, "2026-05-05");
  EXPECT_EQ(page3[0].bodyType, QStringLiteral("气虚质"));
  const TPatList& r3 = kept.at(3);
  EXPECT_EQ(r3.disease, QStringLiteral("高危型"));
  EXPECT_EQ(kept.at(4).disease, QStringLiteral("[评估]"));
  for (int i = 0; i < 25; ++i) EXPECT_EQ(kept.at(i).PatId, ids[i]) << i;

  // The pickers' end day is included; the day after it is not.
  ASSERT_TRUE(listRows(ListingKind::Customers, *dm, 1,
                       *searchFilter(ListingKind::Customers, "", QDate(2026, 5, 5), QDate(2026, 5, 5)), &kept));
  EXPECT_EQ(kept.size(), 5);
  // A phone ending regardless of the dates; names literally; other shops never.
  struct Search {
    QString typed;
    int rows;
  };
  const Search searches[] = {{"5678", 1}, {"1000", 1}, {"1024", 1}, {"9999", 0}, {"12 4", 0},
                             {QStringLiteral("客户1"), 11}, {QStringLiteral("别店"), 0}, {"%", 0}};
  for (const Search& s : searches) {
    const std::optional<ListingFilter> f =
        searchFilter(ListingKind::Customers, s.typed, QDate(2030, 1, 2), QDate(2030, 1, 1));
    ASSERT_TRUE(f) << s.typed.toStdString();
    ASSERT_TRUE(listRows(ListingKind::Customers, *dm, 1, *f, &kept));
    EXPECT_EQ(kept.size(), s.rows) << s.typed.toStdString();
  }
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(CustomerLists, StepsReadTheSameRowsAsOneGo) {
  TCM_REQUIRE_FOLDER(*folder_);
  for (int i = 0; i < 23; ++i) {
    NewCustomer c;
    c.name = QStringLiteral("张%1").arg(i);
    c.tel = QStringLiteral("1370000%1").arg(2000 + i);
    // Three dates, many customers on each, in no particular insert order.
    c.wrDate = QStringLiteral("2026-06-0%1 10:00:00").arg(1 + (i * 7) % 3);
    ASSERT_GT(addCustomer(*dm, c), 0);
  }
  const ListingFilter filters[] = {quickRangeFilter(30, QDate(2026, 6, 10)),
                                   *searchFilter(ListingKind::Customers, "", QDate(2026, 6, 1), QDate(2026, 6, 3)),
                                   *searchFilter(ListingKind::Customers, QStringLiteral("张"), {}, {})};
  for (const ListingFilter& f : filters) {
    KeptPatList whole;
    ASSERT_TRUE(listRows(ListingKind::Customers, *dm, 1, f, &whole));
    ASSERT_EQ(whole.size(), 23);
    for (int step : {1, 2, 5, 7, 22, 23}) {
      SCOPED_TRACE(step);
      KeptPatList kept;
      PatListingReader reader;
      ASSERT_TRUE(reader.start(ListingKind::Customers, *dm, 1, f, &kept, step));
      EXPECT_EQ(kept.size(), step);
      int steps = 1;
      while (!reader.done()) {
        ASSERT_TRUE(reader.readMore(step));
        ++steps;
      }
      ASSERT_EQ(kept.size(), 23);
      EXPECT_EQ(steps, 23 / step + 1);
      for (int i = 0; i < 23; ++i) EXPECT_EQ(kept.at(i).PatId, whole.at(i).PatId) << i;
    }
    // Date order, then registration order within a date.
    for (int i = 1; i < 23; ++i) {
      if (f.kind == ListingFilter::Kind::Name) {
        EXPECT_LT(whole.at(i - 1).PatId, whole.at(i).PatId);
      } else {
        const bool ordered = whole.at(i - 1).wrdate < whole.at(i).wrdate ||
                             (whole.at(i - 1).wrdate == whole.at(i).wrdate && whole.at(i - 1).PatId < whole.at(i).PatId);
        EXPECT_TRUE(ordered) << i;
      }
    }
  }
}

TEST_P(CustomerLists, VisitsJoinedWithTheirCustomers) {
  TCM_REQUIRE_FOLDER(*folder_);
  const qint32 wang = addCustomer(*dm, {1, QStringLiteral("王五"), QStringLiteral("女"), "52", "13812345678", "", "2026-01-01", ""});
  const qint32 li = addCustomer(*dm, {1, QStringLiteral("李四"), QStringLiteral("男"), "33", "13800001111", "", "2026-01-01", ""});
  const qint32 other = addCustomer(*dm, {2, QStringLiteral("王别店"), "", "", "13800005678", "", "2026-01-01", ""});
  ASSERT_TRUE(wang > 0 && li > 0 && other > 0);
  struct Visit {
    qint32 pat;
    qint64 shop;
    QVariant food, herb;
    QString date, amount;
  };
  const Visit visits[] = {
      {wang, 1, 12.5, 30, "2026-05-02 10:00:00", "42.5"}, {wang, 1, 0, 18.25, "2026-05-03 11:00:00", "18.3"},
      {wang, 1, 0.05, 0.1, "2026-05-04", "0.2"},          {li, 1, 7, 0, "2026-05-03 09:00:00", "7.0"},
      {other, 2, 1, 1, "2026-05-03 09:00:00", "2.0"},
  };
  QList<qint32> visitIds;
  for (const Visit& v : visits) {
    NewVisit n;
    n.shop = v.shop;
    n.patId = v.pat;
    n.foodPrice = v.food;
    n.herbPrice = v.herb;
    n.wrDate = v.date;
    n.disease = QStringLiteral("结果%1").arg(visitIds.size());
    visitIds << addVisit(*dm, n);
    ASSERT_GT(visitIds.last(), 0);
  }
  KeptPatList kept;
  ASSERT_TRUE(listRows(ListingKind::Visits, *dm, 1,
                       *searchFilter(ListingKind::Visits, "", QDate(2026, 5, 1), QDate(2026, 5, 4)), &kept));
  ASSERT_EQ(kept.size(), 4);
  // Date order: wang 05-02, li 05-03 09:00, wang 05-03 11:00, wang 05-04.
  const int order[] = {0, 3, 1, 2};
  for (int i = 0; i < 4; ++i) {
    const Visit& v = visits[order[i]];
    const TPatList& r = kept.at(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(r.id, visitIds[order[i]]);
    EXPECT_EQ(r.PatId, v.pat);
    EXPECT_EQ(r.Address, v.amount);
    EXPECT_EQ(r.wrdate, v.date.left(10));
    EXPECT_EQ(r.disease, QStringLiteral("结果%1").arg(order[i]));
  }
  EXPECT_EQ(kept.at(0).Name, QStringLiteral("王五"));
  EXPECT_EQ(kept.at(0).Gender, QStringLiteral("女"));
  EXPECT_EQ(kept.at(0).Age, "52");
  EXPECT_EQ(kept.at(0).Tel, "13812345678");
  // Searches over the customers: names, phone endings, blanks alone (every visit of the shop).
  struct Search {
    QString typed;
    int rows;
  };
  const Search searches[] = {{QStringLiteral("王"), 3}, {"5678", 3}, {"1111", 1}, {"  ", 4}, {"0000", 0}};
  for (const Search& s : searches) {
    ASSERT_TRUE(listRows(ListingKind::Visits, *dm, 1,
                         *searchFilter(ListingKind::Visits, s.typed, QDate(2020, 1, 1), QDate(2020, 1, 1)), &kept));
    EXPECT_EQ(kept.size(), s.rows) << s.typed.toStdString();
  }
  // "今日" on 05-02: that day's visits; the next day's start only at its midnight.
  ASSERT_TRUE(listRows(ListingKind::Visits, *dm, 1, quickRangeFilter(0, QDate(2026, 5, 2)), &kept));
  ASSERT_EQ(kept.size(), 1);
  EXPECT_EQ(kept.at(0).id, visitIds[0]);
  ASSERT_TRUE(listRows(ListingKind::Visits, *dm, 1, quickRangeFilter(1, QDate(2026, 5, 3)), &kept));
  EXPECT_EQ(kept.size(), 4);
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, CustomerLists, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
