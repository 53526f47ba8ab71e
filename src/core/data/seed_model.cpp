#include "data/seed_model.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "crypto/des_hex.h"
#include "text/csv.h"
#include "text/item_list.h"

namespace tcm {
namespace {

// Demographic findings are appended by the run itself and stay out of the search.
const QSet<int> kDemographicIds = {1292, 1293, 1084, 990, 997, 1294, 1295};

QString readText(const QString& path, QStringList* problems) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *problems << QStringLiteral("无法读取 %1").arg(path);
    return {};
  }
  return QString::fromUtf8(f.readAll());
}

const char kGroupChars[] = "0123456789abcdef";

class SyndromeEncoder {
 public:
  SyndromeEncoder(const SeedKnowledgeBase& kb, const QHash<QString, int>& preIds, QStringList* problems)
      : kb_(kb), preIds_(preIds), problems_(problems) {}

  SeedSyndrome encode(const QJsonObject& o, int line) {
    SeedSyndrome s;
    line_ = line;
    s.id = o.value(QLatin1String("id")).toInt();
    s.name = o.value(QLatin1String("name")).toString();
    where_ = QStringLiteral("syndromes.jsonl 第%1行（%2）").arg(line).arg(s.name);
    if (s.id <= 0) problem(QStringLiteral("缺少正整数 id"));
    if (s.name.isEmpty()) problem(QStringLiteral("缺少名称"));
    s.open = o.value(QLatin1String("open")).toInt(1) == 1;
    s.constitutionClass = o.value(QLatin1String("class")).toString();
    s.Dep1 = o.value(QLatin1String("dep1")).toString();
    s.Dep2 = o.value(QLatin1String("dep2")).toString();
    s.Tre = o.value(QLatin1String("treatment")).toString();
    s.recommendFood = o.value(QLatin1String("recommend_food")).toString();
    s.notRecommendFood = o.value(QLatin1String("avoid_food")).toString();
    encodeProfile(o.value(QLatin1String("groups")).toArray(), &s);
    const QJsonArray modules = o.value(QLatin1String("modules")).toArray();
    s.SymModIdStr = encodeModules(modules);
    s.MatchModFlag = moduleFlags(modules);
    s.ModPreIdStr = modulePrescriptions(modules);
    s.DifferentialDiagnosis = encodeModules(o.value(QLatin1String("differential")).toArray());
    s.DecWeightSymIdStr = encodeModules(o.value(QLatin1String("dec_weight")).toArray());
    const QJsonArray cardinal = o.value(QLatin1String("cardinal")).toArray();
    if (cardinal.size() > 5) problem(QStringLiteral("必备症状段超过 5 段"));
    s.CardinalSymptom = encodeSegments(cardinal);
    s.NegativeSymIdStr = encodeNegative(o.value(QLatin1String("negative")).toArray());
    s.Pre = prescriptionList(o.value(QLatin1String("prescriptions")).toArray());
    return s;
  }

 private:
  void problem(const QString& text) { *problems_ << where_ + QStringLiteral("：") + text; }

  QString code(const QString& name) {
    const auto it = kb_.findingIdByName.constFind(name);
    if (it == kb_.findingIdByName.constEnd()) {
      problem(QStringLiteral("词表中没有“%1”").arg(name));
      return QStringLiteral("00000");
    }
    return fmtId(*it);
  }

