#include "engine/negative_findings.h"

#include "text/item_list.h"

namespace tcm {

bool NegativeFindingSource::GetNegativeSymptomId(const QString& SymIds, const QStringList& CodeLst, QStringList* out,
                                                 QString* error) {
  out->clear();
  for (const QString& group : splitItems(SymIds, QLatin1Char('-'))) {
    // Walk the group five characters at a time: a code of the findings
    // satisfies it; otherwise its last code is looked up.
    QString remembered;
    for (qsizetype at = 0; at < group.size(); at += 5) {
      const QString chunk = group.mid(at, 5);
      if (CodeLst.contains(fmt(chunk))) {
        remembered.clear();
        break;
      }
      remembered = chunk;
    }
    if (remembered.isEmpty()) continue;
    std::optional<QString> implied;
    if (!lookUpImplied(remembered, &implied, error)) return false;
    if (implied && !CodeLst.contains(*implied)) out->append(*implied);
  }
  return true;
}

bool NegativeFindingSource::lookUpImplied(const QString&, std::optional<QString>* implied, QString*) {
  implied->reset();
  return true;
}

}  // namespace tcm
