#pragma once
// Knowledge tables built by hand for the engine tests, and negative-finding
// sources without a database.
#include <QHash>
#include <QStringList>
#include <initializer_list>
#include <optional>

#include "model/knowledge.h"
#include "engine/negative_findings.h"
#include "engine/syndrome_engine.h"
#include "text/item_list.h"

namespace tcm::test {

// One profile entry: group character, place in the group, must digit, entry
// weight digit, the unused character "0", the five-digit code.
inline QString entry(char group, int place, int must, int weight, const char* code) {
  return QString(QLatin1Char(group)) + QString::number(place) + QString::number(must) + QString::number(weight) +
         QLatin1Char('0') + QLatin1String(code);
}

inline QString profile(std::initializer_list<QString> entries) { return QStringList(entries).join(QLatin1Char('-')); }

// A syndrome of department "1" with the given groups and profile.
inline TDisease syndrome(int id, const QString& orValue, const QString& weight, const QString& symIdStr) {
  TDisease d;
  d.Id = id;
  d.Name = QStringLiteral("证%1").arg(id);
  d.ORValue = orValue;
  d.Weight = weight;
  d.SymIdStr = symIdStr;
  d.Dep1 = QStringLiteral("1");
  d.Pre = QStringLiteral("[{id:%1,name:方%1,remark:4}]").arg(id);
  d.Tre = QStringLiteral("治法%1").arg(id);
  d.AcuId = id * 10;
  return d;
}

// A table holding these syndromes at their ids (MaxId: the largest id).
inline KnowledgeTable tableOf(std::initializer_list<TDisease> syndromes) {
  int maxId = 0;
  for (const TDisease& d : syndromes) maxId = std::max(maxId, d.Id);
  KnowledgeTable table(maxId);
  for (const TDisease& d : syndromes) table.record(d.Id) = d;
  return table;
}

// The negative-finding lookup over an in-memory table, group by group as the
// local database lookup does it; every call is recorded.
class TableNegatives : public NegativeFindingSource {
 public:
  struct Call {
    QString SymIds;
    QStringList CodeLst;
    bool operator==(const Call&) const = default;
  };

  bool GetNegativeSymptomId(const QString& SymIds, const QStringList& CodeLst, QStringList* out,
                            QString* error) override {
    calls.append({SymIds, CodeLst});
    return NegativeFindingSource::GetNegativeSymptomId(SymIds, CodeLst, out, error);
  }

  QHash<QString, QString> negativeOf;  // symptom code -> implied code
  QString failOn;                      // a looked-up code whose lookup fails
  QList<Call> calls;

 protected:
  bool lookUpImplied(const QString& code, std::optional<QString>* implied, QString* error) override {
    if (code == failOn) {
      *error = QStringLiteral("本地数据库不可用");
      return false;
    }
    const auto found = negativeOf.constFind(code);
    if (found != negativeOf.constEnd()) *implied = *found;
    return true;
  }
};

// Every field of a result, for comparisons with a readable difference.
inline QString dump(const TIll& t) {
  return QStringList{QString::number(t.Id),       t.Name,           QString::number(t.Medid1),
                     QString::number(t.HerId1),   QString::number(t.SymWeight), QString::number(t.SymCount),
                     t.ICD10,                     t.HintContent,    QString::number(t.Age),
                     t.Allergy,                   QString::number(t.ChiefComplainFlag), t.InfectionFlag,
                     QString::number(t.MatchModFlag), QString::number(t.SurgeryTag), t.ConditionIdStr,
                     QString::number(t.FromType), t.Tre,            t.Pre,
                     t.ModPreId,                  QString::number(t.AcuId), t.notRecommendFood,
                     t.recommendFood}
      .join(QLatin1Char('|'));
}

inline QStringList dump(const EngineRun& run) {
  QStringList lines;
  for (const TIll& t : run.DiseaseLst) lines << dump(t);
  lines << QStringLiteral("error=") + run.error;
  return lines;
}

inline QList<int> idsOf(const QList<TIll>& list) {
  QList<int> ids;
  for (const TIll& t : list) ids << t.Id;
  return ids;
}

}  // namespace tcm::test
