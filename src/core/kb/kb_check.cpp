#include "kb/kb_check.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "crypto/aes_hex.h"
#include "engine/identification.h"
#include "kb/chief_complaint_check.h"
#include "kb/dispensing_check.h"
#include "result/recommendations.h"
#include "text/csv.h"
#include "text/item_list.h"

namespace tcm {
namespace {

// Demographic codes and the age each stands for in a presentation.
struct AgeBand {
  int id;
  const char* age;
};
constexpr AgeBand kAgeBands[] = {{1292, "3"}, {1293, "10"}, {1084, "30"}, {990, "50"}, {997, "70"}};
constexpr int kYoungAdultId = 1084;
constexpr int kMaleId = 1294;
constexpr int kFemaleId = 1295;

QString rankingText(const EngineRun& run) {
  QStringList parts;
  for (const TIll& ill : run.DiseaseLst) parts << QStringLiteral("%1 %2 分").arg(ill.Name).arg(ill.SymWeight);
  return parts.isEmpty() ? QStringLiteral("没有结果") : parts.join(QStringLiteral("，"));
}

QString syndromePlace(const SeedSyndrome& s) { return QStringLiteral("证型“%1”（%2）").arg(s.name).arg(s.id); }

// The structural checks: every stored text read back, every code and id known.
class Consistency {
 public:
  Consistency(const SeedKnowledgeBase& kb, const QHash<QString, const SeedFinding*>& findingByCode, QStringList* problems)
      : kb_(kb), findingByCode_(findingByCode), problems_(problems) {
    for (const SeedPrescription& p : kb.prescriptions) prescriptionById_.insert(p.id, &p);
    for (const SeedHerb& h : kb.herbs) herbById_.insert(h.id, &h);
    for (const auto& pair : kb.negativeFindings) negativeCodes_.insert(fmtId(pair.first));
  }

  void run() {
    checkVocabulary();
    checkNegativeFindings();
    for (const SeedSyndrome& s : kb_.syndromes) checkSyndrome(s);
    for (const SeedPrescription& p : kb_.prescriptions) checkPrescription(p);
    checkHerbTree();
    checkWithdrawnHerbs();
    checkInquiry();
    for (const SeedDietRule& r : kb_.dietRules) checkDietRule(r);
    checkCustomers();
  }

 private:
  void problem(const QString& where, const QString& text) { *problems_ << where + QStringLiteral("：") + text; }
  const SeedFinding* findingOfCode(const QString& code) const { return findingByCode_.value(code); }

  // A run of 5-digit codes written without separators.
  void checkCodeRun(const QString& where, const QString& what, const QString& run) {
    if (run.size() % 5 != 0) {
      problem(where, QStringLiteral("%1“%2”的长度不是 5 的倍数").arg(what, run));
      return;
    }
    for (qsizetype at = 0; at < run.size(); at += 5) checkCode(where, what, run.mid(at, 5));
  }

  void checkCode(const QString& where, const QString& what, const QString& code) {
    bool digits = code.size() == 5;
    for (const QChar c : code) digits = digits && c.isDigit();
    if (!digits) {
      problem(where, QStringLiteral("%1中的“%2”不是 5 位编码").arg(what, code));
      return;
    }
    if (!findingByCode_.contains(code)) problem(where, QStringLiteral("%1中的编码 %2 不在词表中").arg(what, code));
  }

  void checkVocabulary() {
    QHash<QString, QString> nameOfCode;
    for (const SeedFinding& f : kb_.findings) {
      const QString code = fmtId(f.id);
      if (nameOfCode.contains(code))
        problem(QStringLiteral("vocabulary.csv"), QStringLiteral("“%1”与“%2”共用编码 %3").arg(nameOfCode.value(code), f.name, code));
      nameOfCode.insert(code, f.name);
      // Exclusions hold both ways: the selected set tests only the new finding's list.
      for (const QString& id : splitItems(f.mutex, QLatin1Char(','))) {
        const SeedFinding* other = findingOfCode(fmt(id));
        if (!other) {
          problem(QStringLiteral("vocabulary.csv"), QStringLiteral("“%1”的互斥编号 %2 不在词表中").arg(f.name, id));
          continue;
        }
        if (!splitItems(other->mutex, QLatin1Char(',')).contains(QString::number(f.id)))
          problem(QStringLiteral("vocabulary.csv"), QStringLiteral("“%1”与“%2”互斥，但反过来没有写").arg(f.name, other->name));
      }
    }
  }

