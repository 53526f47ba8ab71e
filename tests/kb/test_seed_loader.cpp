// The seed tables beyond the syndromes: inquiry pages, follow-up hints,
// disease questions, diet rules and demo customers, read from the seed folder
// and written by init-db into both databases.
#include <QFile>
#include <QHash>
#include <QSqlQuery>

#include "crypto/aes_hex.h"
#include "kb/seed_knowledge.h"
#include "kb/seed_model.h"
#include "entry/inquiry.h"
#include "entry/vocabulary.h"
#include "result/recommendations.h"
#include "seed_copy.h"
#include "test_support.h"
#include "text/csv.h"
#include "text/item_list.h"

using namespace tcm;
using namespace tcm::test;

namespace {

CsvTable readSeedCsv(const QString& name) {
  QFile f(QStringLiteral(TCM_SEED_DIR) + QLatin1Char('/') + name);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
  return parseCsv(QString::fromUtf8(f.readAll()));
}

bool hasProblem(const QStringList& problems, const QString& part) {
  for (const QString& p : problems)
    if (p.contains(part)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Reading the seed folder

TEST(SeedModel, ShippedSeedReadsWithoutProblemsAndMatchesTheBuiltInCopy) {
  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(QStringLiteral(TCM_SEED_DIR), &problems);
  EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
  ASSERT_FALSE(kb.inquiryPages.isEmpty());
  EXPECT_EQ(kb.inquiryPages.first().page, QStringLiteral("基础问诊"));
  EXPECT_TRUE(kb.inquiryPages.first().isHeading());
  EXPECT_GE(kb.dietRules.size(), 10);
  // The copy built into the program is the same text.
  QStringList builtInProblems;
  const SeedKnowledgeBase builtIn = SeedKnowledgeBase::read(QString::fromLatin1(kSeedFolder), &builtInProblems);
  EXPECT_TRUE(builtInProblems.isEmpty()) << builtInProblems.join('\n').toStdString();
  EXPECT_EQ(builtIn.inquiryPages.size(), kb.inquiryPages.size());
  EXPECT_EQ(builtIn.hints.size(), kb.hints.size());
  EXPECT_EQ(builtIn.diseaseQuestions.size(), kb.diseaseQuestions.size());
  EXPECT_EQ(builtIn.dietRules.size(), kb.dietRules.size());
  EXPECT_EQ(builtIn.customers.size(), kb.customers.size());
}

TEST(SeedModel, AnswersTakeTheirFindingFromTheVocabulary) {
  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(QStringLiteral(TCM_SEED_DIR), &problems);
  ASSERT_TRUE(problems.isEmpty());
  QSet<int> hinted;
  for (const SeedHint& h : kb.hints) hinted.insert(h.fid);
  int answers = 0, female = 0;
  for (const QList<SeedInquiryRow>* rows : {&kb.inquiryPages, &kb.diseaseQuestions}) {
    for (const SeedInquiryRow& row : *rows) {
      if (row.isHeading()) {
        EXPECT_FALSE(row.title.isEmpty());
        EXPECT_TRUE(row.name.isEmpty());
        continue;
      }
      ++answers;
      const SeedFinding* f = kb.finding(row.name);
      ASSERT_NE(f, nullptr) << row.name.toStdString();
      EXPECT_EQ(row.symId, QString::number(f->id));
      EXPECT_EQ(row.gender, f->gender);
      EXPECT_EQ(row.mutex, f->mutex);
      EXPECT_EQ(row.classId, QString::number(f->category));
      EXPECT_EQ(row.childTag, hinted.contains(f->id) ? QStringLiteral("1") : QStringLiteral("0")) << row.name.toStdString();
      if (row.page == QStringLiteral("妇科")) {
        EXPECT_NE(row.gender, QStringLiteral("1")) << row.name.toStdString();
        female += row.gender == QStringLiteral("2");
      }
    }
  }
  EXPECT_GT(answers, 500);
  EXPECT_GT(female, 15);
  // Every disease has its questions.
  for (const SeedFinding& f : kb.findings) {
    if (f.category != 8) continue;
    int n = 0;
    for (const SeedInquiryRow& row : kb.diseaseQuestions) n += row.diseaseId == f.id && !row.isHeading();
    EXPECT_GE(n, 3) << f.name.toStdString();
    EXPECT_LE(n, 8) << f.name.toStdString();
  }
}

TEST(SeedModel, ConditionNamesBecomeCodesInTheSameStructure) {
  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(QStringLiteral(TCM_SEED_DIR), &problems);
  ASSERT_TRUE(problems.isEmpty());
  auto code = [&](const char* name) { return fmtId(kb.findingIdByName.value(QString::fromUtf8(name), -1)); };
  QStringList conditionProblems;
  EXPECT_EQ(encodeCondition(QStringLiteral("心烦|口干,(舌红-舌尖红)"), kb.findingIdByName, &conditionProblems),
            code("心烦") + "|" + code("口干") + ",(" + code("舌红") + "-" + code("舌尖红") + ")");
  EXPECT_EQ(encodeCondition(QStringLiteral(" 大便干结 , 口臭-口干 "), kb.findingIdByName, &conditionProblems),
            code("大便干结") + "," + code("口臭") + "-" + code("口干"));
  EXPECT_TRUE(conditionProblems.isEmpty()) << conditionProblems.join('\n').toStdString();
  EXPECT_TRUE(encodeCondition(QString(), kb.findingIdByName, &conditionProblems).isEmpty());

  encodeCondition(QStringLiteral("心烦,(舌红-不是症状)"), kb.findingIdByName, &conditionProblems);
  EXPECT_TRUE(hasProblem(conditionProblems, QStringLiteral("“不是症状”不在词表中")));
  conditionProblems.clear();
  encodeCondition(QStringLiteral("(心烦-口干"), kb.findingIdByName, &conditionProblems);
  EXPECT_TRUE(hasProblem(conditionProblems, QStringLiteral("括号不成对")));
  conditionProblems.clear();
  encodeCondition(QStringLiteral("心烦-(口干)"), kb.findingIdByName, &conditionProblems);
  EXPECT_TRUE(hasProblem(conditionProblems, QStringLiteral("括号只能括住整个元素")));
  conditionProblems.clear();
  encodeCondition(QStringLiteral("心烦--口干"), kb.findingIdByName, &conditionProblems);
  EXPECT_TRUE(hasProblem(conditionProblems, QStringLiteral("空的症状名")));

  // The written rules hold the codes of their named conditions.
  const CsvTable t = readSeedCsv(QStringLiteral("diet_rules.csv"));
  ASSERT_EQ(t.rows.size(), kb.dietRules.size());
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    // Each name between the structure characters becomes its code.
    QString expected, name;
    for (const QChar c : t.field(r, QStringLiteral("ids")) + QLatin1Char('|')) {
      if (QStringLiteral("|,()-").contains(c)) {
        if (!name.trimmed().isEmpty()) expected += code(name.trimmed().toUtf8().constData());
        name.clear();
        expected += c;
      } else {
        name += c;
      }
    }
    expected.chop(1);
    EXPECT_EQ(kb.dietRules[r].ids.toStdString(), expected.toStdString()) << t.lineNumbers[r];
    EXPECT_FALSE(kb.dietRules[r].ids.isEmpty()) << "a rule without a condition would hide the engine";
  }
}

TEST(SeedModel, CustomersCountBackFromTheGivenDay) {
  const QDate today(2026, 3, 1);
  QStringList problems;
  const SeedKnowledgeBase kb = SeedKnowledgeBase::read(QStringLiteral(TCM_SEED_DIR), today, &problems);
  ASSERT_TRUE(problems.isEmpty());
  const CsvTable t = readSeedCsv(QStringLiteral("customers.csv"));
  ASSERT_EQ(kb.customers.size(), t.rows.size());
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const SeedCustomer& c = kb.customers[r];
    const QDateTime expected(today.addDays(-t.field(r, QStringLiteral("days_ago")).toInt()),
                             QTime::fromString(t.field(r, QStringLiteral("time")), QStringLiteral("HH:mm")));
    EXPECT_EQ(c.registered, expected) << c.name.toStdString();
    EXPECT_LT(c.registered.date(), today.addDays(1));
    EXPECT_EQ(c.tel1(), t.field(r, QStringLiteral("phone")).right(4).toInt());
  }
}

TEST(SeedModel, BrokenReferencesAreReportedWithFileAndLine) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("diet_rules.csv"), QStringLiteral("麻子仁丸|麻仁粥|芦根竹茹饮"),
               QStringLiteral("麻子仁丸|无名粥|芦根竹茹饮"));
  seed.replace(QStringLiteral("inquiry_hints.csv"), QStringLiteral("口苦,呕吐苦水"), QStringLiteral("口苦,舌红"));
  seed.replace(QStringLiteral("inquiry_pages.csv"), QStringLiteral("男科,阴部：阴部有不适吗？,阴囊潮湿"),
               QStringLiteral("男科,阴部：阴部有不适吗？,阴囊潮"));
  seed.replace(QStringLiteral("disease_questions.csv"), QStringLiteral("痛风,痛风：还有哪些表现？,口苦\n"), QString());
  seed.replace(QStringLiteral("disease_questions.csv"), QStringLiteral("痛风,痛风：还有哪些表现？,形体肥胖\n"), QString());
  seed.replace(QStringLiteral("disease_questions.csv"), QStringLiteral("痛风,痛风：还有哪些表现？,小便短黄\n"), QString());
  seed.replace(QStringLiteral("disease_questions.csv"), QStringLiteral("痛风,痛风：还有哪些表现？,痛处固定\n"), QString());
  seed.append(QStringLiteral("customers.csv"), QStringLiteral("3,钱多多,男,40,13900001111,浙江省杭州市,5,10:00"));
  seed.append(QStringLiteral("customers.csv"), QStringLiteral("1,钱少少,男,140,139000x1111,浙江省杭州市,5,25:00"));
  seed.append(QStringLiteral("diet_rules.csv"), QStringLiteral("28,重复规则,失眠,40,心烦,酸枣仁粥"));

  QStringList problems;
  SeedKnowledgeBase::read(seed.path(), &problems);
  const QString rules = seed.read(QStringLiteral("diet_rules.csv"));
  const int ruleLine = static_cast<int>(rules.left(rules.indexOf(QStringLiteral("无名粥"))).count('\n')) + 1;
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("diet_rules.csv 第%1行：方剂表中没有“无名粥”").arg(ruleLine)))
      << problems.join('\n').toStdString();
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("提示“舌红”应为症状")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("inquiry_pages.csv")) &&
              hasProblem(problems, QStringLiteral("词表中没有“阴囊潮”")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("疾病“痛风”有 2 个答案")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("没有编号为“3”的门店")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("年龄应为 0–99")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("电话应为 4–11 位数字")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("时间应写作 HH:mm")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("“失眠”的规则 symLen 40 重复")));
}

