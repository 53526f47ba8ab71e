// A save that fails names its cause: each failure made for real (another
// window's write lock, a read-only fm.db, a file that cannot be opened, a
// PostgreSQL server that does not answer), every save routine that says
// "保存失败" checked against it, and nothing written.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

#include "customer/customer_record.h"
#include "customer/dm_risk.h"
#include "db/failure_cause.h"
#include "prescription/food_prescription.h"
#include "prescription/visit_save.h"
#include "shop/shop_settings.h"
#include "test_support.h"

using namespace tcm;
using namespace tcm::test;

namespace {

enum class Failure { Locked, ReadOnly, CannotOpen, ServerGone };

struct Case {
  const char* name;
  RemoteKind kind;
  Failure failure;
  QString cause;
  bool readsFail;  // reads fail too: a visit's look-up fails, and the gateway has shown that
};

int count(TDMServer& dm, const QString& table) {
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select count(*) from ") + table), true);
  return q && q->next() ? q->value(0).toInt() : -1;
}

// Makes a file unwritable for this process: its mode for a normal user; for
// root, whom modes do not stop, the immutable attribute. Undone at the end.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(QString path) : path_(std::move(path)) {
    if (geteuid() == 0) {
      immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
      ok_ = immutable_;
    } else {
      ok_ = QFile::setPermissions(path_, QFileDevice::ReadOwner);
    }
  }
  ~ReadOnlyFile() {
    if (immutable_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
    else QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  }
  bool ok() const { return ok_; }

 private:
  QString path_;
  bool immutable_ = false, ok_ = false;
};

}  // namespace