  void checkNegativeFindings() {
    for (const auto& [finding, implied] : kb_.negativeFindings) {
      checkCode(QStringLiteral("negative_findings.csv"), QStringLiteral("阴性症状"), fmtId(finding));
      checkCode(QStringLiteral("negative_findings.csv"), QStringLiteral("阴性症状"), fmtId(implied));
    }
  }

  // Segments "N SS codes…" joined by "-": the codes of each must exist.
  void checkSegments(const QString& where, const QString& what, const QString& text) {
    for (const QString& segment : text.split(QLatin1Char('-'))) {
      if (segment.size() < 3) {
        problem(where, QStringLiteral("%1的段“%2”太短").arg(what, segment));
        continue;
      }
      checkCodeRun(where, what, segment.mid(3));
    }
  }

  // A module list as the engine reads it: every module readable, none lost.
  void checkModules(const QString& where, const QString& what, const QString& text) {
    if (text.isEmpty()) return;
    engine_detail::CodeTable codes;
    const engine_detail::ModuleList modules = engine_detail::parseModuleList(text, codes);
    if (!modules.readable()) problem(where, QStringLiteral("%1的第 %2 个模块无法读取").arg(what).arg(modules.badModule));
    const QStringList parts = text.split(QLatin1Char('&'));
    if (static_cast<qsizetype>(modules.modules.size()) != parts.size())
      problem(where, QStringLiteral("%1有 %2 个模块，只读出 %3 个").arg(what).arg(parts.size()).arg(modules.modules.size()));
    for (const QString& module : parts) checkSegments(where, what, module);
  }

  void checkProfile(const SeedSyndrome& s, const QString& where) {
    const engine_detail::GroupTable groups = engine_detail::readGroupTable(s.ORValue, s.Weight);
    if (!groups.readable) problem(where, QStringLiteral("OR 与 Weight 无法读取"));
    if (s.Weight.size() != 2 * s.ORValue.size()) problem(where, QStringLiteral("Weight 的长度应为 OR 的两倍"));
    if (s.SymIdStr.size() < 10) problem(where, QStringLiteral("症状谱太短"));
    int lastGroup = 0, lastPlace = 0;
    for (const QString& entry : s.SymIdStr.split(QLatin1Char('-'))) {
      if (entry.size() != 10) {
        problem(where, QStringLiteral("症状谱条目“%1”不是 10 个字符").arg(entry));
        continue;
      }
      const int group = engine_detail::ChrToInt(entry[0]);
      const int place = entry[1].digitValue();
      if (group < 1 || group > 15 || group > s.ORValue.size()) {
        problem(where, QStringLiteral("症状谱条目“%1”的组号无效").arg(entry));
        continue;
      }
      if (group == lastGroup ? place != lastPlace + 1 : (group != lastGroup + 1 || place != 1))
        problem(where, QStringLiteral("症状谱条目“%1”的组内位置不连续").arg(entry));
      lastGroup = group;
      lastPlace = place;
      if (!entry[2].isDigit() || !entry[3].isDigit()) problem(where, QStringLiteral("症状谱条目“%1”的必备位或权重位无效").arg(entry));
      if (entry[4] != QLatin1Char('0')) problem(where, QStringLiteral("症状谱条目“%1”的第 5 个字符应为 0").arg(entry));
      checkCode(where, QStringLiteral("症状谱"), entry.mid(5));
      // The engine finds a code by a plain search in the whole text.
      if (s.SymIdStr.indexOf(entry.mid(5)) != s.SymIdStr.indexOf(entry) + 5)
        problem(where, QStringLiteral("编码 %1 在症状谱中出现在它的条目之前").arg(entry.mid(5)));
    }
    if (lastGroup != s.ORValue.size()) problem(where, QStringLiteral("症状谱有 %1 组，OR 有 %2 组").arg(lastGroup).arg(s.ORValue.size()));
  }

