// The identification sheet: laying it out, drawing it into the 565 × 665
// picture of the picture window (as each opening does), and the opening of the
// window itself, for a 32-herb prescription and a three-section food sheet.
#include <benchmark/benchmark.h>

#include <QImage>

#include "prescription/print_rp_frm.h"
#include "prescription/sheet_layout.h"
#include "prescription/sheet_painter.h"

using namespace tcm;
using namespace tcm::ui;

namespace {

PrintList herbal32() {
  QStringList items;
  for (int i = 1; i <= 32; ++i) items << QStringLiteral("药材%1,%2,g").arg(i).arg(i % 15 + 3);
  TPerFood rec;
  rec.PreName = QStringLiteral("补中益气汤");
  rec.FoodHer = items.join(QLatin1Char('|'));
  return {rec};
}

PrintList food3() {
  PrintList list;
  for (const QString& title : {QStringLiteral("山药薏米汤"), QStringLiteral("红枣小米粥"), QStringLiteral("菊花茶")}) {
    TPerFood rec;
    rec.PreName = title;
    rec.FoodHer = QStringLiteral("山药,30,g|薏米,20,g|红枣,5,枚|小米,50,g|枸杞,10,g");
    rec.notRecommend = QString(45, QChar(0x5FCC));
    rec.recommend = QString(70, QChar(0x5B9C));
    list << rec;
  }
  return list;
}

void setUp() {
  SheetContext c;
  c.customer = [] {
    return SheetCustomer{QStringLiteral("202503070001"), QStringLiteral("张三"), QStringLiteral("男"),
                         QStringLiteral("45"), QStringLiteral("13800000001")};
  };
  setSheetContext(std::move(c));
}

void BM_SheetLayout(benchmark::State& state) {
  setUp();
  QImage img = makeSheetPicture();
  const SheetMeasure measure = sheetMeasure(&img);
  const PrintList list = state.range(0) ? food3() : herbal32();
  for (auto _ : state) {
    const SheetInput in = makeSheetInput(list, QStringLiteral("120.0"), QStringLiteral("气虚质"),
                                         QStringLiteral("康宁中医馆"), QStringLiteral("处方"));
    const SheetLayout l = layoutSheet(in, measureSheetMetrics(img.width(), img.height(), measure), measure);
    benchmark::DoNotOptimize(l.texts.size());
  }
}
BENCHMARK(BM_SheetLayout)->Arg(0)->Arg(1)->ArgName("food")->Unit(benchmark::kMicrosecond);

// Goal: under 30 ms.
void BM_VPrintDF(benchmark::State& state) {
  setUp();
  QImage img = makeSheetPicture();
  const PrintList list = state.range(0) ? food3() : herbal32();
  for (auto _ : state) {
    VPrintDF(list, QStringLiteral("120.0"), img, QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
             QStringLiteral("处方"));
    benchmark::DoNotOptimize(img.constBits());
  }
}
BENCHMARK(BM_VPrintDF)->Arg(0)->Arg(1)->ArgName("food")->Unit(benchmark::kMillisecond);

// The whole opening of the closed window: store, draw, hand the picture to the window, show.
void BM_ShowPrintRPFrm(benchmark::State& state) {
  setUp();
  const PrintList list = herbal32();
  for (auto _ : state) {
    ShowPrintRPFrm(list, QStringLiteral("120.0"), QStringLiteral("气虚质"), QStringLiteral("康宁中医馆"),
                   QStringLiteral("处方"));
    state.PauseTiming();
    printRPFrm()->hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShowPrintRPFrm)->Unit(benchmark::kMillisecond);

}  // namespace
