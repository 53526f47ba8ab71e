#include "shop/shop_settings.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlQuery>
#include <cmath>

#include "crypto/gbk.h"
#include "customer/customer_search.h"
#include "db/failure_cause.h"
#include "db/gateway.h"
#include "login/login_state.h"
#include "login/login_service.h"
#include "login/remembered_password.h"

namespace tcm {
namespace {

constexpr int kMinPasswordLength = 4;
constexpr int kMaxPasswordLength = 20;
constexpr int kMaxShopName = 50;
constexpr int kMaxAddress = 100;
constexpr int kMaxContactName = 20;
constexpr int kMaxShopTel = 20;
constexpr double kMaxPrice = 1000;
// Stock is kept in grams with four decimals; more than this does not fit the column.
constexpr double kMaxStock = 99999999;

// Rounds to the four decimals the amount columns keep, so both databases store the same value.
double toStoredAmount(double v) { return std::round(v * 10000.0) / 10000.0 + 0.0; }

}  // namespace

QString checkNewPassword(const QString& newPassword) {
  // Judged as stored: blanks around the password are not kept.
  const QString stored = newPassword.trimmed();
  if (stored.size() < kMinPasswordLength) return QStringLiteral("密码长度不能小于4位");
  if (stored.size() > kMaxPasswordLength) return QStringLiteral("密码长度不能大于20位");
  // The password is stored enciphered from its GBK form: a character GBK lacks cannot be kept.
  return storableTextError(QStringLiteral("新密码"), stored);
}

SettingsOutcome changePassword(TDMServer& dm, LoginState* state, const QString& oldPassword,
                               const QString& newPassword) {
  if (QString refusal = checkNewPassword(newPassword); !refusal.isEmpty()) return {false, refusal};
  if (oldPassword != state->loginPassword) return {false, QStringLiteral("旧密码不相符")};
  const SettingsOutcome failed{false, QStringLiteral("修改失败，请重新保存")};
  const std::optional<QString> enciphered = passwordForDatabase(newPassword.trimmed());
  if (!enciphered) return failed;  // refused by the check above already
  const QString& stored = *enciphered;
  if (!dm.ExecSql(Sql(QStringLiteral("update [user] set pwd=? where userid=?"), {stored, state->loginName}), true))
    return failed;
  // An update that found no account changed nothing.
  QSqlQuery* q = dm.GetDB(
      Sql(QStringLiteral("select count(*) from [user] where userid=? and pwd=?"), {state->loginName, stored}), true);
  const bool landed = q && q->next() && q->value(0).toInt() > 0;
  if (q) q->finish();
  if (!landed) return failed;
  state->loginPassword = newPassword.trimmed();
  if (!replaceRememberedPassword(dm.settings().iniPath(), state->loginName, state->loginPassword))
    return {true, QStringLiteral("修改成功；set.ini 不能写入，记住的密码未更新")};
  return {true, QStringLiteral("修改成功")};
}

std::optional<ShopCard> loadShopCard(TDMServer& dm, const QString& shopId) {
  QSqlQuery* q = dm.GetDB(
      Sql(QStringLiteral("select id,name,tel,contactName,address,img from shop where id=?"), {shopId.toLongLong()}),
      true);
  if (!q) return std::nullopt;
  if (!q->next()) {
    q->finish();
    return std::nullopt;
  }
  ShopCard card;
  card.name = q->value(1).toString();
  card.tel = q->value(2).toString();
  card.contactName = q->value(3).toString();
  card.address = q->value(4).toString();
  q->finish();
  return card;
}

QString checkShopCard(const ShopCard& card) {
  const QString name = card.name.trimmed();
  if (name.isEmpty()) return QStringLiteral("机构名称没有填写");
  if (name.size() > kMaxShopName) return QStringLiteral("机构名称不能多于%1个字").arg(kMaxShopName);
  if (card.address.trimmed().size() > kMaxAddress) return QStringLiteral("地址不能多于%1个字").arg(kMaxAddress);
  if (card.contactName.trimmed().size() > kMaxContactName)
    return QStringLiteral("联系人不能多于%1个字").arg(kMaxContactName);
  const QString tel = card.tel.trimmed();
  if (tel.size() > kMaxShopTel) return QStringLiteral("电话不能多于%1位").arg(kMaxShopTel);
  for (QChar c : tel)
    if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char('-'))
      return QStringLiteral("电话只能填写数字和“-”");
  return {};
}

SettingsOutcome saveShopCard(TDMServer& dm, const QString& shopId, const ShopCard& card) {
  if (QString refusal = checkShopCard(card); !refusal.isEmpty()) return {false, refusal};
  dm.clearLastError();
  bool idOk = false;
  const qlonglong shop = shopId.trimmed().toLongLong(&idOk);
  const SettingsOutcome failed{false, QStringLiteral("保存失败")};
  if (!idOk) return failed;
  // The statement hands back the id of the row it changed: no row, no success.
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("update shop set name=?,address=?,contactName=?,tel=? where id=? returning id"),
                              {card.name.trimmed(), card.address.trimmed(), card.contactName.trimmed(),
                               card.tel.trimmed(), shop}),
                          true);
  if (!q) return {false, saveFailedMessage(dm)};
  const bool changed = q->next();
  q->finish();
  if (!changed) return failed;
  return {true, QStringLiteral("保存成功")};
}

QString shopPicturePath(const QString& pictureDir, const QString& shopId) {
  return QDir(pictureDir).filePath(shopId + QStringLiteral(".png"));
}

std::optional<QList<HerbTreeNode>> loadHerbTree(TDMServer& dm) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("Select tree from tbltree where tblname=?"), {QStringLiteral("her")}), true);
  if (!q) return std::nullopt;
  QList<HerbTreeNode> tree;
  if (q->next()) tree = parseHerbTree(herbTreeText(q->value(0)));
  q->finish();
  return tree;
}