  void checkSyndrome(const SeedSyndrome& s) {
    const QString where = syndromePlace(s);
    checkProfile(s, where);
    checkModules(where, QStringLiteral("加分模块"), s.SymModIdStr);
    checkModules(where, QStringLiteral("鉴别模块"), s.DifferentialDiagnosis);
    checkModules(where, QStringLiteral("减分模块"), s.DecWeightSymIdStr);
    if (!s.CardinalSymptom.isEmpty()) {
      engine_detail::CodeTable codes;
      const engine_detail::SegmentList cardinal = engine_detail::parseSegments(s.CardinalSymptom, 5, codes);
      if (!cardinal.readable()) problem(where, QStringLiteral("必备症状段无法读取"));
      if (s.CardinalSymptom.count(QLatin1Char('-')) >= 5) problem(where, QStringLiteral("必备症状段超过 5 段"));
      checkSegments(where, QStringLiteral("必备症状段"), s.CardinalSymptom);
    }
    const qsizetype modules = s.SymModIdStr.isEmpty() ? 0 : s.SymModIdStr.split(QLatin1Char('&')).size();
    if (s.MatchModFlag.size() != modules) problem(where, QStringLiteral("模块标志有 %1 位，模块有 %2 个").arg(s.MatchModFlag.size()).arg(modules));
    for (const QChar c : s.MatchModFlag)
      if (c != QLatin1Char('0') && c != QLatin1Char('1')) problem(where, QStringLiteral("模块标志只能为 0 或 1"));
    if (modules > 0) {
      const QStringList ids = s.ModPreIdStr.split(QLatin1Char('&'));
      if (ids.size() != modules + 1 || ids.value(0) != QLatin1String("0"))
        problem(where, QStringLiteral("模块方剂“%1”应为 0 加每个模块一项").arg(s.ModPreIdStr));
      for (const QString& id : ids.mid(1)) {
        if (id != QLatin1String("0") && !prescriptionById_.contains(id.toInt()))
          problem(where, QStringLiteral("模块方剂编号 %1 不在方剂表中").arg(id));
      }
    }
    for (const QString& group : s.NegativeSymIdStr.split(QLatin1Char('-'), Qt::SkipEmptyParts)) {
      checkCodeRun(where, QStringLiteral("阴性症状组"), group);
      // The engine asks about the last code of a group that the findings miss.
      const QString last = group.right(5);
      if (!negativeCodes_.contains(last)) problem(where, QStringLiteral("阴性症状组的最后一个编码 %1 没有阴性症状").arg(last));
    }
    checkPrescriptionList(where, s.Pre);
    for (const QString& dep : QStringList{s.Dep1} + s.Dep2.split(QLatin1Char(','))) {
      bool ok = false;
      dep.toInt(&ok);
      if (!ok) problem(where, QStringLiteral("科室“%1”不是数字").arg(dep));
    }
    if (!s.recommendFood.contains(QLatin1Char('|')) || !s.notRecommendFood.contains(QLatin1Char('|')))
      problem(where, QStringLiteral("饮食宜忌应写作 标题|内容"));
    if (s.constitutionClass.isEmpty()) problem(where, QStringLiteral("没有写体质类别"));
    if (s.source.isEmpty()) problem(where, QStringLiteral("没有写出处"));
  }

