// Fuzz target: a one-syndrome knowledge table with a fixed profile whose
// module, must-have and prescription texts come from the input. Fields,
// separated by "|": SymModIdStr, MatchModFlagStr, ModPreIdStr,
// DifferentialDiagnosis, DecWeightSymIdStr, CardinalSymptom,
// TestResultSymIdStr, MatchTestResultFlag, the findings (","-joined), the chief
// complaint, Dep1, Dep2, the department list.
// The engine must not crash, must hand the findings back unchanged and must
// agree with the word-for-word reference engine.
#include <cstdint>
#include <cstdlib>

#include "../engine/engine_fixtures.h"
// The reference engine is compiled into the target itself.
#include "literal_engine.h"

namespace {

QString field(const QStringList& fields, int i) { return i < fields.size() ? fields[i] : QString(); }

class NoNegatives : public tcm::NegativeFindingSource {
 protected:
  bool lookUpImplied(const QString&, std::optional<QString>*, QString*) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList fields = input.split(QLatin1Char('|'));
  tcm::TDisease d;
  d.Id = 2;
  d.Name = QStringLiteral("证");
  d.ORValue = QStringLiteral("21");
  d.Weight = QStringLiteral("3020");
  d.SymIdStr = QStringLiteral("1120000101-1220000102-2100000103");
  d.SymModIdStr = field(fields, 0);
  d.MatchModFlagStr = field(fields, 1);
  d.ModPreIdStr = field(fields, 2);
  d.DifferentialDiagnosis = field(fields, 3);
  d.DecWeightSymIdStr = field(fields, 4);
  d.CardinalSymptom = field(fields, 5);
  d.TestResultSymIdStr = field(fields, 6);
  d.MatchTestResultFlag = field(fields, 7);
  d.Dep1 = fields.size() > 10 ? fields[10] : QStringLiteral("1");
  d.Dep2 = field(fields, 11);
  tcm::KnowledgeTable table(2);
  table.record(2) = d;

  QStringList findings = field(fields, 8).split(QLatin1Char(','));
  findings << QStringLiteral("00101") << QStringLiteral("00103");
  const QString chief = field(fields, 9);
  const QString deps = fields.size() > 12 ? fields[12] : QStringLiteral("1");
  for (int sort : {0, 1}) {
    QStringList parsedFindings = findings, literalFindings = findings;
    QString hint;
    NoNegatives negatives;
    const tcm::EngineRun parsed =
        tcm::GetIllBySymLst(table, parsedFindings, 4, 0, sort, deps, hint, chief, negatives);
    const tcm::EngineRun literal =
        tcm::test::literalGetIllBySymLst(table, literalFindings, 4, 0, sort, deps, hint, chief, negatives);
    if (parsedFindings != findings || literalFindings != findings) std::abort();
    if (tcm::test::dump(parsed) != tcm::test::dump(literal)) std::abort();
  }
  return 0;
}
