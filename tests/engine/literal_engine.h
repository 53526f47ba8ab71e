#pragma once
// The engine read word for word: every knowledge text is parsed afresh for every
// syndrome of every run, and results are inserted into the list one by one at
// their rank position. Slow; the reference the parsed engine is compared with.
#include "engine/syndrome_engine.h"

namespace tcm::test {

EngineRun literalGetIllBySymLst(const KnowledgeTable& table, QStringList& LstSymId, int OutCountLmt, int OutPreLmt,
                                int SortType, const QString& DepStr, QString& HintSym, const QString& ChiefComplainStr,
                                NegativeFindingSource& negatives);

}  // namespace tcm::test
