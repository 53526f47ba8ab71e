#pragma once
// The diet advice of a questionnaire result: each type it names is matched to
// a syndrome of the knowledge base (seed text constitution_diet.csv), whose
// advice to favour and to avoid foods it shows.
#include <QList>
#include <QString>
#include <QStringList>

#include "constitution/questionnaire.h"

namespace tcm {

class TDMServer;

// The types a result names, as the judgement line names them: 平和质 when it is
// (basically) 平和质, then the biased types judged 是 and 倾向是, highest first.
QStringList adviceTypes(const ConstitutionResult& result);

// The knowledge base's syndrome whose diet advice serves `type` (empty when none).
QString dietSyndromeOf(const QString& type);

struct ConstitutionDiet {
  QString type, syndrome;
  QString favourTitle, favour;  // "宜食", the foods to favour
  QString avoidTitle, avoid;    // "忌食", the foods to avoid
};

// The advice of each type the result names, in that order; a type whose
// syndrome the knowledge base lacks is left out. False when the query failed
// (shown by the gateway).
[[nodiscard]] bool constitutionDiet(TDMServer& dm, const ConstitutionResult& result, QList<ConstitutionDiet>* out);

// One paragraph per type: "气虚质　宜食：…　忌食：…".
QString dietText(const QList<ConstitutionDiet>& diet);

}  // namespace tcm
