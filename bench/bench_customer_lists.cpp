// The customer list and the visit-record list of a large shop: 100,000
// customers and 300,000 visits, on the embedded SQLite database and on
// PostgreSQL over loopback (when TCM_TEST_PG names a server). A listing over a
// date range holding every row, until its first page is ready to show; paging
// over the kept rows; the record view's latest visits.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDateEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdlib>
#include <map>
#include <memory>

#include "crypto/aes_hex.h"
#include "customer/customer_frm.h"
#include "customer/customer_host.h"
#include "customer/customer_list.h"
#include "customer/customer_rcd_frm.h"
#include "customer/pat_list_frame.h"
#include "login/login_state.h"
#include "customer/visit_records.h"
#include "bench_support.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

using tcm::bench::exec;

constexpr int kCustomers = 100000;
constexpr int kVisits = 300000;
constexpr int kCipherRows = 100;

struct BigShop {
  std::unique_ptr<DataFolder> folder;
  SilentMessages quiet;
  std::unique_ptr<TDMServer> dm;
  QString error;
  qint32 somePatId = 0;
};

// Customers registered over one year (phones and addresses enciphered as the
// client stores them, 100 distinct values), three visits for each.
bool generate(BigShop& shop, RemoteKind kind) {
  QSqlDatabase& db = shop.dm->remoteConnection();
  QString* err = &shop.error;
  const bool lite = kind == RemoteKind::Sqlite;
  if (!exec(db, QStringLiteral("create temp table gen_cipher(k integer primary key, tel text, tel1 integer, addr text)"),
            {}, err))
    return false;
  if (!db.transaction()) return false;
  for (int k = 0; k < kCipherRows; ++k) {
    const QString tel = QStringLiteral("1381234%1").arg(k * 37 % 10000, 4, 10, QLatin1Char('0'));
    if (!exec(db, QStringLiteral("insert into gen_cipher values(?,?,?,?)"),
              {k, *encryptText(tel), tel.right(4).toInt(), *encryptText(QStringLiteral("杭州市西湖区文三路%1号").arg(k))},
              err))
      return false;
  }
  const QString series = lite ? QStringLiteral("with recursive g(n) as (select 1 union all select n + 1 from g where n < %1) ")
                              : QString();
  const QString from = lite ? QStringLiteral(" from g") : QStringLiteral(" from generate_series(1, %1) as g(n)");
  const QString date = lite ? QStringLiteral("strftime('%Y-%m-%d %H:%M:%S', '2024-01-01', '+' || (n % 365) || ' days', "
                                             "'+' || (n % 86400) || ' seconds')")
                            : QStringLiteral("timestamp '2024-01-01' + (n % 365) * interval '1 day' + "
                                             "(n % 86400) * interval '1 second'");
  const QString pats =
      (lite ? series.arg(kCustomers) : QString()) +
      QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address,wrDate,bodyType,dm) "
                     "select 1, '客户' || n, case when n % 2 = 0 then '男' else '女' end, cast(20 + n % 60 as text), "
                     "c.tel, c.tel1, c.addr, ") +
      date + QStringLiteral(", '平和质', case when n % 3 = 0 then '低危' else '' end") +
      (lite ? from : from.arg(kCustomers)) + QStringLiteral(" join gen_cipher c on c.k = n % 100");
  if (!exec(db, pats, {}, err)) return false;
  QSqlQuery range(db);
  if (!range.exec(QStringLiteral("select min(PatId) from pat where shopId = 1")) || !range.next()) return false;
  const qint64 base = range.value(0).toLongLong() - 1;
  shop.somePatId = static_cast<qint32>(base + 4242);
  const QString visits =
      (lite ? series.arg(kVisits) : QString()) +
      QStringLiteral("insert into pat_med(shopId,MZNO,patId,Disease,bl,Herb,herbPrice,food,foodPrice,wrDate) "
                     "select 1, 'MZ' || n, %1 + 1 + n % %2, '气虚质', '乏力，气短', '黄芪 10g', 30, '山药粥 1份', 12.5, ")
          .arg(base)
          .arg(kCustomers) +
      date + (lite ? from : from.arg(kVisits));
  if (!exec(db, visits, {}, err)) return false;
  if (!db.commit()) return false;
  return exec(db, lite ? QStringLiteral("analyze") : QStringLiteral("analyze pat"), {}, err) &&
         (lite || exec(db, QStringLiteral("analyze pat_med"), {}, err));
}

