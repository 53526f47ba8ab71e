#include "crypto/aes_hex.h"
#include "customer/customer_search.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

class CustomerStrip : public ::testing::TestWithParam<RemoteKind> {};

TEST_P(CustomerStrip, SearchByNameIsLiteralAndPerShop) {
  DataFolder folder(GetParam());
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  const QString insert = "insert into pat(shopId,Name,Gender,Age,Tel,Address,wrDate) values(?,?,?,?,?,?,?)";
  ASSERT_TRUE(dm->ExecLstSql(
      {Sql(insert, {1, QStringLiteral("王小明"), QStringLiteral("男"), "30", *encryptText("13812345678"),
                    *encryptText(QStringLiteral("杭州")), "2024-05-01 10:00:00"}),
       Sql(insert, {1, QStringLiteral("王_丽"), QStringLiteral("女"), "25", "13900001111", "", "2026-01-01 09:00:00"}),
       Sql(insert, {1, QStringLiteral("100%纯"), QStringLiteral("女"), "25", "", "", "2026-01-01 09:00:00"}),
       Sql(insert, {2, QStringLiteral("王别店"), QStringLiteral("男"), "40", "", "", "2026-01-01 09:00:00"})},
      true));
  const QDate today(2026, 12, 9);
  QList<CustomerRow> rows = searchCustomersByName(*dm, "1", QStringLiteral(" 王 "), 16, today);
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].name, QStringLiteral("王小明"));
  EXPECT_EQ(rows[0].age, "32");
  EXPECT_EQ(rows[0].tel, "13812345678");
  EXPECT_EQ(rows[0].address, QStringLiteral("杭州"));
  EXPECT_EQ(rows[1].tel, "13900001111");  // stored in plain digits: shown as stored
  // % and _ match themselves only.
  rows = searchCustomersByName(*dm, "1", "_", 16, today);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].name, QStringLiteral("王_丽"));
  rows = searchCustomersByName(*dm, "1", "%", 16, today);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].name, QStringLiteral("100%纯"));
  EXPECT_TRUE(searchCustomersByName(*dm, "1", "' or '1'='1", 16, today).isEmpty());
  EXPECT_TRUE(searchCustomersByName(*dm, "1", QStringLiteral("无此人"), 16, today).isEmpty());
  EXPECT_EQ(searchCustomersByName(*dm, "1", QString(), 1, today).size(), 1);
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, CustomerStrip, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

TEST(VisitNumber, DateShopAndTime) {
  const QDateTime now(QDate(2026, 12, 9), QTime(8, 5, 3));
  EXPECT_EQ(GetMZNO(now, "1"), "2026120900001080503");
  EXPECT_EQ(GetMZNO(now, "1").size(), 19);
  EXPECT_EQ(GetMZNO(now, "123456"), "20261209123456080503");
}

TEST(LikePattern, EscapesWildcards) {
  EXPECT_EQ(likeContains("a%b_c\\"), "%a\\%b\\_c\\\\%");
}
