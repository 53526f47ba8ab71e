// Identification runs of the syndrome engine on a small realistic base and on
// a generated base of 10,000 syndromes, and the knowledge load of 10,000 rows
// from SQLite and (with TCM_TEST_PG) from PostgreSQL.
//
// Goals: under 0.1 ms per run on ~50 syndromes, under 10 ms at 10,000, a load
// of 10,000 rows under 200 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "kb/knowledge_loader.h"
#include "engine/syndrome_engine.h"
#include "test_support.h"
// The generator of realistic knowledge tables lives with the engine tests.
#include "../tests/engine/engine_fixtures.h"
#include "kb_generator.h"
#include "literal_engine.h"

using namespace tcm;
using namespace tcm::test;

namespace {

// A generated base with its index, negative-finding table and a rotation of finding lists.
struct Base {
  Base(int syndromes, int codePool, uint32_t seed) {
    KbShape shape;
    shape.syndromes = syndromes;
    shape.codePool = codePool;
    shape.holes = 0.02;
    shape.shortPrescriptions = 0.0;  // a sound base: no run stops early
    KbGenerator gen(seed, shape);
    table = std::make_shared<KnowledgeTable>(gen.table());
    index = std::make_unique<SyndromeIndex>(table);
    for (const auto& [symptom, implied] : gen.negativePairs()) negatives.negativeOf.insert(symptom, implied);
    for (int i = 0; i < 64; ++i) {
      findings.append(gen.findings(gen.uniform(3, 10)));
      chiefs.append(findings.last().first());
    }
  }
  KnowledgeTablePtr table;
  std::unique_ptr<SyndromeIndex> index;
  TableNegatives negatives;
  QList<QStringList> findings;
  QStringList chiefs;
};

Base& smallBase() {
  static Base base(50, 60, 7);
  return base;
}

Base& largeBase() {
  static Base base(10000, 1500, 11);
  return base;
}

const QString kDepartments = QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12");

// The engine as the client runs it (parsed once into the index) or its literal
// reading that the tests hold (every text parsed on every run), on the same
// bases in the same run, so the figures compare as a ratio.
enum class Reading { Indexed, Literal };

void runEngine(benchmark::State& state, Base& base, bool withChief, Reading reading = Reading::Indexed) {
  qsizetype i = 0;
  int64_t results = 0;
  for (auto _ : state) {
    QStringList findings = base.findings[i % base.findings.size()];
    const QString chief = withChief ? base.chiefs[i % base.chiefs.size()] : QString();
    QString hint;
    base.negatives.calls.clear();
    const EngineRun run =
        reading == Reading::Indexed
            ? GetIllBySymLst(*base.index, findings, 4, 20, 1, kDepartments, hint, chief, base.negatives)
            : literalGetIllBySymLst(*base.table, findings, 4, 20, 1, kDepartments, hint, chief, base.negatives);
    if (!run.ok()) {
      state.SkipWithError(run.error.toStdString().c_str());
      return;
    }
    results += run.DiseaseLst.size();
    benchmark::DoNotOptimize(run);
    ++i;
  }
  state.counters["results_per_run"] = benchmark::Counter(static_cast<double>(results) / static_cast<double>(state.iterations()));
}

void BM_Engine_50Syndromes(benchmark::State& state) { runEngine(state, smallBase(), false); }
BENCHMARK(BM_Engine_50Syndromes)->Unit(benchmark::kMicrosecond);

void BM_Engine_50Syndromes_ChiefComplaint(benchmark::State& state) { runEngine(state, smallBase(), true); }
BENCHMARK(BM_Engine_50Syndromes_ChiefComplaint)->Unit(benchmark::kMicrosecond);

void BM_Engine_10000Syndromes(benchmark::State& state) { runEngine(state, largeBase(), false); }
BENCHMARK(BM_Engine_10000Syndromes)->Unit(benchmark::kMillisecond);

void BM_Engine_10000Syndromes_ChiefComplaint(benchmark::State& state) { runEngine(state, largeBase(), true); }
BENCHMARK(BM_Engine_10000Syndromes_ChiefComplaint)->Unit(benchmark::kMillisecond);

void BM_LiteralEngine_50Syndromes(benchmark::State& state) { runEngine(state, smallBase(), false, Reading::Literal); }
BENCHMARK(BM_LiteralEngine_50Syndromes)->Unit(benchmark::kMicrosecond);

void BM_LiteralEngine_50Syndromes_ChiefComplaint(benchmark::State& state) {
  runEngine(state, smallBase(), true, Reading::Literal);
}
BENCHMARK(BM_LiteralEngine_50Syndromes_ChiefComplaint)->Unit(benchmark::kMicrosecond);

void BM_LiteralEngine_10000Syndromes(benchmark::State& state) { runEngine(state, largeBase(), false, Reading::Literal); }
BENCHMARK(BM_LiteralEngine_10000Syndromes)->Unit(benchmark::kMillisecond);

void BM_LiteralEngine_10000Syndromes_ChiefComplaint(benchmark::State& state) {
  runEngine(state, largeBase(), true, Reading::Literal);
}
BENCHMARK(BM_LiteralEngine_10000Syndromes_ChiefComplaint)->Unit(benchmark::kMillisecond);

// Parsing a loaded table once, before its first run.
void BM_BuildIndex_10000Syndromes(benchmark::State& state) {
  const KnowledgeTablePtr table = largeBase().table;
  for (auto _ : state) {
    SyndromeIndex index(table);
    benchmark::DoNotOptimize(&index);
  }
}
BENCHMARK(BM_BuildIndex_10000Syndromes)->Unit(benchmark::kMillisecond);

// The small base with the negative findings looked up in a real local database.
void BM_Engine_50Syndromes_LocalDatabase(benchmark::State& state) {
  Base& base = smallBase();
  DataFolder folder(RemoteKind::Sqlite);
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toStdString().c_str());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  QList<Sql> rows;
  for (auto it = base.negatives.negativeOf.cbegin(); it != base.negatives.negativeOf.cend(); ++it)
    rows << Sql("insert into negative_symptom(symptomId,negativeSymptomId) values(?,?)", {it.key().toInt(), it->toInt()});
  if (!dm->ExecLstSql(rows, false)) {
    state.SkipWithError("negative findings not written");
    return;
  }
  qsizetype i = 0;
  for (auto _ : state) {
    QStringList findings = base.findings[i++ % base.findings.size()];
    QString hint;
    const EngineRun run = GetIllBySymLst(*base.index, findings, 4, 20, 1, kDepartments, hint, QString(), *dm);
    if (!run.ok()) {
      state.SkipWithError(run.error.toStdString().c_str());
      return;
    }
    benchmark::DoNotOptimize(run);
  }
}
BENCHMARK(BM_Engine_50Syndromes_LocalDatabase)->Unit(benchmark::kMicrosecond);

