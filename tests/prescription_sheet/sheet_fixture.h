#pragma once
// A registered sheet context for the tests: fixed clock, customer texts,
// recorded messages, a picture folder in a temporary data folder, and the
// login of shop 12, user 7.
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include "login/login_state.h"
#include "prescription/sheet_painter.h"
#include "test_support.h"

namespace tcm::test {

class SheetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dataDir.isValid());
    ASSERT_TRUE(QDir(dataDir.path()).mkpath(QStringLiteral("PR")));
    loginState().clear();
    loginState().ShopId = QStringLiteral("12");
    loginState().UserId = QStringLiteral("7");
    loginState().UserName = QStringLiteral("李医生");
    loginState().ShopName = QStringLiteral("康宁中医馆");
    ui::SheetContext c;
    c.customer = [] {
      return ui::SheetCustomer{QStringLiteral("202503070001"), QStringLiteral("张三"), QStringLiteral("男"),
                               QStringLiteral("45"), QStringLiteral("13800000001")};
    };
    c.now = [] { return QDateTime(QDate(2025, 3, 7), QTime(10, 5, 33)); };
    c.messages = &messages;
    c.pictureDir = QDir(dataDir.path()).filePath(QStringLiteral("PR"));
    ui::setSheetContext(std::move(c));
  }
  void TearDown() override {
    ui::setSheetContext({});
    loginState().clear();
  }

  static PrintList herbalList() {
    TPerFood rec;
    rec.PreName = QStringLiteral("四君子汤");
    rec.FoodHer = QStringLiteral("人参,9,g|白术,9,g|茯苓,9,g|甘草,6,g|黄芪,15,g|当归,10,g|陈皮,6,g");
    rec.Dosage = QStringLiteral("7");  // the doses
    return {rec};
  }
  static PrintList foodList() {
    PrintList list;
    const QStringList titles = {QStringLiteral("山药薏米汤"), QStringLiteral("红枣小米粥"), QStringLiteral("菊花茶")};
    const QStringList herbs = {QStringLiteral("山药,30,g|薏米,20,g"), QStringLiteral("红枣,5,枚|小米,50,g"),
                               QStringLiteral("菊花,5,g")};
    const QStringList quantities = {QStringLiteral("6"), QStringLiteral("6"), QStringLiteral("3")};
    for (int i = 0; i < 3; ++i) {
      TPerFood rec;
      rec.PreName = titles[i];
      rec.FoodHer = herbs[i];
      rec.Dosage = quantities[i];
      rec.notRecommend = QStringLiteral("忌食生冷油腻之品，少食辛辣刺激食物，戒烟限酒，避免暴饮暴食，饮食宜清淡而富有营养");
      rec.recommend = QStringLiteral("宜食山药、薏米、红枣、小米等健脾益气之品");
      list << rec;
    }
    return list;
  }

  QTemporaryDir dataDir;
  RecordingMessages messages;
};

}  // namespace tcm::test
