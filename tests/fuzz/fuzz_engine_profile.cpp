// Fuzz target: a one-syndrome knowledge table whose profile texts come from the
// input. Fields, separated by "|": ORValue, Weight, SymIdStr, the findings
// (","-joined), the chief complaint, NegativeSymIdStr, MatchSymIdFlag.
// The engine must not crash, must hand the findings back unchanged and must
// agree with the word-for-word reference engine.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "../engine/engine_fixtures.h"
// The reference engine is compiled into the target itself.
#include "literal_engine.h"

namespace {

QString field(const QStringList& fields, int i) { return i < fields.size() ? fields[i] : QString(); }

// Implied findings derived from the code itself; the lookup fails for "99999".
class DerivedNegatives : public tcm::NegativeFindingSource {
 protected:
  bool lookUpImplied(const QString& code, std::optional<QString>* implied, QString* error) override {
    if (code == QLatin1String("99999")) {
      *error = QStringLiteral("查询失败");
      return false;
    }
    QString reversed = code;
    std::reverse(reversed.begin(), reversed.end());
    *implied = tcm::fmt(reversed);
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList fields = input.split(QLatin1Char('|'));
  tcm::TDisease d;
  d.Id = 1;
  d.Name = QStringLiteral("证");
  d.Dep1 = QStringLiteral("1");
  d.ORValue = field(fields, 0);
  d.Weight = field(fields, 1);
  d.SymIdStr = field(fields, 2);
  d.NegativeSymIdStr = field(fields, 5);
  d.MatchSymIdFlag = field(fields, 6) == QLatin1String("1") ? 1 : 0;
  d.CardinalSymptom = field(fields, 4).isEmpty() ? QString() : QStringLiteral("100") + field(fields, 4).left(5);
  tcm::KnowledgeTable table(1);
  table.record(1) = d;

  const QStringList findings = field(fields, 3).split(QLatin1Char(','));
  const QString chief = field(fields, 4);
  for (int minScore : {-1000, 0, 20}) {
    QStringList parsedFindings = findings, literalFindings = findings;
    QString hint;
    DerivedNegatives negatives;
    const tcm::EngineRun parsed =
        tcm::GetIllBySymLst(table, parsedFindings, 4, minScore, 1, QStringLiteral("1"), hint, chief, negatives);
    const tcm::EngineRun literal = tcm::test::literalGetIllBySymLst(table, literalFindings, 4, minScore, 1,
                                                                    QStringLiteral("1"), hint, chief, negatives);
    if (parsedFindings != findings || literalFindings != findings) std::abort();
    if (tcm::test::dump(parsed) != tcm::test::dump(literal)) std::abort();
    if (parsed.DiseaseLst.size() > 1) std::abort();
  }
  return 0;
}
