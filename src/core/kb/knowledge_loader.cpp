#include "kb/knowledge_loader.h"

#include <QSqlError>
#include <QSqlQuery>

#include "db/gateway.h"

namespace tcm {

const char* const kKnowledgeRowsQuery =
    "SELECT ID,Name,[OR],Weight,SymIdStr,DifferentialDiagnosisIdStr,CardinalSymptomIdStr,SymModIdStr,Dep1,Dep2,"
    "HintContent,NegativeSymIdStr,DecWeightSymIdStr,MatchModFlag,ModPreIdStr,Tre,Pre,AcuId,notRecommendFood,"
    "recommendFood From syn_food Where IsOpen = 1 Order By id asc";

bool LoadDisease(QSqlQuery& ds, KnowledgeTable& table) {
  int expected = 1;
  bool hasRow = ds.next();
  while (hasRow && expected <= table.MaxId()) {
    const int id = ds.value(0).toInt();
    if (id < expected) {  // an id of 0 or below cannot be placed
      hasRow = ds.next();
      continue;
    }
    if (id == expected) {
      TDisease& d = table.record(expected);
      auto text = [&ds](int col) { return ds.value(col).toString(); };  // NULL reads as empty
      d.Id = id;
      d.Name = text(1);
      d.ORValue = text(2);
      d.Weight = text(3);
      d.SymIdStr = text(4);
      d.DifferentialDiagnosis = text(5);
      d.CardinalSymptom = text(6);
      d.SymModIdStr = text(7);
      d.Dep1 = text(8);
      d.Dep2 = text(9);
      d.HintContent = text(10);
      d.NegativeSymIdStr = text(11);
      d.DecWeightSymIdStr = text(12);
      d.MatchModFlagStr = text(13);
      d.ModPreIdStr = text(14);
      d.Tre = text(15);
      d.Pre = text(16);
      d.AcuId = ds.value(17).toInt();
      d.notRecommendFood = text(18);
      d.recommendFood = text(19);
      hasRow = ds.next();
    }
    ++expected;
  }
  // Rows beyond MaxId are not read; a result that ran out must have ended cleanly.
  return hasRow || !ds.lastError().isValid();
}

LoadResult LoadData(TDMServer& dm) {
  QSqlQuery* max = dm.GetDB(Sql(QStringLiteral("Select max(id) as m From syn_food")), true);
  if (!max) return LoadResult::Unchanged;
  const bool hasMax = max->next();
  if (!hasMax && !dm.rowsReadToEnd(*max)) {
    dm.setKnowledge(std::make_shared<KnowledgeTable>());
    return LoadResult::RowsFailed;
  }
  const int maxId = hasMax ? max->value(0).toInt() : 0;
  QSqlQuery* rows = dm.GetDB(Sql(QString::fromLatin1(kKnowledgeRowsQuery)), true);
  auto table = std::make_shared<KnowledgeTable>(maxId);
  if (!rows || !LoadDisease(*rows, *table)) {
    // Never a partly loaded table: the failure is reported and an empty table is current.
    if (rows) (void)dm.rowsReadToEnd(*rows);
    dm.setKnowledge(std::make_shared<KnowledgeTable>(maxId));
    return LoadResult::RowsFailed;
  }
  rows->finish();
  dm.setKnowledge(std::move(table));
  return LoadResult::Loaded;
}

}  // namespace tcm
