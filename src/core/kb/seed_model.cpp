#include "kb/seed_model.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "crypto/des_hex.h"
#include "crypto/gbk.h"
#include "kb/seed_accounts.h"
#include "kb/seed_dispensing.h"
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

// The prescription list text of named prescriptions: classic ones with remark 4,
// diet ones with remark 8, in the order given. Names without a prescription are
// left out and listed in `missing`.
QString prescriptionListText(const SeedKnowledgeBase& kb, const QStringList& names, QStringList* missing, int* classic,
                             int* diet) {
  QStringList items;
  for (const QString& name : names) {
    const SeedPrescription* pre = kb.prescription(name);
    if (!pre) {
      *missing << name;
      continue;
    }
    (pre->classic ? *classic : *diet) += 1;
    items << QStringLiteral("{\"id\":\"%1\",\"name\":\"%2\",\"remark\":\"%3\"}")
                 .arg(pre->id)
                 .arg(pre->name)
                 .arg(pre->classic ? 4 : 8);
  }
  return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

// The columns a seed table must have; a missing one is one problem line.
bool hasColumns(const CsvTable& t, const QString& file, const QStringList& columns, QStringList* problems) {
  bool ok = true;
  for (const QString& c : columns) {
    if (t.columnIndex(c) < 0) {
      *problems << QStringLiteral("%1：缺少列“%2”").arg(file, c);
      ok = false;
    }
  }
  return ok;
}

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
    s.source = o.value(QLatin1String("source")).toString();
    // The listed presentation is entered by name; every name must be a finding.
    for (const QJsonValue& v : o.value(QLatin1String("presentation")).toArray()) {
      const QString name = v.toString();
      code(name);
      s.presentation << name;
    }
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
    QStringList list;
    for (const QJsonValue& v : names) list << v.toString();
    QStringList missing;
    int classic = 0, diet = 0;
    const QString text = prescriptionListText(kb_, list, &missing, &classic, &diet);
    for (const QString& name : missing) problem(QStringLiteral("方剂表中没有“%1”").arg(name));
    if (classic > 3 || diet > 3) problem(QStringLiteral("推荐方剂超过三首经方或三首药膳"));
    return text;
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
    if (const QString e = storableTextError(QStringLiteral("名称"), f.name); !e.isEmpty()) *problems << where + QStringLiteral("：") + e;
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

// Findings as answers: the row takes the finding's id, gender, name, exclusions
// and category from the vocabulary.
void fillAnswer(const SeedFinding& f, SeedInquiryRow* row) {
  row->symId = QString::number(f.id);
  row->gender = f.gender;
  row->name = f.name;
  row->mutex = f.mutex;
  row->classId = QString::number(f.category);
}

constexpr int kMaxPageAnswers = 250;
constexpr int kMaxPageHeadings = 20;
constexpr int kMaxDiseaseRows = 100;
constexpr int kMinDiseaseAnswers = 3;
constexpr int kMaxDiseaseAnswers = 8;
constexpr int kMaxHints = 8;

void readInquiryPages(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const QString file = QStringLiteral("inquiry_pages.csv");
  const CsvTable t = parseCsv(readText(folder + QLatin1Char('/') + file, problems));
  if (!hasColumns(t, file, {QStringLiteral("class"), QStringLiteral("title"), QStringLiteral("name")}, problems)) return;
  QStringList pages;
  QString currentPage;
  QHash<QString, int> headings, answers;
  QHash<QString, QString> currentTitle;
  QHash<QString, QSet<int>> onPage;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("%1 第%2行").arg(file).arg(t.lineNumbers[r]);
    SeedInquiryRow row;
    row.page = t.field(r, QStringLiteral("class"));
    row.title = t.field(r, QStringLiteral("title"));
    const QString name = t.field(r, QStringLiteral("name"));
    if (row.page.isEmpty()) {
      *problems << where + QStringLiteral("：缺少页面名称");
      continue;
    }
    if (row.page != currentPage) {
      if (pages.contains(row.page)) {
        *problems << where + QStringLiteral("：页面“%1”的行应写在一起").arg(row.page);
      } else {
        if (pages.isEmpty() && row.page != QString::fromUtf8(kFirstInquiryPage))
          *problems << where + QStringLiteral("：第一个页面应为“%1”").arg(QString::fromUtf8(kFirstInquiryPage));
        pages << row.page;
      }
      currentPage = row.page;
    }
    if (name.isEmpty()) {
      if (row.title.isEmpty()) *problems << where + QStringLiteral("：标题行缺少标题");
      row.symId = QStringLiteral("0");
      row.childTag = QStringLiteral("0");
      currentTitle[row.page] = row.title;
      ++headings[row.page];
      kb->inquiryPages << row;
      continue;
    }
    if (!currentTitle.contains(row.page)) {
      *problems << where + QStringLiteral("：答案“%1”之前没有标题行").arg(name);
    } else if (row.title != currentTitle.value(row.page)) {
      *problems << where + QStringLiteral("：答案“%1”的标题“%2”与上方标题“%3”不符").arg(name, row.title, currentTitle.value(row.page));
    }
    const SeedFinding* f = kb->finding(name);
    if (!f) {
      *problems << where + QStringLiteral("：词表中没有“%1”").arg(name);
      continue;
    }
    if (f->category < 0) *problems << where + QStringLiteral("：“%1”由辨识自动加入，不能作为答案").arg(name);
    if (onPage[row.page].contains(f->id)) *problems << where + QStringLiteral("：“%1”在页面“%2”中重复").arg(name, row.page);
    onPage[row.page].insert(f->id);
    fillAnswer(*f, &row);
    ++answers[row.page];
    kb->inquiryPages << row;
  }
  for (const QString& page : pages) {
    if (answers.value(page) > kMaxPageAnswers)
      *problems << QStringLiteral("%1：页面“%2”有 %3 个答案，超过 %4 个").arg(file, page).arg(answers.value(page)).arg(kMaxPageAnswers);
    if (headings.value(page) > kMaxPageHeadings)
      *problems << QStringLiteral("%1：页面“%2”有 %3 个标题，超过 %4 个").arg(file, page).arg(headings.value(page)).arg(kMaxPageHeadings);
    if (answers.value(page) == 0) *problems << QStringLiteral("%1：页面“%2”没有答案").arg(file, page);
  }
}

