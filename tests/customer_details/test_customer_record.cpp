// The customer details rules on both databases: the save checks in their
// order, storing a new and a corrected customer, and the search by name or
// phone ending.
#include "customer/customer_record.h"
#include "customer/dm_risk.h"
#include "details_fixture.h"

using namespace tcm;
using namespace tcm::test;

namespace {

const QDate kToday(2026, 5, 20);

using CustomerRecord = DetailsFixture;

TEST_P(CustomerRecord, ChecksInOrderWriteNothingWhenOneFails) {
  const QString twelve = QStringLiteral("138123456789");
  struct Case {
    CustomerForm form;
    QString message;
  };
  const QString n15 = QString(15, QChar(0x5F20));  // 15 × 张
  const QList<Case> cases = {
      {{"   ", "男", "x", "", ""}, QStringLiteral("姓名没有填写")},  // name is checked before the rest
      {{n15 + "x", "男", "30", "13800001234", ""}, QStringLiteral("姓名字数太长")},
      {{"王五", "男", " ", "", ""}, QStringLiteral("年龄没有填写")},
      {{"王五", "男", "3o", "", ""}, QStringLiteral("年龄只能为数字")},
      {{"王五", "男", "30.5", "13800001234", ""}, QStringLiteral("年龄只能为数字")},
      {{"王五", "男", "100", "", ""}, QStringLiteral("年龄太大")},
      {{"王五", "男", "-1", "13800001234", ""}, QStringLiteral("年龄太大")},
      {{"王五", "男", "30", "  ", ""}, QStringLiteral("电话没有填写")},
      {{"王五", "男", "30", twelve, ""}, QStringLiteral("电话不能多于11位")},
      {{"王五", "男", "30", "1380000123a", ""}, QStringLiteral("电话只能为数字")},
      {{"王五", "男", "30", "12-3", ""}, QStringLiteral("电话只能为数字")},
      {{"王五", "男", "30", QStringLiteral("😀1234"), ""}, QStringLiteral("“电话”中的字符“😀”无法保存，请删除后再试")},
      {{"王五", "男", "30", "1234", QStringLiteral("杭州😀")}, QStringLiteral("“地址”中的字符“😀”无法保存，请删除后再试")},
  };
  const qint64 before = patCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.toStdString());
    EXPECT_EQ(customerFormError(c.form), c.message);
    const CustomerSave r = saveCustomer(*dm, "1", QString(), c.form, kToday);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, c.message);
  }
  EXPECT_EQ(patCount(), before);

  // What passes: 15 characters, ages 0 and 99, letters before the last four digits.
  const QList<CustomerForm> good = {{n15, "女", "0", "1234", ""},
                                    {" 李四 ", "男", " 99 ", "ab1234", ""},
                                    {"赵六", "女", "+7", "0", "某地"}};
  for (const CustomerForm& f : good) {
    EXPECT_EQ(customerFormError(f), QString()) << f.name.toStdString();
    EXPECT_TRUE(saveCustomer(*dm, "1", QString(), f, kToday).ok) << f.name.toStdString();
  }
  EXPECT_EQ(patCount(), before + good.size());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(CustomerRecord, InsertReadsItsOwnIdThenUpdatesThatCustomer) {
  const CustomerForm form{" 王芳 ", " 女 ", " 42 ", " 13912345678 ", " 杭州西湖 "};
  const CustomerSave first = saveCustomer(*dm, "1", QString(), form, kToday);
  ASSERT_TRUE(first.ok) << first.message.toStdString();
  EXPECT_TRUE(first.inserted);
  EXPECT_EQ(first.message, QStringLiteral("保存成功"));
  // A namesake of the same gender and age is another customer with another id.
  const CustomerSave twin = saveCustomer(*dm, "1", QString(), form, kToday);
  ASSERT_TRUE(twin.ok);
  EXPECT_NE(twin.patId, first.patId);

  QStringList row = patRow(first.patId.toLongLong(), QStringLiteral("shopId,Name,Gender,Age,tel1,Tel,Address,wrDate"));
  ASSERT_EQ(row.size(), 8);
  EXPECT_EQ(row.mid(0, 5), (QStringList{"1", QStringLiteral("王芳"), QStringLiteral("女"), "42", "5678"}));
  EXPECT_EQ(row[5], *encryptText("13912345678"));  // stored enciphered, never plain
  EXPECT_EQ(decryptForDisplay(row[6]), QStringLiteral("杭州西湖"));
  EXPECT_TRUE(row[7].startsWith("2026-05-20")) << row[7].toStdString();
  EXPECT_EQ(first.stored.age, "42");
  EXPECT_EQ(first.stored.tel, "13912345678");

  // The same window saves again: the first customer is corrected, the twin stays.
  const CustomerSave again =
      saveCustomer(*dm, "1", first.patId, {"王芳", "女", "043", "0571-884321", "上海"}, kToday);
  ASSERT_TRUE(again.ok) << again.message.toStdString();
  EXPECT_FALSE(again.inserted);
  EXPECT_EQ(again.patId, first.patId);
  row = patRow(first.patId.toLongLong(), QStringLiteral("Age,tel1,Tel,Address"));
  EXPECT_EQ(row.mid(0, 2), (QStringList{"43", "4321"}));
  EXPECT_EQ(decryptForDisplay(row[2]), "0571-884321");
  EXPECT_EQ(decryptForDisplay(row[3]), QStringLiteral("上海"));
  EXPECT_EQ(patRow(twin.patId.toLongLong(), QStringLiteral("Age,tel1")), (QStringList{"42", "5678"}));

  // Another shop cannot correct this shop's customer, nor can anyone correct a customer that is not there.
  for (const auto& [shop, id] : {std::pair<QString, QString>{"2", first.patId}, {"1", "999999"}}) {
    const CustomerSave refused = saveCustomer(*dm, shop, id, {"冒名", "男", "50", "1111", ""}, kToday);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, QStringLiteral("保存失败"));
  }
  EXPECT_EQ(patRow(first.patId.toLongLong(), QStringLiteral("Name,Age"))[0], QStringLiteral("王芳"));

  // A customer registered years ago: the list prefills the age kept in the row, and a correction
  // saved as prefilled, twice, keeps it (the search shows it grown by the years since).
  const qint64 old = addCustomer(1, QStringLiteral("老客"), QStringLiteral("男"), "30", "13800002222", "2023-02-01");
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(saveCustomer(*dm, "1", QString::number(old), {"老客", "男", "30", "13800002222", ""}, kToday).ok);
    EXPECT_EQ(patRow(old, "Age"), QStringList{"30"});
    EXPECT_EQ(searchCustomerDetails(*dm, "1", QStringLiteral("老客"), kToday)->value(0).age,
              QString::number(30 + kToday.year() - 2023));
  }
  const CustomerSave quoted = saveCustomer(*dm, "1", QString(), {"O'Neil", "男", "30", "1234", ""}, kToday);
  ASSERT_TRUE(quoted.ok);
  EXPECT_EQ(patRow(quoted.patId.toLongLong(), QStringLiteral("Name"))[0], "O'Neil");
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(CustomerRecord, SaveFailureIsReported) {
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("alter table pat rename to pat_gone")), true));
  const CustomerSave r = saveCustomer(*dm, "1", QString(), {"王五", "男", "30", "1234", ""}, kToday);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, QStringLiteral("保存失败"));
  EXPECT_TRUE(r.patId.isEmpty());
  const CustomerSave u = saveCustomer(*dm, "1", "7", {"王五", "男", "30", "1234", ""}, kToday);
  EXPECT_FALSE(u.ok);
  EXPECT_EQ(u.message, QStringLiteral("保存失败"));
}

