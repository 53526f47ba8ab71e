#pragma once
// The reviewable seed knowledge base (data/seed), read into records with the
// names resolved to codes and the stored texts built: vocabulary rows with
// enciphered names, syndrome rows with their encoded profiles, prescriptions
// in the herb list form, the herb catalogue and the negative findings.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tcm {

struct SeedFinding {
  int id = 0;
  int category = 0;  // 0 symptom, 5 tongue, 6 pulse, 8 disease; -1 kept out of the search
  QString name, pinyin, gender, mutex;  // mutex: comma-joined ids
  int loadOrder = 0;
};

struct SeedHerb {
  int id = 0;
  QString name, category;
  double price = 0, stock = 0;
};

struct SeedPrescription {
  int id = 0;
  QString name;
  bool classic = true;
  QString herbIds;  // herb list: id,name,dose,unit items joined by "|"
  QStringList herbNames;
};

// A syn_food row as stored.
struct SeedSyndrome {
  int id = 0;
  bool open = true;
  QString name, constitutionClass;
  QString ORValue, Weight, SymIdStr, DifferentialDiagnosis, CardinalSymptom, SymModIdStr, Dep1, Dep2,
      NegativeSymIdStr, DecWeightSymIdStr, MatchModFlag, ModPreIdStr, Tre, Pre, notRecommendFood, recommendFood;
  QStringList profileCodes;  // the codes of its groups, in order
};

struct SeedKnowledgeBase {
  QList<SeedFinding> findings;
  QList<SeedHerb> herbs;
  QList<SeedPrescription> prescriptions;
  QList<SeedSyndrome> syndromes;
  QList<QPair<int, int>> negativeFindings;  // symptom id -> implied id
  QHash<QString, int> findingIdByName;

  // Reads the seed folder (by default the copy built into the program). Every
  // problem found on the way is one line in `problems`.
  static SeedKnowledgeBase read(const QString& folder, QStringList* problems);
  // The herb tree text: categories at depth 0, herbs indented by one tab.
  QString herbTreeText() const;
};

inline constexpr const char* kSeedFolder = ":/data/seed";

}  // namespace tcm
