// Saving prescriptions into the visit record on both databases.
#include <QSqlQuery>

#include "prescription/saved_prescription.h"
#include "prescription/visit_save.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

class VisitSave : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    TCM_REQUIRE_FOLDER(folder);
    dm = folder.server(&messages);
    for (const auto& [shop, name] : {std::pair{1, "王秀英"}, std::pair{1, "李建国"}, std::pair{2, "别店客户"}}) {
      const auto id = dm->InsertAndGetId(
          Sql(QStringLiteral("insert into pat(shopId,Name,wrDate) values(?,?,?)"),
              {shop, QString::fromUtf8(name), QStringLiteral("2026-01-02 09:00:00")}),
          QStringLiteral("PatId"), true);
      ASSERT_TRUE(id.has_value()) << dm->lastError().toStdString();
      patIds << QString::number(*id);
    }
  }

  VisitPrescription herbal(const QString& patId, const QString& mzno = QStringLiteral("2026010200001090000")) const {
    VisitPrescription p;
    p.shopId = QStringLiteral("1");
    p.patId = patId;
    p.mzno = mzno;
    p.disease = QStringLiteral("气虚质");
    p.med = QStringLiteral("乏力,气短");
    p.symIds = QStringLiteral("00012,00034");
    p.displayText = QStringLiteral("黄芪,10g|党参,15g\r\n剂数：6剂");
    p.idsText = QStringLiteral("6&补肺汤&12,黄芪,10,g|15,党参,15,g");
    p.priceText = QStringLiteral("120.0");
    p.today = QDate(2026, 1, 2);
    return p;
  }

  // The rows of pat_med as "patId|MZNO|Disease|Herb|HerbIds|herbPrice|food|foodIds|foodPrice|wrDate".
  QStringList visitRows() {
    QStringList out;
    QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select patId,MZNO,Disease,Herb,HerbIds,herbPrice,food,foodIds,"
                                                "foodPrice,wrDate from pat_med order by id")),
                             true);
    if (!q) return {QStringLiteral("query failed")};
    while (q->next()) {
      QStringList f;
      for (int i = 0; i < 10; ++i) f << q->value(i).toString();
      f[5] = QString::number(q->value(5).toDouble(), 'f', 1);
      f[8] = QString::number(q->value(8).toDouble(), 'f', 1);
      f[9] = f[9].left(10);
      out << f.join(QLatin1Char('|'));
    }
    q->finish();
    return out;
  }

  QString bodyType(const QString& patId) {
    QSqlQuery* q = dm->GetDB(Sql(QStringLiteral("select bodyType from pat where PatId = ?"), {patId.toLongLong()}), true);
    return q && q->next() ? q->value(0).toString() : QStringLiteral("?");
  }

  bool exec(const QString& sql) { return dm->ExecSql(Sql(sql), true); }

  DataFolder folder{GetParam()};
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm;
  QStringList patIds;
};