TEST(SeedModel, PagesKeepTheirShape) {
  SeedCopy seed2;
  ASSERT_TRUE(seed2.ok());
  // An answer under a heading of another title, a page split in two, and a
  // finding twice on one page.
  seed2.replace(QStringLiteral("inquiry_pages.csv"), QStringLiteral("咽部,咽喉：咽喉有哪些不适？,咽痛"),
                QStringLiteral("咽部,咽喉：别的标题,咽痛"));
  seed2.append(QStringLiteral("inquiry_pages.csv"), QStringLiteral("基础问诊,补充,"));
  seed2.append(QStringLiteral("inquiry_pages.csv"), QStringLiteral("基础问诊,补充,怕冷"));
  QStringList problems;
  SeedKnowledgeBase::read(seed2.path(), &problems);
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("答案“咽痛”的标题“咽喉：别的标题”与上方标题“咽喉：咽喉有哪些不适？”不符")))
      << problems.join('\n').toStdString();
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("页面“基础问诊”的行应写在一起")));
  EXPECT_TRUE(hasProblem(problems, QStringLiteral("“怕冷”在页面“基础问诊”中重复")));
}

// ---------------------------------------------------------------------------
// Written into the databases

int rows(TDMServer& dm, const QString& table, bool remote) {
  const Sql sql(QStringLiteral("select count(*) from ") + table);
  QSqlQuery* q = remote ? dm.GetDB(sql, true) : dm.GetDB1(sql);
  return q && q->next() ? q->value(0).toInt() : -1;
}

