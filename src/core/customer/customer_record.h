#pragma once
// The customer-details rules: finding a customer of the shop by name or phone
// ending, the checks a customer's details pass before they are stored, and
// storing a new or corrected customer.
#include <QDate>
#include <QList>
#include <QString>
#include <optional>

#include "customer/customer_filter.h"
#include "customer/customer_search.h"

namespace tcm {

class TDMServer;

// The details search shows this many customers; the rest cannot be chosen.
inline constexpr int kCustomerDetailRows = 15;

// Customers of the shop matching a search box's filter, in id order, at most
// `limit`: the age is the age today, phone and address deciphered. An Ignored
// filter, or a phone ending that is not all digits, finds nobody; a failed
// query (already reported by the gateway) gives no rows.
QList<CustomerRow> searchCustomers(TDMServer& dm, const QString& shopId, const CustomerTextFilter& filter, int limit,
                                   const QDate& today);

// The search of the "姓名/电话后4位" box: nullopt when the text is ignored
// without a word (the grid keeps what it shows), otherwise the rows to show.
std::optional<QList<CustomerRow>> searchCustomerDetails(TDMServer& dm, const QString& shopId, const QString& typed,
                                                        const QDate& today);

// The add/edit boxes as typed.
struct CustomerForm {
  QString name, gender, age, tel, address;
};

// The first check the form fails, as its message; empty when it passes all:
// name, age and phone in that order, then whether phone and address can be
// stored enciphered.
QString customerFormError(const CustomerForm& form);

struct CustomerSave {
  bool ok = false;
  bool inserted = false;  // a new customer row was written
  QString message;        // "保存成功", "保存失败" or the failed check's message
  QString patId;          // the saved customer's id (ok only)
  CustomerForm stored;    // the values as saved, unciphered: trimmed texts, the age as a plain number
  QString ageToday;       // the age the customer has today (a correction's age counts from the registration year)
};

// Whether a save of `typed` over the customer a save just stored as `saved`
// names another person instead of correcting that one: the name differs.
// Such a save must not overwrite the first customer without asking.
bool namesAnotherPerson(const CustomerForm& saved, const CustomerForm& typed);

// Checks the form, then updates the customer `editedId` of the shop (its age
// stored as it was in the registration year), or, when `editedId` is empty,
// inserts a new customer registered `today` and reads its id back from the
// insert. Nothing is written when a check fails or the shop has no such
// customer, and a correction that changed no row is no success.
CustomerSave saveCustomer(TDMServer& dm, const QString& shopId, const QString& editedId, const CustomerForm& form,
                          const QDate& today);

}  // namespace tcm