void readDiseaseQuestions(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const QString file = QStringLiteral("disease_questions.csv");
  const CsvTable t = parseCsv(readText(folder + QLatin1Char('/') + file, problems));
  if (!hasColumns(t, file, {QStringLiteral("disease"), QStringLiteral("title"), QStringLiteral("name")}, problems)) return;
  QList<int> order;
  int currentDisease = 0;
  QHash<int, int> rows, answers;
  QHash<int, QSet<int>> asked;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("%1 第%2行").arg(file).arg(t.lineNumbers[r]);
    const QString diseaseName = t.field(r, QStringLiteral("disease"));
    const SeedFinding* disease = kb->finding(diseaseName);
    if (!disease || disease->category != 8) {
      *problems << where + QStringLiteral("：“%1”不是词表中的疾病").arg(diseaseName);
      continue;
    }
    if (disease->id != currentDisease) {
      if (order.contains(disease->id))
        *problems << where + QStringLiteral("：“%1”的问题应写在一起").arg(diseaseName);
      else
        order << disease->id;
      currentDisease = disease->id;
    }
    SeedInquiryRow row;
    row.diseaseId = disease->id;
    row.title = t.field(r, QStringLiteral("title"));
    const QString name = t.field(r, QStringLiteral("name"));
    ++rows[disease->id];
    if (name.isEmpty()) {
      if (row.title.isEmpty()) *problems << where + QStringLiteral("：标题行缺少标题");
      row.symId = QStringLiteral("0");
      row.childTag = QStringLiteral("0");
      kb->diseaseQuestions << row;
      continue;
    }
    const SeedFinding* f = kb->finding(name);
    if (!f) {
      *problems << where + QStringLiteral("：词表中没有“%1”").arg(name);
      continue;
    }
    if (f->category != 0 && f->category != 5 && f->category != 6)
      *problems << where + QStringLiteral("：“%1”应为症状、舌象或脉象").arg(name);
    if (asked[disease->id].contains(f->id)) *problems << where + QStringLiteral("：“%1”重复").arg(name);
    asked[disease->id].insert(f->id);
    if (f->gender != QLatin1String("3") && disease->gender != QLatin1String("3") && f->gender != disease->gender)
      *problems << where + QStringLiteral("：“%1”的性别与疾病“%2”矛盾").arg(name, diseaseName);
    fillAnswer(*f, &row);
    ++answers[disease->id];
    kb->diseaseQuestions << row;
  }
  for (const SeedFinding& f : kb->findings) {
    if (f.category != 8) continue;
    const int n = answers.value(f.id);
    if (n == 0) {
      *problems << QStringLiteral("%1：疾病“%2”没有问题").arg(file, f.name);
      continue;
    }
    if (n < kMinDiseaseAnswers || n > kMaxDiseaseAnswers)
      *problems << QStringLiteral("%1：疾病“%2”有 %3 个答案，应为 %4–%5 个").arg(file, f.name).arg(n).arg(kMinDiseaseAnswers).arg(kMaxDiseaseAnswers);
    if (rows.value(f.id) > kMaxDiseaseRows)
      *problems << QStringLiteral("%1：疾病“%2”超过 %3 行").arg(file, f.name).arg(kMaxDiseaseRows);
  }
}

