// The questionnaire on each answer: scoring the page (core alone), and the
// window's whole step (scoring, progress, chart bars and the chart repainted)
// on a half-answered and on a complete standard page. One frame is 16 ms.
#include <benchmark/benchmark.h>

#include <QChartView>

#include "../tests/customer_details/small_host.h"
#include "constitution/constitution_frm.h"
#include "constitution/questionnaire.h"
#include "login/login_state.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

void BM_ConstitutionScoreOneAnswer(benchmark::State& state) {
  const Questionnaire& q = Questionnaire::of(ConstitutionForm::Standard);
  const QList<PageQuestion> page = q.page(QStringLiteral("女"));
  ConstitutionAnswers answers;
  for (const PageQuestion& p : page) answers.insert(p.question, 2);
  int n = 0;
  for (auto _ : state) {
    answers[page[17].question] = (++n % 2) ? 3 : 4;
    ConstitutionResult r;
    QString error;
    benchmark::DoNotOptimize(scoreAnswers(q, QStringLiteral("女"), answers, &r, &error));
    benchmark::DoNotOptimize(r.line);
  }
}
BENCHMARK(BM_ConstitutionScoreOneAnswer)->Unit(benchmark::kMicrosecond);

// state.range(0): answered items before the measured one (30 or all 60).
void BM_ConstitutionWindowOneAnswer(benchmark::State& state) {
  DataFolder folder(RemoteKind::Sqlite, true);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toUtf8().constData());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  loginState().ShopId = "1";
  SmallHost host;
  host.patId = QStringLiteral("1");
  host.gender = QStringLiteral("女");
  host.age = QStringLiteral("45");
  TConstitutionFrm frm(*dm, quiet, host);
  frm.openForCurrent();
  const int answered = static_cast<int>(state.range(0));
  for (int place = 0; place < answered; ++place) frm.answerAt(place, 2);
  int n = 0;
  for (auto _ : state) {
    frm.answerAt(17, (++n % 2) ? 3 : 4);
    frm.chtScores->viewport()->repaint();
  }
  loginState().clear();
}
BENCHMARK(BM_ConstitutionWindowOneAnswer)->Arg(30)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
