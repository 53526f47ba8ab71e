#pragma once
// The seed checked as a pharmacist reads it: no formula holds an incompatible
// pair (十八反, 十九畏) unless it is marked as a classic exception, no dose of a
// classic formula lies above its herb's range (a toxic herb, a herb dosed below
// one gram) or above twice it (any other herb) unless marked, every herb
// that a pharmacy prepares apart carries its dispensing note, and no diet rule
// recommends two formulas side by side that together hold a pair.
#include <QStringList>

#include "kb/seed_model.h"

namespace tcm {

QStringList dispensingProblems(const SeedKnowledgeBase& kb);

}  // namespace tcm