  void encodeProfile(const QJsonArray& groups, SeedSyndrome* s) {
    if (groups.isEmpty() || groups.size() > 15) problem(QStringLiteral("症状组数应为 1–15"));
    QStringList entries;
    for (qsizetype g = 0; g < groups.size() && g < 15; ++g) {
      const QJsonObject group = groups[g].toObject();
      const int required = group.value(QLatin1String("required")).toInt();
      const int weight = group.value(QLatin1String("weight")).toInt();
      const int must = group.value(QLatin1String("must")).toInt();
      if (required < 1 || required > 9) problem(QStringLiteral("第%1组所需数应为 1–9").arg(g + 1));
      if (weight < 0 || weight > 99) problem(QStringLiteral("第%1组权重应为 0–99").arg(g + 1));
      if (must < 0 || must > 9) problem(QStringLiteral("第%1组必备数字应为 0–9").arg(g + 1));
      s->ORValue += QString::number(qBound(0, required, 9));
      s->Weight += QStringLiteral("%1").arg(qBound(0, weight, 99), 2, 10, QLatin1Char('0'));
      const QJsonArray findings = group.value(QLatin1String("findings")).toArray();
      if (findings.isEmpty() || findings.size() > 9) problem(QStringLiteral("第%1组应有 1–9 个症状").arg(g + 1));
      for (qsizetype k = 0; k < findings.size() && k < 9; ++k) {
        const QJsonObject f = findings[k].toObject();
        const int entryWeight = f.value(QLatin1String("weight")).toInt();
        const bool flagged = f.value(QLatin1String("must")).toBool();
        if (k == 0 && must > 0 && !flagged) problem(QStringLiteral("第%1组首个症状须为必备症状").arg(g + 1));
        if (entryWeight < 0 || entryWeight > 9) problem(QStringLiteral("第%1组症状权重应为 0–9").arg(g + 1));
        const QString c = code(f.value(QLatin1String("name")).toString());
        s->profileCodes << c;
        entries << QString(QLatin1Char(kGroupChars[g + 1])) + QString::number(k + 1) +
                       QString::number(flagged ? must : 0) + QString::number(qBound(0, entryWeight, 9)) +
                       QLatin1Char('0') + c;
      }
    }
    s->SymIdStr = entries.join(QLatin1Char('-'));
  }

  QString encodeSegments(const QJsonArray& segments) {
    QStringList out;
    for (const QJsonValue& v : segments) {
      const QJsonObject seg = v.toObject();
      const int need = seg.value(QLatin1String("need")).toInt();
      const int points = seg.value(QLatin1String("points")).toInt();
      if (need < 0 || need > 9) problem(QStringLiteral("段的所需数应为 0–9"));
      if (points < 0 || points > 99) problem(QStringLiteral("段的分值应为 0–99"));
      QString text = QString::number(qBound(0, need, 9)) + QStringLiteral("%1").arg(qBound(0, points, 99), 2, 10, QLatin1Char('0'));
      for (const QJsonValue& f : seg.value(QLatin1String("findings")).toArray()) text += code(f.toString());
      out << text;
    }
    return out.join(QLatin1Char('-'));
  }

  QString encodeModules(const QJsonArray& modules) {
    if (modules.size() > 15) problem(QStringLiteral("模块超过 15 个"));
    QStringList out;
    for (const QJsonValue& m : modules) {
      const QJsonArray segments = m.toObject().value(QLatin1String("segments")).toArray();
      if (segments.isEmpty() || segments.size() > 10) problem(QStringLiteral("模块应有 1–10 段"));
      out << encodeSegments(segments);
    }
    return out.join(QLatin1Char('&'));
  }

  QString moduleFlags(const QJsonArray& modules) {
    QString flags;
    for (const QJsonValue& m : modules) flags += QString::number(m.toObject().value(QLatin1String("flag")).toInt() == 1 ? 1 : 0);
    return flags;
  }

  QString modulePrescriptions(const QJsonArray& modules) {
    if (modules.isEmpty()) return {};
    QStringList ids{QStringLiteral("0")};
    for (const QJsonValue& m : modules) {
      const QString name = m.toObject().value(QLatin1String("prescription")).toString();
      if (name.isEmpty()) {
        ids << QStringLiteral("0");
      } else if (!preIds_.contains(name)) {
        problem(QStringLiteral("方剂表中没有“%1”").arg(name));
        ids << QStringLiteral("0");
      } else {
        ids << QString::number(preIds_.value(name));
      }
    }
    return ids.join(QLatin1Char('&'));
  }

  QString encodeNegative(const QJsonArray& groups) {
    QStringList out;
    for (const QJsonValue& g : groups) {
      QString text;
      for (const QJsonValue& f : g.toArray()) text += code(f.toString());
      out << text;
    }
    return out.join(QLatin1Char('-'));
  }

  QString prescriptionList(const QJsonArray& names) {
    QStringList items;
    int classic = 0, diet = 0;
    for (const QJsonValue& v : names) {
      const QString name = v.toString();
      const SeedPrescription* pre = nullptr;
      for (const SeedPrescription& p : kb_.prescriptions)
        if (p.name == name) pre = &p;
      if (!pre) {
        problem(QStringLiteral("方剂表中没有“%1”").arg(name));
        continue;
      }
      (pre->classic ? classic : diet) += 1;
      items << QStringLiteral("{\"id\":\"%1\",\"name\":\"%2\",\"remark\":\"%3\"}")
                   .arg(pre->id)
                   .arg(pre->name)
                   .arg(pre->classic ? 4 : 8);
    }
    if (classic > 3 || diet > 3) problem(QStringLiteral("推荐方剂超过三首经方或三首药膳"));
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
  }