void readHints(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const QString file = QStringLiteral("inquiry_hints.csv");
  const CsvTable t = parseCsv(readText(folder + QLatin1Char('/') + file, problems));
  if (!hasColumns(t, file, {QStringLiteral("answer"), QStringLiteral("hint")}, problems)) return;
  QSet<int> answerIds;
  for (const QList<SeedInquiryRow>* rows : {&kb->inquiryPages, &kb->diseaseQuestions})
    for (const SeedInquiryRow& row : *rows)
      if (!row.isHeading()) answerIds.insert(row.symId.toInt());
  QHash<int, QSet<int>> hintsOf;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("%1 第%2行").arg(file).arg(t.lineNumbers[r]);
    const QString answerName = t.field(r, QStringLiteral("answer"));
    const QString hintName = t.field(r, QStringLiteral("hint"));
    const SeedFinding* answer = kb->finding(answerName);
    const SeedFinding* hint = kb->finding(hintName);
    if (!answer) *problems << where + QStringLiteral("：词表中没有“%1”").arg(answerName);
    if (!hint) *problems << where + QStringLiteral("：词表中没有“%1”").arg(hintName);
    if (!answer || !hint) continue;
    if (!answerIds.contains(answer->id))
      *problems << where + QStringLiteral("：“%1”不是任何问诊页面或疾病问题的答案").arg(answerName);
    if (hint->category != 0) *problems << where + QStringLiteral("：提示“%1”应为症状").arg(hintName);
    if (hint->id == answer->id) *problems << where + QStringLiteral("：“%1”不能提示自身").arg(hintName);
    if (hintsOf[answer->id].contains(hint->id))
      *problems << where + QStringLiteral("：“%1”的提示“%2”重复").arg(answerName, hintName);
    hintsOf[answer->id].insert(hint->id);
    if (hintsOf[answer->id].size() == kMaxHints + 1)
      *problems << where + QStringLiteral("：“%1”的提示超过 %2 个").arg(answerName).arg(kMaxHints);
    SeedHint h;
    h.fid = answer->id;
    h.gender = hint->gender.toInt();
    h.symid = QString::number(hint->id);
    h.name = hint->name;
    h.mutex = hint->mutex;
    kb->hints << h;
  }
  // An answer whose finding has hints asks for them.
  for (QList<SeedInquiryRow>* rows : {&kb->inquiryPages, &kb->diseaseQuestions})
    for (SeedInquiryRow& row : *rows)
      if (!row.isHeading()) row.childTag = hintsOf.contains(row.symId.toInt()) ? QStringLiteral("1") : QStringLiteral("0");
}

