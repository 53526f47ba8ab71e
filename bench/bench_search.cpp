// One keystroke of the finding search: over the seed vocabulary and over a
// generated vocabulary of 100,000 entries.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <random>

#include "kb/seed_model.h"
#include "entry/vocabulary_search.h"

using namespace tcm;

namespace {

AliasList seedVocabulary() {
  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(QString::fromLatin1(kSeedFolder), &problems);
  AliasList list;
  for (const SeedFinding& f : kb.findings) {
    if (f.category < 0) continue;
    AliasItem item;
    item.entry.id = QString::number(f.id);
    item.entry.classId = QString::number(f.category);
    item.entry.pinyin = f.pinyin;
    item.entry.name = f.name;
    item.entry.mutex = f.mutex;
    list << item;
  }
  return list;
}

AliasList generatedVocabulary(int size) {
  // Names of two to six common characters, pinyin initials of the same length.
  static const QString chars = QStringLiteral("头痛胸闷心悸失眠多梦口干舌燥腰膝酸软乏力气短自汗盗汗便溏尿频畏寒肢冷");
  static const QString initials = QStringLiteral("TTXMXJSMDMKGSZYXSRFLQDZHDHBTNPWHZL");
  std::mt19937 rng(7);
  AliasList list;
  list.reserve(size);
  for (int i = 0; i < size; ++i) {
    const int length = 2 + static_cast<int>(rng() % 5);
    AliasItem item;
    for (int k = 0; k < length; ++k) {
      const int c = static_cast<int>(rng() % chars.size());
      item.entry.name += chars[c];
      item.entry.pinyin += initials[c % initials.size()];
    }
    item.entry.id = QString::number(10000 + i);
    item.entry.classId = QString::number(i % 4 == 0 ? 5 : 0);
    list << item;
  }
  return list;
}

// One keystroke as the identification screen searches it: through the
// vocabulary's one-pass index, made once per loaded vocabulary.
void runSearch(benchmark::State& state, const AliasList& vocabulary, const QString& key) {
  const VocabularyIndex index(vocabulary);
  for (auto _ : state) {
    const SearchOutcome o = searchVocabulary(vocabulary, key, QStringLiteral("0"), false, &index);
    benchmark::DoNotOptimize(o.hits.size());
  }
}

void BM_Search_Seed_Pinyin(benchmark::State& state) {
  static const AliasList v = seedVocabulary();
  runSearch(state, v, QStringLiteral("xj"));
}
void BM_Search_Seed_Chinese(benchmark::State& state) {
  static const AliasList v = seedVocabulary();
  runSearch(state, v, QStringLiteral("冷"));
}
void BM_Search_100k_Frequent(benchmark::State& state) {
  static const AliasList v = generatedVocabulary(100000);
  runSearch(state, v, QStringLiteral("tt"));
}
// A key that matches nothing walks all 100,000 entries.
void BM_Search_100k_NoMatch(benchmark::State& state) {
  static const AliasList v = generatedVocabulary(100000);
  runSearch(state, v, QStringLiteral("qqq"));
}

// The same worst case entry by entry, as a search without an index runs.
void BM_Search_100k_NoMatch_Scan(benchmark::State& state) {
  static const AliasList v = generatedVocabulary(100000);
  for (auto _ : state) {
    const SearchOutcome o = searchVocabulary(v, QStringLiteral("qqq"), QStringLiteral("0"), false);
    benchmark::DoNotOptimize(o.hits.size());
  }
}
// A single letter that matches nothing: one character searched over the whole text.
void BM_Search_100k_NoMatch_OneLetter(benchmark::State& state) {
  static const AliasList v = generatedVocabulary(100000);
  runSearch(state, v, QStringLiteral("q"));
}
// Building the index once after the vocabulary is loaded.
void BM_Search_100k_BuildIndex(benchmark::State& state) {
  static const AliasList v = generatedVocabulary(100000);
  for (auto _ : state) {
    const VocabularyIndex index(v);
    benchmark::DoNotOptimize(&index);
  }
}

BENCHMARK(BM_Search_Seed_Pinyin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search_Seed_Chinese)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search_100k_Frequent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search_100k_NoMatch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search_100k_NoMatch_OneLetter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search_100k_NoMatch_Scan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search_100k_BuildIndex)->Unit(benchmark::kMillisecond);

}  // namespace

