// The shop settings against real databases: password change, shop card, herb
// tree, catalogue search, price and stock saving.
#include <QFile>
#include <QSqlQuery>
#include <tuple>

#include "login/login_service.h"
#include "login/remembered_password.h"
#include "settings/ini_file.h"
#include "shop/shop_settings.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

class ShopSettingsDb : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam());
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
    // Shop 1 prices 人参 and 党参; 太子参 only shop 2 sells; 黄芪 nobody.
    ASSERT_TRUE(dm->ExecLstSql(
        {Sql("insert into herb(id,name) values(1,?),(2,?),(3,?),(4,?)", {"人参", "党参", "太子参", "黄芪"}),
         Sql("insert into herb_shop(shopId,id,name,price,stock) values(1,1,?,0.8,2000),(1,2,?,0.125,1500),"
             "(2,1,?,0.9,700),(2,3,?,0.5,100)",
             {"人参", "党参", "人参", "太子参"})},
        true));
    state.ShopId = "1";
    state.loginName = "13800000001";
    state.loginPassword = "731526";
  }
  QString storedPassword() {
    QSqlQuery* q = dm->GetDB(Sql("select pwd from [user] where userid=?", {"13800000001"}), true);
    return q && q->next() ? q->value(0).toString() : QString();
  }
  // price|stock of a shop's row, or "none".
  QString row(int shop, int herb) {
    QSqlQuery* q = dm->GetDB(Sql("select price,stock,name from herb_shop where shopId=? and id=?", {shop, herb}), true);
    if (!q || !q->next()) return "none";
    QString r = formatAmount(q->value(0)) + "|" + formatAmount(q->value(1)) + "|" + q->value(2).toString();
    if (q->next()) r += "|twice";
    return r;
  }
  bool logsIn(const QString& password) {
    LoginState s;
    return LoginService(*dm, unreachableHttpUrl()).attempt("13800000001", password, &s) == LoginResult::Ok;
  }
  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
  LoginState state;
};

}  // namespace

TEST_P(ShopSettingsDb, PasswordChecksComeInOrderAndChangeNothing) {
  const QString before = storedPassword();
  ASSERT_EQ(before, *passwordForDatabase("731526"));
  const QString tooLong(21, QLatin1Char('7'));
  struct Case {
    QString oldPwd, newPwd, message;
  } cases[] = {
      {"731526", "", "密码长度不能小于4位"},
      {"731526", "      ", "密码长度不能小于4位"},  // blank
      {"731526", "abc", "密码长度不能小于4位"},
      {"731526", " ab ", "密码长度不能小于4位"},  // four as typed, two as stored
      {"731526", "\tabc\n", "密码长度不能小于4位"},
      {"wrong", "abc", "密码长度不能小于4位"},  // length before the old password
      {"731526", tooLong, "密码长度不能大于20位"},
      {"731526", " " + tooLong + " ", "密码长度不能大于20位"},
      {"wrong", tooLong, "密码长度不能大于20位"},
      {"wrong", QStringLiteral("ab😀cd"), QStringLiteral("“新密码”中的字符“😀”无法保存，请删除后再试")},
      {"wrong", "abcd", "旧密码不相符"},
      {"731526 ", "abcd", "旧密码不相符"},  // compared exactly
      {"", "abcd", "旧密码不相符"},
  };
  for (const Case& c : cases) {
    const SettingsOutcome r = changePassword(*dm, &state, c.oldPwd, c.newPwd);
    EXPECT_FALSE(r.ok) << c.newPwd.toStdString();
    EXPECT_EQ(r.message, c.message) << c.oldPwd.toStdString() << " / " << c.newPwd.toStdString();
  }
  EXPECT_EQ(storedPassword(), before);
  EXPECT_EQ(state.loginPassword, "731526");
  EXPECT_TRUE(logsIn("731526"));
}

TEST_P(ShopSettingsDb, ChangedPasswordAuthorisesTheNextChangeAndTheLogin) {
  // Stored trimmed; four characters are enough.
  SettingsOutcome r = changePassword(*dm, &state, "731526", " 9876 ");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "修改成功");
  EXPECT_EQ(state.loginPassword, "9876");
  EXPECT_EQ(storedPassword(), *passwordForDatabase("9876"));
  EXPECT_TRUE(logsIn("9876"));
  EXPECT_FALSE(logsIn("731526"));

  // The replaced password no longer authorises a change; the new one does.
  r = changePassword(*dm, &state, "731526", "11112222");
  EXPECT_EQ(r.message, "旧密码不相符");
  EXPECT_TRUE(logsIn("9876"));
  const QString twenty = QStringLiteral("中药价格维护abcdefghij12345").left(20);
  // Twenty characters with blanks around them are twenty as stored.
  r = changePassword(*dm, &state, "9876", "  " + twenty + " ");
  EXPECT_EQ(r.message, "修改成功");
  EXPECT_EQ(storedPassword(), *passwordForDatabase(twenty));
  EXPECT_TRUE(logsIn(twenty));
  EXPECT_FALSE(logsIn("9876"));
  // The other account is untouched.
  LoginState other;
  EXPECT_EQ(LoginService(*dm, unreachableHttpUrl()).attempt("13800000002", "246810", &other), LoginResult::Ok);
}

