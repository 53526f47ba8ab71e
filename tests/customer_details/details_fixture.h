#pragma once
// A data folder on either database with a few helpers to write and read
// customer rows directly.
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include "crypto/aes_hex.h"
#include "test_support.h"

namespace tcm::test {

class DetailsFixture : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    dm = folder.server(&messages);
  }

  // A customer written directly: phone and address enciphered, tel1 from the phone's end.
  qint64 addCustomer(int shop, const QString& name, const QString& gender, const QString& age, const QString& tel,
                     const QString& wrDate = QStringLiteral("2024-03-01")) {
    const std::optional<qint64> id = dm->InsertAndGetId(
        Sql(QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address,wrDate) values(?,?,?,?,?,?,?,?)"),
            {shop, name, gender, age, *encryptText(tel), tel.right(4).toLongLong(), *encryptText(QStringLiteral("某地")),
             wrDate}),
        QStringLiteral("PatId"), true);
    EXPECT_TRUE(id.has_value()) << name.toStdString();
    return id.value_or(0);
  }

  // The columns of one customer row, as stored; empty when there is no such row.
  QStringList patRow(qint64 patId, const QString& columns = QStringLiteral("shopId,Name,Gender,Age,Tel,tel1,Address,dm")) {
    QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select %1 from pat where PatId=?").arg(columns), {patId}), true);
    QStringList values;
    if (q && q->next())
      for (int i = 0; i < q->record().count(); ++i) values << q->value(i).toString();
    return values;
  }

  qint64 patCount() {
    QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select count(*) from pat")), true);
    return q && q->next() ? q->value(0).toLongLong() : -1;
  }

  DataFolder folder{GetParam()};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
};

}  // namespace tcm::test
