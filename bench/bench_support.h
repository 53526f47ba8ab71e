#pragma once
// Pieces the benchmarks that generate a large shop share.
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>
#include <map>
#include <memory>

#include "test_support.h"

namespace tcm::bench {

// Runs one generating statement; its values are bound. A statement without
// values is run unprepared (PostgreSQL cannot prepare every such statement).
inline bool exec(QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error) {
  QSqlQuery q(db);
  bool ran = false;
  if (values.isEmpty()) {
    ran = q.exec(sql);
  } else {
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    ran = q.exec();
  }
  if (ran) return true;
  *error = q.lastError().text() + QStringLiteral(" — ") + sql.left(120);
  return false;
}

// The large shop of a benchmark program on one kind of database: a data
// folder generated once by `generate` and kept for the program's life. `Shop`
// has the members folder, quiet, dm and error. The connections close while the
// application object still stands, before the temporary PostgreSQL database
// is dropped.
template <class Shop>
Shop* generatedShop(tcm::test::RemoteKind kind, bool (*generate)(Shop&, tcm::test::RemoteKind)) {
  static std::map<tcm::test::RemoteKind, Shop*> shops;
  if (auto it = shops.find(kind); it != shops.end()) return it->second;
  if (shops.empty()) {
    qAddPostRoutine([] {
      for (auto& [k, s] : shops) {
        s->dm.reset();
        s->folder.reset();  // drops the PostgreSQL database
      }
    });
  }
  auto* shop = new Shop;
  shops[kind] = shop;
  shop->folder = std::make_unique<tcm::test::DataFolder>(kind);
  if (!shop->folder->ok()) {
    shop->error = shop->folder->error();
    return shop;
  }
  shop->dm = shop->folder->server(&shop->quiet);
  if (!generate(*shop, kind) && shop->error.isEmpty()) shop->error = QStringLiteral("generation failed");
  return shop;
}

}  // namespace tcm::bench