class SeedTables : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam(), /*withKnowledge=*/true);
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
    QStringList problems;
    kb = SeedKnowledgeBase::read(QStringLiteral(TCM_SEED_DIR), &problems);
    ASSERT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    AliasList aliases;
    GetAliases(*dm, &aliases);
    for (const AliasItem& item : aliases) {
      byName.insert(item.entry.name, item.entry);
      byId.insert(item.entry.id, item.entry);
    }
    ASSERT_FALSE(byName.isEmpty());
  }
  QString code(const char* name) const { return FmtIdOf(byName.value(QString::fromUtf8(name)).id); }
  static QString FmtIdOf(const QString& id) { return fmt(id); }

  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
  SeedKnowledgeBase kb;
  QHash<QString, TAliease> byName, byId;
};

TEST_P(SeedTables, TopicPagesAnswerWithVocabularyFindings) {
  int pages = 0;
  QStringList seen;
  for (const SeedInquiryRow& r : kb.inquiryPages)
    if (!seen.contains(r.page)) seen << r.page;
  for (const QString& page : seen) {
    const QList<InquiryRow> topic = loadTopicRows(*dm, page);
    ASSERT_FALSE(topic.isEmpty()) << page.toStdString();
    ++pages;
    EXPECT_TRUE(topic.first().isHeading()) << page.toStdString();
    int answers = 0, headings = 0;
    for (const InquiryRow& row : topic) {
      if (row.isHeading()) {
        ++headings;
        EXPECT_FALSE(row.title.isEmpty());
        continue;
      }
      ASSERT_TRUE(row.isAnswer());
      ++answers;
      const auto it = byId.constFind(row.id());
      ASSERT_NE(it, byId.constEnd()) << row.name.toStdString();
      EXPECT_EQ(row.name, it->name);
      EXPECT_EQ(row.gender, it->gender) << row.name.toStdString();
      EXPECT_EQ(row.mutex, it->mutex) << row.name.toStdString();
      EXPECT_EQ(row.classId, it->classId) << row.name.toStdString();
      QList<InquiryHint> male, female;
      ASSERT_TRUE(loadFollowUpHints(*dm, row.id(), QStringLiteral("1"), &male));
      ASSERT_TRUE(loadFollowUpHints(*dm, row.id(), QStringLiteral("2"), &female));
      EXPECT_EQ(row.childTag == QStringLiteral("1"), !male.isEmpty() || !female.isEmpty()) << row.name.toStdString();
    }
    EXPECT_LE(answers, kInquiryAnswerSlots) << page.toStdString();
    EXPECT_LE(headings, kInquiryHeadingSlots) << page.toStdString();
  }
  EXPECT_GE(pages, 4);
  // The four docked pages all exist.
  for (const char* page : {"基础问诊", "舌脉", "妇科", "疾病"})
    EXPECT_FALSE(loadTopicRows(*dm, QString::fromUtf8(page)).isEmpty()) << page;
  // The tongue page holds tongue and pulse findings only; the disease page diseases only.
  for (const InquiryRow& row : loadTopicRows(*dm, QStringLiteral("舌脉")))
    if (row.isAnswer()) {
      EXPECT_TRUE(row.classId == "5" || row.classId == "6") << row.name.toStdString();
    }
  for (const InquiryRow& row : loadTopicRows(*dm, QStringLiteral("疾病")))
    if (row.isAnswer()) {
      EXPECT_EQ(row.classId, "8") << row.name.toStdString();
    }
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join('\n').toStdString();
}