TEST_P(ShopSettingsDb, RememberedPasswordOfTheAccountFollowsTheChange) {
  const QString ini = folder->settings().iniPath();
  const QString old = *passwordToStoredForm("731526");
  struct Case {
    const char* what;
    bool file;
    QString user, pwd;  // LOGIN/USER and LOGIN/PWD before the change
    bool replaced;      // the next start offers the new password
    QString kept;       // otherwise the password it offers (empty: none)
  } cases[] = {
      {"this account remembered", true, "13800000001", old, true, ""},
      {"another account remembered", true, "13800000002", *passwordToStoredForm("246810"), false, "246810"},
      {"only the name remembered", true, "13800000001", "", false, ""},
      {"nothing remembered", false, "", "", false, ""},
  };
  int round = 0;
  for (const Case& c : cases) {
    QFile::remove(ini);
    if (c.file) {
      IniFile f(ini);
      f.setValue("Version", "version", "2.1");
      f.setValue("LOGIN", "USER", c.user);
      f.setValue("LOGIN", "PWD", c.pwd);
      ASSERT_TRUE(f.save());
    }
    // Every round changes the password on from the one of the round before.
    const QString next = QStringLiteral("new-%1").arg(++round);
    const SettingsOutcome r = changePassword(*dm, &state, state.loginPassword, " " + next + " ");
    EXPECT_EQ(r.message, "修改成功") << c.what;
    EXPECT_EQ(QFile::exists(ini), c.file) << c.what;
    const RememberedLogin restored = readRememberedLogin(ini);
    EXPECT_EQ(restored.user, c.user) << c.what;
    EXPECT_EQ(restored.password, c.replaced ? next : c.kept) << c.what;
    if (c.file) {
      IniFile f(ini);
      f.load();
      EXPECT_EQ(f.value("Version", "version"), "2.1") << c.what;
    }
    // What the next start offers for this account logs in.
    if (c.replaced) {
      EXPECT_TRUE(logsIn(restored.password)) << c.what;
    }
  }
  EXPECT_TRUE(logsIn("new-4"));
}

TEST_P(ShopSettingsDb, PasswordOfAnAccountThatIsGoneIsNotReportedChanged) {
  state.loginName = "13899999999";
  const SettingsOutcome r = changePassword(*dm, &state, "731526", "abcd");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "修改失败，请重新保存");
  EXPECT_EQ(state.loginPassword, "731526");
  EXPECT_TRUE(logsIn("731526"));
}