BigShop* bigShop(RemoteKind kind) { return tcm::bench::generatedShop<BigShop>(kind, generate); }

ListingFilter wholeYear() {
  ListingFilter f;
  f.kind = ListingFilter::Kind::DateRange;
  f.from = QDate(2023, 12, 1);
  f.to = QDate(2025, 2, 1);
  return f;
}

constexpr int kFirstRows = 100;  // as the list windows read their first step
constexpr int kStepRows = 2000;  // and every later step

// A listing until its first page is ready to show (its rows deciphered).
void listFirstPage(benchmark::State& state, RemoteKind kind, ListingKind what) {
  BigShop* shop = bigShop(kind);
  if (!shop->error.isEmpty()) {
    state.SkipWithError(shop->error.toUtf8().constData());
    return;
  }
  KeptPatList kept;
  for (auto _ : state) {
    PatListingReader reader;
    if (!reader.start(what, *shop->dm, 1, wholeYear(), &kept, kFirstRows) || kept.size() != kFirstRows) {
      state.SkipWithError("listing failed");
      break;
    }
    benchmark::DoNotOptimize(kept.page(1));
  }
  state.counters["deciphered"] = kept.decipheredCount();
}

// One later step of the listing (the longest the window waits between two
// turns of its event loop) in the middle of the range.
void listStep(benchmark::State& state, RemoteKind kind, ListingKind what) {
  BigShop* shop = bigShop(kind);
  if (!shop->error.isEmpty()) {
    state.SkipWithError(shop->error.toUtf8().constData());
    return;
  }
  KeptPatList kept;
  PatListingReader reader;
  if (!reader.start(what, *shop->dm, 1, wholeYear(), &kept, kFirstRows)) {
    state.SkipWithError("listing failed");
    return;
  }
  for (auto _ : state) {
    if (reader.done() && !reader.start(what, *shop->dm, 1, wholeYear(), &kept, kFirstRows)) break;
    if (!reader.readMore(kStepRows)) {
      state.SkipWithError("step failed");
      break;
    }
  }
}

// The whole listing read to its end (the count and every page ready).
void listWhole(benchmark::State& state, RemoteKind kind, ListingKind what) {
  BigShop* shop = bigShop(kind);
  if (!shop->error.isEmpty()) {
    state.SkipWithError(shop->error.toUtf8().constData());
    return;
  }
  const int expected = what == ListingKind::Customers ? kCustomers : kVisits;
  KeptPatList kept;
  for (auto _ : state) {
    if (!listRows(what, *shop->dm, 1, wholeYear(), &kept) || kept.size() != expected) {
      state.SkipWithError("listing failed or incomplete");
      break;
    }
  }
  state.counters["rows"] = kept.size();
  state.counters["deciphered"] = kept.decipheredCount();
}

// Showing another page of a kept listing: no query, ten rows deciphered.
void pageThrough(benchmark::State& state, RemoteKind kind) {
  BigShop* shop = bigShop(kind);
  if (!shop->error.isEmpty()) {
    state.SkipWithError(shop->error.toUtf8().constData());
    return;
  }
  KeptPatList kept;
  if (!listRows(ListingKind::Visits, *shop->dm, 1, wholeYear(), &kept)) {
    state.SkipWithError("listing failed");
    return;
  }
  const int pages = pageCount(kept.size());
  int p = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kept.page(p));
    p = p % pages + 1;  // pages already seen cost nothing more
  }
}

// The window itself: "查询" over the whole year until the rows of page 1
// stand on screen (the rest would follow between turns of the event loop).
class NoHost : public ui::CustomerHost {
 public:
  QString currentPatId() const override { return {}; }
  QString currentMZNO() const override { return {}; }
  QString currentGender() const override { return {}; }
  QString currentAge() const override { return {}; }
  void makeCurrent(const ui::CustomerPick&, Visit) override {}
  void showIdentification() override {}
  ui::TPatMedFrm& patMedFrm() override { std::abort(); }
  ui::TDMTestFrm& dmTestFrm() override { std::abort(); }
};