void readDietRules(const QString& folder, SeedKnowledgeBase* kb, QStringList* problems) {
  const QString file = QStringLiteral("diet_rules.csv");
  const CsvTable t = parseCsv(readText(folder + QLatin1Char('/') + file, problems));
  if (!hasColumns(t, file,
                  {QStringLiteral("id"), QStringLiteral("synName"), QStringLiteral("symptom"), QStringLiteral("symLen"),
                   QStringLiteral("ids"), QStringLiteral("pre")},
                  problems))
    return;
  QSet<int> ids;
  QHash<int, QSet<int>> lengthsOf;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("%1 第%2行").arg(file).arg(t.lineNumbers[r]);
    SeedDietRule rule;
    bool idOk = false, lenOk = false;
    rule.id = t.field(r, QStringLiteral("id")).toInt(&idOk);
    if (!idOk || rule.id <= 0 || ids.contains(rule.id)) *problems << where + QStringLiteral("：编号无效或重复");
    ids.insert(rule.id);
    rule.synName = t.field(r, QStringLiteral("synName"));
    if (rule.synName.isEmpty()) *problems << where + QStringLiteral("：缺少名称");
    const QString symptom = t.field(r, QStringLiteral("symptom"));
    const SeedFinding* f = kb->finding(symptom);
    if (!f) {
      *problems << where + QStringLiteral("：词表中没有“%1”").arg(symptom);
    } else {
      if (f->category != 0 && f->category != 8) *problems << where + QStringLiteral("：主症“%1”应为症状或疾病").arg(symptom);
      rule.symId = f->id;
    }
    rule.symLen = t.field(r, QStringLiteral("symLen")).toInt(&lenOk);
    if (!lenOk || rule.symLen < 0) *problems << where + QStringLiteral("：symLen 应为非负整数");
    if (lengthsOf[rule.symId].contains(rule.symLen))
      *problems << where + QStringLiteral("：“%1”的规则 symLen %2 重复，先后次序不确定").arg(symptom).arg(rule.symLen);
    lengthsOf[rule.symId].insert(rule.symLen);
    rule.idsByName = t.field(r, QStringLiteral("ids"));
    QStringList conditionProblems;
    rule.ids = encodeCondition(rule.idsByName, kb->findingIdByName, &conditionProblems);
    for (const QString& p : conditionProblems) *problems << where + QStringLiteral("：") + p;
    rule.prescriptionNames = splitItems(t.field(r, QStringLiteral("pre")), QLatin1Char('|'));
    QStringList missing;
    int classic = 0, diet = 0;
    rule.pre = prescriptionListText(*kb, rule.prescriptionNames, &missing, &classic, &diet);
    for (const QString& name : missing) *problems << where + QStringLiteral("：方剂表中没有“%1”").arg(name);
    if (classic + diet == 0) *problems << where + QStringLiteral("：没有推荐方剂");
    if (classic > 3 || diet > 3) *problems << where + QStringLiteral("：推荐方剂超过三首经方或三首药膳");
    kb->dietRules << rule;
  }
}

