#include "customer/customer_record.h"

#include <QSqlQuery>
#include <algorithm>

#include "crypto/aes_hex.h"
#include "crypto/gbk.h"
#include "db/failure_cause.h"
#include "db/gateway.h"
#include "db/row_change.h"
#include "entry/selected_set.h"

namespace tcm {
namespace {

constexpr int kNameMax = 15;
constexpr int kTelMax = 11;
constexpr int kAgeMax = 99;

// A whole number with an optional sign, nothing else; nullopt otherwise.
std::optional<int> wholeNumber(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok) return std::nullopt;
  return value;
}

QDate registrationDate(const QVariant& stored) {
  if (stored.userType() == QMetaType::QDateTime) return stored.toDateTime().date();
  if (stored.userType() == QMetaType::QDate) return stored.toDate();
  return QDate::fromString(stored.toString().left(10), Qt::ISODate);
}

}  // namespace

bool namesAnotherPerson(const CustomerForm& saved, const CustomerForm& typed) {
  return saved.name.trimmed() != typed.name.trimmed();
}

QList<CustomerRow> searchCustomers(TDMServer& dm, const QString& shopId, const CustomerTextFilter& filter, int limit,
                                   const QDate& today) {
  QList<CustomerRow> rows;
  if (limit <= 0) return rows;
  QString condition;
  QVariantList values{shopId.toLongLong()};
  switch (filter.kind) {
    case CustomerTextFilter::Kind::Ignored:
      return rows;
    case CustomerTextFilter::Kind::Name:
      if (filter.name.isEmpty()) break;  // every customer of the shop
      // A literal part of the name. SQLite's instr costs less per row than its
      // "like" when no customer matches and every row is looked at; PostgreSQL
      // plans "like" better (it guesses how many rows a position test keeps badly).
      if (dm.remoteDialect().kind() == Dialect::Kind::Sqlite) {
        condition = QStringLiteral(" and instr(Name, ?) > 0");
        values << filter.name;
      } else {
        condition = QStringLiteral(" and Name like ? escape '\\'");
        values << likeContains(filter.name);
      }
      break;
    case CustomerTextFilter::Kind::TelEnding:
      if (!filter.tel1) return rows;
      condition = QStringLiteral(" and tel1=?");
      values << *filter.tel1;
      break;
  }
  values << limit;
  const Sql sql(QStringLiteral("select PatId,Name,Gender,Age,Tel,Address,wrdate from pat where shopId=?") + condition +
                    QStringLiteral(" order by PatId limit ?"),
                values);
  QSqlQuery* q = dm.GetDB(sql, true);
  if (!q) return rows;
  while (q->next()) {
    CustomerRow r;
    r.patId = q->value(0).toString();
    r.name = q->value(1).toString();
    r.gender = q->value(2).toString();
    r.age = CalaAge(q->value(3).toString(), registrationDate(q->value(6)), today);
    r.tel = decryptForDisplay(q->value(4).toString());
    r.address = decryptForDisplay(q->value(5).toString());
    rows << r;
  }
  if (!dm.rowsReadToEnd(*q)) return {};
  q->finish();
  return rows;
}

std::optional<QList<CustomerRow>> searchCustomerDetails(TDMServer& dm, const QString& shopId, const QString& typed,
                                                        const QDate& today) {
  const CustomerTextFilter filter = customerTextFilter(typed);
  if (filter.kind == CustomerTextFilter::Kind::Ignored) return std::nullopt;
  return searchCustomers(dm, shopId, filter, kCustomerDetailRows, today);
}

QString customerFormError(const CustomerForm& form) {
  const QString name = form.name.trimmed();
  if (name.isEmpty()) return QStringLiteral("姓名没有填写");
  if (name.size() > kNameMax) return QStringLiteral("姓名字数太长");
  const QString age = form.age.trimmed();
  if (age.isEmpty()) return QStringLiteral("年龄没有填写");
  const std::optional<int> years = wholeNumber(age);
  if (!years) return QStringLiteral("年龄只能为数字");
  if (*years < 0 || *years > kAgeMax) return QStringLiteral("年龄太大");
  const QString tel = form.tel.trimmed();
  if (tel.isEmpty()) return QStringLiteral("电话没有填写");
  if (tel.size() > kTelMax) return QStringLiteral("电话不能多于11位");
  if (!phoneEnding(tel)) return QStringLiteral("电话只能为数字");
  QString problem = storableTextError(QStringLiteral("电话"), tel);
  if (problem.isEmpty()) problem = storableTextError(QStringLiteral("地址"), form.address.trimmed());
  return problem;
}

CustomerSave saveCustomer(TDMServer& dm, const QString& shopId, const QString& editedId, const CustomerForm& form,
                          const QDate& today) {
  CustomerSave result;
  dm.clearLastError();
  result.message = customerFormError(form);
  if (!result.message.isEmpty()) return result;

  CustomerForm stored;
  stored.name = form.name.trimmed();
  stored.gender = form.gender.trimmed();
  stored.age = QString::number(*wholeNumber(form.age.trimmed()));
  stored.tel = form.tel.trimmed();
  stored.address = form.address.trimmed();
  const qint64 tel1 = *phoneEnding(stored.tel);
  const std::optional<QString> tel = encryptText(stored.tel);
  const std::optional<QString> address = encryptText(stored.address);
  // Every failure below says "保存失败", with the cause when a statement failed.
  const auto failed = [&] {
    result.message = saveFailedMessage(dm);
    return result;
  };
  if (!tel || !address) return failed();  // refused above already; never store a shortened value

  const qint64 shop = shopId.toLongLong();
  if (!editedId.isEmpty()) {
    bool idOk = false;
    const qint64 id = editedId.toLongLong(&idOk);
    if (!idOk || id <= 0) return failed();
    // A correction stores the age as typed: the customer list, which opens
    // the correction, shows and prefills the age kept in the row.
    QSqlQuery* q =
        dm.GetDB(Sql(QStringLiteral("select PatId,wrDate from pat where PatId=? and shopId=?"), {id, shop}), true);
    if (!q) return failed();
    if (!q->next()) {
      [[maybe_unused]] const bool ended = dm.rowsReadToEnd(*q);  // no such customer of the shop, or a read failure shown
      return failed();
    }
    const QDate registered = registrationDate(q->value(1));
    q->finish();
    // Judged by the row changed: a customer removed since the look-up is no success.
    if (!updateChangedRow(dm, Sql(QStringLiteral("update pat set Name=?,Gender=?,Age=?,Tel=?,tel1=?,Address=? "
                                                 "where PatId=? and shopId=? returning PatId"),
                                  {stored.name, stored.gender, stored.age, *tel, tel1, *address, id, shop})))
      return failed();
    result.ageToday = CalaAge(stored.age, registered, today);
    result.patId = QString::number(id);
  } else {
    const std::optional<qint64> id = dm.InsertAndGetId(
        Sql(QStringLiteral("insert into pat(shopId,Name,Gender,Age,Tel,tel1,Address,wrDate) values(?,?,?,?,?,?,?,?)"),
            {shop, stored.name, stored.gender, stored.age, *tel, tel1, *address,
             today.toString(QStringLiteral("yyyy-MM-dd"))}),
        QStringLiteral("PatId"), true);
    if (!id) return failed();
    result.patId = QString::number(*id);
    result.inserted = true;
    result.ageToday = stored.age;
  }
  result.ok = true;
  result.message = QStringLiteral("保存成功");
  result.stored = stored;
  return result;
}

}  // namespace tcm