  // The list text as the result panel reads it: every entry must come out with
  // its id, name and type, and name an existing prescription.
  void checkPrescriptionList(const QString& where, const QString& pre) {
    const int written = static_cast<int>(pre.count(QLatin1Char('{')));
    if (written == 0) {
      problem(where, QStringLiteral("没有推荐方剂"));
      return;
    }
    const PrescriptionSlots slots = parsePrescriptionList(pre);
    if (slots.classic.size() + slots.diet.size() != written)
      problem(where, QStringLiteral("方剂列表写了 %1 项，只读出 %2 项").arg(written).arg(slots.classic.size() + slots.diet.size()));
    for (const QList<PrescriptionEntry>* group : {&slots.classic, &slots.diet}) {
      for (const PrescriptionEntry& e : *group) {
        const SeedPrescription* p = prescriptionById_.value(e.id.toInt());
        if (!p) {
          problem(where, QStringLiteral("方剂编号 %1 不在方剂表中").arg(e.id));
          continue;
        }
        if (p->name != e.name) problem(where, QStringLiteral("方剂编号 %1 应为“%2”而不是“%3”").arg(e.id, p->name, e.name));
        if (e.remark != QLatin1String(p->classic ? "4" : "8"))
          problem(where, QStringLiteral("方剂“%1”的类型应为 %2").arg(p->name, QLatin1String(p->classic ? "4" : "8")));
      }
    }
  }

  void checkPrescription(const SeedPrescription& p) {
    const QString where = QStringLiteral("方剂“%1”（%2）").arg(p.name).arg(p.id);
    for (const QString& item : p.herbIds.split(QLatin1Char('|'))) {
      const QStringList fields = item.split(QLatin1Char(','));
      if (fields.size() != 4) {
        problem(where, QStringLiteral("药味“%1”应为 编号,名称,剂量,单位").arg(item));
        continue;
      }
      const SeedHerb* h = herbById_.value(fields[0].toInt());
      if (!h) {
        problem(where, QStringLiteral("药材编号 %1 不在药材目录中").arg(fields[0]));
        continue;
      }
      if (h->name != fields[1]) problem(where, QStringLiteral("药材编号 %1 应为“%2”").arg(fields[0], h->name));
      bool ok = false;
      fields[2].toDouble(&ok);
      if (!ok) problem(where, QStringLiteral("“%1”的剂量无效").arg(fields[1]));
    }
  }

