// Several counters at once, each a process of its own with its own connection:
// two windows of one shop on the embedded fm.db, and eight counters of two shops
// on one PostgreSQL server. Afterwards the database is held against what each
// counter reported.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>

#include "crypto/aes_hex.h"
#include "customer/customer_search.h"
#include "customer/customer_record.h"
#include "db/gateway.h"
#include "prescription/visit_save.h"
#include "text/item_list.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

const QDateTime kBase(QDate(2026, 3, 14), QTime(9, 26, 53));

struct Journal {
  QString shop;
  QList<QStringList> lines;
  int exitCode = -1;
  QString errors;
};

// Starts one process per (shop, counter), releases them together and collects their journals.
QList<Journal> runCounters(const DataFolder& folder, const QList<QPair<QString, int>>& counters,
                           const QHash<QString, QString>& sharedPat, int ops) {
  const QString go = QDir(folder.path()).filePath(QStringLiteral("go"));
  std::vector<std::unique_ptr<QProcess>> procs;
  QList<Journal> journals;
  for (const auto& [shop, k] : counters) {
    auto p = std::make_unique<QProcess>();
    QStringList args{"--data", folder.path(), "--shop", shop, "--counter", QString::number(k), "--ops",
                     QString::number(ops), "--shared-pat", sharedPat.value(shop), "--base",
                     kBase.toString("yyyyMMddhhmmss"), "--go", go};
    if (!folder.settings().remoteUrl.isEmpty()) args << "--remote" << folder.settings().remoteUrl;
    p->start(QStringLiteral(TCM_CHAIN_COUNTER), args);
    EXPECT_TRUE(p->waitForStarted());
    procs.push_back(std::move(p));
    journals.append(Journal{shop, {}, -1, {}});
  }
  QFile(go).open(QIODevice::WriteOnly);
  for (size_t i = 0; i < procs.size(); ++i) {
    EXPECT_TRUE(procs[i]->waitForFinished(240000));
    journals[i].exitCode = procs[i]->exitCode();
    for (const QString& l : QString::fromUtf8(procs[i]->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
      journals[i].lines.append(l.split('\t'));
    journals[i].errors = QString::fromUtf8(procs[i]->readAllStandardError());
  }
  return journals;
}

QString registerShared(TDMServer& dm, qint64 shop) {
  const std::optional<qint64> id = dm.InsertAndGetId(
      Sql("insert into pat(shopId,Name,Gender,Age,wrDate) values(?,?,?,?,?)", {shop, QStringLiteral("常客"), QStringLiteral("女"), "50", "2026-03-14"}),
      "PatId", true);
  return id ? QString::number(*id) : QString();
}

// One value of the first row; empty when there is none.
QStringList row(TDMServer& dm, const QString& sql, const QVariantList& values) {
  QSqlQuery* q = dm.GetDB(Sql(sql, values), true);
  QStringList out;
  if (q && q->next())
    for (int i = 0; i < q->record().count(); ++i) out << q->value(i).toString();
  if (q) q->finish();
  return out;
}

int count(TDMServer& dm, const QString& sql, const QVariantList& values) {
  const QStringList v = row(dm, sql, values);
  return v.isEmpty() ? -1 : v[0].toInt();
}

double money(const QString& text) { return text.toDouble(); }

class Counters : public ::testing::TestWithParam<RemoteKind> {};

TEST_P(Counters, EverySaveOfEveryCounterIsThereAsWritten) {
  DataFolder folder(GetParam(), /*withKnowledge=*/true);
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  auto dm = folder.server(&messages);
  // The embedded file: one shop with two windows open. The server: two shops, four counters each.
  const bool server = GetParam() == RemoteKind::Postgres;
  const QStringList shops = server ? QStringList{"1", "2"} : QStringList{"1"};
  const int perShop = server ? 4 : 2;
  const int ops = server ? 40 : 50;
  QHash<QString, QString> shared;
  for (const QString& s : shops) {
    shared[s] = registerShared(*dm, s.toLongLong());
    ASSERT_FALSE(shared[s].isEmpty());
  }
  QHash<QString, int> patsBefore, visitsBefore;
  for (const QString& s : shops) {
    patsBefore[s] = row(*dm, "select count(*) from pat where shopId = ?", {s.toLongLong()}).value(0).toInt();
    visitsBefore[s] = row(*dm, "select count(*) from pat_med where shopId = ?", {s.toLongLong()}).value(0).toInt();
  }
  QList<QPair<QString, int>> counters;
  for (const QString& s : shops)
    for (int k = 0; k < perShop; ++k) counters.append({s, k});

  const QList<Journal> journals = runCounters(folder, counters, shared, ops);

  // What the counters reported.
  QHash<QString, int> registered;                 // shop -> customers registered
  QList<QStringList> sharedSaves;                // shop, then the journal line of a save into the shared visit
  int operations = 0;
  for (const Journal& j : journals) {
    ASSERT_EQ(j.exitCode, 0) << j.errors.toStdString();
    ASSERT_FALSE(j.lines.isEmpty());
    EXPECT_EQ(j.lines.first().value(1), "ok") << j.lines.first().join(' ').toStdString();
    EXPECT_EQ(j.lines.last().value(0), "done");
    QHash<QString, QString> dmOf;
    for (const QStringList& l : j.lines) {
      const QString what = l.value(0);
      // No counter saw a locked database or any other failure; a failure would carry its message.
      EXPECT_FALSE(l.join(' ').contains("locked", Qt::CaseInsensitive)) << l.join(' ').toStdString();
      EXPECT_NE(what, "dberror") << l.join(' ').toStdString();
      EXPECT_NE(what, "message") << l.join(' ').toStdString();
      if (what == "start" || what == "setup" || what == "done") continue;
      ++operations;
      ASSERT_EQ(l.value(1), "ok") << l.join(' ').toStdString();
      if (what == "pat") {
        ++registered[j.shop];
        QStringList v = row(*dm, "select shopId,Name,Gender,Age,Tel,Address from pat where PatId = ?", {l[2].toLongLong()});
        ASSERT_EQ(v.size(), 6);
        v[4] = decryptForDisplay(v[4]);  // phone and address are kept enciphered
        v[5] = decryptForDisplay(v[5]);
        EXPECT_EQ(v.join('|'), QStringList({j.shop, l[3], l[4], l[5], l[6], l[7]}).join('|'));
      } else if (what == "herb") {
        const QStringList v = row(*dm,
                                  "select count(*) over (),Herb,HerbIds,herbPrice,Disease from pat_med "
                                  "where shopId = ? and patId = ? and MZNO = ?",
                                  {j.shop.toLongLong(), l[2].toLongLong(), l[3]});
        ASSERT_EQ(v.size(), 5) << l.join(' ').toStdString();
        EXPECT_EQ(v[0], "1");  // one visit, not two
        EXPECT_EQ(v[1], l[4]);
        EXPECT_EQ(v[2], l[5]);
        EXPECT_DOUBLE_EQ(money(v[3]), money(l[6]));
        EXPECT_EQ(v[4], l[7]);
        EXPECT_EQ(row(*dm, "select bodyType from pat where PatId = ?", {l[2].toLongLong()}).join('|'), l[7]);
      } else if (what == "food") {
        const QStringList v = row(*dm, "select food,foodIds,foodPrice from pat_med where shopId = ? and patId = ? and MZNO = ?",
                                  {j.shop.toLongLong(), l[2].toLongLong(), l[3]});
        ASSERT_EQ(v.size(), 3);
        EXPECT_EQ(v[0], l[4]);
        EXPECT_EQ(v[1], l[5]);
        EXPECT_DOUBLE_EQ(money(v[2]), money(l[6]));
      } else if (what == "dm") {
        dmOf[l[2]] = l[3];
      } else if (what == "shared") {
        sharedSaves.append(QStringList{j.shop} + l);
      } else if (what == "list") {
        EXPECT_EQ(l[3], "0") << "own customers missing from the list";
        EXPECT_EQ(l[4], "0") << "customers of another shop listed";
      }
    }
    for (auto it = dmOf.cbegin(); it != dmOf.cend(); ++it)
      EXPECT_EQ(row(*dm, "select dm from pat where PatId = ?", {it.key().toLongLong()}).join('|'), it.value());
  }
  EXPECT_GE(operations, counters.size() * ops * 7);

  // The visits two counters shared: one row per visit number, and each side
  // holds exactly what the one counter that wrote it reported saving.
  QHash<QString, int> sidesSaved;  // shop|mzno -> sides reported saved
  for (const QStringList& save : sharedSaves) {
    const QString shop = save[0], mzno = save[4], side = save[5];
    const QString columns = side == "herb" ? "Herb,HerbIds,herbPrice" : "food,foodIds,foodPrice";
    const QStringList v = row(*dm, "select count(*) over ()," + columns + " from pat_med where shopId = ? and patId = ? and MZNO = ?",
                              {shop.toLongLong(), shared[shop].toLongLong(), mzno});
    ASSERT_EQ(v.size(), 4) << save.join(' ').toStdString();
    EXPECT_EQ(v[0], "1") << mzno.toStdString();
    EXPECT_EQ(v[1], save[6]) << "lost save: " << save.join(' ').toStdString();
    EXPECT_EQ(v[2], save[7]) << save.join(' ').toStdString();
    EXPECT_DOUBLE_EQ(money(v[3]), money(save[8])) << save.join(' ').toStdString();
    ++sidesSaved[shop + '|' + mzno];
  }
  EXPECT_EQ(sidesSaved.size(), shops.size() * (perShop / 2) * ops);
  for (auto it = sidesSaved.cbegin(); it != sidesSaved.cend(); ++it) EXPECT_EQ(it.value(), 2) << it.key().toStdString();
  for (const QString& s : shops) {
    // Every customer registered in the same second keeps a visit of its own under the same number.
    EXPECT_EQ(count(*dm, "select count(*) from pat_med where shopId = ? and MZNO = ?", {s.toLongLong(), GetMZNO(kBase, s)}),
              registered[s]);
    // Nothing more, nothing less: the customers registered, their visits and the shared customer's visits.
    EXPECT_EQ(count(*dm, "select count(*) from pat where shopId = ?", {s.toLongLong()}), patsBefore[s] + registered[s]);
    EXPECT_EQ(count(*dm, "select count(*) from pat_med where shopId = ?", {s.toLongLong()}),
              visitsBefore[s] + registered[s] + (perShop / 2) * ops);
    // Visit numbers keep their form: date, the shop padded to five digits, time.
    QSqlQuery* q = dm->GetDB(Sql("select MZNO from pat_med where shopId = ?", {s.toLongLong()}), true);
    ASSERT_NE(q, nullptr);
    const QRegularExpression form("^\\d{8}" + fmt(s) + "\\d{6}$");
    while (q->next()) EXPECT_TRUE(form.match(q->value(0).toString()).hasMatch()) << q->value(0).toString().toStdString();
  }
  // No visit of one shop points at a customer of another.
  EXPECT_EQ(count(*dm,
                  "select count(*) from pat_med m where not exists "
                  "(select 1 from pat p where p.PatId = m.patId and p.shopId = m.shopId)",
                  {}),
            0);
  if (!server) {
    // Both windows shared the file through the write-ahead log.
    EXPECT_EQ(row(*dm, "PRAGMA journal_mode", {}).join('|'), "wal");
  }
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join(',').toStdString();
}

// Another window holds the file's write lock longer than a save waits: the save
// says "保存失败", writes nothing, and goes through once the lock is free.
TEST(TwoWindows, ASaveThatCannotGetTheLockSaysSoAndChangesNothing) {
  DataFolder folder(RemoteKind::Sqlite);
  TCM_REQUIRE_FOLDER(folder);
  DbSettings patient = folder.settings();
  patient.sqliteBusyTimeoutMs = 200;
  RecordingMessages messages, otherMessages;
  TDMServer dm(patient, &messages);
  TDMServer other(folder.settings(), &otherMessages);
  const QString pat = registerShared(dm, 1);
  ASSERT_FALSE(pat.isEmpty());
  VisitPrescription p;
  p.shopId = "1";
  p.patId = pat;
  p.mzno = GetMZNO(kBase, "1");
  p.side = PrescriptionSide::Herb;
  p.disease = QStringLiteral("气虚质");
  p.displayText = QStringLiteral("黄芪10克");
  p.idsText = "1";
  p.priceText = "3.5";
  p.today = kBase.date();

  QSqlDatabase& held = other.remoteConnection();
  ASSERT_TRUE(held.transaction());
  QSqlQuery q(held);
  ASSERT_TRUE(q.exec("update pat set dm = 'x' where PatId = 0"));  // takes the write lock
  const VisitSaveResult r = saveVisitPrescription(dm, p);
  EXPECT_EQ(r, VisitSaveResult::Failed);
  EXPECT_EQ(visitSaveMessage(r), QStringLiteral("保存失败"));
  const CustomerSave c = saveCustomer(dm, "1", QString(), CustomerForm{QStringLiteral("新客"), QStringLiteral("男"), "30", "13800001111", ""},
                                      kBase.date());
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.message, QStringLiteral("保存失败：数据库正被另一窗口占用"));
  q.finish();
  ASSERT_TRUE(held.rollback());

  EXPECT_EQ(count(dm, "select count(*) from pat_med where patId = ?", {pat.toLongLong()}), 0);
  EXPECT_EQ(count(dm, "select count(*) from pat where Name = ?", {QStringLiteral("新客")}), 0);
  EXPECT_EQ(saveVisitPrescription(dm, p), VisitSaveResult::Saved);
  EXPECT_EQ(row(dm, "select Herb from pat_med where patId = ?", {pat.toLongLong()}).join('|'), QStringLiteral("黄芪10克"));
  EXPECT_TRUE(saveCustomer(dm, "1", QString(), CustomerForm{QStringLiteral("新客"), QStringLiteral("男"), "30", "13800001111", ""},
                           kBase.date())
                  .ok);
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, Counters, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
