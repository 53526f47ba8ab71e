#pragma once
// The symptom vocabulary (searched by name or pinyin initials) and the shop's
// herb price list, both kept in memory after login.
#include <QList>
#include <QString>

namespace tcm {

class TDMServer;

// A vocabulary entry or a herb price entry.
struct TAliease {
  QString id;
  QString classId;
  QString pinyin;
  QString name;
  double price = 0;
  QString mutex;
  QString gender;
  QString ids;
};

// One item of a list: the item text and its entry.
struct AliasItem {
  QString text;  // vocabulary: the stored enciphered name; herb prices: the herb name
  TAliease entry;
};

using AliasList = QList<AliasItem>;

// Appends the findings of the local vocabulary in load order; names deciphered once here.
// False (failure shown, nothing appended) when the query failed or its reading broke off.
bool GetAliases(TDMServer& dm, AliasList* LstAliases);

// Replaces the list with the herbs of the shop and their prices: a reload after a
// price change never leaves the earlier price in front. False (failure shown, list
// unchanged) when the query failed or its reading broke off.
[[nodiscard]] bool GetHerbPriceList(TDMServer& dm, const QString& shopId, AliasList* LstHerbPrice);

// Price of the first entry with exactly this herb id; 0 when there is none.
double GetHerbPriceById(const AliasList& LstHerbPrice, const QString& herId);

}  // namespace tcm