// 10,000 rows of syn_food written into the folder's remote database.
bool writeKnowledgeRows(TDMServer& dm, const KnowledgeTable& table) {
  QList<Sql> rows;
  for (const TDisease& d : table.records()) {
    if (d.Id == 0) continue;
    rows << Sql(
        "insert into syn_food(ID,Name,[OR],Weight,SymIdStr,DifferentialDiagnosisIdStr,CardinalSymptomIdStr,SymModIdStr,"
        "Dep1,Dep2,HintContent,NegativeSymIdStr,DecWeightSymIdStr,MatchModFlag,ModPreIdStr,Tre,Pre,AcuId,"
        "notRecommendFood,recommendFood,IsOpen) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,1)",
        {d.Id, d.Name, d.ORValue, d.Weight, d.SymIdStr, d.DifferentialDiagnosis, d.CardinalSymptom, d.SymModIdStr,
         d.Dep1, d.Dep2, d.HintContent, d.NegativeSymIdStr, d.DecWeightSymIdStr, d.MatchModFlagStr, d.ModPreIdStr,
         d.Tre, d.Pre, d.AcuId, QStringLiteral("忌食|生冷油腻"), QStringLiteral("宜食|山药、薏苡仁")});
  }
  return dm.ExecLstSql(rows, true);
}

void loadData(benchmark::State& state, RemoteKind kind) {
  DataFolder folder(kind);
  if (folder.postgresMissing()) {
    state.SkipWithError("no PostgreSQL test server (TCM_TEST_PG)");
    return;
  }
  if (!folder.ok()) {
    state.SkipWithError(folder.error().toStdString().c_str());
    return;
  }
  SilentMessages quiet;
  auto dm = folder.server(&quiet);
  if (!writeKnowledgeRows(*dm, *largeBase().table)) {
    state.SkipWithError("knowledge rows not written");
    return;
  }
  for (auto _ : state) {
    if (LoadData(*dm) != LoadResult::Loaded) {
      state.SkipWithError("LoadData failed");
      return;
    }
  }
  state.counters["MaxId"] = dm->knowledge()->MaxId();
}

void BM_LoadData_10000Rows_Sqlite(benchmark::State& state) { loadData(state, RemoteKind::Sqlite); }
BENCHMARK(BM_LoadData_10000Rows_Sqlite)->Unit(benchmark::kMillisecond);

void BM_LoadData_10000Rows_Postgres(benchmark::State& state) { loadData(state, RemoteKind::Postgres); }
BENCHMARK(BM_LoadData_10000Rows_Postgres)->Unit(benchmark::kMillisecond);

}  // namespace

