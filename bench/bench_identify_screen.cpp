// The identification screen at the counter: from an answer click on the first
// inquiry page to the result panel painted, on the seed knowledge base, with
// the remote database on SQLite and on PostgreSQL over loopback (TCM_TEST_PG).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "entry/finding_search_popup.h"
#include "entry/identify_page.h"
#include "entry/inquiry_column.h"
#include "entry/sel_sym_fra.h"
#include "entry/sym_option_frm.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "result/result_panel.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

TSelSymFra* answer(TSymOptionFrm* w, const QString& caption) {
  for (TSelSymFra* b : w->ArrSelSym)
    if (b->isVisibleTo(w) && b->caption() == caption) return b;
  return nullptr;
}

void answerToPanel(benchmark::State& state, RemoteKind kind) {
  DataFolder folder(kind, true);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  loginState().ShopId = QStringLiteral("1");
  TMainFrm main(*dm, quiet);
  QSignalSpy loaded(&main, &TMainFrm::loadingFinished);
  QElapsedTimer ready;
  ready.start();
  main.show();
  loaded.wait(5000);
  TSymOptionFrm* page = main.tsAI->inquiry->SymptomOptionFrm;
  QSignalSpy pageLoaded(page, &TSymOptionFrm::pageLoaded);
  if (!pageLoaded.wait(5000)) {
    state.SkipWithError("inquiry page not loaded");
    return;
  }
  state.counters["ready_ms"] = static_cast<double>(ready.elapsed());
  for (const char* name : {"乏力", "气短", "自汗"}) {
    TSelSymFra* b = answer(page, QString::fromUtf8(name));
    if (b) QTest::mouseClick(b->lblName, Qt::LeftButton);
  }
  TSelSymFra* toggled = answer(page, QStringLiteral("心悸"));
  if (!toggled) {
    state.SkipWithError("answer not found");
    return;
  }
  for (auto _ : state) {
    QTest::mouseClick(toggled->lblName, Qt::LeftButton);  // adds, or removes on the next turn; both re-run
    main.tsAI->result->repaint();
    benchmark::DoNotOptimize(main.tsAI->result->lblSyn->text().size());
  }
  loginState().clear();
}

void BM_AnswerToPanel_Sqlite(benchmark::State& state) { answerToPanel(state, RemoteKind::Sqlite); }
void BM_AnswerToPanel_Postgres(benchmark::State& state) { answerToPanel(state, RemoteKind::Postgres); }

BENCHMARK(BM_AnswerToPanel_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_AnswerToPanel_Postgres)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