  void checkHerbTree() {
    QHash<QString, int> seen;
    for (const QString& line : kb_.herbTreeText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      if (line.startsWith(QLatin1Char('\t'))) ++seen[line.mid(1)];
    for (const SeedHerb& h : kb_.herbs)
      if (seen.value(h.name) != 1) problem(QStringLiteral("药材树"), QStringLiteral("“%1”出现 %2 次").arg(h.name).arg(seen.value(h.name)));
    // Every herb of the catalogue is used by some prescription.
    QSet<QString> used;
    for (const SeedPrescription& p : kb_.prescriptions)
      for (const QString& name : p.herbNames) used.insert(name);
    for (const SeedHerb& h : kb_.herbs)
      if (!used.contains(h.name)) problem(QStringLiteral("herbs.csv"), QStringLiteral("“%1”没有方剂用到").arg(h.name));
  }

  // Herbs withdrawn for their aristolochic acid may appear nowhere: not in the
  // catalogue, not in a prescription, not in a treatment or food advice.
  void checkWithdrawnHerbs() {
    static const QStringList withdrawn = {QStringLiteral("关木通"), QStringLiteral("广防己"), QStringLiteral("青木香"),
                                          QStringLiteral("马兜铃")};
    const auto report = [this](const QString& where, const QString& text) {
      for (const QString& herb : withdrawn)
        if (text.contains(herb)) problem(where, QStringLiteral("含有已禁用的马兜铃酸类药材“%1”").arg(herb));
    };
    for (const SeedHerb& h : kb_.herbs) report(QStringLiteral("herbs.csv"), h.name);
    for (const SeedPrescription& p : kb_.prescriptions)
      report(QStringLiteral("方剂“%1”（%2）").arg(p.name).arg(p.id), p.name + QLatin1Char('|') + p.herbNames.join(QLatin1Char('|')));
    for (const SeedSyndrome& s : kb_.syndromes)
      report(QStringLiteral("证型“%1”").arg(s.name), s.Tre + QLatin1Char('|') + s.recommendFood + QLatin1Char('|') + s.notRecommendFood);
  }

  void checkAnswer(const QString& where, const SeedInquiryRow& row, const QSet<int>& withHints) {
    if (row.isHeading()) return;
    const SeedFinding* f = findingOfCode(fmt(row.symId));
    if (!f) {
      problem(where, QStringLiteral("答案编号 %1 不在词表中").arg(row.symId));
      return;
    }
    if (row.name != f->name || row.gender != f->gender || row.mutex != f->mutex || row.classId != QString::number(f->category))
      problem(where, QStringLiteral("答案“%1”与词表中的名称、性别、互斥或类别不一致").arg(row.name));
    for (const QString& id : splitItems(row.mutex, QLatin1Char(','))) checkCode(where, QStringLiteral("互斥"), fmt(id));
    const bool hinted = withHints.contains(row.symId.toInt());
    if ((row.childTag == QLatin1String("1")) != hinted)
      problem(where, QStringLiteral("答案“%1”的追问标记与追问提示不符").arg(row.name));
  }

  void checkInquiry() {
    QSet<int> withHints;
    for (const SeedHint& h : kb_.hints) {
      withHints.insert(h.fid);
      const QString where = QStringLiteral("追问提示");
      checkCode(where, QStringLiteral("答案"), fmtId(h.fid));
      const SeedFinding* f = findingOfCode(fmt(h.symid));
      if (!f || f->name != h.name) problem(where, QStringLiteral("提示“%1”（%2）与词表不一致").arg(h.name, h.symid));
      if (f && QString::number(h.gender) != f->gender) problem(where, QStringLiteral("提示“%1”的性别与词表不一致").arg(h.name));
    }
    if (kb_.inquiryPages.isEmpty() || kb_.inquiryPages.first().page != QString::fromUtf8(kFirstInquiryPage))
      problem(QStringLiteral("问诊页面"), QStringLiteral("第一个页面应为“%1”").arg(QString::fromUtf8(kFirstInquiryPage)));
    for (const SeedInquiryRow& row : kb_.inquiryPages)
      checkAnswer(QStringLiteral("问诊页面“%1”").arg(row.page), row, withHints);
    for (const SeedInquiryRow& row : kb_.diseaseQuestions) {
      const SeedFinding* disease = kb_.findingById(row.diseaseId);
      const QString where = QStringLiteral("疾病问题（%1）").arg(disease ? disease->name : QString::number(row.diseaseId));
      if (!disease || disease->category != 8) problem(where, QStringLiteral("编号 %1 不是词表中的疾病").arg(row.diseaseId));
      checkAnswer(where, row, withHints);
    }
  }

  void checkDietRule(const SeedDietRule& r) {
    const QString where = QStringLiteral("药膳规则“%1”（%2）").arg(r.synName).arg(r.id);
    checkCode(where, QStringLiteral("主症"), fmtId(r.symId));
    // The condition as the diet-rule match reads it.
    if (!r.ids.isEmpty()) {
      for (const QString& alternative : r.ids.split(QLatin1Char('|'))) {
        for (QString element : alternative.split(QLatin1Char(','))) {
          if (element.contains(QLatin1Char('('))) {
            if (!element.startsWith(QLatin1Char('(')) || !element.endsWith(QLatin1Char(')')))
              problem(where, QStringLiteral("条件元素“%1”的括号不在两端").arg(element));
            element = element.mid(1, element.size() - 2);
          }
          for (const QString& part : element.split(QLatin1Char('-'))) {
            if (part.isEmpty()) {
              problem(where, QStringLiteral("条件“%1”含有空的部分（来自“|”“,,”或“()”等），空的部分不与任何症状相符").arg(r.ids));
              continue;
            }
            checkCode(where, QStringLiteral("条件"), part);
          }
        }
      }
    }
    checkPrescriptionList(where, r.pre);
  }

  void checkCustomers() {
    for (const SeedCustomer& c : kb_.customers) {
      const QString where = QStringLiteral("演示客户“%1”").arg(c.name);
      if (decryptForDisplay(encryptText(c.phone).value_or(QString())) != c.phone ||
          decryptForDisplay(encryptText(c.address).value_or(QString())) != c.address)
        problem(where, QStringLiteral("电话或地址加密后无法还原"));
    }
  }

  const SeedKnowledgeBase& kb_;
  const QHash<QString, const SeedFinding*>& findingByCode_;
  QStringList* problems_;
  QHash<int, const SeedPrescription*> prescriptionById_;
  QHash<int, const SeedHerb*> herbById_;
  QSet<QString> negativeCodes_;
};

}  // namespace

QString KbPresentation::describe() const {
  return QStringLiteral("%1，%2，%3 岁").arg(names.join(QStringLiteral("、")), genderBox, ageBox);
}

struct KnowledgeCheck::Impl {
  explicit Impl(const SeedKnowledgeBase& base)
      : kb(base), table(base.knowledgeTable()), index(*table), negatives(base.negativeFindings) {
    for (const SeedFinding& f : base.findings) findingByCode.insert(fmtId(f.id), &f);
    for (const SeedSyndrome& s : base.syndromes) syndromeById.insert(s.id, &s);
  }