TEST_P(ShopSettingsDb, PriceChecksComeInOrderAndWriteNothing) {
  const ChosenHerb ginseng{"1", QStringLiteral("人参")};
  const ChosenHerb none;
  struct Case {
    ChosenHerb herb;
    QString nameBox, price, stock, message;
  } cases[] = {
      {ginseng, "人参", "abc", "1", "药品价格只能填写数字"},
      {none, "", "", "", "药品价格只能填写数字"},
      {ginseng, "人参", "1e3", "1", "药品价格只能填写数字"},
      {none, "", "1000.01", "abc", "药品价格太大"},
      {none, "", "-0.5", "abc", "药品价格不能小于0"},
      {none, "", "1000", "abc", "未选择一个中药"},  // 1000 itself passes
      // The name box no longer shows the chosen herb.
      {ginseng, "党参", "12", "1", "未选择一个中药"},
      {ginseng, "", "12", "1", "未选择一个中药"},
      {ginseng, "人参", "12", "abc", "库存只能填写数字"},
      {ginseng, " 人参 ", "12", "", "库存只能填写数字"},
      {ginseng, "人参", "12", "-1", "库存不能小于0"},
      {ginseng, "人参", "12", "100000000000", "库存太大"},
  };
  for (const Case& c : cases) {
    const PriceSaveOutcome r = saveHerbPrice(*dm, "1", c.herb, c.nameBox, c.price, c.stock);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, c.message) << c.price.toStdString() << " / " << c.stock.toStdString();
  }
  EXPECT_EQ(row(1, 1), QStringLiteral("0.80|2000.00|人参"));
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(ShopSettingsDb, SavingUpdatesTheShopsRowOrCreatesIt) {
  // A herb chosen by name from the tree shows the shop's price and stock.
  HerbChoice c = chooseHerbByName(*dm, "1", QStringLiteral("人参"));
  EXPECT_EQ(c.herb.id, "1");
  ASSERT_TRUE(c.stock);
  EXPECT_EQ(c.stock->price, "0.80");
  EXPECT_EQ(c.stock->stock, "2000.00");
  PriceSaveOutcome r = saveHerbPrice(*dm, "1", c.herb, QStringLiteral("人参"), " 12.5 ", "300");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "保存成功");
  EXPECT_DOUBLE_EQ(r.price, 12.5);
  EXPECT_EQ(row(1, 1), QStringLiteral("12.50|300.00|人参"));
  EXPECT_EQ(row(2, 1), QStringLiteral("0.90|700.00|人参"));  // the other shop keeps its price

  // 太子参 is in the catalogue but shop 1 has no row for it: 0.00 shown, the save creates the row.
  c = chooseHerb(*dm, "1", {"3", QStringLiteral("太子参")});
  ASSERT_TRUE(c.stock);
  EXPECT_EQ(c.stock->price, "0.00");
  EXPECT_EQ(c.stock->stock, "0.00");
  r = saveHerbPrice(*dm, "1", c.herb, QStringLiteral("太子参"), "1000", "0");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(row(1, 3), QStringLiteral("1000.00|0.00|太子参"));
  EXPECT_EQ(row(2, 3), QStringLiteral("0.50|100.00|太子参"));
  // Saving again updates the row it made.
  r = saveHerbPrice(*dm, "1", c.herb, QStringLiteral("太子参"), "0.333", "15.5");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(row(1, 3), QStringLiteral("0.33|15.50|太子参"));

  // The editors' price list, loaded again, prices with the saved values.
  AliasList prices;
  ASSERT_TRUE(GetHerbPriceList(*dm, "1", &prices));
  EXPECT_DOUBLE_EQ(GetHerbPriceById(prices, "1"), 12.5);
  EXPECT_DOUBLE_EQ(GetHerbPriceById(prices, "3"), 0.333);

  // A name the catalogue does not know chooses no herb, and nothing can be saved for it.
  c = chooseHerbByName(*dm, "1", QStringLiteral("不存在的药"));
  EXPECT_FALSE(c.herb.chosen());
  EXPECT_FALSE(c.stock);
  EXPECT_EQ(saveHerbPrice(*dm, "1", c.herb, QStringLiteral("不存在的药"), "1", "1").message, "未选择一个中药");
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(ShopSettingsDb, CatalogueSearchOffersTheDropDownForTwoOrMore) {
  struct Case {
    const char* text;
    QStringList names;
    bool dropDown;
  } cases[] = {
      {"参", {"人参", "党参", "太子参"}, true},
      {" 太子 ", {"太子参"}, false},
      {"黄芪", {"黄芪"}, false},
      {"%", {}, false},
      {"_", {}, false},
      {"\\", {}, false},
  };
  for (const Case& c : cases) {
    const auto found = searchHerbCatalogue(*dm, QString::fromUtf8(c.text));
    ASSERT_TRUE(found) << c.text;
    QStringList names;
    for (const HerbMatch& m : *found) names << m.name;
    EXPECT_EQ(names, c.names) << c.text;
    EXPECT_EQ(herbDropDownWanted(found->size()), c.dropDown) << c.text;
  }
  QList<Sql> many;
  for (int i = 0; i < 12; ++i) many << Sql("insert into herb(id,name) values(?,?)", {100 + i, QStringLiteral("甘草%1").arg(i)});
  ASSERT_TRUE(dm->ExecLstSql(many, true));
  EXPECT_EQ(searchHerbCatalogue(*dm, QStringLiteral("甘草"))->size(), kHerbSearchLimit);
  // Quotes and Latin letters are not searched.
  EXPECT_TRUE(herbSearchAllowed(QStringLiteral("人参")));
  EXPECT_FALSE(herbSearchAllowed(QStringLiteral("rs")));
  EXPECT_FALSE(herbSearchAllowed(QStringLiteral("人参Z")));
  EXPECT_FALSE(herbSearchAllowed(QStringLiteral("人'参")));
  EXPECT_TRUE(messages.dbErrors.isEmpty());
}

