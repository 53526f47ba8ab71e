// One shop counter as a process of its own, for the tests of several counters
// at once: it registers customers, runs identifications, saves herbal and food
// prescriptions into visits (first save, then a change), records the diabetes
// class and lists the shop's customers, through the same core routines the
// windows call. Every operation and what it reported is written to standard
// output as one tab-separated line, so the test can hold the database against it.
//
// It starts as the client does (an interrupted restore finished, every
// embedded database locked, an older schema refused: "start fail <message>").
// With a shared customer, counters K and K^1 of a shop are a pair: before each
// of their saves into the shared customer's visit both wait for the other, then
// one writes the herbal side and the other the food side of the same new visit,
// each with a text only it writes.
//
//   chain_counter --data DIR [--remote URL] --shop S --counter K --ops N
//                 --shared-pat P --base yyyyMMddhhmmss [--go FILE]
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSet>
#include <QSqlQuery>
#include <QTextStream>
#include <QThread>

#include "customer/customer_list.h"
#include "customer/customer_record.h"
#include "customer/customer_search.h"
#include "customer/dm_risk.h"
#include "db/backup.h"
#include "db/gateway.h"
#include "kb/knowledge_loader.h"
#include "engine/identification.h"
#include "engine/syndrome_engine.h"
#include "entry/vocabulary.h"
#include "messages.h"
#include "prescription/visit_save.h"

