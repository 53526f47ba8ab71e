// tcmcare-admin check-kb, run as a program on the shipped seed and on copies
// with one reference broken each.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "seed_copy.h"
#include "test_support.h"

using namespace tcm::test;

namespace {

struct ToolRun {
  int exitCode = -1;
  QString out, err;
  QStringList errLines() const { return err.split('\n', Qt::SkipEmptyParts); }
};

ToolRun checkKb(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(TCM_ADMIN), QStringList{QStringLiteral("check-kb")} + args);
  EXPECT_TRUE(p.waitForFinished(120000));
  ToolRun r;
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

ToolRun checkCopy(const SeedCopy& seed, const QString& cases = QStringLiteral(TCM_CASES)) {
  return checkKb({QStringLiteral("--seed"), seed.path(), QStringLiteral("--cases"), cases});
}

bool hasLine(const ToolRun& r, const QString& part) {
  for (const QString& line : r.errLines())
    if (line.contains(part)) return true;
  return false;
}

TEST(CheckKb, ShippedSeedIsClean) {
  const ToolRun r = checkKb({QStringLiteral("--seed"), QStringLiteral(TCM_SEED_DIR), QStringLiteral("--cases"),
                         QStringLiteral(TCM_CASES)});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1) << r.out.toStdString();
  EXPECT_TRUE(lines.first().startsWith(QStringLiteral("知识库检查通过"))) << r.out.toStdString();
  // The summary counts what it checked: every case of the case table.
  QFile cases(QStringLiteral(TCM_CASES));
  ASSERT_TRUE(cases.open(QIODevice::ReadOnly));
  const int caseRows = static_cast<int>(QString::fromUtf8(cases.readAll()).split('\n', Qt::SkipEmptyParts).size()) - 1;
  EXPECT_TRUE(lines.first().contains(QStringLiteral("教材病例 %1 例").arg(caseRows))) << r.out.toStdString();
}

TEST(CheckKb, BuiltInCopyIsCleanToo) {
  const ToolRun r = checkKb({QStringLiteral("--cases"), QStringLiteral(TCM_CASES)});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith(QStringLiteral("知识库检查通过"))) << r.out.toStdString();
}

TEST(CheckKb, UnknownFindingInAnInquiryPage) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("inquiry_pages.csv"), QStringLiteral("鼻部,鼻子：鼻子有哪些不适？,鼻衄"),
               QStringLiteral("鼻部,鼻子：鼻子有哪些不适？,鼻出血"));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("inquiry_pages.csv 第")) && hasLine(r, QStringLiteral("词表中没有“鼻出血”")))
      << r.err.toStdString();
  EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
}

TEST(CheckKb, UnknownPrescriptionInADietRule) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("diet_rules.csv"), QStringLiteral("玉屏风散|黄芪炖鸡|参芪粥"),
               QStringLiteral("玉屏风散|黄芪炖鸭|参芪粥"));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("方剂表中没有“黄芪炖鸭”"))) << r.err.toStdString();
}

TEST(CheckKb, UnknownFindingInADietCondition) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("diet_rules.csv"), QStringLiteral("\"(恶风-易感冒)\""), QStringLiteral("\"(恶风-常感冒)\""));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("条件中的“常感冒”不在词表中"))) << r.err.toStdString();
}

TEST(CheckKb, HerbMissingFromTheCatalogue) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("herbs.csv"), QStringLiteral("160,火麻仁,泻下药,0.04,2000\n"), QString());
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("药材目录中没有“火麻仁”"))) << r.err.toStdString();
}

TEST(CheckKb, HerbThatNoPrescriptionUses) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.append(QStringLiteral("herbs.csv"), QStringLiteral("199,决明子,清热药,0.03,1000"));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("“决明子”没有方剂用到"))) << r.err.toStdString();
}

TEST(CheckKb, WithdrawnAristolochicHerbIsRefused) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("herbs.csv"), QStringLiteral(",川木通,"), QStringLiteral(",关木通,"));
  seed.write(QStringLiteral("prescriptions.csv"),
             seed.read(QStringLiteral("prescriptions.csv")).replace(QStringLiteral("川木通:"), QStringLiteral("关木通:")));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("herbs.csv：含有已禁用的马兜铃酸类药材“关木通”"))) << r.err.toStdString();
  EXPECT_TRUE(hasLine(r, QStringLiteral("方剂“龙胆泻肝汤”（45）：含有已禁用的马兜铃酸类药材“关木通”"))) << r.err.toStdString();
}

TEST(CheckKb, TwoFindingsSharingACode) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("vocabulary.csv"), QStringLiteral("11112,0,怕热,PR,"), QStringLiteral("11111,0,怕热,PR,"));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("“怕冷”与“怕热”共用编码 11111"))) << r.err.toStdString();
}

TEST(CheckKb, OneSidedExclusion) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("vocabulary.csv"), QStringLiteral("11169,0,失眠,SM,3,嗜睡|睡眠良好,"), QStringLiteral("11169,0,失眠,SM,3,睡眠良好,"));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("“嗜睡”与“失眠”互斥，但反过来没有写"))) << r.err.toStdString();
}

TEST(CheckKb, NegativeGroupWithoutItsNegativeFinding) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(QStringLiteral("negative_findings.csv"), QStringLiteral("怕冷,不怕冷\n"), QString());
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("阴性症状组的最后一个编码 11111 没有阴性症状"))) << r.err.toStdString();
}

