#pragma once
// A customer's visit records as the record view shows them: the dates of the
// latest visits and the text of one visit.
#include <QList>
#include <QString>
#include <optional>

namespace tcm {

class TDMServer;

inline constexpr int kRecentVisits = 14;

// One date entry of the view: the visit's id and its caption.
struct VisitDate {
  qint32 id = 0;
  QString caption;
};

// One visit as stored.
struct VisitRecord {
  qint32 id = 0;
  QString bl, food, herb, foodIds, herbIds;
  QString wrdate;  // the stored date and time as the database gives it
  QString note;    // the warnings its prescriptions were saved with, by side ("汤方：…")
};

// The customer's latest visits (every shop's), newest (highest id) first, at
// most 14, captioned "yyyy-MM-dd"; false when the query failed (shown by the gateway).
[[nodiscard]] bool recentVisits(TDMServer& dm, qint32 patId, QList<VisitDate>* out);

// The visit with this id: nullopt in `out` when there is none; false when the
// query failed (shown by the gateway).
[[nodiscard]] bool readVisitRecord(TDMServer& dm, qint32 id, std::optional<VisitRecord>* out);

// The record's text: findings list, food text and herbal text, one after the
// other, each starting on a new line (an empty one leaves an empty line);
// then, when the visit kept warnings, "用药提示：" and each on its own line.
QString visitRecordText(const VisitRecord& r);

// The entries to mark when the entry with `caption` is chosen: every entry
// with the same caption (visits of one day are marked together).
QList<bool> sameDateMarks(const QList<QString>& captions, const QString& caption);

}  // namespace tcm
