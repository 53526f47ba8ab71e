#include "entry/inquiry.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

#include "db/gateway.h"

namespace tcm {
namespace {

// Both tables are read with the same columns in the same order.
// A reading that breaks off gives no rows (the failure is shown): never half a page.
QList<InquiryRow> readRows(TDMServer& dm, QSqlQuery* q) {
  QList<InquiryRow> rows;
  if (!q) return rows;
  while (q->next()) {
    InquiryRow r;
    r.title = q->value(0).toString().trimmed();
    bool ok = false;
    r.symId = readSymId(q->value(1).toString(), &ok);
    if (!ok) r.symId = -1;  // not a number: ignored like a negative id
    r.gender = q->value(2).toString().trimmed();
    r.name = q->value(3).toString().trimmed();
    r.mutex = q->value(4).toString().trimmed();
    r.childTag = q->value(5).toString().trimmed();
    r.classId = q->value(6).toString().trimmed();
    rows.append(r);
  }
  if (!dm.rowsReadToEnd(*q)) return {};
  return rows;
}

}  // namespace

qint64 readSymId(const QString& text, bool* ok) {
  const QString t = text.trimmed();
  if (t.isEmpty()) {
    // An empty (or NULL) id reads as 0: the row is a heading.
    if (ok) *ok = true;
    return 0;
  }
  bool good = false;
  const qint64 v = t.toLongLong(&good);
  if (ok) *ok = good;
  return good ? v : 0;
}

QList<InquiryRow> loadTopicRows(TDMServer& dm, const QString& topic) {
  return readRows(dm, dm.GetDB(Sql(QStringLiteral("select title,symId,gender, name,mutex,childTag,classId "
                                               "from symptom_option where class = ? order by id"),
                               {topic}),
                           true));
}

QList<InquiryRow> loadDiseaseRows(TDMServer& dm, const QString& fid) {
  bool ok = false;
  const qint64 n = fid.trimmed().toLongLong(&ok);
  if (!ok) return {};
  return readRows(dm, dm.GetDB1(Sql(QStringLiteral("select top %1 title,symId,gender, name,mutex,childTag,classId "
                                               "from symptom_option_sub where fid = ? order by id")
                                    .arg(kDiseaseQuestionRows),
                                {n})));
}

bool loadFollowUpHints(TDMServer& dm, const QString& id, const QString& genderCode, QList<InquiryHint>* out) {
  out->clear();
  bool ok = false;
  const qint64 fid = id.trimmed().toLongLong(&ok);
  if (!ok) return true;  // an answer without a numeric id has no hints
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select symid,name,mutex from symptom_option_sub "
                                             "where fid=? and tag = 1 and gender in(?,3) order by id"),
                              {fid, genderCode.trimmed().toInt()}),
                          true);
  if (!q) return false;
  while (out->size() < kInquiryHintSlots) {
    if (!q->next()) {
      if (dm.rowsReadToEnd(*q)) break;
      out->clear();
      return false;
    }
    out->append(InquiryHint{q->value(1).toString().trimmed(), q->value(0).toString().trimmed(),
                            q->value(2).toString().trimmed()});
  }
  return true;
}

bool answerGenderAllowed(const QString& answerGender, const QString& customerCode) {
  if (answerGender.isEmpty()) return false;
  return answerGender == QLatin1String("3") || answerGender == customerCode;
}

InquiryLayout layoutInquiry(const QList<InquiryRow>& rows, const InquiryMetrics& m, const AnswerWidthFn& answerWidth) {
  InquiryLayout out;
  bool lineStart = true;
  int cutAt = -1;

  for (int i = 0; i < rows.size(); ++i) {
    const InquiryRow& row = rows[i];
    const PlacedHeading* lastHeading = out.headings.isEmpty() ? nullptr : &out.headings.last();
    const PlacedAnswer* lastAnswer = out.answers.isEmpty() ? nullptr : &out.answers.last();
    if (row.isHeading()) {
      if (out.headings.size() >= kInquiryHeadingSlots) {
        cutAt = i;
        break;
      }
      int top = m.margin;
      if (lastAnswer) top = lastAnswer->rect.bottom() + 1 + m.margin;
      if (lastHeading) top = std::max(top, lastHeading->rect.bottom() + 1 + m.margin);
      PlacedHeading h;
      h.row = i;
      h.slot = static_cast<int>(out.headings.size());
      h.rect = QRect(m.margin, top, std::max(0, m.areaWidth - 2 * m.margin), m.headingHeight);
      out.headings.append(h);
      lineStart = true;
    } else if (row.isAnswer()) {
      if (out.answers.size() >= kInquiryAnswerSlots) {
        cutAt = i;
        break;
      }
      PlacedAnswer a;
      a.row = i;
      a.slot = static_cast<int>(out.answers.size());
      const int width = answerWidth ? answerWidth(a.slot, row) : 0;
      int left = m.margin, top = m.margin;
      if (lineStart) {
        if (lastHeading) {
          left = lastHeading->rect.left();
          top = lastHeading->rect.bottom() + 1 + m.margin;
        }
        lineStart = false;
      } else if (lastAnswer) {
        left = lastAnswer->rect.right() + 1 + m.margin;
        top = lastAnswer->rect.top();
        if (left + width + m.rightReserve > m.areaWidth) {
          left = m.margin;
          top = lastAnswer->rect.bottom() + 1 + m.margin;
        }
      }
      a.rect = QRect(left, top, width, m.answerHeight);
      out.answers.append(a);
    }
    // Rows with a negative id take no place.
  }

  if (cutAt >= 0) {
    for (int i = cutAt; i < rows.size(); ++i)
      if (rows[i].symId >= 0) ++out.droppedRows;
    // Headings at the end of the page that never got an answer go as well.
    while (!out.headings.isEmpty() && (out.answers.isEmpty() || out.answers.last().row < out.headings.last().row)) {
      out.headings.removeLast();
      ++out.droppedRows;
    }
  }

  int bottom = -1;
  for (const PlacedHeading& h : out.headings) bottom = std::max(bottom, h.rect.bottom());
  for (const PlacedAnswer& a : out.answers) bottom = std::max(bottom, a.rect.bottom());
  out.contentHeight = bottom < 0 ? 0 : bottom + 1 + m.margin;
  return out;
}

}  // namespace tcm
