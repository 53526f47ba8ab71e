#pragma once
// The chief-complaint check of the seed knowledge base. A clerk marks first
// the complaint the customer came with; the engine then keeps only the types
// whose cardinal segments hold it. A complaint a textbook presentation leads
// with must therefore be cardinal for that type too, or the type drops out
// and a neighbour of another class takes its place.
#include <QString>
#include <QStringList>

#include "engine/identification.h"
#include "kb/kb_check.h"
#include "kb/seed_model.h"

namespace tcm {

// The findings of a cardinal text ("N SS codes…" segments joined by "-") that
// keep a type in a run when one of them is the chief complaint: the codes of
// the segments with N > 0.
QStringList chiefComplaintCodes(const QString& cardinal);

// Every open type's listed presentation, run as the main window runs it with
// each of its findings in turn as the primary finding, must give a type of
// the type's class first. The findings tried are the symptoms and diseases
// of the presentation that are cardinal for some open type (any other one
// keeps no type in the run, and the run falls back to the findings alone).
// The diet rules are left out: they answer a primary finding before the
// types, and the types are what this check is about.
QStringList chiefComplaintProblems(const SeedKnowledgeBase& kb, const KnowledgeCheck& check);

// The diet-rule step of the run over the seed's rules, as the database
// answers it: the rules of the primary finding by descending symLen, the
// first whose condition holds. `matched` (when given) receives the rule's
// result name, or is emptied when no rule applies.
DietRuleStep seedDietRuleStep(const SeedKnowledgeBase& kb, QString* matched);

}  // namespace tcm
