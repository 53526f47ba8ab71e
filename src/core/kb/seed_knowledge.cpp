#include "kb/seed_knowledge.h"

#include <QSqlQuery>
#include <functional>
#include <iterator>

#include "crypto/aes_hex.h"
#include "crypto/des_hex.h"
#include "db/gateway.h"
#include "kb/seed_accounts.h"
#include "kb/seed_dispensing.h"
#include "kb/seed_model.h"

namespace tcm {
namespace {

// Rows of a table; -1 when it cannot be counted (the gateway has the reason).
int rowCount(TDMServer& dm, const QString& table, bool remote) {
  QSqlQuery* q = remote ? dm.GetDB(Sql(QStringLiteral("select count(*) from ") + table), true)
                        : dm.GetDB1(Sql(QStringLiteral("select count(*) from ") + table));
  return q && q->next() ? q->value(0).toInt() : -1;
}

QList<Sql> vocabularyRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from aliases")), Sql(QStringLiteral("delete from negative_symptom"))};
  for (const SeedFinding& f : kb.findings) {
    s << Sql(QStringLiteral("insert into aliases(id,name1,pinyin,ids,classid,mutex,gender,type,strLen) "
                            "values(?,?,?,'',?,?,?,1,?)"),
             {f.id, desEncryptText(f.name).value_or(QString()), f.pinyin, f.category, f.mutex, f.gender, f.loadOrder});
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
             {c.shopId, c.name, c.gender, c.age, encryptText(c.phone).value_or(QString()), c.tel1(), encryptText(c.address).value_or(QString()),
              c.registered.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
  }
  return s;
}

QList<Sql> syndromeRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from syn_food")), Sql(QStringLiteral("delete from pre"))};
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
  return s;
}

QList<Sql> herbCatalogueRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s{Sql(QStringLiteral("delete from herb")), Sql(QStringLiteral("delete from tbltree"))};
  for (const SeedHerb& h : kb.herbs) s << Sql(QStringLiteral("insert into herb(id,name) values(?,?)"), {h.id, h.name});
  s << Sql(QStringLiteral("insert into tbltree(tblname,tree) values('her',?)"), {kb.herbTreeText()});
  return s;
}

// The demo shops' prices and stock: the second shop sells a little dearer, so
// the two price lists differ.
QList<Sql> herbPriceRows(const SeedKnowledgeBase& kb) {
  QList<Sql> s;
  for (const SeedHerb& h : kb.herbs) {
    for (const DemoAccount& a : kDemoAccounts) {
      const double price = a.shopId == 1 ? h.price : qRound(h.price * 1.1 * 10000) / 10000.0;
      s << Sql(QStringLiteral("insert into herb_shop(shopId,id,name,price,stock) values(?,?,?,?,?)"),
               {a.shopId, h.id, h.name, price, h.stock});
    }
  }
  return s;
}

// One part of the seed: its tables (written when any is empty), whether a
// reload replaces it, and its line of the summary.
struct SeedPart {
  QStringList tables;
  bool remote;
  bool replacedOnReload;
  std::function<QList<Sql>(const SeedKnowledgeBase&)> rows;
  std::function<QString(const SeedKnowledgeBase&)> summary;
};

QList<SeedPart> seedParts() {
  using KB = SeedKnowledgeBase;
  return {
      {{"syn_food", "pre"}, true, true, syndromeRows,
       [](const KB& kb) { return QStringLiteral("%1 个证型，%2 首方剂").arg(kb.syndromes.size()).arg(kb.prescriptions.size()); }},
      {{"herb", "tbltree"}, true, true, herbCatalogueRows,
       [](const KB& kb) { return QStringLiteral("%1 味药材").arg(kb.herbs.size()); }},
      {{"herb_rule", "herb_pair"}, true, true, dispensingRows,
       [](const KB& kb) {
         return QStringLiteral("%1 条药材调剂规则，%2 组配伍禁忌").arg(kb.dispensing.rules().size()).arg(kb.dispensing.pairs().size());
       }},
      // A shop's own prices and stock are never replaced by the seed.
      {{"herb_shop"}, true, false, herbPriceRows,
       [](const KB& kb) { return QStringLiteral("演示店药价 %1 条").arg(kb.herbs.size() * std::size(kDemoAccounts)); }},
      {{"symptom_option"}, true, true, inquiryRows,
       [](const KB& kb) {
         return QStringLiteral("%1 个问诊页面行，%2 条追问提示").arg(kb.inquiryPages.size()).arg(kb.hints.size());
       }},
      {{"pre_food_grp"}, true, true, dietRuleRows,
       [](const KB& kb) { return QStringLiteral("%1 条药膳规则").arg(kb.dietRules.size()); }},
      {{"pat"}, true, false, customerRows,
       [](const KB& kb) { return QStringLiteral("演示客户 %1 位").arg(kb.customers.size()); }},
      {{"aliases", "negative_symptom"}, false, true, vocabularyRows,
       [](const KB& kb) { return QStringLiteral("%1 个症状词条").arg(kb.findings.size()); }},
      {{"symptom_option_sub"}, false, true, diseaseQuestionRows,
       [](const KB& kb) { return QStringLiteral("%1 条疾病问题").arg(kb.diseaseQuestions.size()); }},
  };
}

}  // namespace

bool seedKnowledge(TDMServer& dm, bool reload, SeedReport* report, QString* error) {
  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(QString::fromLatin1(kSeedFolder), &problems);
  if (!problems.isEmpty()) {
    *error = problems.join(QLatin1Char('\n'));
    return false;
  }
  QList<Sql> remote, local;
  QStringList written;
  for (const SeedPart& part : seedParts()) {
    bool anyEmpty = false;
    for (const QString& table : part.tables) {
      const int n = rowCount(dm, table, part.remote);
      if (n < 0) {
        *error = QStringLiteral("无法读取表 %1：%2").arg(table, dm.lastError());
        return false;
      }
      anyEmpty = anyEmpty || n == 0;
    }
    if (!anyEmpty && !(reload && part.replacedOnReload)) continue;
    (part.remote ? remote : local) << part.rows(kb);
    written << part.summary(kb);
  }
  if (!remote.isEmpty() && !dm.ExecLstSql(remote, true)) {
    *error = dm.lastError();
    return false;
  }
  if (!local.isEmpty() && !dm.ExecLstSql(local, false)) {
    *error = dm.lastError();
    return false;
  }
  report->summary = written.isEmpty() ? QStringLiteral("知识库已存在，未写入")
                                      : QStringLiteral("已写入知识库：") + written.join(QStringLiteral("，"));
  return true;
}

}  // namespace tcm
