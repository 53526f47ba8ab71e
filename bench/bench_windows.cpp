// Opening each window of the counter, from the click to a filled, painted
// window, on the demo shop: the customer details, a customer's visits, the
// diabetes assessment, the settings, the sheet's picture window and the help.
// The lists and the editors have their own programs (bench_customer_lists,
// bench_prescription, bench_food_editor).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSignalSpy>

#include "customer/dm_test_frm.h"
#include "customer/pat_info_frm.h"
#include "customer/pat_med_frm.h"
#include "db/gateway.h"
#include "help_frm.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/print_rp_frm.h"
#include "settings/set_param_frm.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

// The main window of the demo shop, loaded, for the program's life.
struct Counter {
  static Counter& get() {
    static Counter* c = [] {
      auto* counter = new Counter;
      qAddPostRoutine([] {
        delete get().main;
        get().dm.reset();
      });
      return counter;
    }();
    return *c;
  }
  bool ready(benchmark::State& state) {
    if (!ok) state.SkipWithError("set-up failed");
    return ok;
  }
  Counter() : folder(RemoteKind::Sqlite, true) {
    if (!folder.ok()) return;
    dm = folder.server(&quiet);
    loginState().ShopId = QStringLiteral("1");
    loginState().UserId = QStringLiteral("1");
    main = new TMainFrm(*dm, quiet);
    QSignalSpy loaded(main, &TMainFrm::loadingFinished);
    main->show();
    ok = loaded.wait(10000);
  }
  DataFolder folder;
  SilentMessages quiet;
  std::unique_ptr<TDMServer> dm;
  TMainFrm* main = nullptr;
  bool ok = false;
};

// Shows `w`, lets every pending paint and timer of the opening run, then closes it.
void fill(QWidget* w) {
  w->show();
  QApplication::processEvents();
  w->repaint();
  benchmark::DoNotOptimize(w->isVisible());
}

void BM_Open_CustomerDetails(benchmark::State& state) {
  Counter& c = Counter::get();
  if (!c.ready(state)) return;
  for (auto _ : state) {
    auto* frm = new TPatInfoFrm(*c.dm, c.quiet, *c.main, c.main);
    frm->openPlain();
    fill(frm);
    delete frm;
  }
}

void BM_Open_VisitRecords(benchmark::State& state) {
  Counter& c = Counter::get();
  if (!c.ready(state)) return;
  for (auto _ : state) {
    auto* frm = new TPatMedFrm(*c.dm, c.quiet, c.main);
    frm->openFor(1, 0);
    fill(frm);
    delete frm;
  }
}

void BM_Open_DiabetesAssessment(benchmark::State& state) {
  Counter& c = Counter::get();
  if (!c.ready(state)) return;
  for (auto _ : state) {
    auto* frm = new TDMTestFrm(*c.dm, c.quiet, c.main);
    frm->openFor(QStringLiteral("1"), QStringLiteral("女"), QStringLiteral("56"), 1);
    fill(frm);
    delete frm;
  }
}

void BM_Open_Settings(benchmark::State& state) {
  Counter& c = Counter::get();
  if (!c.ready(state)) return;
  for (auto _ : state) {
    auto* frm = new TSetParamFrm(*c.dm, c.quiet, c.main);
    frm->showCenteredOver(c.main);
    fill(frm);
    delete frm;
  }
}

void BM_Open_SheetPicture(benchmark::State& state) {
  Counter& c = Counter::get();
  if (!c.ready(state)) return;
  TPerFood rec;
  rec.PreName = QStringLiteral("四君子汤");
  rec.FoodHer = QStringLiteral("人参,9,g|白术,9,g|茯苓,9,g|甘草,6,g");
  rec.Dosage = QStringLiteral("7");
  for (auto _ : state) {
    ShowPrintRPFrm({rec}, QStringLiteral("120.0"), QStringLiteral("气虚质"), QStringLiteral("Orlemo经方示范店"),
                   QStringLiteral("处方"));
    fill(printRPFrm());
    printRPFrm()->hide();
  }
}

void BM_Open_Help(benchmark::State& state) {
  Counter& c = Counter::get();
  if (!c.ready(state)) return;
  for (auto _ : state) {
    auto* frm = new THelpFrm(c.main);
    frm->showConstitutionHelp();
    fill(frm);
    delete frm;
  }
}

}  // namespace

BENCHMARK(BM_Open_CustomerDetails)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_VisitRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_DiabetesAssessment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_Settings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_SheetPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_Help)->Unit(benchmark::kMillisecond);