bool herbSearchAllowed(const QString& text) {
  for (QChar c : text) {
    if (c == QLatin1Char('\'')) return false;
    if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')))
      return false;
  }
  return true;
}

std::optional<QList<HerbMatch>> searchHerbCatalogue(TDMServer& dm, const QString& text) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select top %1 id,name from herb where name like ? escape '\\' order by id")
                                  .arg(kHerbSearchLimit),
                              {likeContains(text.trimmed())}),
                          true);
  if (!q) return std::nullopt;
  QList<HerbMatch> found;
  while (q->next()) found.append({q->value(0).toString(), q->value(1).toString()});
  if (!dm.rowsReadToEnd(*q)) return std::nullopt;
  q->finish();
  return found;
}

QString formatAmount(const QVariant& value) {
  const double v = value.toDouble();
  if (!std::isfinite(v)) return QStringLiteral("0.00");
  // Amounts are kept with four decimals; the nudge rounds a written half up
  // (away from zero) where its binary value lies just below it.
  const double nudged = v + (v < 0 ? -1e-9 : 1e-9);
  QString s = QString::number(nudged, 'f', 2);
  if (s == QLatin1String("-0.00")) s = QStringLiteral("0.00");
  return s;
}

std::optional<HerbStock> loadHerbStock(TDMServer& dm, const QString& shopId, const QString& herbId) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select price,stock from herb_shop where id =? and shopid=?"),
                              {herbId.toLongLong(), shopId.toLongLong()}),
                          true);
  if (!q) return std::nullopt;
  HerbStock s{QStringLiteral("0.00"), QStringLiteral("0.00")};
  if (q->next()) s = {formatAmount(q->value(0)), formatAmount(q->value(1))};
  q->finish();
  return s;
}

HerbChoice chooseHerb(TDMServer& dm, const QString& shopId, const HerbMatch& match) {
  HerbChoice c;
  c.herb = {match.id, match.name};
  if (!c.herb.chosen()) return c;
  c.stock = loadHerbStock(dm, shopId, match.id);
  if (!c.stock) c.message = QStringLiteral("查询中药价格出错");
  return c;
}

HerbChoice chooseHerbByName(TDMServer& dm, const QString& shopId, const QString& name) {
  QString id = dm.getHerbId(name);
  // "0": the look-up failed (the gateway has shown why); no herb is chosen then.
  if (id == QLatin1String("0")) id.clear();
  return chooseHerb(dm, shopId, {id, name});
}

std::optional<double> parseAmount(const QString& text) {
  static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
  const QString t = text.trimmed();
  if (!number.match(t).hasMatch()) return std::nullopt;
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v + 0.0;
}

QString checkHerbPriceInput(const ChosenHerb& herb, const QString& nameBox, const QString& price,
                            const QString& stock) {
  const std::optional<double> p = parseAmount(price);
  if (!p) return QStringLiteral("药品价格只能填写数字");
  if (*p > kMaxPrice) return QStringLiteral("药品价格太大");
  if (*p < 0) return QStringLiteral("药品价格不能小于0");
  // The name box must still show the chosen herb: a price never lands on a
  // herb the clerk is not looking at.
  if (!herb.chosen() || nameBox.trimmed() != herb.name) return QStringLiteral("未选择一个中药");
  const std::optional<double> s = parseAmount(stock);
  if (!s) return QStringLiteral("库存只能填写数字");
  if (*s < 0) return QStringLiteral("库存不能小于0");
  if (*s > kMaxStock) return QStringLiteral("库存太大");
  return {};
}

PriceSaveOutcome saveHerbPrice(TDMServer& dm, const QString& shopId, const ChosenHerb& herb, const QString& nameBox,
                               const QString& price, const QString& stock) {
  PriceSaveOutcome out;
  out.message = checkHerbPriceInput(herb, nameBox, price, stock);
  if (!out.message.isEmpty()) return out;
  const double p = toStoredAmount(*parseAmount(price));
  const double s = toStoredAmount(*parseAmount(stock));
  const qlonglong herbId = herb.id.toLongLong();
  const qlonglong shop = shopId.toLongLong();
  dm.clearLastError();
  out.message = QStringLiteral("保存失败");
  QSqlQuery* q = dm.GetDB(
      Sql(QStringLiteral("select count(*) from herb_shop where id=? and shopId=?"), {herbId, shop}), true);
  if (!q) {
    out.message = saveFailedMessage(dm);
    return out;
  }
  const bool hasRow = q->next() && q->value(0).toInt() > 0;
  q->finish();
  // A catalogue herb the shop has not priced yet gets the shop's row.
  const Sql write = hasRow ? Sql(QStringLiteral("update herb_shop set price=?,stock=? where id=? and shopId=?"),
                                 {p, s, herbId, shop})
                           : Sql(QStringLiteral("insert into herb_shop(shopId,id,name,price,stock) values(?,?,?,?,?)"),
                                 {shop, herbId, herb.name, p, s});
  if (!dm.ExecSql(write, true)) {
    out.message = saveFailedMessage(dm);
    return out;
  }
  out.ok = true;
  out.price = p;
  out.message = QStringLiteral("保存成功");
  return out;
}

void putHerbPrice(AliasList* list, const QString& id, const QString& name, double price) {
  bool listed = false;
  for (AliasItem& item : *list) {
    if (item.entry.id != id) continue;
    item.entry.price = price;
    listed = true;
  }
  if (listed) return;
  AliasItem item;
  item.text = name;
  item.entry.id = id;
  item.entry.price = price;
  list->append(std::move(item));
}

}  // namespace tcm
