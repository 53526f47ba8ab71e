#include "data/seed_knowledge.h"

#include <QSqlQuery>

#include "crypto/des_hex.h"
#include "data/gateway.h"
#include "data/seed_accounts.h"
#include "data/seed_model.h"

namespace tcm {
namespace {

int rowCount(TDMServer& dm, const QString& table, bool remote) {
  QSqlQuery* q = remote ? dm.GetDB(Sql(QStringLiteral("select count(*) from ") + table), true)
                        : dm.GetDB1(Sql(QStringLiteral("select count(*) from ") + table));
  return q && q->next() ? q->value(0).toInt() : 0;
}

QList<Sql> localRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from aliases")), Sql(QStringLiteral("delete from negative_symptom"))};
  for (const SeedFinding& f : kb.findings) {
    s << Sql(QStringLiteral("insert into aliases(id,name1,pinyin,ids,classid,mutex,gender,type,strLen) "
                            "values(?,?,?,'',?,?,?,1,?)"),
             {f.id, desEncryptText(f.name), f.pinyin, f.category, f.mutex, f.gender, f.loadOrder});
  }
  for (const auto& [finding, implied] : kb.negativeFindings)
    s << Sql(QStringLiteral("insert into negative_symptom(symptomId,negativeSymptomId) values(?,?)"), {finding, implied});
  return s;
}

QList<Sql> remoteRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s;
  for (const char* table : {"syn_food", "pre", "herb", "herb_shop", "tbltree"})
    s << Sql(QStringLiteral("delete from ") + QLatin1String(table));
  for (const SeedSyndrome& r : kb.syndromes) {
    s << Sql(QStringLiteral("insert into syn_food(ID,Name,[OR],Weight,SymIdStr,DifferentialDiagnosisIdStr,"
                            "CardinalSymptomIdStr,SymModIdStr,Dep1,Dep2,HintContent,NegativeSymIdStr,DecWeightSymIdStr,"
                            "MatchModFlag,ModPreIdStr,Tre,Pre,AcuId,notRecommendFood,recommendFood,IsOpen) "
                            "values(?,?,?,?,?,?,?,?,?,?,'',?,?,?,?,?,?,0,?,?,?)"),
             {r.id, r.name, r.ORValue, r.Weight, r.SymIdStr, r.DifferentialDiagnosis, r.CardinalSymptom, r.SymModIdStr,
              r.Dep1, r.Dep2, r.NegativeSymIdStr, r.DecWeightSymIdStr, r.MatchModFlag, r.ModPreIdStr, r.Tre, r.Pre,
              r.notRecommendFood, r.recommendFood, r.open ? 1 : 0});
  }
  for (const SeedPrescription& p : kb.prescriptions)
    s << Sql(QStringLiteral("insert into pre(PreId,name,herbIds) values(?,?,?)"), {p.id, p.name, p.herbIds});
  for (const SeedHerb& h : kb.herbs) {
    s << Sql(QStringLiteral("insert into herb(id,name) values(?,?)"), {h.id, h.name});
    for (const DemoAccount& a : kDemoAccounts) {
      // The second shop sells a little dearer, so the two price lists differ.
      const double price = a.shopId == 1 ? h.price : qRound(h.price * 1.1 * 10000) / 10000.0;
      s << Sql(QStringLiteral("insert into herb_shop(shopId,id,name,price,stock) values(?,?,?,?,?)"),
               {a.shopId, h.id, h.name, price, h.stock});
    }
  }
  s << Sql(QStringLiteral("insert into tbltree(tblname,tree) values('her',?)"), {kb.herbTreeText()});
  return s;
}

}  // namespace

bool seedKnowledge(TDMServer& dm, bool reload, SeedReport* report, QString* error) {
  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(QString::fromLatin1(kSeedFolder), &problems);
  if (!problems.isEmpty()) {
    *error = problems.join(QLatin1Char('\n'));
    return false;
  }
  const bool remoteEmpty = rowCount(dm, QStringLiteral("syn_food"), true) == 0;
  const bool localEmpty = rowCount(dm, QStringLiteral("aliases"), false) == 0;
  if ((reload || remoteEmpty) && !dm.ExecLstSql(remoteRows(kb), true)) {
    *error = dm.lastError();
    return false;
  }
  if ((reload || localEmpty) && !dm.ExecLstSql(localRows(kb), false)) {
    *error = dm.lastError();
    return false;
  }
  report->summary = QStringLiteral("知识库：%1 个证型，%2 首方剂，%3 味药材，%4 个症状词条")
                        .arg(kb.syndromes.size())
                        .arg(kb.prescriptions.size())
                        .arg(kb.herbs.size())
                        .arg(kb.findings.size());
  return true;
}

}  // namespace tcm