TEST_P(SeedTables, FollowUpHintsFollowTheCustomersGender) {
  const QString kidney = byName.value(QStringLiteral("腰膝酸软")).id;
  ASSERT_FALSE(kidney.isEmpty());
  QList<InquiryHint> male, female;
  ASSERT_TRUE(loadFollowUpHints(*dm, kidney, QStringLiteral("1"), &male));
  ASSERT_TRUE(loadFollowUpHints(*dm, kidney, QStringLiteral("2"), &female));
  auto names = [](const QList<InquiryHint>& hints) {
    QStringList out;
    for (const InquiryHint& h : hints) out << h.name;
    return out;
  };
  EXPECT_TRUE(names(male).contains(QStringLiteral("遗精")));
  EXPECT_FALSE(names(male).contains(QStringLiteral("月经量少")));
  EXPECT_TRUE(names(female).contains(QStringLiteral("月经量少")));
  EXPECT_FALSE(names(female).contains(QStringLiteral("遗精")));
  EXPECT_TRUE(names(male).contains(QStringLiteral("耳鸣")) && names(female).contains(QStringLiteral("耳鸣")));
  for (const InquiryHint& h : male + female) {
    const auto it = byId.constFind(h.symid);
    ASSERT_NE(it, byId.constEnd()) << h.name.toStdString();
    EXPECT_EQ(it->name, h.name);
    EXPECT_EQ(it->classId, "0") << "hints join the symptom row";
    EXPECT_EQ(it->mutex, h.mutex);
  }
  // The cold answer brings its cold signs.
  QList<InquiryHint> cold;
  ASSERT_TRUE(loadFollowUpHints(*dm, byName.value(QStringLiteral("怕冷")).id, QStringLiteral("1"), &cold));
  EXPECT_TRUE(names(cold).contains(QStringLiteral("四肢不温")));
  EXPECT_TRUE(names(cold).contains(QStringLiteral("腰膝冷痛")));
  EXPECT_LE(cold.size(), kInquiryHintSlots);
}