TEST_P(VisitSave, InsertsOnceThenUpdatesAndWritesTheConstitutionOnInsertOnly) {
  const QString a = patIds[0];
  VisitPrescription p = herbal(a);
  EXPECT_EQ(saveVisitPrescription(*dm, p), VisitSaveResult::Saved);
  EXPECT_EQ(bodyType(a), QStringLiteral("气虚质"));
  ASSERT_TRUE(exec(QStringLiteral("update pat set bodyType = '' where PatId = ") + a));
  // The second save of the visit changes the same row; a quote in a text is kept as typed.
  p.disease = QStringLiteral("阳虚'质");
  p.idsText = QStringLiteral("7&O'Brien汤&12,黄芪,10,g");
  p.displayText = QStringLiteral("黄芪,10g\r\n剂数：7剂");
  p.priceText = QStringLiteral("140.0");
  EXPECT_EQ(saveVisitPrescription(*dm, p), VisitSaveResult::Saved);
  EXPECT_EQ(visitRows(), QStringList{a + QStringLiteral("|2026010200001090000|阳虚'质|黄芪,10g\r\n剂数：7剂|"
                                                        "7&O'Brien汤&12,黄芪,10,g|140.0|||0.0|2026-01-02")});
  EXPECT_EQ(bodyType(a), QString());

  // The food side of the same visit fills its own columns and leaves the herbal ones and the customer alone.
  VisitPrescription f = herbal(a);
  f.side = PrescriptionSide::Food;
  f.disease = QStringLiteral("不写入");
  f.displayText = QStringLiteral("四神汤\r\n");
  f.idsText = QStringLiteral("四神汤&3,山药,30,g$$");
  f.priceText = QStringLiteral("18.5");
  EXPECT_EQ(saveVisitPrescription(*dm, f), VisitSaveResult::Saved);
  EXPECT_EQ(visitRows(), QStringList{a + QStringLiteral("|2026010200001090000|阳虚'质|黄芪,10g\r\n剂数：7剂|"
                                                        "7&O'Brien汤&12,黄芪,10,g|140.0|四神汤\r\n|四神汤&3,山药,30,g$$|"
                                                        "18.5|2026-01-02")});
  EXPECT_EQ(bodyType(a), QString());
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

TEST_P(VisitSave, TwoCustomersWithTheSameVisitNumberKeepTheirOwnRows) {
  const QString mzno = QStringLiteral("2026010200001090000");
  VisitPrescription first = herbal(patIds[0], mzno);
  EXPECT_EQ(saveVisitPrescription(*dm, first), VisitSaveResult::Saved);
  // The first customer's stock is deducted; the second customer of the same visit number is not held by it.
  ASSERT_TRUE(exec(QStringLiteral("update pat_med set herbStockState = 1")));
  VisitPrescription second = herbal(patIds[1], mzno);
  second.idsText = QStringLiteral("6&四君子汤&1,人参,9,g");
  EXPECT_EQ(saveVisitPrescription(*dm, second), VisitSaveResult::Saved);
  second.priceText = QStringLiteral("33.3");
  EXPECT_EQ(saveVisitPrescription(*dm, second), VisitSaveResult::Saved);
  const QStringList rows = visitRows();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_TRUE(rows[0].startsWith(patIds[0] + QLatin1Char('|'))) << rows[0].toStdString();
  EXPECT_TRUE(rows[0].contains(QStringLiteral("|6&补肺汤&12,黄芪,10,g|15,党参,15,g|120.0|")));
  EXPECT_TRUE(rows[1].startsWith(patIds[1] + QLatin1Char('|'))) << rows[1].toStdString();
  EXPECT_TRUE(rows[1].contains(QStringLiteral("|6&四君子汤&1,人参,9,g|33.3|")));
}

TEST_P(VisitSave, RefusalsAndFailuresWriteNothing) {
  const QString a = patIds[0];
  struct Case {
    const char* what;
    QString patId;
    VisitSaveResult expected;
  };
  // No customer chosen; another shop's customer; a customer that does not exist.
  for (const Case& c : {Case{"empty", QString(), VisitSaveResult::NoCustomer}, Case{"zero", "0", VisitSaveResult::NoCustomer},
                        Case{"other shop", patIds[2], VisitSaveResult::Failed},
                        Case{"missing", "999999", VisitSaveResult::Failed}}) {
    EXPECT_EQ(saveVisitPrescription(*dm, herbal(c.patId)), c.expected) << c.what;
    EXPECT_TRUE(visitRows().isEmpty()) << c.what;
  }
  EXPECT_EQ(bodyType(patIds[2]), QString());

  // The stock guard holds each side separately.
  const VisitPrescription p = herbal(a);
  ASSERT_EQ(saveVisitPrescription(*dm, p), VisitSaveResult::Saved);
  const QStringList saved = visitRows();
  ASSERT_TRUE(exec(QStringLiteral("update pat_med set herbStockState = 1")));
  VisitPrescription changed = p;
  changed.priceText = QStringLiteral("1.0");
  EXPECT_EQ(saveVisitPrescription(*dm, changed), VisitSaveResult::StockDeducted);
  EXPECT_EQ(visitRows(), saved);
  VisitPrescription food = p;
  food.side = PrescriptionSide::Food;
  EXPECT_EQ(saveVisitPrescription(*dm, food), VisitSaveResult::Saved);
  ASSERT_TRUE(exec(QStringLiteral("update pat_med set foodStockState = 1, herbStockState = 0")));
  food.priceText = QStringLiteral("9.9");
  EXPECT_EQ(saveVisitPrescription(*dm, food), VisitSaveResult::StockDeducted);

  // An update the database carries out on no row is a failure, not a success.
  const QString skip =
      GetParam() == RemoteKind::Sqlite
          ? QStringLiteral("create trigger keep_visit before update on pat_med begin select raise(ignore); end")
          : QStringLiteral("create function keep_visit() returns trigger as $$ begin return null; end $$ language plpgsql;"
                           "create trigger keep_visit before update on pat_med for each row execute function keep_visit()");
  ASSERT_TRUE(exec(skip)) << dm->lastError().toStdString();
  const QStringList before = visitRows();
  EXPECT_EQ(saveVisitPrescription(*dm, changed), VisitSaveResult::Failed);
  EXPECT_EQ(visitRows(), before);
  EXPECT_EQ(visitSaveMessage(VisitSaveResult::Failed), QStringLiteral("保存失败"));
  EXPECT_EQ(visitSaveMessage(VisitSaveResult::Saved), QStringLiteral("保存成功"));
  EXPECT_EQ(visitSaveMessage(VisitSaveResult::StockDeducted), QStringLiteral("已修改库存，不能修改方剂"));
  EXPECT_EQ(visitSaveMessage(VisitSaveResult::NoCustomer), QStringLiteral("未选择客户"));
  EXPECT_TRUE(visitSaveMessage(VisitSaveResult::LookUpFailed).isEmpty());
}

// What a visit saved comes back for the editors to reopen: the herbal side
// from its ids text, the food side's sections with the quantities of its
// display text; a visit without a row, or without a customer or visit number, holds nothing.
TEST_P(VisitSave, SavedPrescriptionsReadBackForReopening) {
  VisitPrescription p = herbal(patIds[0]);
  ASSERT_EQ(saveVisitPrescription(*dm, p), VisitSaveResult::Saved);
  p.side = PrescriptionSide::Food;
  p.displayText = QStringLiteral("黄芪炖鸡\r\n黄芪 10g鸡肉 250g\r\n黄芪炖鸡\r\n剂数：2剂\r\n枸杞菊花茶\r\n|枸杞子,10g\r\n"
                                 "枸杞菊花茶\r\n剂数：6剂");
  p.idsText = QStringLiteral("黄芪炖鸡&3,黄芪,10,g|148,鸡肉,250,g$$枸杞菊花茶&22,枸杞子,10,g");
  ASSERT_EQ(saveVisitPrescription(*dm, p), VisitSaveResult::Saved);

  std::optional<SavedVisitTexts> visit;
  ASSERT_TRUE(readSavedVisit(*dm, "1", patIds[0], p.mzno, &visit));
  ASSERT_TRUE(visit.has_value());
  const std::optional<SavedHerbal> h = parseSavedHerbal(visit->herbIds);
  ASSERT_TRUE(h.has_value());
  EXPECT_EQ(QStringList({h->doses, h->preName, h->herbList}),
            (QStringList{"6", QStringLiteral("补肺汤"), QStringLiteral("12,黄芪,10,g|15,党参,15,g")}));
  const QList<SavedFoodSection> food = parseSavedFood(visit->foodIds, visit->foodText);
  ASSERT_EQ(food.size(), 2);
  EXPECT_EQ(QStringList({food[0].title, food[0].quantity, food[1].title, food[1].quantity}),
            (QStringList{QStringLiteral("黄芪炖鸡"), "2", QStringLiteral("枸杞菊花茶"), "6"}));
  EXPECT_EQ(food[1].herbList, QStringLiteral("22,枸杞子,10,g"));

  for (const auto& [shop, pat, mzno] : {std::tuple{"1", patIds[1], p.mzno}, std::tuple{"2", patIds[0], p.mzno},
                                        std::tuple{"1", patIds[0], QStringLiteral("2026010200001099999")},
                                        std::tuple{"1", QStringLiteral("0"), p.mzno}, std::tuple{"1", patIds[0], QString()}}) {
    ASSERT_TRUE(readSavedVisit(*dm, shop, pat, mzno, &visit));
    EXPECT_FALSE(visit.has_value()) << shop << " " << pat.toStdString() << " " << mzno.toStdString();
  }
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

// Stored texts that are not of the saved forms give nothing to reopen, never a half form.
TEST(SavedPrescription, TextsNotOfTheStoredFormsGiveNothing) {
  for (const QString& ids : {QString(), QStringLiteral("6"), QStringLiteral("6&补肺汤"), QStringLiteral("6&&1,黄芪,9,g"),
                             QStringLiteral("6&补肺汤&"), QStringLiteral("&&&")})
    EXPECT_FALSE(parseSavedHerbal(ids).has_value()) << ids.toStdString();
  // Blanks around the doses are dropped.
  EXPECT_EQ(parseSavedHerbal(QStringLiteral(" 7 &天王补心丹&1,人参,9,g|2,丹参,12,g"))->doses, "7");
  // An unsaved section between two saved ones keeps the quantities in order; a saved
  // section without herbs is left out but still takes its quantity.
  const QList<SavedFoodSection> food = parseSavedFood(QStringLiteral("甲汤&$乙粥&1,米,50,g$丙饮&2,茶,5,g"),
                                                      QStringLiteral("甲汤\r\n剂数：3剂\r\n乙粥\r\n剂数：4剂\r\n丙饮\r\n剂数：5剂"));
  ASSERT_EQ(food.size(), 2);
  EXPECT_EQ(QStringList({food[0].title, food[0].quantity, food[1].title, food[1].quantity}),
            (QStringList{QStringLiteral("乙粥"), "4", QStringLiteral("丙饮"), "5"}));
  EXPECT_TRUE(parseSavedFood(QStringLiteral("$$"), QString()).isEmpty());
  EXPECT_TRUE(parseSavedFood(QStringLiteral("无名"), QString()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, VisitSave, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
