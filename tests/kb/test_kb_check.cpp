// The knowledge checks of the core library on the shipped seed and on copies
// with one thing broken, and the presentations a clerk meets every day (the
// nine constitution descriptions of the national classification, the
// allergic, fire and balanced presentations and their neighbours) identified
// on the seed written into real databases.
#include <QHash>

#include "kb/chief_complaint_check.h"
#include "kb/kb_check.h"
#include "kb/knowledge_loader.h"
#include "kb/seed_model.h"
#include "engine/identification.h"
#include "entry/vocabulary.h"
#include "seed_copy.h"
#include "test_support.h"
#include "text/item_list.h"

using namespace tcm;
using namespace tcm::test;

namespace {

SeedKnowledgeBase readSeed(const QString& folder, QStringList* problems) {
  return SeedKnowledgeBase::read(folder, problems);
}

QString lines(const QStringList& problems) { return problems.join(QLatin1Char('\n')); }

// A presentation, the constitution class it must give and, where one type is
// the only right answer, that type.
struct Expected {
  const char* findings;  // names joined by "|"
  const char* gender;
  const char* age;
  const char* constitutionClass;
  const char* type;  // nullptr: any type of the class
};

const Expected kPresentations[] = {
    // The nine descriptions of the national constitution classification.
    {"面色红润|精力充沛|目光有神|耐受寒热|睡眠良好|食欲正常|二便正常|舌淡红|苔薄白|脉和缓有力", "女", "35", "平和型", "平和质"},
    {"声音低微|气短|少气懒言|易疲劳|精神不振|自汗|舌淡红|舌有齿痕|脉弱", "女", "40", "气虚型", nullptr},
    {"怕冷|四肢不温|喜热饮|精神不振|舌淡胖|舌淡嫩|脉沉迟", "男", "50", "心阳型", nullptr},
    {"手足心热|口燥咽干|鼻干|渴喜冷饮|大便干结|舌红少津|脉细数", "女", "45", "心阴型", nullptr},
    {"形体肥胖|腹部肥满|面垢油光|汗出黏腻|胸闷|痰多|口黏|口甜|喜食肥甘|苔腻|脉滑", "男", "45", "痰湿型", nullptr},
    {"面垢油光|痤疮|口苦|口干|身体沉重|倦怠|大便黏滞不爽|尿黄|阴囊潮湿|舌红|苔黄腻|脉滑数", "男", "30", "湿热型", nullptr},
    {"面色晦暗|色素沉着|皮下瘀斑|口唇青紫|舌紫暗|舌有瘀点|舌下络脉曲张|脉涩", "女", "50", "瘀血型", nullptr},
    {"情志抑郁|多愁善感|情绪低落|胸胁胀满|善太息|舌淡红|苔薄白|脉弦", "女", "35", "气郁型", nullptr},
    {"打喷嚏|鼻塞|咽痒|风团|花粉过敏|易过敏", "女", "28", "特禀型", nullptr},
    // Allergic presentations that used to give lung-qi deficiency or blood-deficiency wind.
    {"鼻痒|打喷嚏|流清涕|鼻塞|咽痒", "男", "20", "特禀型", "特禀鼻鼽"},
    {"风团|皮肤瘙痒|皮肤划痕", "女", "30", "特禀型", "特禀瘾疹"},
    // Fire without damp, which used to give the damp-heat types.
    {"头胀痛|面红目赤|口苦|烦躁易怒|耳鸣如潮|胁肋灼痛|便秘|小便短黄|舌红|苔黄|脉弦数", "男", "45", "火热型", "肝火炽盛"},
    {"胃脘灼痛|消谷善饥|口臭|牙龈肿痛|渴喜冷饮", "男", "30", "火热型", "胃火炽盛"},
    {"心烦|失眠|口舌生疮|面赤|小便短赤|舌尖红", "女", "30", "火热型", "心火亢盛"},
    {"咳嗽|痰黄黏稠|咽痛|鼻息灼热|口渴|舌红|苔黄", "男", "35", "火热型", "肺热炽盛"},
    // The neighbours keep their own presentations.
    {"胁肋胀痛|口苦|厌食油腻|阴囊潮湿|小便短赤|苔黄腻", "男", "40", "湿热型", "肝胆湿热"},
    {"脘腹痞闷|大便黏滞不爽|口黏|渴不多饮|肢体困重|苔黄腻", "女", "40", "湿热型", "脾胃湿热"},
    {"尿急|尿痛|小便灼热|小便短黄|苔黄腻", "女", "40", "湿热型", "膀胱湿热"},
    {"心烦|失眠|五心烦热|盗汗|舌红少苔", "女", "50", "心阴型", "心阴虚"},
    {"胃脘灼痛|饥不欲食|胃脘嘈杂|口燥咽干|潮热|舌红少苔", "男", "50", "心阴型", "胃阴虚"},
    {"咳嗽无力|气短|自汗|易感冒|打喷嚏|舌淡", "女", "60", "气虚型", "肺气虚"},
    {"皮肤瘙痒|皮肤干燥|皮肤脱屑|面色无华|头晕|舌淡", "男", "70", "血虚型", "血虚风燥"},
    // Mostly well but with a fire complaint: the complaint wins.
    {"精力充沛|睡眠良好|食欲正常|头胀痛|面红目赤|口苦|舌红|苔黄", "男", "40", "火热型", "肝火炽盛"},
};

// ---------------------------------------------------------------------------
// The checks on the seed files

TEST(KnowledgeCheck, ShippedSeedPassesEveryCheck) {
  QStringList readProblems;
  const SeedKnowledgeBase kb = readSeed(QStringLiteral(TCM_SEED_DIR), &readProblems);
  ASSERT_TRUE(readProblems.isEmpty()) << lines(readProblems).toStdString();
  const KnowledgeCheck check(kb);
  EXPECT_TRUE(check.consistencyProblems().isEmpty()) << lines(check.consistencyProblems()).toStdString();
  EXPECT_TRUE(check.reachabilityProblems().isEmpty()) << lines(check.reachabilityProblems()).toStdString();
  EXPECT_TRUE(check.presentationProblems().isEmpty()) << lines(check.presentationProblems()).toStdString();
  EXPECT_TRUE(chiefComplaintProblems(kb, check).isEmpty()) << lines(chiefComplaintProblems(kb, check)).toStdString();
  int cases = 0;
  EXPECT_TRUE(check.caseProblems(QStringLiteral(TCM_CASES), &cases).isEmpty());
  EXPECT_GE(cases, 49);

  // Every type names its class and its source and lists its presentation; the
  // allergic, fire and balanced classes hold the types a counter meets.
  QHash<QString, QStringList> typesOfClass;
  for (const SeedSyndrome& s : kb.syndromes) {
    EXPECT_FALSE(s.constitutionClass.isEmpty()) << s.name.toStdString();
    EXPECT_TRUE(s.source.startsWith(QStringLiteral("《"))) << s.name.toStdString();
    EXPECT_GE(s.presentation.size(), 5) << s.name.toStdString();
    typesOfClass[s.constitutionClass] << s.name;
  }
  const struct {
    const char* constitutionClass;
    QStringList types;
  } required[] = {
      {"特禀型", {QStringLiteral("特禀鼻鼽"), QStringLiteral("特禀瘾疹")}},
      {"火热型", {QStringLiteral("肝火炽盛"), QStringLiteral("胃火炽盛"), QStringLiteral("心火亢盛"), QStringLiteral("肺热炽盛")}},
      {"平和型", {QStringLiteral("平和质")}},
  };
  for (const auto& r : required)
    for (const QString& type : r.types)
      EXPECT_TRUE(typesOfClass.value(QString::fromUtf8(r.constitutionClass)).contains(type))
          << r.constitutionClass << " lacks " << type.toStdString();
}

TEST(KnowledgeCheck, SummaryCountsWhatWasChecked) {
  QStringList readProblems;
  const SeedKnowledgeBase kb = readSeed(QStringLiteral(TCM_SEED_DIR), &readProblems);
  const KbCheckResult withCases = checkKnowledgeBase(kb, QStringLiteral(TCM_CASES));
  ASSERT_TRUE(withCases.clean()) << lines(withCases.problems).toStdString();
  const QString summary = kbCheckSummary(kb, withCases);
  EXPECT_TRUE(summary.startsWith(QStringLiteral("知识库检查通过：%1 个词条，%2 个证型均可辨出且所列教材表现均辨为本类")
                                     .arg(kb.findings.size())
                                     .arg(kb.syndromes.size())))
      << summary.toStdString();
  EXPECT_TRUE(summary.endsWith(QStringLiteral("教材病例 %1 例均辨证正确").arg(withCases.cases))) << summary.toStdString();
  const KbCheckResult withoutCases = checkKnowledgeBase(kb, QString());
  EXPECT_FALSE(withoutCases.casesChecked);
  EXPECT_TRUE(kbCheckSummary(kb, withoutCases).endsWith(QStringLiteral("未找到教材病例文件，未核对病例")));
  // A case table that cannot be read is a problem, not a pass.
  EXPECT_FALSE(checkKnowledgeBase(kb, QStringLiteral("/nonexistent/cases.csv")).clean());
}

// One break per row; the checks must name it, and name only the syndrome broken.
TEST(KnowledgeCheck, BrokenCopiesAreReported) {
  const QString balancedPresentation = QStringLiteral(
      "\"presentation\":[\"面色红润\",\"精力充沛\",\"体态适中\",\"耐受寒热\",\"睡眠良好\",\"食欲正常\",\"二便正常\","
      "\"舌淡红\",\"苔薄白\",\"脉和缓有力\"]");
  const struct {
    const char* what;
    QString from, to;
    QString expected;   // a problem line holds this
    QString onlyAbout;  // every problem line names this (empty: not checked)
  } breaks[] = {
      {"a type without its presentation", QLatin1Char(',') + balancedPresentation, QString(),
       QStringLiteral("证型“平和质”（49）：没有列出教材表现"), QStringLiteral("平和质")},
      {"a balanced presentation that reads as damp-heat", balancedPresentation,
       QStringLiteral("\"presentation\":[\"脘腹痞闷\",\"纳呆\",\"口黏\",\"渴不多饮\",\"大便黏滞不爽\",\"苔黄腻\"]"),
       QStringLiteral("证型“平和质”（49）：所列教材表现（脘腹痞闷、纳呆、口黏、渴不多饮、大便黏滞不爽、苔黄腻，女，30 岁）没有辨为平和型：脾胃湿热"),
       QStringLiteral("平和质")},
      {"a presentation naming a word the vocabulary lacks", QStringLiteral("\"presentation\":[\"鼻痒\","),
       QStringLiteral("\"presentation\":[\"鼻子痒\","), QStringLiteral("（特禀鼻鼽）：词表中没有“鼻子痒”"), QString()},
      // Without its main group the heart-fire presentation reads as damp-heat of the bladder.
      {"a heart-fire type whose main group counts nothing",
       QStringLiteral("\"id\":45,\"name\":\"心火亢盛\",\"class\":\"火热型\",\"open\":1,\"dep1\":\"7\",\"dep2\":\"16,4\","
                      "\"groups\":[{\"label\":\"主症\",\"required\":2,\"weight\":40"),
       QStringLiteral("\"id\":45,\"name\":\"心火亢盛\",\"class\":\"火热型\",\"open\":1,\"dep1\":\"7\",\"dep2\":\"16,4\","
                      "\"groups\":[{\"label\":\"主症\",\"required\":2,\"weight\":0"),
       QStringLiteral("证型“心火亢盛”（45）：所列教材表现（心烦、失眠、口舌生疮"), QStringLiteral("证型“心火亢盛”（45）")},
      {"a presentation naming the age band, which the run adds itself", QStringLiteral("\"presentation\":[\"风团\","),
       QStringLiteral("\"presentation\":[\"老年\",\"风团\","),
       QStringLiteral("证型“特禀瘾疹”（48）：所列教材表现中的“老年”不是可选的症状、舌象或脉象"), QStringLiteral("特禀瘾疹")},
      {"a type without a class", QStringLiteral("\"name\":\"肺热炽盛\",\"class\":\"火热型\""),
       QStringLiteral("\"name\":\"肺热炽盛\",\"class\":\"\""), QStringLiteral("证型“肺热炽盛”（46）：没有写体质类别"), QString()},
  };
  for (const auto& b : breaks) {
    SCOPED_TRACE(b.what);
    SeedCopy seed;
    ASSERT_TRUE(seed.ok());
    seed.replace(QStringLiteral("syndromes.jsonl"), b.from, b.to);
    QStringList problems;
    const SeedKnowledgeBase kb = readSeed(seed.path(), &problems);
    problems << checkKnowledgeBase(kb, QString()).problems;
    bool found = false;
    for (const QString& p : problems) found = found || p.contains(b.expected);
    EXPECT_TRUE(found) << "expected: " << b.expected.toStdString() << "\ngot:\n" << lines(problems).toStdString();
    if (!b.onlyAbout.isEmpty()) {
      for (const QString& p : problems) EXPECT_TRUE(p.contains(b.onlyAbout)) << p.toStdString();
    }
  }
}

// A complaint the presentation leads with but the type does not list as
// cardinal drops the type from the run: the check names the type, the
// complaint and what came first instead.
TEST(KnowledgeCheck, ChiefComplaintThatDropsItsTypeIsReported) {
  // Only the segments that need a finding keep a type in a run.
  EXPECT_EQ(chiefComplaintCodes(QStringLiteral("1101111111112-00511113-206111141111511116")),
            (QStringList{QStringLiteral("11111"), QStringLiteral("11112"), QStringLiteral("11114"),
                         QStringLiteral("11115"), QStringLiteral("11116")}));
  const struct {
    const char* what;
    QString file, from, to;
    QString expected;
  } breaks[] = {
      {"poor appetite no longer cardinal for spleen qi", QStringLiteral("syndromes.jsonl"),
       QStringLiteral("\"头晕\",\"纳呆\",\"眩晕\""), QStringLiteral("\"头晕\",\"眩晕\""),
       QStringLiteral("证型“脾气虚”（3）：以“纳呆”为主诉时所列教材表现没有辨为气虚型：痰湿蕴脾")},
      {"a chief-complaint case whose diet rule answers first", QStringLiteral("diet_rules.csv"),
       QStringLiteral("\"(鼻干-咽痒),(痰少而黏-咽干-口干-口燥咽干)\""), QStringLiteral("\"(痰少而黏-咽干-口干-口燥咽干)\""),
       QStringLiteral("：以“干咳”为主诉应辨为“肺阴虚”，结果为：药膳规则“燥热伤肺型咳嗽”")},
  };
  for (const auto& b : breaks) {
    SCOPED_TRACE(b.what);
    SeedCopy seed;
    ASSERT_TRUE(seed.ok());
    seed.replace(b.file, b.from, b.to);
    QStringList problems;
    const SeedKnowledgeBase kb = readSeed(seed.path(), &problems);
    ASSERT_TRUE(problems.isEmpty()) << lines(problems).toStdString();
    problems = checkKnowledgeBase(kb, QStringLiteral(TCM_CASES)).problems;
    bool found = false;
    for (const QString& p : problems) found = found || p.contains(b.expected);
    EXPECT_TRUE(found) << "expected: " << b.expected.toStdString() << "\ngot:\n" << lines(problems).toStdString();
  }
}

// ---------------------------------------------------------------------------
// The presentations on the seed written into both databases

class DailyPresentations : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam(), /*withKnowledge=*/true);
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
    ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
    AliasList aliases;
    ASSERT_TRUE(GetAliases(*dm, &aliases));
    for (const AliasItem& item : aliases) byName.insert(item.entry.name, item.entry);
    QStringList problems;
    seed = readSeed(QStringLiteral(TCM_SEED_DIR), &problems);
    ASSERT_TRUE(problems.isEmpty()) << lines(problems).toStdString();
  }

  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
  QHash<QString, TAliease> byName;
  SeedKnowledgeBase seed;
};

