// tcmcare-admin constitution, run as a program.
#include <gtest/gtest.h>

#include <QProcess>

namespace {

struct AdminRun {
  int exitCode = -1;
  QString out, err;
};

AdminRun admin(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(TCM_ADMIN_BINARY), QStringList{QStringLiteral("constitution")} + args);
  p.waitForFinished(30000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QStringList allOnes(const QString& gender) {
  // Item counts of the standard form; 湿热质 has six for either gender.
  const QList<std::pair<const char*, int>> counts = {{"气虚质", 8}, {"阳虚质", 7}, {"阴虚质", 8}, {"痰湿质", 8},
                                                     {"湿热质", 6}, {"血瘀质", 7}, {"气郁质", 7}, {"特禀质", 7}};
  QStringList out{QStringLiteral("--gender"), gender, QStringLiteral("--answers"), QStringLiteral("平和质=5,1,2,1,3,3,4,1")};
  for (const auto& [type, n] : counts) {
    QStringList ones;
    for (int i = 0; i < n; ++i) ones << QStringLiteral("1");
    out << QString::fromUtf8(type) + QLatin1Char('=') + ones.join(QLatin1Char(','));
  }
  return out;
}

TEST(ConstitutionCommand, PrintsEachTypeAndTheJudgement) {
  AdminRun r = admin(allOnes(QStringLiteral("女")));
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 10);
  EXPECT_EQ(lines[0], QStringLiteral("平和质\t32\t75.0\t是"));
  EXPECT_EQ(lines[1], QStringLiteral("气虚质\t8\t0.0\t否"));
  EXPECT_EQ(lines[9], QStringLiteral("判定：是平和质"));

  r = admin({QStringLiteral("--scores"), QStringLiteral("平和质=75,气虚质=16,阳虚质=27,阴虚质=25,痰湿质=32,湿热质=25,"
                                                        "血瘀质=10,气郁质=18,特禀质=10")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  EXPECT_EQ(lines[0], QStringLiteral("平和质\t\t75.0\t基本是"));
  EXPECT_EQ(lines[4], QStringLiteral("痰湿质\t\t32.0\t倾向是"));
  EXPECT_EQ(lines.last(), QStringLiteral("判定：基本是平和质，有痰湿质倾向"));

  r = admin({QStringLiteral("--form"), QStringLiteral("elderly"), QStringLiteral("--scores"),
             QStringLiteral("平和质=17,气虚质=9,阳虚质=4,阴虚质=4,痰湿质=11,湿热质=4,血瘀质=4,气郁质=4,特禀质=4")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.endsWith(QStringLiteral("判定：是痰湿质，有气虚质倾向\n"))) << r.out.toStdString();
}

TEST(ConstitutionCommand, WrongInputExitsTwoNamingIt) {
  QStringList outOfRange = allOnes(QStringLiteral("男"));
  outOfRange[4] = QStringLiteral("气虚质=1,1,1,1,1,1,1,6");
  QStringList wrongCount = allOnes(QStringLiteral("男"));
  wrongCount[8] = QStringLiteral("湿热质=1,1,1,1,1,1,1");
  QStringList missing = allOnes(QStringLiteral("男"));
  missing.removeLast();
  const QList<std::pair<QStringList, QString>> cases = {
      {outOfRange, QStringLiteral("气虚质的答案“6”不在 1–5 之内")},
      {wrongCount, QStringLiteral("湿热质应有 6 个答案，给出了 7 个")},
      {missing, QStringLiteral("缺少特禀质的答案")},
      {{QStringLiteral("--answers"), QStringLiteral("火热质=1,2")}, QStringLiteral("未知体质：火热质")},
      {{QStringLiteral("--scores"), QStringLiteral("平和质=120")}, QStringLiteral("平和质的分数“120”不在 0–100 之内")},
      {{QStringLiteral("--form"), QStringLiteral("child"), QStringLiteral("--scores"), QStringLiteral("平和质=1")},
       QStringLiteral("--form 只能是 standard 或 elderly：child")},
      {{QStringLiteral("--gender"), QStringLiteral("x")}, QStringLiteral("--gender 只能是 男 或 女：x")},
      {{}, QStringLiteral("请给出 --answers 或 --scores 之一")},
  };
  for (const auto& [args, message] : cases) {
    const AdminRun r = admin(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(r.err.trimmed(), message) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
}

}  // namespace
