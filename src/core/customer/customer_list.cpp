#include "customer/customer_list.h"

#include <QDateTime>
#include <QSqlQuery>

#include "crypto/aes_hex.h"
#include "customer/customer_filter.h"
#include "customer/customer_search.h"
#include "db/gateway.h"
#include "entry/selected_set.h"
#include "text/money.h"

namespace tcm {
namespace {

QString dayText(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

// The condition on the listed rows and its values; `date`, `name` and `tel1`
// are the columns as the statement names them.
Sql conditionOf(const ListingFilter& f, const QString& date, const QString& name, const QString& tel1) {
  switch (f.kind) {
    case ListingFilter::Kind::Between:
      return Sql(date + QStringLiteral(" between ? and ?"), {dayText(f.from), dayText(f.to)});
    case ListingFilter::Kind::DateRange:
      return Sql(date + QStringLiteral(" >= ? and ") + date + QStringLiteral(" < ?"), {dayText(f.from), dayText(f.to)});
    case ListingFilter::Kind::Name:
      return Sql(name + QStringLiteral(" like ? escape '\\'"), {likeContains(f.name)});
    case ListingFilter::Kind::TelEnding:
      return Sql(tel1 + QStringLiteral(" = ?"), {f.tel1});
    case ListingFilter::Kind::NoMatch:
      break;
  }
  return Sql(QStringLiteral("1 = 0"));
}

}  // namespace

int pageCount(int rows) { return rows <= 0 ? 0 : (rows + kRowsPerPage - 1) / kRowsPerPage; }

PageSlice pageSlice(int page, int rows) {
  if (page < 1 || page > pageCount(rows)) return {};
  const int first = (page - 1) * kRowsPerPage;
  return {first, std::min(kRowsPerPage, rows - first)};
}

QStringList pageNumbers(int rows) {
  QStringList numbers;
  for (int p = 1; p <= pageCount(rows); ++p) numbers << QString::number(p);
  return numbers;
}

ListingFilter quickRangeFilter(int daysBack, const QDate& today) {
  ListingFilter f;
  f.kind = ListingFilter::Kind::Between;
  f.from = today.addDays(-daysBack);
  f.to = today.addDays(1);
  return f;
}

QString ageTodayOf(const TPatList& row, const QDate& today) {
  return CalaAge(row.Age, QDate::fromString(row.wrdate.left(10), Qt::ISODate), today);
}

std::optional<ListingFilter> searchFilter(ListingKind kind, const QString& typed, const QDate& start,
                                          const QDate& end) {
  const CustomerTextFilter text = customerTextFilter(typed);
  const bool reversed = end < start;
  if (kind == ListingKind::Visits && reversed) return std::nullopt;
  if (text.kind == CustomerTextFilter::Kind::Ignored) return ListingFilter{};  // no name can match: nothing found
  const bool byText = kind == ListingKind::Visits ? !typed.isEmpty() : !typed.trimmed().isEmpty();
  ListingFilter f;
  if (byText) {
    if (text.kind == CustomerTextFilter::Kind::TelEnding) {
      f.kind = text.tel1 ? ListingFilter::Kind::TelEnding : ListingFilter::Kind::NoMatch;
      f.tel1 = text.tel1.value_or(0);
    } else {
      f.kind = ListingFilter::Kind::Name;
      f.name = text.name;
    }
    return f;
  }
  if (reversed) return std::nullopt;
  f.kind = ListingFilter::Kind::DateRange;
  f.from = start;
  f.to = end.addDays(1);
  return f;
}

void KeptPatList::appendStored(TPatList row) {
  rows_.push_back(std::move(row));
  shown_.push_back(false);
}

void KeptPatList::clear() {
  rows_.clear();
  shown_.clear();
  deciphered_ = 0;
}

void KeptPatList::reserve(int n) {
  rows_.reserve(static_cast<size_t>(n));
  shown_.reserve(static_cast<size_t>(n));
}

const TPatList& KeptPatList::at(int i) {
  const auto k = static_cast<size_t>(i);
  TPatList& r = rows_.at(k);
  if (!shown_[k]) {
    r.Tel = decryptForDisplay(r.Tel);
    if (ciphered_ == Ciphered::TelAndAddress) r.Address = decryptForDisplay(r.Address);
    shown_[k] = true;
    ++deciphered_;
  }
  return r;
}

QList<TPatList> KeptPatList::page(int page) {
  const PageSlice s = pageSlice(page, size());
  QList<TPatList> rows;
  rows.reserve(s.count);
  for (int i = s.first; i < s.first + s.count; ++i) rows << at(i);
  return rows;
}

void KeptPatList::replaceShown(int i, const TPatList& shown) {
  const auto k = static_cast<size_t>(i);
  rows_.at(k) = shown;
  if (!shown_[k]) ++deciphered_;
  shown_[k] = true;
}

QList<int> KeptPatList::setDiseaseOf(qint32 patId, const QString& riskClass) {
  QList<int> changed;
  for (size_t k = 0; k < rows_.size(); ++k) {
    if (rows_[k].PatId != patId) continue;
    rows_[k].disease = riskClass;
    changed << static_cast<int>(k);
  }
  return changed;
}

QString unassessedMark() { return QStringLiteral("[评估]"); }

QString visitAmountText(const QVariant& foodPrice, const QVariant& herbPrice) {
  // The columns keep four decimals: rounding to them gives the stored decimal exactly.
  return (Decimal::fromPrice(foodPrice.toDouble()) + Decimal::fromPrice(herbPrice.toDouble())).toText1();
}

QString listDateText(const QVariant& stored) {
  if (stored.metaType().id() == QMetaType::QDateTime) return dayText(stored.toDateTime().date());
  if (stored.metaType().id() == QMetaType::QDate) return dayText(stored.toDate());
  return stored.toString().left(10);
}

namespace {

// The columns and order of one kind of listing.
struct ListingShape {
  QString select;  // up to and including "where shopId = ? and "
  QString date, id, name, tel1;
};

const ListingShape& shapeOf(ListingKind kind) {
  static const ListingShape customers{
      // The constitution column: the identification's, else the latest questionnaire judgement.
      QStringLiteral("select PatId,Name,Gender,Age,Tel,Address,coalesce(nullif(bodyType,''),(select c.judgement from "
                     "constitution c where c.id = (select max(k.id) from constitution k where k.shopId = pat.shopId and "
                     "k.patId = pat.PatId)),'') as bodyType,dm,cast(wrDate as text) as dateText from pat "
                     "where shopId = ? and "),
      QStringLiteral("wrDate"), QStringLiteral("PatId"), QStringLiteral("Name"), QStringLiteral("tel1")};
  static const ListingShape visits{
      QStringLiteral("select a.id,a.patId,b.Name,b.Gender,b.Age,b.Tel,a.Disease,cast(a.wrDate as text) as dateText,a.foodPrice,"
                     "a.herbPrice from pat_med a join pat b on b.shopId = a.shopId and b.PatId = a.patId "
                     "where a.shopId = ? and "),
      QStringLiteral("a.wrDate"), QStringLiteral("a.id"), QStringLiteral("b.Name"), QStringLiteral("b.tel1")};
  return kind == ListingKind::Customers ? customers : visits;
}

bool byDate(const ListingFilter& f) {
  return f.kind == ListingFilter::Kind::Between || f.kind == ListingFilter::Kind::DateRange;
}

// One row as read; the stored date is column 8 (customers) or 7 (visits).
TPatList customerRow(const QSqlQuery& q) {
  TPatList r;
  r.PatId = q.value(0).toInt();
  r.Name = q.value(1).toString();
  r.Gender = q.value(2).toString();
  r.Age = q.value(3).toString();
  r.Tel = q.value(4).toString();
  r.Address = q.value(5).toString();
  r.bodyType = q.value(6).toString();
  r.disease = q.value(7).toString();
  if (r.disease.isEmpty()) r.disease = unassessedMark();
  r.wrdate = listDateText(q.value(8));
  return r;
}

TPatList visitRow(const QSqlQuery& q) {
  TPatList r;
  r.id = q.value(0).toInt();
  r.PatId = q.value(1).toInt();
  r.Name = q.value(2).toString();
  r.Gender = q.value(3).toString();
  r.Age = q.value(4).toString();
  r.Tel = q.value(5).toString();
  r.disease = q.value(6).toString();
  r.wrdate = listDateText(q.value(7));
  r.Address = visitAmountText(q.value(8), q.value(9));
  return r;
}

}  // namespace

bool PatListingReader::start(ListingKind kind, TDMServer& dm, qint64 shopId, const ListingFilter& filter,
                             KeptPatList* kept, int firstRows) {
  kind_ = kind;
  dm_ = &dm;
  shopId_ = shopId;
  filter_ = filter;
  kept_ = kept;
  *kept_ = KeptPatList(kind == ListingKind::Customers ? KeptPatList::Ciphered::TelAndAddress
                                                      : KeptPatList::Ciphered::TelOnly);
  hasLast_ = false;
  done_ = filter.kind == ListingFilter::Kind::NoMatch;
  return done_ || readStep(firstRows);
}

bool PatListingReader::readMore(int maxRows) { return done_ || readStep(maxRows); }

bool PatListingReader::readStep(int maxRows) {
  maxRows = std::max(1, maxRows);
  const ListingShape& shape = shapeOf(kind_);
  const bool dated = byDate(filter_);
  QString text = shape.select;
  QVariantList values{shopId_};
  if (hasLast_ && dated) {
    // The last row kept is the range's start now: one lower bound, so the
    // date index starts right there.
    const bool closed = filter_.kind == ListingFilter::Kind::Between;
    text += QStringLiteral("(%1, %2) > (?, ?) and %1 %3 ?").arg(shape.date, shape.id, closed ? "<=" : "<");
    values << lastDate_ << lastId_ << dayText(filter_.to);
  } else {
    const Sql cond = conditionOf(filter_, shape.date, shape.name, shape.tel1);
    text += cond.text;
    values += cond.values;
    if (hasLast_) {
      text += QStringLiteral(" and %1 > ?").arg(shape.id);
      values << lastId_;
    }
  }
  text += dated ? QStringLiteral(" order by %1, %2 limit ?").arg(shape.date, shape.id)
                : QStringLiteral(" order by %1 limit ?").arg(shape.id);
  values << maxRows;

  const int dateColumn = kind_ == ListingKind::Customers ? 8 : 7;
  int read = 0;
  bool whole = false;
  if (QSqlQuery* q = dm_->GetDB(Sql(text, values), true)) {
    while (q->next()) {
      kept_->appendStored(kind_ == ListingKind::Customers ? customerRow(*q) : visitRow(*q));
      lastId_ = q->value(0).toLongLong();  // PatId or the visit's id
      lastDate_ = q->value(dateColumn).toString();
      ++read;
    }
    whole = dm_->rowsReadToEnd(*q);
    q->finish();
  }
  if (!whole) {
    kept_->clear();
    done_ = true;
    return false;
  }
  hasLast_ = hasLast_ || read > 0;
  done_ = read < maxRows;
  return true;
}

bool listRows(ListingKind kind, TDMServer& dm, qint64 shopId, const ListingFilter& filter, KeptPatList* out) {
  constexpr int kStep = 5000;
  PatListingReader reader;
  if (!reader.start(kind, dm, shopId, filter, out, kStep)) return false;
  while (!reader.done())
    if (!reader.readMore(kStep)) return false;
  return true;
}

}  // namespace tcm