  const SeedKnowledgeBase& kb_;
  const QHash<QString, int>& preIds_;
  QStringList* problems_;
  QString where_;
  int line_ = 0;
};

void readFindings(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const CsvTable t = parseCsv(readText(folder + QStringLiteral("/vocabulary.csv"), problems));
  QHash<int, QString> nameById;
  QList<QStringList> mutexNames;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("vocabulary.csv 第%1行").arg(t.lineNumbers[r]);
    SeedFinding f;
    bool ok = false;
    f.id = t.field(r, QStringLiteral("id")).toInt(&ok);
    if (!ok || f.id <= 0 || f.id > 99999) *problems << where + QStringLiteral("：编号应为 1–99999");
    f.name = t.field(r, QStringLiteral("name"));
    f.category = t.field(r, QStringLiteral("category")).toInt();
    if (kDemographicIds.contains(f.id)) f.category = -1;
    f.pinyin = t.field(r, QStringLiteral("pinyin"));
    f.gender = t.field(r, QStringLiteral("gender"));
    f.loadOrder = t.field(r, QStringLiteral("load_order")).toInt();
    if (f.name.isEmpty()) *problems << where + QStringLiteral("：缺少名称");
    if (f.name.contains(QLatin1Char(',')) || f.name.contains(QLatin1Char('|')))
      *problems << where + QStringLiteral("：名称不能含“,”或“|”");
    if (nameById.contains(f.id)) *problems << where + QStringLiteral("：编号 %1 重复").arg(f.id);
    if (kb->findingIdByName.contains(f.name)) *problems << where + QStringLiteral("：名称“%1”重复").arg(f.name);
    if (f.pinyin != f.pinyin.toUpper()) *problems << where + QStringLiteral("：拼音首字母应为大写");
    if (f.gender != QLatin1String("1") && f.gender != QLatin1String("2") && f.gender != QLatin1String("3"))
      *problems << where + QStringLiteral("：性别代码应为 1、2 或 3");
    nameById.insert(f.id, f.name);
    kb->findingIdByName.insert(f.name, f.id);
    mutexNames << splitItems(t.field(r, QStringLiteral("mutex")), QLatin1Char('|'));
    kb->findings << f;
  }
  // Exclusions are written by name and stored as ids.
  for (qsizetype i = 0; i < kb->findings.size(); ++i) {
    QStringList ids;
    for (const QString& name : mutexNames[i]) {
      if (name.isEmpty()) continue;
      if (!kb->findingIdByName.contains(name)) {
        *problems << QStringLiteral("vocabulary.csv：“%1”的互斥项“%2”不在词表中").arg(kb->findings[i].name, name);
        continue;
      }
      ids << QString::number(kb->findingIdByName.value(name));
    }
    kb->findings[i].mutex = ids.join(QLatin1Char(','));
  }
}

void readHerbs(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const CsvTable t = parseCsv(readText(folder + QStringLiteral("/herbs.csv"), problems));
  QSet<int> ids;
  QSet<QString> names;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("herbs.csv 第%1行").arg(t.lineNumbers[r]);
    SeedHerb h;
    bool okId = false, okPrice = false;
    h.id = t.field(r, QStringLiteral("id")).toInt(&okId);
    h.name = t.field(r, QStringLiteral("name"));
    h.category = t.field(r, QStringLiteral("category"));
    h.price = t.field(r, QStringLiteral("price")).toDouble(&okPrice);
    h.stock = t.field(r, QStringLiteral("stock")).toDouble();
    if (!okId || h.id <= 0) *problems << where + QStringLiteral("：编号无效");
    if (!okPrice || h.price < 0) *problems << where + QStringLiteral("：价格无效");
    if (h.name.isEmpty() || names.contains(h.name)) *problems << where + QStringLiteral("：名称为空或重复");
    if (ids.contains(h.id)) *problems << where + QStringLiteral("：编号重复");
    ids.insert(h.id);
    names.insert(h.name);
    kb->herbs << h;
  }
}