// A syndrome whose main group no longer counts loses to its neighbours.
TEST(CheckKb, UnreachableSyndrome) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  QString text = seed.read(QStringLiteral("syndromes.jsonl"));
  QStringList lines = text.split('\n');
  ASSERT_TRUE(lines.first().startsWith(QStringLiteral("{\"id\":1,\"name\":\"心气虚\"")));
  ASSERT_EQ(lines.first().count(QStringLiteral("\"label\":\"主症\",\"required\":2,\"weight\":40")), 1);
  lines.first().replace(QStringLiteral("\"label\":\"主症\",\"required\":2,\"weight\":40"),
                        QStringLiteral("\"label\":\"主症\",\"required\":2,\"weight\":0"));
  seed.write(QStringLiteral("syndromes.jsonl"), lines.join('\n'));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(hasLine(r, QStringLiteral("证型“心气虚”（1）：典型表现（心悸、心慌"))) << r.err.toStdString();
  // The textbook cases of 心气虚 fail as well, each on its own line.
  int caseLines = 0;
  for (const QString& line : r.errLines()) caseLines += line.contains(QStringLiteral("应辨为“心气虚”"));
  EXPECT_GE(caseLines, 2) << r.err.toStdString();
}

TEST(CheckKb, TextbookCaseThatRanksAnotherConstitution) {
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  QTemporaryDir dir;
  QFile in(QStringLiteral(TCM_CASES));
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  QString text = QString::fromUtf8(in.readAll());
  // The second data line describes 心气虚; claim it is 肺气虚.
  QStringList lines = text.split('\n');
  ASSERT_TRUE(lines[2].startsWith(QStringLiteral("心气虚,")));
  lines[2].replace(0, 3, QStringLiteral("肺气虚"));
  QFile out(dir.filePath(QStringLiteral("cases.csv")));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(lines.join('\n').toUtf8());
  out.close();
  const ToolRun r = checkCopy(seed, out.fileName());
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
  EXPECT_TRUE(r.errLines().first().startsWith(QStringLiteral("cases.csv 第3行：应辨为“肺气虚”，结果为：心气虚")))
      << r.err.toStdString();
}

TEST(CheckKb, BadArgumentsAndMissingFolder) {
  EXPECT_EQ(checkKb({QStringLiteral("--nonsense")}).exitCode, 2);
  const ToolRun r = checkKb({QStringLiteral("--seed"), QStringLiteral("/nonexistent/seed/folder")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.err.contains(QStringLiteral("/nonexistent/seed/folder")));
}

// A pharmacist's reading of the seed: an unmarked incompatible pair, a dose
// out of its range and a missing dispensing note are each refused; a pair
// marked as a classic exception is not.
TEST(CheckKb, PairsDosesAndNotesOfTheSeed) {
  struct Break {
    QString file, from, to;
    QString line;  // the refusal it gives; empty: the copy passes
  };
  const Break breaks[] = {
      {"prescriptions.csv", "1,四君子汤,classic,人参:9:g|", "1,四君子汤,classic,五灵脂:6:g|人参:9:g|",
       "方剂“四君子汤”含十九畏配伍：五灵脂与人参（未标为经典例外）"},
      {"prescriptions.csv", "人工麝香:0.1:g", "人工麝香:0.15:g",
       "方剂“通窍活血汤”中人工麝香 0.15g超出药典用量0.03～0.1g（未标为经典例外）"},
      {"prescriptions.csv", "葱白:9:g", "葱白:21:g", "方剂“通窍活血汤”中葱白 21g超出药典用量3～10g（未标为经典例外）"},
      {"herb_rules.csv", "辛夷,XY,6,3,10,包煎,0,", "辛夷,XY,6,3,10,,0,", "药材“辛夷”应注明脚注“包煎”"},
      {"herb_rules.csv", "煅龙骨,DLG,15,15,30,先煎,0,", "煅龙骨,DLG,15,15,30,后下,0,", "药材“煅龙骨”应注明脚注“先煎”"},
      {"diet_rules.csv", "少腹逐瘀汤|当归生姜羊肉汤|生姜红枣茶|山楂红糖饮\n13,",
       "少腹逐瘀汤|温经汤|当归生姜羊肉汤|生姜红枣茶|山楂红糖饮\n13,",
       "药膳规则12同时推荐“少腹逐瘀汤”与“温经汤”，十九畏：五灵脂与人参"},
  };
  for (const Break& b : breaks) {
    SeedCopy seed;
    ASSERT_TRUE(seed.ok());
    seed.replace(b.file, b.from, b.to);
    const ToolRun r = checkCopy(seed);
    EXPECT_EQ(r.exitCode, 1) << b.to.toStdString();
    EXPECT_TRUE(hasLine(r, b.line)) << r.err.toStdString();
    EXPECT_EQ(r.errLines().size(), 1) << r.err.toStdString();
  }
  // The same pair marked as a classic exception passes.
  SeedCopy seed;
  ASSERT_TRUE(seed.ok());
  seed.replace(breaks[0].file, breaks[0].from, breaks[0].to);
  seed.append(QStringLiteral("formula_exceptions.csv"), QStringLiteral("四君子汤,五灵脂,相反,试验用的经典例外"));
  const ToolRun r = checkCopy(seed);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

}  // namespace
