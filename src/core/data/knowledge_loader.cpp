#include "data/knowledge_loader.h"

#include <QSqlQuery>

#include "data/gateway.h"

namespace tcm {

const char* const kKnowledgeRowsQuery =
    "SELECT ID,Name,[OR],Weight,SymIdStr,DifferentialDiagnosisIdStr,CardinalSymptomIdStr,SymModIdStr,Dep1,Dep2,"
    "HintContent,NegativeSymIdStr,DecWeightSymIdStr,MatchModFlag,ModPreIdStr,Tre,Pre,AcuId,notRecommendFood,"
    "recommendFood From syn_food Where IsOpen = 1 Order By id asc";

void LoadDisease(QSqlQuery& ds, KnowledgeTable& table) {
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
}

LoadResult LoadData(TDMServer& dm) {
  QSqlQuery* max = dm.GetDB(Sql(QStringLiteral("Select max(id) as m From syn_food")), true);
  if (!max) return LoadResult::Unchanged;
  const int maxId = max->next() ? max->value(0).toInt() : 0;
  auto table = std::make_shared<KnowledgeTable>(maxId);
  dm.setKnowledge(table);
  QSqlQuery* rows = dm.GetDB(Sql(QString::fromLatin1(kKnowledgeRowsQuery)), true);
  if (!rows) return LoadResult::RowsFailed;
  LoadDisease(*rows, *table);
  rows->finish();
  return LoadResult::Loaded;
}

}  // namespace tcm