template <typename Frm>
void windowFirstPage(benchmark::State& state, RemoteKind kind) {
  BigShop* shop = bigShop(kind);
  if (!shop->error.isEmpty()) {
    state.SkipWithError(shop->error.toUtf8().constData());
    return;
  }
  loginState().ShopId = QStringLiteral("1");
  NoHost host;
  Frm frm(*shop->dm, shop->quiet, host);
  frm.resize(1200, 620);
  frm.show();
  frm.dt1->setDate(wholeYear().from);
  frm.dt2->setDate(wholeYear().to);
  for (auto _ : state) {
    frm.searchClick();
    if (frm.arrPatList[9]->isHidden()) {
      state.SkipWithError("no first page");
      break;
    }
  }
  loginState().clear();
}

void recent(benchmark::State& state, RemoteKind kind) {
  BigShop* shop = bigShop(kind);
  if (!shop->error.isEmpty()) {
    state.SkipWithError(shop->error.toUtf8().constData());
    return;
  }
  QList<VisitDate> dates;
  for (auto _ : state) {
    if (!recentVisits(*shop->dm, shop->somePatId, &dates) || dates.size() != 3) {
      state.SkipWithError("recent visits failed");
      break;
    }
  }
}

#define LISTING_BENCHES(Name, what)                                                                      \
  void BM_##Name##_FirstPage_Sqlite(benchmark::State& s) { listFirstPage(s, RemoteKind::Sqlite, what); }    \
  void BM_##Name##_FirstPage_Postgres(benchmark::State& s) { listFirstPage(s, RemoteKind::Postgres, what); } \
  void BM_##Name##_Step_Sqlite(benchmark::State& s) { listStep(s, RemoteKind::Sqlite, what); }              \
  void BM_##Name##_Step_Postgres(benchmark::State& s) { listStep(s, RemoteKind::Postgres, what); }           \
  void BM_##Name##_Whole_Sqlite(benchmark::State& s) { listWhole(s, RemoteKind::Sqlite, what); }            \
  void BM_##Name##_Whole_Postgres(benchmark::State& s) { listWhole(s, RemoteKind::Postgres, what); }         \
  BENCHMARK(BM_##Name##_FirstPage_Sqlite)->Unit(benchmark::kMillisecond);                                   \
  BENCHMARK(BM_##Name##_FirstPage_Postgres)->Unit(benchmark::kMillisecond);                                 \
  BENCHMARK(BM_##Name##_Step_Sqlite)->Unit(benchmark::kMillisecond);                                        \
  BENCHMARK(BM_##Name##_Step_Postgres)->Unit(benchmark::kMillisecond);                                      \
  BENCHMARK(BM_##Name##_Whole_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(3);                        \
  BENCHMARK(BM_##Name##_Whole_Postgres)->Unit(benchmark::kMillisecond)->Iterations(3);

LISTING_BENCHES(CustomerList, ListingKind::Customers)
LISTING_BENCHES(VisitList, ListingKind::Visits)

void BM_CustomerFrm_FirstPage_Sqlite(benchmark::State& s) { windowFirstPage<ui::TCustomerFrm>(s, RemoteKind::Sqlite); }
void BM_CustomerFrm_FirstPage_Postgres(benchmark::State& s) {
  windowFirstPage<ui::TCustomerFrm>(s, RemoteKind::Postgres);
}
void BM_CustomerRcdFrm_FirstPage_Sqlite(benchmark::State& s) {
  windowFirstPage<ui::TCustomerRcdFrm>(s, RemoteKind::Sqlite);
}
void BM_CustomerRcdFrm_FirstPage_Postgres(benchmark::State& s) {
  windowFirstPage<ui::TCustomerRcdFrm>(s, RemoteKind::Postgres);
}
BENCHMARK(BM_CustomerFrm_FirstPage_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomerFrm_FirstPage_Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomerRcdFrm_FirstPage_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomerRcdFrm_FirstPage_Postgres)->Unit(benchmark::kMillisecond);

void BM_VisitList_PageChange_Sqlite(benchmark::State& s) { pageThrough(s, RemoteKind::Sqlite); }
void BM_VisitList_PageChange_Postgres(benchmark::State& s) { pageThrough(s, RemoteKind::Postgres); }
void BM_RecentVisits_Sqlite(benchmark::State& s) { recent(s, RemoteKind::Sqlite); }
void BM_RecentVisits_Postgres(benchmark::State& s) { recent(s, RemoteKind::Postgres); }

BENCHMARK(BM_VisitList_PageChange_Sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VisitList_PageChange_Postgres)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecentVisits_Sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecentVisits_Postgres)->Unit(benchmark::kMicrosecond);

}  // namespace
