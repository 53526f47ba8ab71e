#include "data/seed_knowledge.h"

#include <QSqlQuery>

#include "crypto/aes_hex.h"
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

QList<Sql> vocabularyRows(const SeedKnowledgeBase& kb) {
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

// The questions of each disease, in the local database.
QList<Sql> diseaseQuestionRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from symptom_option_sub"))};
  for (const SeedInquiryRow& r : kb.diseaseQuestions) {
    s << Sql(QStringLiteral("insert into symptom_option_sub(fid,title,symId,gender,name,mutex,childTag,classId) "
                            "values(?,?,?,?,?,?,?,?)"),
             {r.diseaseId, r.title, r.symId, r.gender, r.name, r.mutex, r.childTag, r.classId});
  }
  return s;
}

// The inquiry pages and the follow-up hints of their answers, in the remote database.
QList<Sql> inquiryRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from symptom_option")), Sql(QStringLiteral("delete from symptom_option_sub"))};
  for (const SeedInquiryRow& r : kb.inquiryPages) {
    s << Sql(QStringLiteral("insert into symptom_option(class,title,symId,gender,name,mutex,childTag,classId) "
                            "values(?,?,?,?,?,?,?,?)"),
             {r.page, r.title, r.symId, r.gender, r.name, r.mutex, r.childTag, r.classId});
  }
  for (const SeedHint& h : kb.hints) {
    s << Sql(QStringLiteral("insert into symptom_option_sub(fid,tag,gender,symid,name,mutex) values(?,1,?,?,?,?)"),
             {h.fid, h.gender, h.symid, h.name, h.mutex});
  }
  return s;
}

QList<Sql> dietRuleRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from pre_food_grp"))};
  for (const SeedDietRule& r : kb.dietRules) {
    s << Sql(QStringLiteral("insert into pre_food_grp(id,synName,type,pre,ids,symId,symLen) values(?,?,8,?,?,?,?)"),
             {r.id, r.synName, r.pre, r.ids, r.symId, r.symLen});
  }
  return s;
}

// Demo customers: phone and address enciphered, tel1 the last four digits.
QList<Sql> customerRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s;
  for (const SeedCustomer& c : kb.customers) {
    s << Sql(QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address,wrDate) values(?,?,?,?,?,?,?,?)"),
             {c.shopId, c.name, c.gender, c.age, encryptText(c.phone), c.tel1(), encryptText(c.address),
              c.registered.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
  }
  return s;
}

QList<Sql> knowledgeRows(const SeedKnowledgeBase& kb) {
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
  // Each part is written when its table is empty, and replaced on reload;
  // customers are written only into an empty table and never replaced.
  QList<Sql> remote, local;
  if (reload || rowCount(dm, QStringLiteral("syn_food"), true) == 0) remote << knowledgeRows(kb);
  if (reload || rowCount(dm, QStringLiteral("symptom_option"), true) == 0) remote << inquiryRows(kb);
  if (reload || rowCount(dm, QStringLiteral("pre_food_grp"), true) == 0) remote << dietRuleRows(kb);
  const bool customersWritten = rowCount(dm, QStringLiteral("pat"), true) == 0;
  if (customersWritten) remote << customerRows(kb);
  if (reload || rowCount(dm, QStringLiteral("aliases"), false) == 0) local << vocabularyRows(kb);
  if (reload || rowCount(dm, QStringLiteral("symptom_option_sub"), false) == 0) local << diseaseQuestionRows(kb);
  if (!remote.isEmpty() && !dm.ExecLstSql(remote, true)) {
    *error = dm.lastError();
    return false;
  }
  if (!local.isEmpty() && !dm.ExecLstSql(local, false)) {
    *error = dm.lastError();
    return false;
  }
  report->summary = QStringLiteral("知识库：%1 个证型，%2 首方剂，%3 味药材，%4 个症状词条，%5 个问诊页面行，%6 条追问提示，"
                                   "%7 条疾病问题，%8 条药膳规则")
                        .arg(kb.syndromes.size())
                        .arg(kb.prescriptions.size())
                        .arg(kb.herbs.size())
                        .arg(kb.findings.size())
                        .arg(kb.inquiryPages.size())
                        .arg(kb.hints.size())
                        .arg(kb.diseaseQuestions.size())
                        .arg(kb.dietRules.size());
  if (customersWritten) report->summary += QStringLiteral("；演示客户 %1 位").arg(kb.customers.size());
  return true;
}

}  // namespace tcm