void readCustomers(const QString& folder, const QDate& today, SeedKnowledgeBase* kb, QStringList* problems) {
  const QString file = QStringLiteral("customers.csv");
  const CsvTable t = parseCsv(readText(folder + QLatin1Char('/') + file, problems));
  if (!hasColumns(t, file,
                  {QStringLiteral("shop"), QStringLiteral("name"), QStringLiteral("gender"), QStringLiteral("age"),
                   QStringLiteral("phone"), QStringLiteral("address"), QStringLiteral("days_ago"), QStringLiteral("time")},
                  problems))
    return;
  QSet<int> shops;
  for (const DemoAccount& a : kDemoAccounts) shops.insert(a.shopId);
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString where = QStringLiteral("%1 第%2行").arg(file).arg(t.lineNumbers[r]);
    SeedCustomer c;
    bool ok = false;
    c.shopId = t.field(r, QStringLiteral("shop")).toInt(&ok);
    if (!ok || !shops.contains(c.shopId)) *problems << where + QStringLiteral("：没有编号为“%1”的门店").arg(t.field(r, QStringLiteral("shop")));
    c.name = t.field(r, QStringLiteral("name"));
    if (c.name.isEmpty() || c.name.size() > 15) *problems << where + QStringLiteral("：姓名应为 1–15 个字");
    if (c.name.contains(QLatin1Char('\''))) *problems << where + QStringLiteral("：姓名不能含单引号");
    c.gender = t.field(r, QStringLiteral("gender"));
    if (c.gender != QStringLiteral("男") && c.gender != QStringLiteral("女")) *problems << where + QStringLiteral("：性别应为“男”或“女”");
    c.age = t.field(r, QStringLiteral("age"));
    const int age = c.age.toInt(&ok);
    if (!ok || age < 0 || age > 99) *problems << where + QStringLiteral("：年龄应为 0–99");
    c.phone = t.field(r, QStringLiteral("phone"));
    bool digits = !c.phone.isEmpty();
    for (const QChar ch : c.phone) digits = digits && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    if (!digits || c.phone.size() < 4 || c.phone.size() > 11) *problems << where + QStringLiteral("：电话应为 4–11 位数字");
    c.address = t.field(r, QStringLiteral("address"));
    if (c.address.isEmpty()) *problems << where + QStringLiteral("：缺少地址");
    if (const QString e = storableTextError(QStringLiteral("地址"), c.address); !e.isEmpty()) *problems << where + QStringLiteral("：") + e;
    const int daysAgo = t.field(r, QStringLiteral("days_ago")).toInt(&ok);
    if (!ok || daysAgo < 0) *problems << where + QStringLiteral("：days_ago 应为非负整数");
    const QTime time = QTime::fromString(t.field(r, QStringLiteral("time")), QStringLiteral("HH:mm"));
    if (!time.isValid()) *problems << where + QStringLiteral("：时间应写作 HH:mm");
    c.registered = QDateTime(today.addDays(-daysAgo), time.isValid() ? time : QTime(0, 0));
    kb->customers << c;
  }
}

}  // namespace

QString encodeCondition(const QString& byName, const QHash<QString, int>& idByName, QStringList* problems) {
  if (byName.trimmed().isEmpty()) return {};
  QStringList alternatives;
  for (const QString& alternative : byName.split(QLatin1Char('|'))) {
    QStringList elements;
    for (const QString& rawElement : alternative.split(QLatin1Char(','))) {
      QString element = rawElement.trimmed();
      const bool enclosed = element.startsWith(QLatin1Char('('));
      if (enclosed) {
        if (!element.endsWith(QLatin1Char(')')) || element.size() < 2) {
          *problems << QStringLiteral("条件“%1”的括号不成对").arg(rawElement.trimmed());
          continue;
        }
        element = element.mid(1, element.size() - 2);
      }
      if (element.contains(QLatin1Char('(')) || element.contains(QLatin1Char(')'))) {
        *problems << QStringLiteral("条件“%1”的括号只能括住整个元素").arg(rawElement.trimmed());
        continue;
      }
      QStringList codes;
      for (const QString& rawName : element.split(QLatin1Char('-'))) {
        const QString name = rawName.trimmed();
        if (name.isEmpty()) {
          *problems << QStringLiteral("条件“%1”中有空的症状名").arg(rawElement.trimmed());
          continue;
        }
        const auto it = idByName.constFind(name);
        if (it == idByName.constEnd()) {
          *problems << QStringLiteral("条件中的“%1”不在词表中").arg(name);
          continue;
        }
        codes << fmtId(*it);
      }
      const QString joined = codes.join(QLatin1Char('-'));
      elements << (enclosed ? QLatin1Char('(') + joined + QLatin1Char(')') : joined);
    }
    alternatives << elements.join(QLatin1Char(','));
  }
  return alternatives.join(QLatin1Char('|'));
}