// A row another counter removed, or a rule of the database that keeps it as it
// is, between the look-up and the update: the update changes no row, and
// neither save may say "保存成功".
TEST_P(CustomerRecord, AnUpdateThatChangesNoRowIsNoSuccess) {
  const qint64 id = addCustomer(1, QStringLiteral("钱九"), QStringLiteral("男"), "34", "13800009999", "2023-04-01");
  const CustomerSave corrected = saveCustomer(*dm, "1", QString::number(id), {"钱九", "男", "34", "13800009999", ""}, kToday);
  ASSERT_TRUE(corrected.ok);
  EXPECT_EQ(corrected.ageToday, QString::number(34 + kToday.year() - 2023));

  const bool sqlite = dm->remoteDialect().kind() == Dialect::Kind::Sqlite;
  const QList<Sql> freeze =
      sqlite ? QList<Sql>{Sql(QStringLiteral("create trigger pat_frozen before update on pat begin select raise(ignore); end"))}
             : QList<Sql>{Sql(QStringLiteral("create function pat_frozen() returns trigger language plpgsql as "
                                             "$f$ begin return null; end $f$")),
                          Sql(QStringLiteral("create trigger pat_frozen before update on pat for each row "
                                             "execute function pat_frozen()"))};
  for (const Sql& statement : freeze) ASSERT_TRUE(dm->ExecSql(statement, true)) << dm->lastError().toStdString();

  const CustomerSave r = saveCustomer(*dm, "1", QString::number(id), {"钱九九", "男", "35", "13800009999", ""}, kToday);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, QStringLiteral("保存失败"));
  const DmSave d = saveDmClass(*dm, "1", QString::number(id), QStringLiteral("高危型"));
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.message, QStringLiteral("保存失败"));
  EXPECT_EQ(patRow(id, "Name,Age,dm"), (QStringList{QStringLiteral("钱九"), "34", QString()}));
}

