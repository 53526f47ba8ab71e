// A chain of shops on one server and the shop's data kept safe:
// - eight counters saving prescriptions into visits at once on PostgreSQL over
//   loopback (TCM_BENCH_PG, else TCM_TEST_PG), each thread with its own data
//   module and connection: saves per second of all eight together, and the
//   99th percentile and slowest single save;
// - the daily backup of an fm.db with 100,000 customers and 300,000 visits: how
//   long the copy takes behind the login, and how long the login waits for it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <mutex>
#include <thread>

#include "customer/customer_search.h"
#include "db/backup.h"
#include "db/daily_backup.h"
#include "prescription/visit_save.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

constexpr int kCounters = 8;
constexpr int kSavesPerCounter = 150;  // 50 visits: first herbal save, its change, the food save

void BM_EightCountersOnServer(benchmark::State& state) {
  if (!qEnvironmentVariableIsEmpty("TCM_BENCH_PG")) qputenv("TCM_TEST_PG", qgetenv("TCM_BENCH_PG"));
  DataFolder folder(RemoteKind::Postgres);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  const QDateTime base(QDate(2026, 3, 14), QTime(9, 0));
  std::vector<double> all;
  int failed = 0;
  double seconds = 0;
  for (auto _ : state) {
    // The customers, one per visit, registered beforehand.
    std::vector<std::vector<qint64>> customers(kCounters);
    {
      SilentMessages quiet;
      auto dm = folder.server(&quiet);
      for (int k = 0; k < kCounters; ++k)
        for (int v = 0; v < kSavesPerCounter / 3; ++v) {
          const auto id = dm->InsertAndGetId(Sql("insert into pat(shopId,Name,wrDate) values(?,?,?)",
                                                 {1 + k % 2, QStringLiteral("客%1-%2").arg(k).arg(v), "2026-03-14"}),
                                             "PatId", true);
          if (id) customers[k].push_back(*id);
        }
    }
    std::mutex lock;
    std::vector<std::thread> threads;
    QElapsedTimer wall;
    wall.start();
    for (int k = 0; k < kCounters; ++k) {
      threads.emplace_back([&, k] {
        SilentMessages quiet;
        TDMServer dm(folder.settings(), &quiet);  // made on the thread that uses it
        std::vector<double> mine;
        int bad = 0;
        for (size_t v = 0; v < customers[k].size(); ++v) {
          VisitPrescription p;
          p.shopId = QString::number(1 + k % 2);
          p.patId = QString::number(customers[k][v]);
          p.mzno = GetMZNO(base, p.shopId);
          p.disease = QStringLiteral("气虚质");
          p.displayText = QStringLiteral("黄芪10克 党参12克");
          p.idsText = "1,2";
          p.priceText = "23.5";
          p.today = base.date();
          for (int step = 0; step < 3; ++step) {
            if (step == 1) p.displayText += QStringLiteral(" 白术9克");
            if (step == 2) p.side = PrescriptionSide::Food;
            QElapsedTimer t;
            t.start();
            if (saveVisitPrescription(dm, p) != VisitSaveResult::Saved) ++bad;
            mine.push_back(t.nsecsElapsed() / 1e6);
          }
        }
        std::lock_guard<std::mutex> g(lock);
        all.insert(all.end(), mine.begin(), mine.end());
        failed += bad;
      });
    }
    for (std::thread& t : threads) t.join();
    seconds += wall.nsecsElapsed() / 1e9;
  }
  std::sort(all.begin(), all.end());
  if (all.empty()) return;
  state.counters["saves"] = static_cast<double>(all.size());
  state.counters["failed"] = failed;
  state.counters["saves_per_s"] = all.size() / seconds;
  state.counters["p50_ms"] = all[all.size() / 2];
  state.counters["p99_ms"] = all[std::min(all.size() - 1, all.size() * 99 / 100)];
  state.counters["max_ms"] = all.back();
}
BENCHMARK(BM_EightCountersOnServer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Fills fm.db with `patients` customers and three visits each, in one transaction.
bool fillLargeShop(const QString& path, int patients) {
  sqlite3* db = nullptr;
  if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) return false;
  bool ok = sqlite3_exec(db, "begin", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_stmt *pat = nullptr, *med = nullptr;
  ok = ok && sqlite3_prepare_v2(db,
                                "insert into pat(PatId,shopId,Name,Gender,Age,Tel,tel1,Address,wrDate,bodyType,dm) "
                                "values(?,1,?,'女','45','A1B2C3D4E5F60718293A4B5C6D7E8F90',1234,"
                                "'0F1E2D3C4B5A69788796A5B4C3D2E1F0','2025-06-01 10:00:00','气虚质','低危')",
                                -1, &pat, nullptr) == SQLITE_OK;
  ok = ok && sqlite3_prepare_v2(db,
                                "insert into pat_med(shopId,MZNO,patId,Disease,bl,symIds,Herb,HerbIds,herbPrice,food,"
                                "foodIds,foodPrice,wrDate) values(1,?,?,'气虚质','','00012,00345,01294',"
                                "'黄芪10克 党参12克 白术9克 茯苓12克 甘草6克','1,2,3,4,5',45.5,'山药粥 红枣茶','9,11',"
                                "18.0,'2025-06-01')",
                                -1, &med, nullptr) == SQLITE_OK;
  for (int i = 1; ok && i <= patients; ++i) {
    const QByteArray name = QStringLiteral("客户%1").arg(i).toUtf8();
    sqlite3_bind_int(pat, 1, 100000 + i);
    sqlite3_bind_text(pat, 2, name.constData(), -1, SQLITE_TRANSIENT);
    ok = sqlite3_step(pat) == SQLITE_DONE;
    sqlite3_reset(pat);
    for (int v = 0; ok && v < 3; ++v) {
      const QByteArray mzno = QStringLiteral("2025%1000001%2").arg(i % 1200 + 101, 4, 10, QLatin1Char('0')).arg(i * 3 + v, 6, 10, QLatin1Char('0')).toUtf8();
      sqlite3_bind_text(med, 1, mzno.constData(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(med, 2, 100000 + i);
      ok = sqlite3_step(med) == SQLITE_DONE;
      sqlite3_reset(med);
    }
  }
  sqlite3_finalize(pat);
  sqlite3_finalize(med);
  ok = ok && sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

void BM_DailyBackupOfALargeShop(benchmark::State& state) {
  DataFolder folder(RemoteKind::Sqlite, /*withKnowledge=*/true);
  if (!folder.ok() || !fillLargeShop(folder.settings().remoteDbPath(), 100000)) {
    state.SkipWithError("could not build the large fm.db");
    return;
  }
  double loginWaitMs = 0, backupS = 0;
  int day = 0;
  bool made = true;
  for (auto _ : state) {
    DailyBackupJob job(folder.settings());
    DailyBackupResult result;
    QObject::connect(&job, &DailyBackupJob::finished, [&](const DailyBackupResult& r) { result = r; });
    QElapsedTimer t;
    t.start();
    job.start(QDateTime(QDate(2026, 3, 1).addDays(day++), QTime(8, 0)));  // what the login waits for
    loginWaitMs += t.nsecsElapsed() / 1e6;
    job.wait();
    backupS += t.nsecsElapsed() / 1e9;
    QCoreApplication::processEvents();
    made = made && result.kind == DailyBackupResult::Kind::Made;
  }
  if (!made) state.SkipWithError("a daily backup was not made");
  state.counters["login_wait_ms"] = loginWaitMs / state.iterations();
  state.counters["backup_s"] = backupS / state.iterations();
  state.counters["fm_db_mb"] = QFileInfo(folder.settings().remoteDbPath()).size() / 1048576.0;
}
BENCHMARK(BM_DailyBackupOfALargeShop)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