TEST_P(SeedTables, EveryDiseaseHasItsQuestionsLocally) {
  int diseases = 0;
  for (const TAliease& a : byId) {
    if (a.classId != QStringLiteral("8")) continue;
    ++diseases;
    const QList<InquiryRow> questions = loadDiseaseRows(*dm, a.id);
    ASSERT_FALSE(questions.isEmpty()) << a.name.toStdString();
    EXPECT_TRUE(questions.first().isHeading()) << a.name.toStdString();
    int answers = 0;
    for (const InquiryRow& row : questions) {
      if (!row.isAnswer()) continue;
      ++answers;
      const auto it = byId.constFind(row.id());
      ASSERT_NE(it, byId.constEnd()) << a.name.toStdString() << ": " << row.name.toStdString();
      EXPECT_EQ(it->name, row.name);
      EXPECT_NE(row.classId, "8");
      if (a.gender != QStringLiteral("3")) {
        EXPECT_TRUE(row.gender == "3" || row.gender == a.gender) << row.name.toStdString();
      }
    }
    EXPECT_GE(answers, 3) << a.name.toStdString();
    EXPECT_LE(answers, 8) << a.name.toStdString();
  }
  EXPECT_EQ(diseases, rows(*dm, QStringLiteral("(select distinct fid from symptom_option_sub) d"), false));
  EXPECT_GT(diseases, 50);
}

TEST_P(SeedTables, DietRulesAnswerThroughTheirConditions) {
  const QString insomnia = code("失眠");
  auto symIds = [&](std::initializer_list<const char*> names) {
    QStringList codes{insomnia};
    for (const char* n : names) codes << code(n);
    codes << QStringLiteral("01295") << QStringLiteral("01084");
    return codes.join(',');
  };
  auto ruleName = [&](const QString& primary, const QString& ids) {
    const std::optional<DietRuleMatch> m = GetFoodGrp(*dm, primary, ids);
    return m ? m->synName : QString();
  };
  EXPECT_EQ(ruleName(insomnia, symIds({"心烦", "舌尖红"})), QStringLiteral("心火偏旺型失眠"));
  // Both conditions hold: the rule with the higher symLen wins.
  EXPECT_EQ(ruleName(insomnia, symIds({"心烦", "舌尖红", "五心烦热", "舌红少苔"})), QStringLiteral("阴虚火旺型失眠"));
  EXPECT_EQ(ruleName(insomnia, symIds({"健忘", "面色萎黄"})), QStringLiteral("心脾两虚型失眠"));
  // One element of two: no rule, the engine is asked.
  EXPECT_TRUE(ruleName(insomnia, symIds({"心烦"})).isEmpty());
  EXPECT_TRUE(ruleName(insomnia, symIds({"乏力", "舌淡"})).isEmpty());
  // Rules belong to their primary finding only.
  EXPECT_TRUE(ruleName(code("心烦"), symIds({"心烦", "舌尖红"})).isEmpty());
  // A disease as the primary finding.
  EXPECT_EQ(ruleName(code("慢性湿疹"), code("慢性湿疹") + "," + code("皮肤瘙痒") + "," + code("苔黄腻")),
            QStringLiteral("湿热浸淫型湿疹"));

  // The prescription lists name the prescriptions of the pre table.
  QHash<QString, QString> preName;
  QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select PreId,name from pre")), true);
  ASSERT_NE(q, nullptr);
  while (q->next()) preName.insert(q->value(0).toString(), q->value(1).toString());
  q = dm->GetDB(Sql(QStringLiteral("select pre,type from pre_food_grp order by id")), true);
  ASSERT_NE(q, nullptr);
  QStringList texts;
  while (q->next()) {
    texts << q->value(0).toString();
    EXPECT_EQ(q->value(1).toInt(), 8);
  }
  EXPECT_EQ(texts.size(), kb.dietRules.size());
  for (const QString& text : texts) {
    const PrescriptionSlots slots = parsePrescriptionList(text);
    EXPECT_FALSE(slots.classic.isEmpty() && slots.diet.isEmpty()) << text.toStdString();
    for (const PrescriptionEntry& e : slots.classic + slots.diet) {
      EXPECT_EQ(preName.value(e.id), e.name) << text.toStdString();
    }
  }
  const std::optional<DietRuleMatch> m = GetFoodGrp(*dm, insomnia, symIds({"心烦", "舌尖红"}));
  ASSERT_TRUE(m.has_value());
  const PrescriptionSlots slots = parsePrescriptionList(m->pre);
  ASSERT_EQ(slots.classic.size(), 1);
  EXPECT_EQ(slots.classic.first().name, QStringLiteral("交泰丸"));
  ASSERT_EQ(slots.diet.size(), 3);
  EXPECT_EQ(slots.diet.first().name, QStringLiteral("莲子心茶"));
}

