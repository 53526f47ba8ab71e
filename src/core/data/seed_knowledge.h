#pragma once
// Loads the reviewable seed texts (vocabulary, syndromes, prescriptions, herbs,
// negative findings) into the two databases.
#include <QString>

namespace tcm {

class TDMServer;

struct SeedReport {
  QString summary;  // one line of counts for the operator
};

// Writes the knowledge tables when they are empty, or replaces them when `reload`.
[[nodiscard]] bool seedKnowledge(TDMServer& dm, bool reload, SeedReport* report, QString* error);

}  // namespace tcm