TEST(SaveFailureCause, EverySaveNamesTheCauseAndWritesNothing) {
  const QString lockCause = QStringLiteral("数据库正被另一窗口占用");
  const QList<Case> cases = {
      {"another window holds the write lock", RemoteKind::Sqlite, Failure::Locked, lockCause, false},
      {"fm.db is read-only", RemoteKind::Sqlite, Failure::ReadOnly, QStringLiteral("数据文件只读"), false},
      {"fm.db cannot be opened", RemoteKind::Sqlite, Failure::CannotOpen, QStringLiteral("无法打开数据文件"), true},
      {"the server does not answer", RemoteKind::Postgres, Failure::ServerGone, QStringLiteral("无法连接数据库服务器"),
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DataFolder folder(c.kind);
    if (folder.postgresMissing() && !qEnvironmentVariableIsSet("CI")) continue;  // no server: that row only
    ASSERT_TRUE(folder.ok()) << folder.error().toStdString();
    RecordingMessages checkerMessages;
    std::unique_ptr<TDMServer> checker = folder.server(&checkerMessages);
    const CustomerSave known =
        saveCustomer(*checker, "1", QString(), {QStringLiteral("老客"), QStringLiteral("女"), "40", "13800002222", ""},
                     QDate(2026, 3, 14));
    ASSERT_TRUE(known.ok) << known.message.toStdString();
    const int customersBefore = count(*checker, QStringLiteral("pat"));
    const int visitsBefore = count(*checker, QStringLiteral("pat_med"));
    const int pricesBefore = count(*checker, QStringLiteral("herb_shop"));

    // The failure, made for real.
    DbSettings saving = folder.settings();
    saving.sqliteBusyTimeoutMs = 200;
    std::unique_ptr<ReadOnlyFile> readOnly;
    std::unique_ptr<QSqlQuery> holder;
    QTemporaryDir elsewhere;
    switch (c.failure) {
      case Failure::Locked: {
        QSqlDatabase& held = checker->remoteConnection();
        ASSERT_TRUE(held.transaction());
        holder = std::make_unique<QSqlQuery>(held);
        ASSERT_TRUE(holder->exec(QStringLiteral("update pat set dm = 'x' where PatId = 0")));  // takes the write lock
        break;
      }
      case Failure::ReadOnly:
        checker.reset();  // the file as a fresh client finds it
        readOnly = std::make_unique<ReadOnlyFile>(folder.settings().remoteDbPath());
        if (!readOnly->ok()) GTEST_SKIP() << "cannot make fm.db read-only here (chattr for root)";
        break;
      case Failure::CannotOpen:
        // A folder where the file should be: it exists, and SQLite cannot open it.
        ASSERT_TRUE(QDir(elsewhere.path()).mkdir(QStringLiteral("fm.db")));
        saving.remoteUrl = QStringLiteral("sqlite:") + elsewhere.filePath(QStringLiteral("fm.db"));
        break;
      case Failure::ServerGone:
        saving = withUnreachableRemote(saving);
        break;
    }

    RecordingMessages messages;
    TDMServer dm(saving, &messages);
    const QString failed = QStringLiteral("保存失败：") + c.cause;
    const CustomerSave added =
        saveCustomer(dm, "1", QString(), {QStringLiteral("新客"), QStringLiteral("男"), "30", "13800001111", ""},
                     QDate(2026, 3, 14));
    EXPECT_FALSE(added.ok);
    EXPECT_EQ(added.message, failed);
    EXPECT_EQ(saveDmClass(dm, "1", known.patId, QStringLiteral("高危型")).message, failed);
    EXPECT_EQ(saveShopCard(dm, "1", {QStringLiteral("示范店"), QStringLiteral("北京路1号"), QStringLiteral("李"), "010-1"}).message,
              failed);
    EXPECT_EQ(saveHerbPrice(dm, "1", {"1", QStringLiteral("人参")}, QStringLiteral("人参"), "2.5", "10").message, failed);

    VisitPrescription p;
    p.shopId = "1";
    p.patId = known.patId;
    p.mzno = QStringLiteral("2026031400001083000");
    p.side = PrescriptionSide::Herb;
    p.disease = QStringLiteral("气虚质");
    p.displayText = QStringLiteral("黄芪10克");
    p.idsText = "1";
    p.priceText = "3.5";
    p.today = QDate(2026, 3, 14);
    const VisitSaveResult herb = saveVisitPrescription(dm, p);
    p.side = PrescriptionSide::Food;
    p.displayText = QStringLiteral("山药粥");
    const VisitSaveResult food = saveVisitPrescription(dm, p);
    if (c.readsFail) {
      // The look-up already failed and the gateway showed why; nothing more to say.
      EXPECT_EQ(visitSaveMessage(herb, &dm), QString());
      EXPECT_EQ(foodSaveMessage(food, &dm), QString());
      EXPECT_FALSE(messages.dbErrors.isEmpty());
    } else {
      EXPECT_EQ(visitSaveMessage(herb, &dm), failed);
      EXPECT_EQ(foodSaveMessage(food, &dm), failed + QStringLiteral("，重新保存"));
    }

    // Nothing was written; once the cause is gone a save goes through.
    holder.reset();
    if (c.failure == Failure::Locked) {
      ASSERT_TRUE(checker->remoteConnection().rollback());
    }
    readOnly.reset();
    checker = folder.server(&checkerMessages);
    EXPECT_EQ(count(*checker, QStringLiteral("pat")), customersBefore);
    EXPECT_EQ(count(*checker, QStringLiteral("pat_med")), visitsBefore);
    EXPECT_EQ(count(*checker, QStringLiteral("herb_shop")), pricesBefore);
    p.side = PrescriptionSide::Herb;
    EXPECT_EQ(saveVisitPrescription(*checker, p), VisitSaveResult::Saved);
  }
}

// A failure the clerk cannot act on keeps the plain message, and a cause never
// outlives its save: a later save that fails on its own check names none.
TEST(SaveFailureCause, OtherFailuresAndLaterSavesKeepThePlainMessage) {
  DataFolder folder(RemoteKind::Sqlite);
  TCM_REQUIRE_FOLDER(folder);
  RecordingMessages messages;
  std::unique_ptr<TDMServer> dm = folder.server(&messages);
  DbSettings patient = folder.settings();
  patient.sqliteBusyTimeoutMs = 200;
  TDMServer saving(patient, &messages);
  QSqlDatabase& held = dm->remoteConnection();
  ASSERT_TRUE(held.transaction());
  {
    QSqlQuery q(held);
    ASSERT_TRUE(q.exec(QStringLiteral("update pat set dm = 'x' where PatId = 0")));
    EXPECT_EQ(saveShopCard(saving, "1", {QStringLiteral("示范店"), "", "", ""}).message,
              QStringLiteral("保存失败：数据库正被另一窗口占用"));
    EXPECT_EQ(failureCause(saving), QStringLiteral("数据库正被另一窗口占用"));
  }
  ASSERT_TRUE(held.rollback());
  // A correction of no valid customer fails before any statement: no cause.
  EXPECT_EQ(saveCustomer(saving, "1", "x", {QStringLiteral("新客"), QStringLiteral("男"), "30", "13800001111", ""},
                         QDate(2026, 3, 14))
                .message,
            QStringLiteral("保存失败"));
  // A statement the database refuses (a table gone) is no cause the clerk can act on.
  ASSERT_TRUE(dm->ExecSql(Sql(QStringLiteral("alter table pat rename to pat_gone")), true));
  EXPECT_EQ(saveDmClass(saving, "1", "1", QStringLiteral("高危型")).message, QStringLiteral("保存失败"));
  EXPECT_TRUE(failureCause(saving).isEmpty());
}