TEST_P(ShopSettingsDb, ShopCardAndHerbTreeAreRead) {
  const auto card = loadShopCard(*dm, "1");
  ASSERT_TRUE(card);
  EXPECT_EQ(card->name, QStringLiteral("Orlemo经方示范店"));
  EXPECT_EQ(card->contactName, QStringLiteral("张明"));
  EXPECT_EQ(card->tel, "0571-88880001");
  EXPECT_EQ(card->address, QStringLiteral("浙江省杭州市西湖区文三路101号"));
  EXPECT_FALSE(loadShopCard(*dm, "99"));
  EXPECT_EQ(shopPicturePath(folder->settings().pictureDir(), "1"), folder->path() + "/PR/1.png");

  auto tree = loadHerbTree(*dm);
  ASSERT_TRUE(tree);
  EXPECT_TRUE(tree->isEmpty());
  ASSERT_TRUE(dm->ExecSql(Sql("insert into tbltree(tblname,tree) values(?,?)",
                              {"her", QStringLiteral("补气药\r\n\t人参\r\n 党参\r\n补血药\r\n\t当归")}),
                          true));
  ASSERT_TRUE(dm->ExecSql(Sql("insert into tbltree(tblname,tree) values(?,?)", {"food", QStringLiteral("谷类")}), true));
  tree = loadHerbTree(*dm);
  ASSERT_TRUE(tree);
  ASSERT_EQ(tree->size(), 2);
  EXPECT_EQ((*tree)[0].text, QStringLiteral("补气药"));
  ASSERT_EQ((*tree)[0].children.size(), 2);
  EXPECT_EQ((*tree)[0].children[1].text, QStringLiteral("党参"));
  EXPECT_EQ((*tree)[1].children[0].text, QStringLiteral("当归"));
}

TEST_P(ShopSettingsDb, ShopCardIsStoredTrimmedOrRefusedWhole) {
  const ShopCard stored = *loadShopCard(*dm, "1");
  const ShopCard good{"Orlemo经方示范店", "浙江省杭州市西湖区文三路101号", "张明", "0571-88880001"};
  auto with = [&](int field, const QString& text) {
    ShopCard c = good;
    QString* fields[] = {&c.name, &c.address, &c.contactName, &c.tel};
    *fields[field] = text;
    return c;
  };
  struct Case {
    ShopCard card;
    QString message;
  } cases[] = {
      {with(0, ""), "机构名称没有填写"},
      {with(0, "   "), "机构名称没有填写"},
      {with(0, QString(51, QChar(0x5E97))), "机构名称不能多于50个字"},
      {with(1, QString(101, QChar(0x8DEF))), "地址不能多于100个字"},
      {with(2, QString(21, QChar(0x5F20))), "联系人不能多于20个字"},
      {with(3, QString(21, QLatin1Char('1'))), "电话不能多于20位"},
      {with(3, "0571 8888"), "电话只能填写数字和“-”"},
      {with(3, "电话0571"), "电话只能填写数字和“-”"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(checkShopCard(c.card), c.message);
    const SettingsOutcome r = saveShopCard(*dm, "1", c.card);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, c.message);
  }
  ShopCard now = *loadShopCard(*dm, "1");
  EXPECT_EQ(std::tie(now.name, now.address, now.contactName, now.tel),
            std::tie(stored.name, stored.address, stored.contactName, stored.tel));

  // Stored trimmed; the longest texts allowed and an empty contact and phone are kept.
  const ShopCard edited{" 经方三店 ", QString(100, QChar(0x8DEF)) + "  ", "", " "};
  SettingsOutcome r = saveShopCard(*dm, "1", edited);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "保存成功");
  now = *loadShopCard(*dm, "1");
  EXPECT_EQ(now.name, QStringLiteral("经方三店"));
  EXPECT_EQ(now.address, QString(100, QChar(0x8DEF)));
  EXPECT_EQ(now.contactName, "");
  EXPECT_EQ(now.tel, "");
  // The other shop keeps its card.
  EXPECT_EQ(loadShopCard(*dm, "2")->name, QStringLiteral("Orlemo经方二店"));
  // A shop without a row changed nothing, so nothing is reported saved.
  for (const char* shop : {"99", "", "x"}) EXPECT_EQ(saveShopCard(*dm, shop, good).message, "保存失败") << shop;
  EXPECT_FALSE(loadShopCard(*dm, "99"));
  EXPECT_EQ(loadShopCard(*dm, "1")->name, QStringLiteral("经方三店"));
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(",").toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, ShopSettingsDb, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);
