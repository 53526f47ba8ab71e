// tcmcare-admin engine and identify, run as programs on a data folder with a
// small knowledge base and vocabulary written here.
#include <gtest/gtest.h>

#include <QProcess>

#include "crypto/des_hex.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

struct Output {
  int exitCode = -1;
  QStringList lines;  // standard output, one item per line
  QString err;
};

class AdminTool : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam());
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
    // 1 气虚质: 乏力 (30), 气短 (20); the module on 气短 chooses prescription 501.
    addSyndrome(1, "气虚质", "16", "1100000101-2100000102", "01000102", "0&501", "0", QString());
    // 2 阳虚质 (gynaecology): 乏力 (30), 畏寒 (20); must segment on 畏寒.
    addSyndrome(2, "阳虚质", "3", "1100000101-2100000103", QString(), QString(), QString(), "10000103");
    // 3 湿热质 (andrology): 口苦.
    addSyndrome(3, "湿热质", "15", "1100000104-2100000199", QString(), QString(), QString(), QString());
    addFinding(101, "乏力", "0");
    addFinding(102, "气短", "0");
    addFinding(103, "畏寒", "0");
    addFinding(104, "口苦", "0");
    addFinding(501, "舌红", "5");
    addFinding(601, "脉弦", "6");
    ASSERT_TRUE(dm->ExecSql(Sql("insert into aliases(id,name1,ids,classid,type,strLen) values(0,?,'105,106','0',1,4)",
                                {*desEncryptText(QStringLiteral("多码"))}),
                            false));
  }

  void addSyndrome(int id, const char* name, const char* dep1, const char* profile, const QString& modules,
                   const QString& modPre, const QString& flags, const QString& cardinal) {
    ASSERT_TRUE(dm->ExecMSSql(Sql("insert into syn_food(ID,Name,[OR],Weight,SymIdStr,SymModIdStr,ModPreIdStr,MatchModFlag,"
                                  "CardinalSymptomIdStr,Dep1,Dep2,IsOpen) values(?,?,?,?,?,?,?,?,?,?,?,1)",
                                  {id, QString::fromUtf8(name), "11", "3020", profile, modules, modPre, flags, cardinal,
                                   dep1, ""})));
  }
  void addFinding(int id, const char* name, const char* classId) {
    ASSERT_TRUE(dm->ExecSql(Sql("insert into aliases(id,name1,pinyin,ids,classid,mutex,gender,type,strLen) "
                                "values(?,?,'','',?,'','3',1,?)",
                                {id, *desEncryptText(QString::fromUtf8(name)), QString::fromLatin1(classId), 4}),
                            false));
  }

  Output admin(const QStringList& args) {
    QStringList all = {"--data", folder->path()};
    if (!folder->settings().remoteUrl.isEmpty()) all << "--remote" << folder->settings().remoteUrl;
    QProcess p;
    p.start(QStringLiteral(TCM_ADMIN_BINARY), all + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    Output o;
    o.exitCode = p.exitCode();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    o.lines = out.split('\n', Qt::SkipEmptyParts);
    o.err = QString::fromUtf8(p.readAllStandardError());
    return o;
  }

  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
};

const QString kQixu = QStringLiteral("1\t气虚质\t60\t2\t0\t3\t501");
const QString kYangxu = QStringLiteral("2\t阳虚质\t30\t1\t-1\t1\t0");

}  // namespace

TEST_P(AdminTool, EngineRunsWithTheDefaults) {
  const Output o = admin({"engine", "--codes", "00101,00102"});
  EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
  EXPECT_EQ(o.lines, (QStringList{kQixu, kYangxu}));  // the female list: no 湿热质
}