SeedNegativeFindings::SeedNegativeFindings(const QList<QPair<int, int>>& rows) {
  for (const auto& [finding, implied] : rows) implied_.insert(fmtId(finding), fmtId(implied));
}

bool SeedNegativeFindings::lookUpImplied(const QString& code, std::optional<QString>* implied, QString* error) {
  bool numeric = false;
  const qint64 id = code.toLongLong(&numeric);
  if (!numeric) {
    *error = QStringLiteral("阴性症状编码无效：%1").arg(code);
    return false;
  }
  const auto it = implied_.constFind(fmtId(id));
  *implied = it == implied_.constEnd() ? std::nullopt : std::optional<QString>(*it);
  return true;
}

SeedKnowledgeBase SeedKnowledgeBase::read(const QString& folder, QStringList* problems) {
  return read(folder, QDate::currentDate(), problems);
}

SeedKnowledgeBase SeedKnowledgeBase::read(const QString& folder, const QDate& today, QStringList* problems) {
  SeedKnowledgeBase kb;
  readFindings(folder, &kb, problems);
  readHerbs(folder, &kb, problems);
  readPrescriptions(folder, &kb, problems);
  readNegativeFindings(folder, &kb, problems);
  readSyndromes(folder, &kb, problems);
  readInquiryPages(folder, &kb, problems);
  readDiseaseQuestions(folder, &kb, problems);
  readHints(folder, &kb, problems);
  readDietRules(folder, &kb, problems);
  readCustomers(folder, today, &kb, problems);
  readDispensingRules(folder, &kb, problems);
  return kb;
}

const SeedFinding* SeedKnowledgeBase::finding(const QString& name) const {
  const auto it = findingIdByName.constFind(name);
  return it == findingIdByName.constEnd() ? nullptr : findingById(*it);
}

const SeedFinding* SeedKnowledgeBase::findingById(int id) const {
  for (const SeedFinding& f : findings)
    if (f.id == id) return &f;
  return nullptr;
}

const SeedPrescription* SeedKnowledgeBase::prescription(const QString& name) const {
  for (const SeedPrescription& p : prescriptions)
    if (p.name == name) return &p;
  return nullptr;
}

std::shared_ptr<KnowledgeTable> SeedKnowledgeBase::knowledgeTable() const {
  int maxId = 0;
  for (const SeedSyndrome& s : syndromes) maxId = qMax(maxId, s.id);
  auto table = std::make_shared<KnowledgeTable>(maxId);
  for (const SeedSyndrome& s : syndromes) {
    if (!s.open || s.id <= 0) continue;
    TDisease& d = table->record(s.id);
    d.Id = s.id;
    d.Name = s.name;
    d.ORValue = s.ORValue;
    d.Weight = s.Weight;
    d.SymIdStr = s.SymIdStr;
    d.DifferentialDiagnosis = s.DifferentialDiagnosis;
    d.CardinalSymptom = s.CardinalSymptom;
    d.SymModIdStr = s.SymModIdStr;
    d.Dep1 = s.Dep1;
    d.Dep2 = s.Dep2;
    d.NegativeSymIdStr = s.NegativeSymIdStr;
    d.DecWeightSymIdStr = s.DecWeightSymIdStr;
    d.MatchModFlagStr = s.MatchModFlag;
    d.ModPreIdStr = s.ModPreIdStr;
    d.Tre = s.Tre;
    d.Pre = s.Pre;
    d.notRecommendFood = s.notRecommendFood;
    d.recommendFood = s.recommendFood;
  }
  return table;
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
