// Tailoring in the herbal editor: one herb added through the catalogue search
// (two pinyin keystrokes and Enter) into 天王补心丹, the slots, marks,
// warnings and price redone — the whole of it must fit in one frame (16 ms).
#include <benchmark/benchmark.h>

#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTest>

#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/pre_frm.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

void BM_AddHerbThroughTheSearch(benchmark::State& state) {
  DataFolder folder(RemoteKind::Sqlite, true);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  loginState().ShopId = "1";
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  TMainFrm main(*dm, quiet);
  if (!GetHerbPriceList(*dm, "1", &main.LstHerbPrice)) {
    state.SkipWithError("no price list");
    return;
  }
  QSqlQuery* q = dm->GetDB(Sql("select PreId from pre where name = ?", {QStringLiteral("天王补心丹")}), true);
  if (!q || !q->next()) {
    state.SkipWithError("no 天王补心丹");
    return;
  }
  TPreFrm frm(&main, *dm, quiet);
  frm.PreId = q->value(0).toString();
  frm.PreName = QStringLiteral("天王补心丹");
  q->finish();
  frm.show();
  frm.tmr1Timer();
  const int before = static_cast<int>(frm.prescription().slots().size());
  QLineEdit* box = frm.search->edtHerb;
  for (auto _ : state) {
    QTest::keyClicks(box, "lg");
    QTest::keyClick(box, Qt::Key_Return);
    benchmark::DoNotOptimize(frm.lblPrice->text());
    state.PauseTiming();
    if (frm.prescription().slots().size() != before + 1) {
      state.SkipWithError("the herb was not added");
      break;
    }
    frm.removeSlot(before);
    state.ResumeTiming();
  }
  loginState().clear();
}
BENCHMARK(BM_AddHerbThroughTheSearch)->Unit(benchmark::kMillisecond);

}  // namespace