void readPrescriptions(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const CsvTable t = parseCsv(readText(folder + QStringLiteral("/prescriptions.csv"), problems));
  QHash<QString, const SeedHerb*> herbByName;
  for (const SeedHerb& h : kb->herbs) herbByName.insert(h.name, &h);
  QSet<int> ids;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("prescriptions.csv 第%1行").arg(t.lineNumbers[r]);
    SeedPrescription p;
    bool ok = false;
    p.id = t.field(r, QStringLiteral("id")).toInt(&ok);
    p.name = t.field(r, QStringLiteral("name"));
    const QString kind = t.field(r, QStringLiteral("kind"));
    p.classic = kind == QLatin1String("classic");
    if (!ok || p.id <= 0 || ids.contains(p.id)) *problems << where + QStringLiteral("：编号无效或重复");
    if (!p.classic && kind != QLatin1String("diet")) *problems << where + QStringLiteral("：类别应为 classic 或 diet");
    ids.insert(p.id);
    QStringList items;
    for (const QString& item : splitItems(t.field(r, QStringLiteral("herbs")), QLatin1Char('|'))) {
      const QStringList parts = item.split(QLatin1Char(':'));
      if (parts.size() != 3 || parts[0].isEmpty()) {
        *problems << where + QStringLiteral("：药味“%1”应写作 名称:剂量:单位").arg(item);
        continue;
      }
      bool doseOk = false;
      parts[1].toDouble(&doseOk);
      if (!doseOk) *problems << where + QStringLiteral("：“%1”的剂量无效").arg(parts[0]);
      const SeedHerb* h = herbByName.value(parts[0]);
      if (!h) {
        *problems << where + QStringLiteral("：药材目录中没有“%1”").arg(parts[0]);
        continue;
      }
      p.herbNames << h->name;
      items << QStringLiteral("%1,%2,%3,%4").arg(h->id).arg(h->name, parts[1], parts[2]);
    }
    if (items.isEmpty()) *problems << where + QStringLiteral("：没有药味");
    p.herbIds = items.join(QLatin1Char('|'));
    kb->prescriptions << p;
  }
}

void readNegativeFindings(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const CsvTable t = parseCsv(readText(folder + QStringLiteral("/negative_findings.csv"), problems));
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString finding = t.field(r, QStringLiteral("finding"));
    const QString implied = t.field(r, QStringLiteral("implied"));
    if (!kb->findingIdByName.contains(finding) || !kb->findingIdByName.contains(implied)) {
      *problems << QStringLiteral("negative_findings.csv 第%1行：“%2”或“%3”不在词表中").arg(t.lineNumbers[r]).arg(finding, implied);
      continue;
    }
    kb->negativeFindings << qMakePair(kb->findingIdByName.value(finding), kb->findingIdByName.value(implied));
  }
}

void readSyndromes(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  QHash<QString, int> preIds;
  for (const SeedPrescription& p : kb->prescriptions) preIds.insert(p.name, p.id);
  SyndromeEncoder encoder(*kb, preIds, problems);
  const QStringList lines = readText(folder + QStringLiteral("/syndromes.jsonl"), problems).split(QLatin1Char('\n'));
  QSet<int> ids;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines[i].trimmed().isEmpty()) continue;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(lines[i].toUtf8(), &error);
    if (!doc.isObject()) {
      *problems << QStringLiteral("syndromes.jsonl 第%1行：%2").arg(i + 1).arg(error.errorString());
      continue;
    }
    SeedSyndrome s = encoder.encode(doc.object(), static_cast<int>(i + 1));
    if (ids.contains(s.id)) *problems << QStringLiteral("syndromes.jsonl 第%1行：编号 %2 重复").arg(i + 1).arg(s.id);
    ids.insert(s.id);
    kb->syndromes << s;
  }
}

}  // namespace

SeedKnowledgeBase SeedKnowledgeBase::read(const QString& folder, QStringList* problems) {
  SeedKnowledgeBase kb;
  readFindings(folder, &kb, problems);
  readHerbs(folder, &kb, problems);
  readPrescriptions(folder, &kb, problems);
  readNegativeFindings(folder, &kb, problems);
  readSyndromes(folder, &kb, problems);
  return kb;
}

QString SeedKnowledgeBase::herbTreeText() const {
  QStringList categories;
  QHash<QString, QStringList> herbsOf;
  for (const SeedHerb& h : herbs) {
    if (!herbsOf.contains(h.category)) categories << h.category;
    herbsOf[h.category] << h.name;
  }
  QString text;
  for (const QString& c : categories) {
    text += c + QLatin1Char('\n');
    for (const QString& name : herbsOf.value(c)) text += QLatin1Char('\t') + name + QLatin1Char('\n');
  }
  return text;
}

}  // namespace tcm