  // The gender the findings call for, else the one the modules name (female
  // when neither does); the age band the modules name, else a young adult.
  void completeDemographics(const SeedSyndrome& s, KbPresentation* p) const {
    bool male = false, female = false;
    for (const QString& code : p->codes) {
      const SeedFinding* f = findingByCode.value(code);
      male = male || (f && f->gender == QLatin1String("1"));
      female = female || (f && f->gender == QLatin1String("2"));
    }
    const QString modules = s.SymModIdStr + QLatin1Char('&') + s.CardinalSymptom;
    p->ageBox = QStringLiteral("30");
    for (const AgeBand& band : kAgeBands) {
      if (band.id != kYoungAdultId && modules.contains(fmtId(band.id))) {
        p->ageBox = QLatin1String(band.age);
        break;
      }
    }
    if (!male && !female) {
      male = modules.contains(fmtId(kMaleId));
      female = modules.contains(fmtId(kFemaleId));
    }
    p->genderBox = male && !female ? QStringLiteral("男") : QStringLiteral("女");
  }

  const SeedKnowledgeBase& kb;
  std::shared_ptr<KnowledgeTable> table;
  SyndromeIndex index;
  mutable SeedNegativeFindings negatives;
  QHash<QString, const SeedFinding*> findingByCode;
  QHash<int, const SeedSyndrome*> syndromeById;
};

KnowledgeCheck::KnowledgeCheck(const SeedKnowledgeBase& kb) : d_(std::make_unique<Impl>(kb)) {}
KnowledgeCheck::~KnowledgeCheck() = default;

QStringList KnowledgeCheck::consistencyProblems() const {
  QStringList problems;
  Consistency(d_->kb, d_->findingByCode, &problems).run();
  return problems;
}

KbPresentation KnowledgeCheck::profilePresentation(const SeedSyndrome& s) const {
  KbPresentation p;
  QHash<int, int> taken;
  for (const QString& entry : s.SymIdStr.split(QLatin1Char('-'))) {
    if (entry.size() != 10) continue;
    const int group = engine_detail::ChrToInt(entry[0]);
    const int required = group >= 1 && group <= s.ORValue.size() ? s.ORValue[group - 1].digitValue() : 0;
    if (taken[group] >= required) continue;
    ++taken[group];
    const QString code = entry.mid(5);
    const SeedFinding* f = d_->findingByCode.value(code);
    if (!f) continue;
    p.codes << code;
    p.names << f->name;
  }
  d_->completeDemographics(s, &p);
  return p;
}

KbPresentation KnowledgeCheck::presentationOfNames(const QStringList& names, const QString& genderBox,
                                                   const QString& ageBox, QStringList* unknown) const {
  KbPresentation p;
  p.genderBox = genderBox;
  p.ageBox = ageBox;
  QStringList diseases, symptoms, tongue;
  for (const QString& name : names) {
    const SeedFinding* f = d_->kb.finding(name);
    // Gender and age findings are added by the run itself and cannot be picked.
    if (!f || f->category < 0) {
      if (unknown) *unknown << name;
      continue;
    }
    p.names << name;
    const QString code = fmtId(f->id);
    QStringList& into = f->category == 8 ? diseases : f->category == 5 ? tongue : symptoms;
    if (f->category != 6 && !into.contains(code)) into << code;
  }
  p.codes = diseases + symptoms + tongue;
  return p;
}

KbPresentation KnowledgeCheck::listedPresentation(const SeedSyndrome& s, QStringList* unknown) const {
  KbPresentation p = presentationOfNames(s.presentation, QString(), QString(), unknown);
  d_->completeDemographics(s, &p);
  return p;
}

EngineRun KnowledgeCheck::identify(const KbPresentation& p) const {
  QStringList codes = p.codes;
  codes << genderCode(p.genderBox) << getAgeCode(p.ageBox);
  QString hint;
  return GetIllBySymLst(d_->index, codes, kOutCountLmt, kOutPreLmt, kSortType, departmentList(p.genderBox), hint,
                        QString(), d_->negatives);
}

Identification KnowledgeCheck::run(const KbPresentation& p, const QString& primaryCode,
                                   const DietRuleStep& dietRules) const {
  return Ai(d_->index, d_->negatives, IdentificationInput{p.codes, primaryCode, p.genderBox, p.ageBox}, dietRules);
}

QString KnowledgeCheck::classOf(int syndromeId) const {
  const SeedSyndrome* s = d_->syndromeById.value(syndromeId);
  return s ? s->constitutionClass : QString();
}

QStringList KnowledgeCheck::reachabilityProblems() const {
  QStringList problems;
  for (const SeedSyndrome& s : d_->kb.syndromes) {
    if (!s.open) continue;
    const KbPresentation p = profilePresentation(s);
    const EngineRun run = identify(p);
    if (!run.ok()) {
      problems << syndromePlace(s) + QStringLiteral("：辨识失败：") + run.error;
      continue;
    }
    if (run.DiseaseLst.isEmpty() || run.DiseaseLst.first().Id != s.id)
      problems << syndromePlace(s) + QStringLiteral("：典型表现（%1）的第一个结果不是它：%2").arg(p.describe(), rankingText(run));
  }
  return problems;
}

QStringList KnowledgeCheck::presentationProblems() const {
  QStringList problems;
  for (const SeedSyndrome& s : d_->kb.syndromes) {
    if (!s.open) continue;
    if (s.presentation.isEmpty()) {
      problems << syndromePlace(s) + QStringLiteral("：没有列出教材表现");
      continue;
    }
    QStringList unknown;
    const KbPresentation p = listedPresentation(s, &unknown);
    for (const QString& name : unknown)
      problems << syndromePlace(s) + QStringLiteral("：所列教材表现中的“%1”不是可选的症状、舌象或脉象").arg(name);
    const EngineRun run = identify(p);
    if (!run.ok()) {
      problems << syndromePlace(s) + QStringLiteral("：辨识失败：") + run.error;
      continue;
    }
    const QString firstClass = run.DiseaseLst.isEmpty() ? QString() : classOf(run.DiseaseLst.first().Id);
    if (firstClass != s.constitutionClass)
      problems << syndromePlace(s) + QStringLiteral("：所列教材表现（%1）没有辨为%2：%3")
                                         .arg(p.describe(), s.constitutionClass, rankingText(run));
  }
  return problems;
}

QStringList KnowledgeCheck::caseProblems(const QString& path, int* count) const {
  QStringList problems;
  *count = 0;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {QStringLiteral("无法读取病例文件 %1").arg(path)};
  const CsvTable t = parseCsv(QString::fromUtf8(f.readAll()));
  const QString file = QFileInfo(path).fileName();
  for (const char* column : {"constitution", "gender", "age", "findings"}) {
    if (t.columnIndex(QLatin1String(column)) < 0) return {QStringLiteral("%1：缺少列“%2”").arg(file, QLatin1String(column))};
  }
  QSet<QString> openNames, ruleNames;
  for (const SeedSyndrome& s : d_->kb.syndromes)
    if (s.open) openNames.insert(s.name);
  for (const SeedDietRule& r : d_->kb.dietRules) ruleNames.insert(r.synName);
  QString ruleMatched;
  const DietRuleStep dietRules = seedDietRuleStep(d_->kb, &ruleMatched);
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("%1 第%2行").arg(file).arg(t.lineNumbers[r]);
    const QString expected = t.field(r, QStringLiteral("constitution"));
    QStringList unknown;
    QStringList names = splitItems(t.field(r, QStringLiteral("findings")), QLatin1Char('|'));
    const QString primary = t.field(r, QStringLiteral("primary"));
    if (!primary.isEmpty() && !names.contains(primary)) names << primary;
    const KbPresentation p = presentationOfNames(names, t.field(r, QStringLiteral("gender")),
                                                 t.field(r, QStringLiteral("age")), &unknown);
    for (const QString& name : unknown) problems << where + QStringLiteral("：词表中没有“%1”").arg(name);
    if (!openNames.contains(expected) && !(ruleNames.contains(expected) && !primary.isEmpty())) {
      problems << where + QStringLiteral("：没有开放的证型“%1”").arg(expected);
      continue;
    }
    if (!unknown.isEmpty()) continue;
    const SeedFinding* primaryFinding = primary.isEmpty() ? nullptr : d_->kb.finding(primary);
    if (!primary.isEmpty() && (!primaryFinding || (primaryFinding->category != 0 && primaryFinding->category != 8))) {
      problems << where + QStringLiteral("：主诉“%1”不是症状或疾病").arg(primary);
      continue;
    }
    if (!primaryFinding) {
      const EngineRun run = identify(p);
      if (!run.ok()) {
        problems << where + QStringLiteral("：辨识失败：") + run.error;
        continue;
      }
      if (run.DiseaseLst.isEmpty() || run.DiseaseLst.first().Name != expected)
        problems << where + QStringLiteral("：应辨为“%1”，结果为：%2").arg(expected, rankingText(run));
      continue;
    }
    const Identification run = this->run(p, fmtId(primaryFinding->id), dietRules);
    if (run.outcome == IdentificationOutcome::Failed) {
      problems << where + QStringLiteral("：辨识失败：") + run.error;
      continue;
    }
    const QString got = run.outcome == IdentificationOutcome::DietRule ? ruleMatched
                        : run.shown.isEmpty()                          ? QString()
                                                                       : run.shown.first().Name;
    if (got != expected) {
      EngineRun ranked;
      ranked.DiseaseLst = run.results;
      problems << where + QStringLiteral("：以“%1”为主诉应辨为“%2”，结果为：%3")
                              .arg(primary, expected,
                                   run.outcome == IdentificationOutcome::DietRule
                                       ? QStringLiteral("药膳规则“%1”").arg(ruleMatched)
                                       : rankingText(ranked));
    }
  }
  *count = static_cast<int>(t.rows.size());
  return problems;
}

KbCheckResult checkKnowledgeBase(const SeedKnowledgeBase& kb, const QString& casesPath) {
  KbCheckResult result;
  const KnowledgeCheck check(kb);
  result.problems << check.consistencyProblems() << check.reachabilityProblems() << check.presentationProblems();
  result.problems << chiefComplaintProblems(kb, check);
  result.problems << dispensingProblems(kb);
  if (!casesPath.isEmpty()) {
    result.casesChecked = true;
    result.problems << check.caseProblems(casesPath, &result.cases);
  }
  return result;
}

QString kbCheckSummary(const SeedKnowledgeBase& kb, const KbCheckResult& result) {
  return QStringLiteral("知识库检查通过：%1 个词条，%2 个证型均可辨出且所列教材表现均辨为本类，%3 首方剂，%4 味药材，"
                        "%5 个问诊页面行，%6 条追问提示，%7 条疾病问题，%8 条药膳规则，%9 位演示客户，")
             .arg(kb.findings.size())
             .arg(kb.syndromes.size())
             .arg(kb.prescriptions.size())
             .arg(kb.herbs.size())
             .arg(kb.inquiryPages.size())
             .arg(kb.hints.size())
             .arg(kb.diseaseQuestions.size())
             .arg(kb.dietRules.size())
             .arg(kb.customers.size()) +
         (result.casesChecked ? QStringLiteral("教材病例 %1 例均辨证正确").arg(result.cases)
                              : QStringLiteral("未找到教材病例文件，未核对病例"));
}

}  // namespace tcm
