// The customer window's search in a shop of 100,000 customers, on the embedded
// SQLite database and on PostgreSQL over loopback (when TCM_TEST_PG names a
// server): by part of a name (many matches, a few, none at all), every
// customer, and by phone ending. Each answer is at most the 15 rows the window
// shows, ages worked out and phones deciphered.
#include <benchmark/benchmark.h>

#include <QSqlError>
#include <QSqlQuery>
#include <cstdlib>
#include <map>
#include <memory>

#include "crypto/aes_hex.h"
#include "customer/customer_record.h"
#include "bench_support.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

using tcm::bench::exec;

constexpr int kCustomers = 100000;
constexpr int kPhones = 10000;  // one enciphered phone for every ending

struct Shop {
  std::unique_ptr<DataFolder> folder;
  SilentMessages quiet;
  std::unique_ptr<TDMServer> dm;
  QString error;
};

// Three-character names from 20 surnames and 20 × 20 given characters (8,000
// names, about a dozen customers each), enciphered phones with their endings,
// and a few customers of another shop.
bool generate(Shop& shop, RemoteKind kind) {
  QSqlDatabase& db = shop.dm->remoteConnection();
  QString* err = &shop.error;
  const bool lite = kind == RemoteKind::Sqlite;
  if (!exec(db, QStringLiteral("create temp table gen_phone(k integer primary key, tel text, tel1 integer)"), {}, err))
    return false;
  if (!db.transaction()) return false;
  for (int k = 0; k < kPhones; ++k) {
    const QString tel = QStringLiteral("1390571%1").arg(k, 4, 10, QLatin1Char('0'));
    if (!exec(db, QStringLiteral("insert into gen_phone values(?,?,?)"), {k, *encryptText(tel), k}, err)) return false;
  }
  const QString series = lite ? QStringLiteral("with recursive g(n) as (select 1 union all select n + 1 from g where n < %1) ")
                                    .arg(kCustomers)
                              : QString();
  const QString from = lite ? QStringLiteral(" from g") : QStringLiteral(" from generate_series(1, %1) as g(n)").arg(kCustomers);
  const QString date = lite ? QStringLiteral("date('2020-01-01', '+' || (n % 2000) || ' days')")
                            : QStringLiteral("date '2020-01-01' + (n % 2000)");
  const QString sql =
      series +
      QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address,wrDate) "
                     "select case when n % 50 = 1 then 2 else 1 end, "
                     "substr('王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗', n % 20 + 1, 1) || "
                     "substr('建国华明志伟秀英玉兰桂芳海峰文军春丽金红', (n / 20) % 20 + 1, 1) || "
                     "substr('强平杰敏静燕霞刚勇涛斌超鹏辉娟艳萍琳婷雪', (n / 400) % 20 + 1, 1), "
                     "case when n % 2 = 0 then '男' else '女' end, cast(18 + n % 70 as text), p.tel, p.tel1, '', ") +
      date + from + QStringLiteral(" join gen_phone p on p.k = (n * 7919) % %1").arg(kPhones);
  if (!exec(db, sql, {}, err)) return false;
  if (!db.commit()) return false;
  return exec(db, lite ? QStringLiteral("analyze") : QStringLiteral("analyze pat"), {}, err);
}

Shop* bigShop(RemoteKind kind) { return tcm::bench::generatedShop<Shop>(kind, generate); }

void search(benchmark::State& state, RemoteKind kind, const QString& typed, int expectedRows) {
  Shop* shop = bigShop(kind);
  if (!shop->error.isEmpty()) {
    state.SkipWithError(shop->error.toUtf8().constData());
    return;
  }
  const QDate today(2026, 5, 20);
  qsizetype rows = 0;
  for (auto _ : state) {
    const std::optional<QList<CustomerRow>> found = searchCustomerDetails(*shop->dm, "1", typed, today);
    if (!found) {
      state.SkipWithError("search ignored");
      break;
    }
    rows = found->size();
  }
  if (rows != expectedRows) state.SkipWithError(QStringLiteral("%1 rows, %2 expected").arg(rows).arg(expectedRows).toUtf8().constData());
  state.counters["rows"] = static_cast<double>(rows);
}

struct Case {
  const char* name;
  QString typed;
  int rows;
};

const Case kCases[] = {
    {"Surname", QStringLiteral("王"), 15},        // thousands match: the first 15
    {"FullName", QStringLiteral("王建强"), 12},   // a dozen namesakes
    {"NoSuchName", QStringLiteral("无此人"), 0},  // every customer of the shop looked at
    {"Everyone", QString(), 15},
    {"PhoneEnding", QStringLiteral("0571"), 10},  // ten customers with this ending
};

const bool registered = [] {
  for (const Case& c : kCases) {
    for (RemoteKind kind : {RemoteKind::Sqlite, RemoteKind::Postgres}) {
      const std::string name = std::string("BM_CustomerDetailsSearch_") + c.name +
                               (kind == RemoteKind::Sqlite ? "_Sqlite" : "_Postgres");
      benchmark::RegisterBenchmark(name.c_str(), [c, kind](benchmark::State& s) { search(s, kind, c.typed, c.rows); })
          ->Unit(benchmark::kMillisecond);
    }
  }
  return true;
}();

}  // namespace
