#pragma once
// Loads the reviewable seed texts into the two databases: the vocabulary, the
// negative findings and the questions of each disease locally; the syndromes,
// prescriptions, herbs, inquiry pages with their follow-up hints, diet rules
// and the demo customers remotely.
#include <QString>

namespace tcm {

class TDMServer;

struct SeedReport {
  QString summary;  // one line of counts for the operator
};

// Writes each part of the seed when one of its tables is empty, or replaces it
// when `reload`. The demo customers and the demo shops' prices and stock are
// written only into empty tables and never replaced. The summary names only
// what was written.
[[nodiscard]] bool seedKnowledge(TDMServer& dm, bool reload, SeedReport* report, QString* error);

}  // namespace tcm
