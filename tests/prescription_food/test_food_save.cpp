// Loading diet prescriptions from the knowledge base and saving the food
// prescription into the visit record, on SQLite and on PostgreSQL.
#include <QSqlQuery>

#include "entry/vocabulary.h"
#include "prescription/food_prescription.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

class FoodSave : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    dm = folder.server(&messages);
    ASSERT_TRUE(GetHerbPriceList(*dm, "1", &prices));
    ASSERT_FALSE(prices.isEmpty());
    QSqlQuery* q = dm->GetDB(Sql("select PatId from pat where shopId = ? order by PatId", {1}), true);
    ASSERT_TRUE(q && q->next());
    patId = q->value(0).toString();
    q->finish();
  }

  // Loads the seed prescriptions named by `ids` into a fresh editor model.
  FoodPrescription load(const QString& ids) {
    FoodPrescription f;
    QList<KnowledgePrescription> rows;
    QString error;
    EXPECT_EQ(loadFoodPrescriptions(*dm, ids, &rows, &error), FoodLoadResult::Loaded);
    for (const KnowledgePrescription& r : rows)
      f.place(r.name, r.herbIds, [this](const QString& id) { return GetHerbPriceById(prices, id); });
    return f;
  }

  // The food and herb columns of the visit rows of `mzno`.
  QList<QStringList> visitRows(const QString& mzno) {
    QList<QStringList> rows;
    QSqlQuery* q = dm->GetDB(Sql("select patId,food,foodIds,foodPrice,foodStockState,Herb,HerbIds,herbPrice,Disease,"
                                 "wrDate from pat_med where MZNO = ? order by id",
                                 {mzno}),
                             true);
    if (!q) return rows;
    while (q->next()) {
      QStringList r;
      for (int i = 0; i < 10; ++i) r << q->value(i).toString();
      r[3] = QString::number(q->value(3).toDouble(), 'f', 1);
      r[7] = QString::number(q->value(7).toDouble(), 'f', 1);
      rows << r;
    }
    q->finish();
    return rows;
  }

  FoodSaveVisit visit(const QString& mzno = {}) {
    FoodSaveVisit v;
    v.shopId = "1";
    v.patId = patId;
    v.mzno = mzno;
    v.disease = QStringLiteral("脾气虚");
    v.med = QStringLiteral("乏力,食欲不振");
    v.symIds = "11111,11112";
    v.now = QDateTime(QDate(2026, 3, 5), QTime(9, 30, 0));
    return v;
  }

  DataFolder folder{GetParam(), true};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  AliasList prices;
  QString patId;
};

}  // namespace

