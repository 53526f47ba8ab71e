#pragma once
// The pharmacy's rules in the seed: each catalogue herb's pinyin initials,
// usual dose, pharmacopoeia range, dispensing note, toxicity and pregnancy
// mark (herb_rules.csv), the incompatible pairs (herb_pairs.csv) and the
// formulas' classic exceptions (formula_exceptions.csv); and the rows that
// store them (herb_rule, herb_pair).
#include <QList>

#include "db/sql.h"
#include "kb/seed_model.h"

namespace tcm {

// Reads the three files into `kb` (after the herbs); each problem is one line.
void readDispensingRules(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems);

// The statements that replace herb_rule and herb_pair with the seed's.
QList<Sql> dispensingRows(const SeedKnowledgeBase& kb);

}  // namespace tcm
