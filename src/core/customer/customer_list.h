#pragma once
// The shop's customer list and visit-record list: which rows a quick range or
// a search asks for, the listing itself, the kept rows of the last listing and
// the paging over them (ten rows a page, no query when paging).
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

#include "customer/pat_list.h"

namespace tcm {

class TDMServer;

// ---- Paging --------------------------------------------------------------

inline constexpr int kRowsPerPage = 10;

// Rows [first, first + count) of the kept list make one page.
struct PageSlice {
  int first = 0;
  int count = 0;
};

// ⌈rows / 10⌉; 0 for no rows.
int pageCount(int rows);
// Page `page` (1-based) of `rows` rows; an empty slice for a page that does not exist.
PageSlice pageSlice(int page, int rows);
// The page chooser's entries "1" … pageCount(rows); none for no rows.
QStringList pageNumbers(int rows);

// ---- What to list --------------------------------------------------------

enum class ListingKind {
  Customers,  // pat rows of the shop
  Visits,     // pat_med rows of the shop joined with their customers
};

struct ListingFilter {
  enum class Kind {
    Between,    // from <= wrDate <= to (the quick ranges)
    DateRange,  // from <= wrDate < to (the pickers; `to` is the day after the end picker)
    Name,       // the customer's name contains `name` literally (empty: every row)
    TelEnding,  // the customer's phone ends in `tel1`
    NoMatch,    // a phone ending that is not four digits: nothing is found, nothing is queried
  };
  Kind kind = Kind::NoMatch;
  QDate from, to;
  QString name;
  qint64 tel1 = 0;
};

// The quick ranges "今日", "本周", "一个月": `daysBack` days before today up to
// and including tomorrow, whatever the pickers and the search box say.
ListingFilter quickRangeFilter(int daysBack, const QDate& today);

// The "查询" button: nullopt when it does nothing (when the dates decide or on
// the visit list, an end date before the start). A text no name can match
// (Latin letters, a quote, more than 11 characters) finds nothing (NoMatch).
// The customer list searches the dates when the trimmed text is empty; the
// visit list whenever the box is empty as typed (blanks alone list every visit).
std::optional<ListingFilter> searchFilter(ListingKind kind, const QString& typed, const QDate& start,
                                          const QDate& end);

// The age a listed customer has today: the age kept in the row (the age in
// the registration year) plus the years since the row's date.
QString ageTodayOf(const TPatList& row, const QDate& today);

// ---- The kept list -------------------------------------------------------

// The rows of the last listing in result order. Phones (and, in the customer
// list, addresses) stay in their stored cipher form until a row is first
// shown, so a listing of many thousand rows deciphers only the rows of the
// pages looked at.
class KeptPatList {
 public:
  enum class Ciphered { TelAndAddress, TelOnly };
  explicit KeptPatList(Ciphered ciphered = Ciphered::TelAndAddress) : ciphered_(ciphered) {}

  // A row as read, with Tel (and Address) as stored.
  void appendStored(TPatList row);
  void clear();
  void reserve(int n);
  int size() const { return static_cast<int>(rows_.size()); }
  bool isEmpty() const { return rows_.empty(); }

  // Row i as shown, deciphered on its first use.
  const TPatList& at(int i);
  // The rows of page `page` (1-based) as shown.
  QList<TPatList> page(int page);
  // Replaces row i with texts as shown (after an edit).
  void replaceShown(int i, const TPatList& shown);
  // Sets the diabetes class of every row of customer `patId`; the indexes changed.
  QList<int> setDiseaseOf(qint32 patId, const QString& riskClass);
  // How many rows have been deciphered so far.
  int decipheredCount() const { return deciphered_; }

 private:
  Ciphered ciphered_;
  std::vector<TPatList> rows_;
  std::vector<bool> shown_;
  int deciphered_ = 0;
};

// ---- Listings ------------------------------------------------------------

// The mark of a customer without a diabetes assessment.
QString unassessedMark();

// A visit's amount: food price plus herb price, exact, formatted "0.0".
QString visitAmountText(const QVariant& foodPrice, const QVariant& herbPrice);

// A stored date (text on SQLite, timestamp on PostgreSQL) as "yyyy-MM-dd".
QString listDateText(const QVariant& stored);

// A listing read in steps, so that its first page shows at once and the rest
// follows without holding the window: each step is one short query that goes
// on after the last row kept (in date order for the date ranges, in id order
// for the searches), and appends to the kept list. A step that fails empties
// the kept list (a listing is never shown in part); the gateway has shown why.
class PatListingReader {
 public:
  [[nodiscard]] bool start(ListingKind kind, TDMServer& dm, qint64 shopId, const ListingFilter& filter,
                           KeptPatList* kept, int firstRows);
  [[nodiscard]] bool readMore(int maxRows);
  // True when every row has been read (or after a failure).
  bool done() const { return done_; }

 private:
  bool readStep(int maxRows);
  ListingKind kind_ = ListingKind::Customers;
  TDMServer* dm_ = nullptr;
  qint64 shopId_ = 0;
  ListingFilter filter_;
  KeptPatList* kept_ = nullptr;
  bool done_ = true;
  bool hasLast_ = false;
  QString lastDate_;  // the last row's stored date, as text
  qint64 lastId_ = 0;
};

// The whole listing at once: replaces `out` with the rows of the shop that
// `filter` asks for; false (with `out` emptied) when a query failed.
[[nodiscard]] bool listRows(ListingKind kind, TDMServer& dm, qint64 shopId, const ListingFilter& filter,
                            KeptPatList* out);

}  // namespace tcm
