// One GetDB round trip (the remote reconnect included) on the embedded SQLite
// database and on PostgreSQL over loopback (when TCM_TEST_PG names a server).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlQuery>

#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

void getDbRoundTrip(benchmark::State& state, RemoteKind kind) {
  DataFolder folder(kind);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  const Sql query(QStringLiteral("select id,shopId,shopName,name from [user] where userid=? and pwd=?"),
                  {QStringLiteral("13800000001"), QStringLiteral("x")});
  for (auto _ : state) {
    QSqlQuery* q = dm->GetDB(query, true);
    if (!q) {
      state.SkipWithError("query failed");
      break;
    }
    benchmark::DoNotOptimize(q->next());
  }
}

void BM_GetDB_Sqlite(benchmark::State& state) { getDbRoundTrip(state, RemoteKind::Sqlite); }
void BM_GetDB_Postgres(benchmark::State& state) { getDbRoundTrip(state, RemoteKind::Postgres); }

BENCHMARK(BM_GetDB_Sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetDB_Postgres)->Unit(benchmark::kMicrosecond);

}  // namespace