TEST_P(DailyPresentations, EachGivesItsClassAndTheSeedCheckAgrees) {
  const SyndromeIndex index(dm->knowledge());
  const KnowledgeCheck check(seed);
  for (const Expected& e : kPresentations) {
    const QStringList names = splitItems(QString::fromUtf8(e.findings), QLatin1Char('|'));
    SCOPED_TRACE(e.findings);
    // As the main window enters them: looked up in the loaded vocabulary.
    QList<SelectedFinding> selected;
    for (const QString& name : names) {
      const auto it = byName.constFind(name);
      ASSERT_NE(it, byName.constEnd()) << name.toStdString() << " is not in the vocabulary";
      selected << SelectedFinding{it->id, it->classId};
    }
    const IdentificationInput input{GetCodeList(selected), QString(), QString::fromUtf8(e.gender), QString::fromUtf8(e.age)};
    const Identification id = Ai(index, *dm, input);
    ASSERT_EQ(id.outcome, IdentificationOutcome::Ranked) << id.error.toStdString();
    const TIll& first = id.results.first();
    EXPECT_EQ(check.classOf(first.Id), QString::fromUtf8(e.constitutionClass)) << first.Name.toStdString();
    if (e.type) {
      EXPECT_EQ(first.Name, QString::fromUtf8(e.type));
    }
    // The seed check, which works from the files, ranks the same way.
    QStringList unknown;
    const EngineRun run = check.identify(check.presentationOfNames(names, QString::fromUtf8(e.gender),
                                                                   QString::fromUtf8(e.age), &unknown));
    EXPECT_TRUE(unknown.isEmpty());
    ASSERT_TRUE(run.ok()) << run.error.toStdString();
    ASSERT_FALSE(run.DiseaseLst.isEmpty());
    EXPECT_EQ(run.DiseaseLst.first().Id, first.Id);
    EXPECT_EQ(run.DiseaseLst.first().SymWeight, first.SymWeight);
  }
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join('\n').toStdString();
}

// Every type's own listed presentation, entered through the databases, gives
// a type of its class: the self-check holds on the loaded tables too.
TEST_P(DailyPresentations, EveryListedPresentationGivesItsClass) {
  const SyndromeIndex index(dm->knowledge());
  const KnowledgeCheck check(seed);
  int checked = 0;
  for (const SeedSyndrome& s : seed.syndromes) {
    if (!s.open) continue;
    const KbPresentation p = check.listedPresentation(s);
    QList<SelectedFinding> selected;
    for (const QString& name : p.names) {
      const auto it = byName.constFind(name);
      ASSERT_NE(it, byName.constEnd()) << s.name.toStdString() << ": " << name.toStdString();
      selected << SelectedFinding{it->id, it->classId};
    }
    const Identification id = Ai(index, *dm, IdentificationInput{GetCodeList(selected), QString(), p.genderBox, p.ageBox});
    ASSERT_FALSE(id.results.isEmpty()) << s.name.toStdString();
    EXPECT_EQ(check.classOf(id.results.first().Id), s.constitutionClass)
        << s.name.toStdString() << " gives " << id.results.first().Name.toStdString();
    ++checked;
  }
  EXPECT_EQ(checked, seed.syndromes.size());
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, DailyPresentations, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