TEST_P(CustomerRecord, SearchByNameOrPhoneEnding) {
  const qint64 a = addCustomer(1, QStringLiteral("陈一"), QStringLiteral("男"), "30", "13800001234", "2023-06-01");
  const qint64 b = addCustomer(1, QStringLiteral("陈二"), QStringLiteral("女"), "25", "13900001234");
  const qint64 c = addCustomer(1, QStringLiteral("李三"), QStringLiteral("女"), "40", "13700005678");
  const qint64 d = addCustomer(1, QStringLiteral("陈%"), QStringLiteral("男"), "50", "0");
  addCustomer(2, QStringLiteral("陈别店"), QStringLiteral("男"), "30", "13800001234");
  auto ids = [&](const QString& typed) -> std::optional<QList<qint64>> {
    const auto rows = searchCustomerDetails(*dm, "1", typed, kToday);
    if (!rows) return std::nullopt;
    QList<qint64> out;
    for (const CustomerRow& r : *rows) out << r.patId.toLongLong();
    return out;
  };
  using Ids = std::optional<QList<qint64>>;
  const QList<std::pair<QString, Ids>> cases = {
      {"1234", QList<qint64>{a, b}},
      {" 123456 ", QList<qint64>{a, b}},  // the first four characters only
      {"5678", QList<qint64>{c}},
      {"0", QList<qint64>{d}},
      {"9999", QList<qint64>{}},
      {"12 3", QList<qint64>{}},  // not all digits: finds nobody
      {"1'", std::nullopt},        // ignored: the grid keeps what it shows
      {"chen", std::nullopt},
      {"1234567890123", std::nullopt},
      {QStringLiteral("陈"), QList<qint64>{a, b, d}},
      {QStringLiteral(" 陈二 "), QList<qint64>{b}},
      {"%", QList<qint64>{d}},  // literal, not a wildcard
      {"", QList<qint64>{a, b, c, d}},
      {QStringLiteral("无此人"), QList<qint64>{}},
  };
  for (const auto& [typed, expected] : cases) EXPECT_EQ(ids(typed), expected) << typed.toStdString();

  const auto rows = searchCustomerDetails(*dm, "1", "1234", kToday);
  ASSERT_TRUE(rows && rows->size() == 2);
  EXPECT_EQ(rows->at(0).name, QStringLiteral("陈一"));
  EXPECT_EQ(rows->at(0).gender, QStringLiteral("男"));
  EXPECT_EQ(rows->at(0).age, "33");  // registered at 30 in 2023
  EXPECT_EQ(rows->at(0).tel, "13800001234");
  EXPECT_EQ(rows->at(1).age, "27");

  // At most fifteen customers come back.
  for (int i = 0; i < 20; ++i) addCustomer(1, QStringLiteral("周%1").arg(i), QStringLiteral("男"), "20", "13600000000");
  EXPECT_EQ(searchCustomerDetails(*dm, "1", QStringLiteral("周"), kToday)->size(), kCustomerDetailRows);
  EXPECT_EQ(searchCustomerDetails(*dm, "1", "0000", kToday)->size(), kCustomerDetailRows);
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, CustomerRecord, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