TEST_P(SeedTables, CustomersAreStoredEncipheredWithTheirLastFourDigits) {
  const CsvTable t = readSeedCsv(QStringLiteral("customers.csv"));
  QHash<int, int> perShop;
  const QDate today = QDate::currentDate();
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    const QString name = t.field(r, QStringLiteral("name"));
    const QString phone = t.field(r, QStringLiteral("phone"));
    const QString address = t.field(r, QStringLiteral("address"));
    ++perShop[t.field(r, QStringLiteral("shop")).toInt()];
    QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select shopId,Gender,Age,Tel,tel1,Address,wrDate from pat where Name = ?"),
                                 {name}),
                             true);
    ASSERT_NE(q, nullptr);
    ASSERT_TRUE(q->next()) << name.toStdString();
    EXPECT_EQ(q->value(0).toInt(), t.field(r, QStringLiteral("shop")).toInt());
    EXPECT_EQ(q->value(1).toString(), t.field(r, QStringLiteral("gender")));
    EXPECT_EQ(q->value(2).toString(), t.field(r, QStringLiteral("age")));
    const QString tel = q->value(3).toString();
    EXPECT_NE(tel, phone);
    EXPECT_EQ(tel, encryptText(phone).value());
    EXPECT_EQ(decryptForDisplay(tel), phone);
    EXPECT_EQ(q->value(4).toInt(), phone.right(4).toInt()) << name.toStdString();
    EXPECT_NE(q->value(5).toString(), address);
    EXPECT_EQ(decryptForDisplay(q->value(5).toString()), address);
    const QDateTime written = q->value(6).toDateTime();
    ASSERT_TRUE(written.isValid()) << q->value(6).toString().toStdString();
    const qint64 daysAgo = written.date().daysTo(today);
    const int expected = t.field(r, QStringLiteral("days_ago")).toInt();
    EXPECT_TRUE(daysAgo == expected || daysAgo == expected + 1) << name.toStdString();  // midnight may pass
    EXPECT_EQ(written.time().toString(QStringLiteral("HH:mm")), t.field(r, QStringLiteral("time")));
    EXPECT_FALSE(q->next()) << name.toStdString() << " is written once";
  }
  EXPECT_GE(perShop.value(1), 10);
  EXPECT_GE(perShop.value(2), 4);
  for (auto it = perShop.cbegin(); it != perShop.cend(); ++it) {
    QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select count(*) from pat where shopId = ?"), {it.key()}), true);
    ASSERT_TRUE(q && q->next());
    EXPECT_EQ(q->value(0).toInt(), it.value());
  }
  // A phone whose last four digits start with 0 is found by them as typed.
  QString leadingZero, owner;
  int shop = 0;
  for (qsizetype r = 0; r < t.rows.size() && leadingZero.isEmpty(); ++r) {
    const QString last = t.field(r, QStringLiteral("phone")).right(4);
    if (last.startsWith('0')) {
      leadingZero = last;
      owner = t.field(r, QStringLiteral("name"));
      shop = t.field(r, QStringLiteral("shop")).toInt();
    }
  }
  ASSERT_FALSE(leadingZero.isEmpty()) << "the demo data should hold such a phone";
  QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select Name from pat where shopId = %1 and tel1 = %2").arg(shop).arg(leadingZero)),
                           true);
  ASSERT_TRUE(q && q->next());
  EXPECT_EQ(q->value(0).toString(), owner);
}

