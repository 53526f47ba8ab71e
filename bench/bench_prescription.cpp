// The herbal editor at the counter: repricing after one dosage keystroke with
// all 32 slots filled (labels included), opening the editor on a 32-herb
// prescription, and saving into the visit record (look-up plus one statement
// list) on SQLite and on PostgreSQL over loopback (TCM_TEST_PG).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlQuery>

#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/pre_frm.h"
#include "prescription/visit_save.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

constexpr int kBigPreId = 9001;

// A prescription of 32 herbs of the seed catalogue, all priced by shop 1.
bool addBigPrescription(TDMServer& dm) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select id,name from herb_shop where shopId = ? order by id"), {1}), true);
  if (!q) return false;
  QStringList items;
  while (q->next() && items.size() < 32)
    items << QStringLiteral("%1,%2,%3.5,g").arg(q->value(0).toString(), q->value(1).toString()).arg(items.size() % 12 + 3);
  q->finish();
  return items.size() == 32 &&
         dm.ExecSql(Sql(QStringLiteral("insert into pre(PreId,name,herbIds) values(?,?,?)"),
                        {kBigPreId, QStringLiteral("大方"), items.join(QLatin1Char('|'))}),
                    true);
}

struct Counter {
  explicit Counter(RemoteKind kind) : folder(kind, true) {}
  bool start(benchmark::State& state) {
    if (!folder.ok()) {
      state.SkipWithError(folder.error().toUtf8().constData());
      return false;
    }
    dm = folder.server(&quiet);
    loginState().ShopId = QStringLiteral("1");
    main = std::make_unique<TMainFrm>(*dm, quiet);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    if (!loaded.wait(5000) || !addBigPrescription(*dm)) {
      state.SkipWithError("set-up failed");
      return false;
    }
    return true;
  }
  TPreFrm* open() {
    TPreFrm* frm = openPreFrm(main.get(), *dm, quiet, QStringLiteral("心气虚"), QString::number(kBigPreId),
                              QStringLiteral("大方"));
    frm->tmr1.stop();
    frm->tmr1Timer();
    QApplication::processEvents();
    return frm;
  }
  DataFolder folder;
  SilentMessages quiet;
  std::unique_ptr<TDMServer> dm;
  std::unique_ptr<TMainFrm> main;
};

void BM_RepriceOneKeystroke_32Herbs(benchmark::State& state) {
  Counter c(RemoteKind::Sqlite);
  if (!c.start(state)) return;
  TPreFrm* frm = c.open();
  if (!frm->ArrHer[31]->isVisible()) {
    state.SkipWithError("32 slots not filled");
    return;
  }
  QLineEdit* dose = frm->ArrHer[17]->edtDosage;
  int n = 0;
  for (auto _ : state) {
    dose->setText(QString::number(10 + (n++ % 7)));  // the box's change reprices and sets both labels
    benchmark::DoNotOptimize(frm->lblPrice->text());
  }
}

void BM_OpenEditor_32Herbs(benchmark::State& state) {
  Counter c(RemoteKind::Sqlite);
  if (!c.start(state)) return;
  for (auto _ : state) {
    TPreFrm* frm = c.open();
    benchmark::DoNotOptimize(frm->lblPrice->text());
    state.PauseTiming();
    frm->hide();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

void saveVisit(benchmark::State& state, RemoteKind kind, bool insert) {
  DataFolder folder(kind, true);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select PatId from pat where shopId = ? order by PatId"), {1}), true);
  if (!q || !q->next()) {
    state.SkipWithError("no customer");
    return;
  }
  VisitPrescription p;
  p.shopId = QStringLiteral("1");
  p.patId = q->value(0).toString();
  q->finish();
  p.mzno = QStringLiteral("2026121000001090000");
  p.disease = QStringLiteral("心气虚");
  p.displayText = QStringLiteral("黄芪,10g|党参,15g\r\n剂数：6剂");
  p.idsText = QStringLiteral("6&补肺汤&12,黄芪,10,g|15,党参,15,g");
  p.priceText = QStringLiteral("120.0");
  p.today = QDate(2026, 12, 10);
  if (!insert && saveVisitPrescription(*dm, p) != VisitSaveResult::Saved) {
    state.SkipWithError("first save failed");
    return;
  }
  qint64 n = 0;
  for (auto _ : state) {
    if (insert) p.mzno = QStringLiteral("20261210%1").arg(++n, 11, 10, QLatin1Char('0'));
    if (saveVisitPrescription(*dm, p) != VisitSaveResult::Saved) {
      state.SkipWithError("save failed");
      break;
    }
  }
}

void BM_SaveInsert_Sqlite(benchmark::State& state) { saveVisit(state, RemoteKind::Sqlite, true); }
void BM_SaveUpdate_Sqlite(benchmark::State& state) { saveVisit(state, RemoteKind::Sqlite, false); }
void BM_SaveInsert_Postgres(benchmark::State& state) { saveVisit(state, RemoteKind::Postgres, true); }
void BM_SaveUpdate_Postgres(benchmark::State& state) { saveVisit(state, RemoteKind::Postgres, false); }

BENCHMARK(BM_RepriceOneKeystroke_32Herbs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenEditor_32Herbs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveInsert_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveUpdate_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveInsert_Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveUpdate_Postgres)->Unit(benchmark::kMillisecond);

}  // namespace
