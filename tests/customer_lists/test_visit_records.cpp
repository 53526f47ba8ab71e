#include "customer/visit_records.h"
#include "list_rows.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

TEST(VisitRecordText, ThreeTextsOnTheirOwnLines) {
  struct Case {
    VisitRecord r;
    QString text;
  };
  const Case cases[] = {
      {{1, QStringLiteral("乏力"), QStringLiteral("山药粥"), QStringLiteral("黄芪 10g"), {}, {}, {}, {}},
       QStringLiteral("乏力\n山药粥\n黄芪 10g")},
      {{2, QStringLiteral("乏力"), QString(), QStringLiteral("黄芪 10g\r\n党参 9g"), {}, {}, {}, {}},
       QStringLiteral("乏力\n\n黄芪 10g\n党参 9g")},
      {{3, QString(), QString(), QString(), {}, {}, {}, {}}, QStringLiteral("\n\n")},
      {{4, QStringLiteral("<b>粗体</b>"), QStringLiteral("a\rb"), QString(), {}, {}, {}, {}}, QStringLiteral("<b>粗体</b>\na\nb\n")},
      // The warnings kept with the visit follow its texts.
      {{5, QStringLiteral("乏力"), QString(), QStringLiteral("人参,6g(另煎)"), {}, {}, {},
        QStringLiteral("汤方：十九畏：人参与五灵脂不宜同用")},
       QStringLiteral("乏力\n\n人参,6g(另煎)\n用药提示：\n汤方：十九畏：人参与五灵脂不宜同用")},
  };
  for (const Case& c : cases) EXPECT_EQ(visitRecordText(c.r), c.text) << c.r.id;
}

TEST(VisitDates, SameDateMarkedTogether) {
  const QList<QString> captions = {"2026-05-04", "2026-05-03", "2026-05-03", "2026-05-01", "", ""};
  struct Case {
    QString chosen;
    QList<bool> marks;
  };
  const Case cases[] = {
      {"2026-05-03", {false, true, true, false, false, false}},
      {"2026-05-04", {true, false, false, false, false, false}},
      {"2026-05-02", {false, false, false, false, false, false}},
  };
  for (const Case& c : cases) EXPECT_EQ(sameDateMarks(captions, c.chosen), c.marks) << c.chosen.toStdString();
}

class VisitRecords : public ::testing::TestWithParam<RemoteKind> {};

TEST_P(VisitRecords, LatestFourteenNewestFirstAndOneRecord) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  const qint32 pat = addCustomer(*dm, {1, QStringLiteral("赵六"), "", "", "13800000000", "", "2026-01-01", ""});
  const qint32 other = addCustomer(*dm, {1, QStringLiteral("钱七"), "", "", "13800000001", "", "2026-01-01", ""});
  ASSERT_TRUE(pat > 0 && other > 0);
  QList<qint32> ids;
  for (int i = 0; i < 20; ++i) {
    NewVisit v;
    v.shop = i % 2 ? 1 : 2;  // the view is not limited to one shop
    v.patId = pat;
    v.bl = QStringLiteral("所见%1").arg(i);
    v.food = QStringLiteral("食疗%1").arg(i);
    v.herb = QStringLiteral("方剂%1").arg(i);
    v.wrDate = QStringLiteral("2026-05-%1 08:00:00").arg(1 + i / 2, 2, 10, QLatin1Char('0'));
    ids << addVisit(*dm, v);
    ASSERT_GT(ids.last(), 0);
  }
  NewVisit foreign;
  foreign.patId = other;
  foreign.wrDate = "2026-06-01";
  ASSERT_GT(addVisit(*dm, foreign), 0);

  QList<VisitDate> dates;
  ASSERT_TRUE(recentVisits(*dm, pat, &dates));
  ASSERT_EQ(dates.size(), 14);
  for (int k = 0; k < 14; ++k) {
    EXPECT_EQ(dates[k].id, ids[19 - k]) << k;
    EXPECT_EQ(dates[k].caption, QStringLiteral("2026-05-%1").arg(1 + (19 - k) / 2, 2, 10, QLatin1Char('0'))) << k;
  }
  ASSERT_TRUE(recentVisits(*dm, 999999, &dates));
  EXPECT_TRUE(dates.isEmpty());

  std::optional<VisitRecord> record;
  ASSERT_TRUE(readVisitRecord(*dm, ids[19], &record));
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->id, ids[19]);
  EXPECT_EQ(visitRecordText(*record), QStringLiteral("所见19\n食疗19\n方剂19"));
  EXPECT_EQ(record->wrdate, "2026-05-10 08:00:00");
  ASSERT_TRUE(readVisitRecord(*dm, 999999, &record));
  EXPECT_FALSE(record.has_value());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, VisitRecords, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