TEST_P(SeedTables, ReloadReplacesKnowledgeAndKeepsCustomers) {
  const int customers = rows(*dm, QStringLiteral("pat"), true);
  ASSERT_EQ(customers, kb.customers.size());
  // Staff register a customer; the inquiry and the rules are damaged.
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address) "
                                             "values(1,'新客户','女','40','',0,'')")),
                          true));
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("delete from symptom_option where class = '舌脉'")), true));
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("update pre_food_grp set synName = '改过' where id = 1")), true));
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("delete from symptom_option_sub where fid = 81111")), false));

  SeedReport report;
  QString error;
  ASSERT_TRUE(seedKnowledge(*dm, /*reload=*/true, &report, &error)) << error.toStdString();
  EXPECT_EQ(rows(*dm, QStringLiteral("pat"), true), customers + 1);
  EXPECT_EQ(rows(*dm, QStringLiteral("symptom_option"), true), kb.inquiryPages.size());
  EXPECT_EQ(rows(*dm, QStringLiteral("symptom_option_sub"), true), kb.hints.size());
  EXPECT_EQ(rows(*dm, QStringLiteral("pre_food_grp"), true), kb.dietRules.size());
  EXPECT_EQ(rows(*dm, QStringLiteral("symptom_option_sub"), false), kb.diseaseQuestions.size());
  EXPECT_FALSE(loadTopicRows(*dm, QStringLiteral("舌脉")).isEmpty());
  QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select synName from pre_food_grp where id = 1")), true);
  ASSERT_TRUE(q && q->next());
  EXPECT_EQ(q->value(0).toString(), kb.dietRules.first().synName);
  EXPECT_FALSE(report.summary.contains(QStringLiteral("演示客户"))) << report.summary.toStdString();

  // A second run without reload writes nothing twice.
  ASSERT_TRUE(seedKnowledge(*dm, /*reload=*/false, &report, &error)) << error.toStdString();
  EXPECT_EQ(rows(*dm, QStringLiteral("pat"), true), customers + 1);
  EXPECT_EQ(rows(*dm, QStringLiteral("symptom_option"), true), kb.inquiryPages.size());
  EXPECT_EQ(rows(*dm, QStringLiteral("symptom_option_sub"), false), kb.diseaseQuestions.size());
}

TEST_P(SeedTables, EmptyTablesAreFilledWithoutTouchingTheOthers) {
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("delete from pre_food_grp")), true));
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("delete from symptom_option_sub")), false));
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("delete from pat")), true));
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("update symptom_option set title = '保留' where symId = '0' and class = '脉'")), true));
  SeedReport report;
  QString error;
  ASSERT_TRUE(seedKnowledge(*dm, /*reload=*/false, &report, &error)) << error.toStdString();
  EXPECT_EQ(rows(*dm, QStringLiteral("pre_food_grp"), true), kb.dietRules.size());
  EXPECT_EQ(rows(*dm, QStringLiteral("symptom_option_sub"), false), kb.diseaseQuestions.size());
  EXPECT_EQ(rows(*dm, QStringLiteral("pat"), true), kb.customers.size());
  EXPECT_TRUE(report.summary.contains(QStringLiteral("演示客户")));
  // The inquiry pages were not empty, so they stay as they were.
  EXPECT_EQ(rows(*dm, QStringLiteral("symptom_option"), true), kb.inquiryPages.size());
  QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select count(*) from symptom_option where title = '保留'")), true);
  ASSERT_TRUE(q && q->next());
  EXPECT_GT(q->value(0).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, SeedTables, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
