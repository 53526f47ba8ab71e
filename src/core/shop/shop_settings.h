#pragma once
// The shop's settings: the login password, the shop card, and the shop's herb
// prices and stock with the herb tree and the catalogue search that pick them.
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "entry/vocabulary.h"
#include "shop/herb_tree.h"

namespace tcm {

class TDMServer;
struct LoginState;

// What a fallible step hands back: the text to show (success or failure).
struct SettingsOutcome {
  bool ok = false;
  QString message;
};

// ---- Password -------------------------------------------------------------

// The message for a new password that may not be stored; empty when it may.
// The password is kept trimmed, so the limits hold for the trimmed text.
QString checkNewPassword(const QString& newPassword);

// Checks the boxes in order (length, characters, old password), then stores
// the trimmed new password in the form the login compares with. On success the
// new password is the one the next change must be given as the old one, and a
// password remembered in set.ini for this account is replaced by it, so the
// next start logs in with what the account now holds.
SettingsOutcome changePassword(TDMServer& dm, LoginState* state, const QString& oldPassword,
                               const QString& newPassword);

// ---- Shop card ------------------------------------------------------------

struct ShopCard {
  QString name;
  QString address;
  QString contactName;
  QString tel;
};

// The shop's row; nullopt when the query failed or the shop has no row.
std::optional<ShopCard> loadShopCard(TDMServer& dm, const QString& shopId);

// The message for a card whose boxes may not be stored; empty when they may.
// The texts are judged trimmed, as they are stored.
QString checkShopCard(const ShopCard& card);

// Checks the card, then writes its four texts, trimmed, to the shop's row.
// Success is the row the update changed: a shop without a row is "保存失败".
SettingsOutcome saveShopCard(TDMServer& dm, const QString& shopId, const ShopCard& card);

// "PR/<shop id>.png" in the picture folder.
QString shopPicturePath(const QString& pictureDir, const QString& shopId);

// ---- Herb tree and catalogue ----------------------------------------------

// The tree of the price maintenance; nullopt when the query failed.
std::optional<QList<HerbTreeNode>> loadHerbTree(TDMServer& dm);

inline constexpr int kHerbSearchLimit = 10;

struct HerbMatch {
  QString id;
  QString name;
};

// A name box text is searched unless it holds "'" or a Latin letter.
bool herbSearchAllowed(const QString& text);

// Catalogue herbs whose name contains the trimmed text, by id, at most
// kHerbSearchLimit; nullopt when the query failed.
std::optional<QList<HerbMatch>> searchHerbCatalogue(TDMServer& dm, const QString& text);

// The drop-down is offered only for a choice between two or more herbs.
inline bool herbDropDownWanted(qsizetype matches) { return matches >= 2; }

// ---- Price and stock ------------------------------------------------------

// The herb last chosen from the tree or the drop-down.
struct ChosenHerb {
  QString id;  // empty until a catalogue herb is chosen
  QString name;
  bool chosen() const { return !id.isEmpty(); }
};

// Price and stock as shown in the boxes ("0.00").
struct HerbStock {
  QString price;
  QString stock;
};

// A decimal value formatted "0.00", rounded half away from zero.
QString formatAmount(const QVariant& value);

// The shop's price and stock of a herb ("0.00" both when the shop has no row
// for it); nullopt when the query failed.
std::optional<HerbStock> loadHerbStock(TDMServer& dm, const QString& shopId, const QString& herbId);

// Choosing a herb by name (the tree): its catalogue id and the shop's price and stock.
struct HerbChoice {
  ChosenHerb herb;                 // id empty when the name is no catalogue herb
  std::optional<HerbStock> stock;  // set when the herb is known and its price was read
  QString message;                 // "查询中药价格出错" when that read failed
};
HerbChoice chooseHerbByName(TDMServer& dm, const QString& shopId, const QString& name);
// Choosing a herb whose id is known (the drop-down).
HerbChoice chooseHerb(TDMServer& dm, const QString& shopId, const HerbMatch& match);

// A decimal number as typed: optional sign, digits, optional fraction.
std::optional<double> parseAmount(const QString& text);

// The message for price and stock boxes that may not be saved for `herb`
// while the name box reads `nameBox`; empty when they may.
QString checkHerbPriceInput(const ChosenHerb& herb, const QString& nameBox, const QString& price,
                            const QString& stock);

struct PriceSaveOutcome : SettingsOutcome {
  double price = 0;  // the saved price
};

// Checks the boxes, then writes price and stock to the shop's row of the herb,
// creating that row when the shop has none yet.
PriceSaveOutcome saveHerbPrice(TDMServer& dm, const QString& shopId, const ChosenHerb& herb, const QString& nameBox,
                               const QString& price, const QString& stock);

// The shop's price list of the editors after a saved price: every entry of
// the herb takes the new price; a herb not listed yet is appended.
void putHerbPrice(AliasList* list, const QString& id, const QString& name, double price);

}  // namespace tcm