namespace {

QTextStream out(stdout);

void line(const QStringList& fields) {
  out << fields.join(QLatin1Char('\t')) << '\n';
  out.flush();
}

// What the windows would have shown, in the journal.
class JournalMessages : public tcm::Messages {
 public:
  void showMessage(const QString& text) override { line({QStringLiteral("message"), text}); }
  void showDbError(const QString& text) override { line({QStringLiteral("dberror"), text}); }
  bool askOkCancel(const QString&, const QString&) override { return false; }
};

QString option(const QStringList& args, const QString& name, const QString& fallback = {}) {
  const qsizetype i = args.indexOf(name);
  return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

QString ok(bool b) { return b ? QStringLiteral("ok") : QStringLiteral("fail"); }

}  // namespace

int main(int argc, char** argv) {
  tcm::restrictNewFiles();
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  tcm::DbSettings settings;
  settings.dataDir = option(args, QStringLiteral("--data"));
  settings.remoteUrl = option(args, QStringLiteral("--remote"));
  const QString shop = option(args, QStringLiteral("--shop"), QStringLiteral("1"));
  const QString counter = option(args, QStringLiteral("--counter"), QStringLiteral("0"));
  const int ops = option(args, QStringLiteral("--ops"), QStringLiteral("10")).toInt();
  const QString sharedPat = option(args, QStringLiteral("--shared-pat"));
  const QDateTime base = QDateTime::fromString(option(args, QStringLiteral("--base")), QStringLiteral("yyyyMMddhhmmss"));
  const QString go = option(args, QStringLiteral("--go"));

  JournalMessages messages;
  tcm::TDMServer dm(settings, &messages);
  QString refused;
  if (!tcm::beginClientSession(dm, &refused)) {
    line({QStringLiteral("start"), QStringLiteral("fail"), refused});
    return 2;
  }
  line({QStringLiteral("start"), QStringLiteral("ok")});
  tcm::AliasList vocabulary;
  if (!tcm::GetAliases(dm, &vocabulary) || tcm::LoadData(dm) != tcm::LoadResult::Loaded) {
    line({QStringLiteral("setup"), QStringLiteral("fail"), dm.lastError()});
    return 1;
  }
  QList<const tcm::TAliease*> symptoms;
  for (const tcm::AliasItem& item : vocabulary)
    if (item.entry.classId == QLatin1String(tcm::kClassSymptom) && !item.entry.id.isEmpty()) symptoms << &item.entry;
  const tcm::SyndromeIndex index(dm.knowledge());
  line({QStringLiteral("setup"), QStringLiteral("ok"), QString::number(symptoms.size())});

  // All counters start together.
  while (!go.isEmpty() && !QFile::exists(go)) QThread::msleep(2);

  const QString tag = QStringLiteral("店%1台%2").arg(shop, counter);
  // Every counter's own customers get their visit in the same second: the
  // visit numbers are equal, the visits are not.
  const QString ownMzno = tcm::GetMZNO(base, shop);
  QSet<QString> mine;
  for (int i = 0; i < ops; ++i) {
    const QString n = QString::number(i);
    // A customer registered at the counter.
    const QString name = tag + QStringLiteral("客") + n;
    const QString gender = i % 2 ? QStringLiteral("女") : QStringLiteral("男");
    const QString age = QString::number(20 + i % 50);
    const QString tel = QStringLiteral("13%1%2%3").arg(shop).arg(counter.toInt(), 2, 10, QLatin1Char('0')).arg(i, 6, 10, QLatin1Char('0'));
    const QString address = tag + QStringLiteral("路%1号").arg(i);
    const tcm::CustomerSave saved =
        tcm::saveCustomer(dm, shop, QString(), tcm::CustomerForm{name, gender, age, tel, address}, base.date());
    line({QStringLiteral("pat"), ok(saved.ok), saved.patId, name, gender, age, tel, address, saved.message});
    if (!saved.ok) continue;
    const std::optional<qint64> id = saved.patId.toLongLong();
    const QString pat = QString::number(*id);
    mine.insert(pat);

    // The identification of what the customer reports.
    QList<tcm::SelectedFinding> picked;
    for (int k = 0; k < 3 && !symptoms.isEmpty(); ++k)
      picked.append({symptoms[(i * 7 + k * 13 + counter.toInt()) % symptoms.size()]->id, QString::fromLatin1(tcm::kClassSymptom)});
    const tcm::Identification found =
        tcm::Ai(index, dm, tcm::IdentificationInput{tcm::GetCodeList(picked), QString(), gender, age});
    const QString constitution = found.shown.isEmpty() ? QString() : found.shown.first().Name;
    line({QStringLiteral("identify"), ok(found.outcome != tcm::IdentificationOutcome::Failed), pat, constitution});

    // The herbal prescription saved, then changed; the food prescription beside it.
    tcm::VisitPrescription herb;
    herb.shopId = shop;
    herb.patId = pat;
    herb.mzno = ownMzno;
    herb.side = tcm::PrescriptionSide::Herb;
    herb.disease = constitution;
    herb.med = tag;
    herb.symIds = found.symIds;
    herb.displayText = tag + QStringLiteral("初方") + n;
    herb.idsText = QStringLiteral("1,2,%1").arg(i);
    herb.priceText = QStringLiteral("%1.5").arg(10 + i);
    herb.today = base.date();
    tcm::VisitSaveResult r = tcm::saveVisitPrescription(dm, herb);
    line({QStringLiteral("herb-first"), ok(r == tcm::VisitSaveResult::Saved), pat, ownMzno, herb.displayText,
          tcm::visitSaveMessage(r)});
    herb.displayText = tag + QStringLiteral("改方") + n;
    herb.idsText = QStringLiteral("3,4,%1").arg(i);
    herb.priceText = QStringLiteral("%1.0").arg(20 + i);
    r = tcm::saveVisitPrescription(dm, herb);
    line({QStringLiteral("herb"), ok(r == tcm::VisitSaveResult::Saved), pat, ownMzno, herb.displayText, herb.idsText,
          herb.priceText, constitution, tcm::visitSaveMessage(r)});

    tcm::VisitPrescription food = herb;
    food.side = tcm::PrescriptionSide::Food;
    food.displayText = tag + QStringLiteral("膳") + n;
    food.idsText = QStringLiteral("9,%1").arg(i);
    food.priceText = QStringLiteral("%1.2").arg(i);
    r = tcm::saveVisitPrescription(dm, food);
    line({QStringLiteral("food"), ok(r == tcm::VisitSaveResult::Saved), pat, ownMzno, food.displayText, food.idsText,
          food.priceText, tcm::visitSaveMessage(r)});

    // The diabetes class.
    static const QStringList classes = {QStringLiteral("低危"), QStringLiteral("中危型"), QStringLiteral("高危型")};
    const QString dmClass = classes[(i + counter.toInt()) % classes.size()];
    const tcm::DmSave dmSaved = tcm::saveDmClass(dm, shop, pat, dmClass);
    line({QStringLiteral("dm"), ok(dmSaved.ok), pat, dmClass, dmSaved.message});

    // The shop's customer who is served at every counter: the two counters of
    // a pair save the two sides of one new visit at the same moment, so one
    // of them meets the row the other has just made.
    if (!sharedPat.isEmpty()) {
      const int k = counter.toInt();
      if (!go.isEmpty()) {
        const QString mark = QStringLiteral("%1.%2.%3.").arg(go, shop);
        QFile(mark + QStringLiteral("%1.%2").arg(k).arg(i)).open(QIODevice::WriteOnly);
        const QString partner = mark + QStringLiteral("%1.%2").arg(k ^ 1).arg(i);
        for (int waited = 0; !QFile::exists(partner) && waited < 60000; ++waited) QThread::usleep(200);
      }
      const bool herbSide = k % 2 == 0;
      tcm::VisitPrescription shared;
      shared.shopId = shop;
      shared.patId = sharedPat;
      shared.mzno = tcm::GetMZNO(base.addSecs(1 + (k / 2) * ops + i), shop);
      shared.side = herbSide ? tcm::PrescriptionSide::Herb : tcm::PrescriptionSide::Food;
      shared.disease = constitution;
      shared.displayText = tag + (herbSide ? QStringLiteral("共方") : QStringLiteral("共膳")) + n;
      shared.idsText = QStringLiteral("%1,7,%2").arg(k).arg(i);
      shared.priceText = QStringLiteral("%1.%2").arg(i).arg(k);
      shared.today = base.date();
      r = tcm::saveVisitPrescription(dm, shared);
      line({QStringLiteral("shared"), ok(r == tcm::VisitSaveResult::Saved), sharedPat, shared.mzno,
            herbSide ? QStringLiteral("herb") : QStringLiteral("food"), shared.displayText, shared.idsText,
            shared.priceText, tcm::visitSaveMessage(r)});
    }

    // The shop's customer list: every customer this counter registered is on
    // it, and nobody of another shop.
    if (i % 5 == 4) {
      tcm::ListingFilter everyone;
      everyone.kind = tcm::ListingFilter::Kind::Name;
      tcm::KeptPatList kept;
      const bool read = tcm::listRows(tcm::ListingKind::Customers, dm, shop.toLongLong(), everyone, &kept);
      QSet<QString> listed;
      int foreign = 0;  // a customer registered at another shop's counter
      const QString shopTag = QStringLiteral("店%1台").arg(shop);
      for (int k = 0; k < kept.size(); ++k) {
        const tcm::TPatList& row = kept.at(k);
        listed.insert(QString::number(row.PatId));
        if (row.Name.startsWith(QStringLiteral("店")) && !row.Name.startsWith(shopTag)) ++foreign;
      }
      // The shop's visit records, joined with their customers: none of another shop's.
      tcm::KeptPatList visits(tcm::KeptPatList::Ciphered::TelOnly);
      const bool visitsRead = tcm::listRows(tcm::ListingKind::Visits, dm, shop.toLongLong(), everyone, &visits);
      for (int k = 0; k < visits.size(); ++k) {
        const QString name = visits.at(k).Name;
        if (name.startsWith(QStringLiteral("店")) && !name.startsWith(shopTag)) ++foreign;
      }
      int missing = 0;
      for (const QString& p : mine)
        if (!listed.contains(p)) ++missing;
      line({QStringLiteral("list"), ok(read && visitsRead), QString::number(listed.size()), QString::number(missing),
            QString::number(foreign)});
    }
  }
  line({QStringLiteral("done"), QStringLiteral("ok")});
  return 0;
}
