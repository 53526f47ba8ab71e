#pragma once
// The inquiry pages: the rows of a topic or of a disease, the follow-up hints
// of an answer, where the headings and answers of a page go, and who may
// answer what.
#include <QList>
#include <QRect>
#include <QString>
#include <functional>

namespace tcm {

class TDMServer;

// One row of symptom_option (a topic page) or symptom_option_sub (the
// questions of a disease). symId 0 is a heading, a positive symId an answer,
// a negative one (or a text that is not a number) is ignored.
struct InquiryRow {
  QString title;
  qint64 symId = 0;
  QString gender;
  QString name;
  QString mutex;
  QString childTag;
  QString classId;

  bool isHeading() const { return symId == 0; }
  bool isAnswer() const { return symId > 0; }
  // The finding id the answer carries: the number as decimal text.
  QString id() const { return QString::number(symId); }
};

// One follow-up hint of an answer (remote symptom_option_sub rows with tag 1).
struct InquiryHint {
  QString name;
  QString symid;
  QString mutex;
};

// What one page can show.
constexpr int kInquiryAnswerSlots = 250;
constexpr int kInquiryHeadingSlots = 20;
// The hint strip of the identification screen takes this many.
constexpr int kInquiryHintSlots = 8;
// The disease questions are read up to this many rows.
constexpr int kDiseaseQuestionRows = 100;

// A symId text as a number; an empty text (a NULL column) reads as 0. `ok` is
// false for any other text that is not a whole number (the row is then ignored).
qint64 readSymId(const QString& text, bool* ok = nullptr);

// The rows of one topic page ("基础问诊", "舌脉", ...) from the remote database,
// in stored order. A failed query has been shown by the gateway and gives no rows.
QList<InquiryRow> loadTopicRows(TDMServer& dm, const QString& topic);

// The questions of one disease from the local database (at most 100 rows), in
// stored order. An id that is not a number has no questions.
QList<InquiryRow> loadDiseaseRows(TDMServer& dm, const QString& fid);

// The follow-up hints of answer `id` for a customer of `genderCode` ("1" or "2"):
// rows for that gender or for either ("3"), at most what the hint strip takes.
// False when the query failed (shown by the gateway); `out` is then left empty.
bool loadFollowUpHints(TDMServer& dm, const QString& id, const QString& genderCode, QList<InquiryHint>* out);

// True when an answer of `answerGender` may be chosen for a customer of
// `customerCode`: "3" (either) or the customer's own code. An empty gender
// never matches.
bool answerGenderAllowed(const QString& answerGender, const QString& customerCode);

// Geometry of a page.
struct InquiryMetrics {
  int areaWidth = 0;       // width of the scrolling area's viewport
  int headingHeight = 24;  // height of a heading label
  int answerHeight = 30;   // height of an answer button
  int margin = 10;         // left margin, gaps between lines and buttons
  int rightReserve = 20;   // room kept free at the right end of a line
};

struct PlacedHeading {
  int row = -1;   // index into the rows
  int slot = -1;  // heading label number, 0-based
  QRect rect;     // left, top, height; width is the area less both margins
};

struct PlacedAnswer {
  int row = -1;
  int slot = -1;  // answer button number, 0-based
  QRect rect;
};

struct InquiryLayout {
  QList<PlacedHeading> headings;
  QList<PlacedAnswer> answers;
  int contentHeight = 0;  // bottom of the lowest element plus the margin
  int droppedRows = 0;    // headings and answers left off the page (see layoutInquiry)
};

// Width of answer number `slot` showing `row` (the caller fits the button to its caption).
using AnswerWidthFn = std::function<int(int slot, const InquiryRow& row)>;

// Places the headings and answers of a page, in row order:
// - a heading goes to the left margin, one margin below the last button placed
//   (or below the last heading when it stands lower, so that two headings in a
//   row do not overlap; the first element of a page starts at the top margin),
//   and starts a new line;
// - the first answer of a line goes under the last heading at its left, or to
//   (margin, margin) when there is no heading; a further answer goes one margin
//   right of the previous one, or to a new line at the left margin when its
//   right edge plus rightReserve would pass the area's width.
// A page shows at most 250 answers and 20 headings. The page is cut at the
// first row for which no widget is left: that row and every row after it are
// dropped (an answer beyond the slots would otherwise land under a heading it
// does not belong to), and a heading left without any answer at the cut is
// dropped as well. Ignored rows (negative symId) take no place and are not
// counted as dropped.
InquiryLayout layoutInquiry(const QList<InquiryRow>& rows, const InquiryMetrics& metrics,
                            const AnswerWidthFn& answerWidth);

}  // namespace tcm
