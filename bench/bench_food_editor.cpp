// The food editor: repricing after one dosage keystroke with all 36 slots
// filled (model and price label), and one save of the food side into an
// existing visit row on SQLite and on PostgreSQL over loopback (TCM_TEST_PG).
#include <benchmark/benchmark.h>

#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>

#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/food_pre_frm.h"
#include "prescription/pre_frm.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

// Twelve herbs priced with four decimals, ids from `first`.
QString twelveHerbs(int first) {
  QStringList items;
  for (int i = 0; i < FoodPrescription::kSlots; ++i)
    items << QStringLiteral("%1,药%1,%2,g").arg(first + i).arg(5 + i);
  return items.join(QLatin1Char('|'));
}

void BM_FoodRepriceOneKeystroke(benchmark::State& state) {
  DataFolder folder(RemoteKind::Sqlite, false);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  TMainFrm main(*dm, quiet);
  for (int id = 1; id <= 36; ++id) {
    AliasItem item;
    item.entry.id = QString::number(id);
    item.entry.price = 0.0137 * id;
    main.LstHerbPrice << item;
  }
  TFoodPreFrm frm(&main, *dm, quiet);
  frm.show();
  for (int s = 0; s < FoodPrescription::kSections; ++s)
    frm.SetPreItem(QStringLiteral("方%1").arg(s), twelveHerbs(1 + s * FoodPrescription::kSlots));
  QLineEdit* box = frm.sections[FoodPrescription::Drink].slots[11]->edtDosage;
  int n = 0;
  for (auto _ : state) {
    box->setText((++n % 2) ? QStringLiteral("17") : QStringLiteral("16"));
    benchmark::DoNotOptimize(frm.lblPrice->text());
  }
}
BENCHMARK(BM_FoodRepriceOneKeystroke)->Unit(benchmark::kMicrosecond);

void BM_FoodSaveUpdate(benchmark::State& state, RemoteKind kind) {
  DataFolder folder(kind, true);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  AliasList prices;
  (void)GetHerbPriceList(*dm, "1", &prices);
  QSqlQuery* q = dm->GetDB(Sql("select PatId from pat where shopId = ? order by PatId", {1}), true);
  if (!q || !q->next()) {
    state.SkipWithError("no customer");
    return;
  }
  FoodSaveVisit visit;
  visit.shopId = "1";
  visit.patId = q->value(0).toString();
  q->finish();
  visit.now = QDateTime::currentDateTime();
  FoodPrescription food;
  for (const char* herbs : {"3,黄芪,30,g|148,鸡肉,250,g", "5,山药,30,g|146,粳米,60,g", "22,枸杞子,10,g|109,菊花,5,g"})
    food.place(QStringLiteral("方"), QString::fromUtf8(herbs), [&](const QString& id) { return GetHerbPriceById(prices, id); });
  if (saveFoodPrescription(*dm, food, &visit) != QStringLiteral("保存成功")) {
    state.SkipWithError("first save failed");
    return;
  }
  int n = 0;
  for (auto _ : state) {
    food.setQuantity(FoodPrescription::Soup, QString::number(1 + (++n % 9)));
    benchmark::DoNotOptimize(saveFoodPrescription(*dm, food, &visit));
  }
}
BENCHMARK_CAPTURE(BM_FoodSaveUpdate, sqlite, RemoteKind::Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FoodSaveUpdate, postgres, RemoteKind::Postgres)->Unit(benchmark::kMillisecond);

}  // namespace