TEST_P(AdminTool, EngineOptionsReachTheEngine) {
  Output o = admin({"engine", "--codes", "00101,00104", "--departments", "15"});
  EXPECT_EQ(o.lines, (QStringList{"3\t湿热质\t30\t1\t-1\t1\t0"}));
  o = admin({"engine", "--codes", "00101,00102", "--limit", "1"});
  EXPECT_EQ(o.lines, QStringList{kQixu});
  o = admin({"engine", "--codes", "00101,00102", "--min-score", "40"});
  EXPECT_EQ(o.lines, QStringList{kQixu});
  // Complete ties: the larger id first under sort 1, the smaller under sort 0.
  o = admin({"engine", "--codes", "00101", "--departments", "16,3"});
  EXPECT_EQ(o.lines, (QStringList{"2\t阳虚质\t30\t1\t-1\t1\t0", "1\t气虚质\t30\t1\t-1\t1\t0"}));
  o = admin({"engine", "--codes", "00101", "--departments", "16,3", "--sort", "0"});
  EXPECT_EQ(o.lines, (QStringList{"1\t气虚质\t30\t1\t-1\t1\t0", "2\t阳虚质\t30\t1\t-1\t1\t0"}));
  // The chief complaint keeps only 阳虚质 and adds its bonus (20 div 1 → 4).
  o = admin({"engine", "--codes", "00101,00103", "--chief", "00103"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.lines, QStringList{"2\t阳虚质\t54\t2\t-1\t1\t0"});
}

TEST_P(AdminTool, EngineRefusesBadOptions) {
  const QList<QStringList> bad = {{"engine"},
                                  {"engine", "--codes"},
                                  {"engine", "--codes", "00101", "--limit", "x"},
                                  {"engine", "--codes", "00101", "--limit", "-1"},
                                  {"engine", "--codes", "00101", "--min-score", "2o"},
                                  {"engine", "--codes", "00101", "--sort", "2"},
                                  {"engine", "--codes", "00101", "--bogus", "1"},
                                  {"engine", "--codes", "00101", "stray"}};
  for (const QStringList& args : bad) {
    const Output o = admin(args);
    EXPECT_EQ(o.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(o.lines.isEmpty());
    EXPECT_TRUE(o.err.contains(QStringLiteral("用法"))) << o.err.toStdString();
  }
  EXPECT_TRUE(admin({"engine", "--codes", "1", "--sort", "2"}).err.contains(QStringLiteral("--sort 只能是 0 或 1")));
  EXPECT_TRUE(admin({"engine", "--bogus"}).err.contains(QStringLiteral("未知选项：--bogus")));
}

TEST_P(AdminTool, EngineFailureIsReportedWithExitOne) {
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into syn_food(ID,Name,[OR],Weight,SymIdStr,SymModIdStr,Dep1,IsOpen) "
                                "values(?,?,?,?,?,?,?,1)",
                                {4, QStringLiteral("坏模块"), "1", "30", "1100000101", "1x", "16"})));
  const Output o = admin({"engine", "--codes", "00101,00102"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_TRUE(o.err.contains(QStringLiteral("证型 4（坏模块）"))) << o.err.toStdString();
  EXPECT_TRUE(o.err.contains(QStringLiteral("SymModIdStr")));
  EXPECT_TRUE(o.lines.isEmpty());
}

TEST_P(AdminTool, IdentifyByNamesAsTheMainWindowDoes) {
  // Female and no age: 01295 and 01292 join the findings, the female department list applies.
  Output o = admin({"identify", "乏力", "气短"});
  EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
  EXPECT_EQ(o.lines, (QStringList{kQixu, kYangxu}));
  o = admin({"identify", "--gender", "男", "--age", "30", "乏力", "口苦", "脉弦"});
  EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
  EXPECT_EQ(o.lines, (QStringList{"3\t湿热质\t30\t1\t-1\t1\t0", "1\t气虚质\t30\t1\t-1\t1\t0"}));
}

TEST_P(AdminTool, IdentifyWithPrimaryFindingAndItsFallback) {
  Output o = admin({"identify", "--primary", "畏寒", "乏力"});
  EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
  EXPECT_EQ(o.lines, QStringList{"2\t阳虚质\t54\t2\t-1\t1\t0"});
  // No syndrome holds 气短 in its must segments: the run without it.
  o = admin({"identify", "--primary", "气短", "乏力"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.lines, (QStringList{kQixu, kYangxu}));
  EXPECT_TRUE(o.err.contains(QStringLiteral("不带主诉")));
}

TEST_P(AdminTool, IdentifyAppliesTheDietRulesOfThePrimaryFinding) {
  // A rule of 畏寒 whose condition holds gives the result; the engine is not asked.
  ASSERT_TRUE(dm->ExecMSSql(Sql("insert into pre_food_grp(id,synName,type,pre,ids,symId,symLen) values(7,?,8,?,?,?,1)",
                                {QStringLiteral("畏寒食疗"), "[{id:3,name:x,remark:8}]", "00101", 103})));
  Output o = admin({"identify", "--primary", "畏寒", "乏力"});
  EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
  EXPECT_EQ(o.lines, QStringList{"7\t畏寒食疗\t100\t0\t0\t0\t0"});
  // A rule whose condition does not hold is passed over.
  ASSERT_TRUE(dm->ExecMSSql(Sql("update pre_food_grp set ids = ? where id = 7", {"00999"})));
  o = admin({"identify", "--primary", "畏寒", "乏力"});
  EXPECT_EQ(o.lines, QStringList{"2\t阳虚质\t54\t2\t-1\t1\t0"});
}

TEST_P(AdminTool, IdentifyRefusals) {
  Output o = admin({"identify", "乏力", "头晕眼花"});
  EXPECT_EQ(o.exitCode, 2);
  EXPECT_TRUE(o.err.contains(QStringLiteral("头晕眼花"))) << o.err.toStdString();
  o = admin({"identify", "--primary", "脉弦", "乏力"});
  EXPECT_EQ(o.exitCode, 2);
  EXPECT_TRUE(o.err.contains(QStringLiteral("脉弦")));
  o = admin({"identify", "--gender", "未知", "乏力"});
  EXPECT_EQ(o.exitCode, 2);
  o = admin({"identify", "--age", "三十", "乏力"});
  EXPECT_EQ(o.exitCode, 2);
  o = admin({"identify"});
  EXPECT_EQ(o.exitCode, 2);
  // One finding without a primary one: no run, no results.
  o = admin({"identify", "乏力"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_TRUE(o.lines.isEmpty());
  EXPECT_FALSE(o.err.isEmpty());
  // An entry with several ids has no code of its own.
  o = admin({"identify", "乏力", "多码"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_TRUE(o.lines.isEmpty());
  EXPECT_TRUE(o.err.contains(QStringLiteral("多码")));
}

INSTANTIATE_TEST_SUITE_P(Databases, AdminTool, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