TEST_P(FoodSave, LoadsInListOrderAndRejectsIdsThatAreNotNumbers) {
  QList<KnowledgePrescription> rows;
  QString error;
  ASSERT_EQ(loadFoodPrescriptions(*dm, "86,70,72,73", &rows, &error), FoodLoadResult::Loaded);
  QStringList names;
  for (const KnowledgePrescription& r : rows) names << r.name;
  EXPECT_EQ(names, QStringList({QStringLiteral("枸杞菊花茶"), QStringLiteral("黄芪炖鸡"), QStringLiteral("山药薏米粥"),
                                QStringLiteral("参芪粥")}));
  EXPECT_EQ(rows[1].herbIds, QStringLiteral("3,黄芪,30,g|148,鸡肉,250,g|105,生姜,6,g|8,大枣,15,g"));

  // Four prescriptions: the fourth is not shown.
  const FoodPrescription f = load("70,72,86,73");
  EXPECT_EQ(f.section(FoodPrescription::Soup).title, QStringLiteral("黄芪炖鸡"));
  EXPECT_EQ(f.section(FoodPrescription::Porridge).title, QStringLiteral("山药薏米粥"));
  EXPECT_EQ(f.section(FoodPrescription::Drink).title, QStringLiteral("枸杞菊花茶"));
  // 6 × (2.4 + 10 + 0.12 + 0.45) + 6 × (1.8 + 0.9 + 0.6) + 6 × (1.2 + 1.0)
  EXPECT_EQ(f.totalText(), "110.8");

  for (const QString& bad : {QStringLiteral("70) or (1=1"), QStringLiteral("70,abc"), QStringLiteral("70;drop table pre")}) {
    rows = {KnowledgePrescription{}};
    EXPECT_EQ(loadFoodPrescriptions(*dm, bad, &rows, &error), FoodLoadResult::BadIds);
    EXPECT_TRUE(rows.isEmpty());
  }
  ASSERT_EQ(loadFoodPrescriptions(*dm, "999999", &rows, &error), FoodLoadResult::Loaded);
  EXPECT_TRUE(rows.isEmpty());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(FoodSave, InsertsThenUpdatesAndKeepsTheHerbalSide) {
  FoodPrescription f = load("70,72");
  f.setTicked(FoodPrescription::Porridge, false);
  f.setQuantity(FoodPrescription::Soup, "2");
  FoodSaveVisit v = visit();

  // No customer: nothing is written and no visit number is made.
  FoodSaveVisit none = v;
  none.patId = "0";
  EXPECT_EQ(saveFoodPrescription(*dm, f, &none), QStringLiteral("未选择客户"));
  EXPECT_TRUE(none.mzno.isEmpty());

  EXPECT_EQ(saveFoodPrescription(*dm, f, &v), QStringLiteral("保存成功"));
  EXPECT_EQ(v.mzno, "2026030500001093000");
  QList<QStringList> rows = visitRows(v.mzno);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0][0], patId);
  EXPECT_EQ(rows[0][1], QStringLiteral("黄芪炖鸡\r\n黄芪 30g鸡肉 250g生姜 6g大枣 15g\r\n黄芪炖鸡\r\n剂数：2剂"));
  EXPECT_EQ(rows[0][2], QStringLiteral("黄芪炖鸡&3,黄芪,30,g|148,鸡肉,250,g|105,生姜,6,g|8,大枣,15,g$$"));
  EXPECT_EQ(rows[0][3], "25.9");  // 2 × 12.97, the porridge left out
  EXPECT_EQ(rows[0][4], "0");
  EXPECT_EQ(rows[0][8], QStringLiteral("脾气虚"));
  EXPECT_TRUE(rows[0][9].startsWith("2026-03-05")) << rows[0][9].toStdString();

  // The herbal side of the same visit, then the food side again: one row holding both.
  VisitPrescription herb;
  herb.shopId = "1";
  herb.patId = patId;
  herb.mzno = v.mzno;
  herb.disease = QStringLiteral("脾气虚");
  herb.displayText = QStringLiteral("黄芪,10g\r\n剂数：6剂");
  herb.idsText = QStringLiteral("6&补肺汤&3,黄芪,10,g");
  herb.priceText = "4.8";
  ASSERT_EQ(saveVisitPrescription(*dm, herb), VisitSaveResult::Saved);
  f.setTicked(FoodPrescription::Porridge, true);
  f.setTicked(FoodPrescription::Soup, false);
  f.place(QStringLiteral("药膳'特制"), QStringLiteral("22,枸杞子,10,g"), [this](const QString& id) {
    return GetHerbPriceById(prices, id);
  });
  f.setQuantity(FoodPrescription::Drink, "1");
  EXPECT_EQ(saveFoodPrescription(*dm, f, &v), QStringLiteral("保存成功"));
  rows = visitRows(v.mzno);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0][2], QStringLiteral("$山药薏米粥&5,山药,30,g|47,薏苡仁,30,g|146,粳米,60,g$药膳'特制&22,枸杞子,10,g"));
  EXPECT_EQ(rows[0][3], "21.0");  // 6 × 3.3 + 1 × 1.2
  EXPECT_EQ(rows[0][5], herb.displayText);
  EXPECT_EQ(rows[0][6], herb.idsText);
  EXPECT_EQ(rows[0][7], "4.8");

  // Once the food stock of the visit is deducted, the food side is refused; the herbal side is not.
  ASSERT_TRUE(dm->ExecSql(Sql("update pat_med set foodStockState = 1 where MZNO = ?", {v.mzno}), true));
  FoodPrescription other = load("86");
  EXPECT_EQ(saveFoodPrescription(*dm, other, &v), QStringLiteral("库存已修改，不能修改药膳方"));
  rows = visitRows(v.mzno);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_TRUE(rows[0][2].startsWith(QStringLiteral("$山药薏米粥&")));
  herb.priceText = "9.6";
  EXPECT_EQ(saveVisitPrescription(*dm, herb), VisitSaveResult::Saved);
  EXPECT_EQ(visitRows(v.mzno)[0][7], "9.6");

  // A section that cannot be saved writes nothing.
  FoodSaveVisit fresh = visit();
  other.setQuantity(FoodPrescription::Soup, "0");
  EXPECT_EQ(saveFoodPrescription(*dm, other, &fresh), QStringLiteral("【枸杞菊花茶】的数量必须是大于0的整数"));
  EXPECT_TRUE(fresh.mzno.isEmpty());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, FoodSave, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
