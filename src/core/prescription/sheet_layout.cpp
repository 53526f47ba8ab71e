#include "prescription/sheet_layout.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "text/money.h"
#include "text/item_list.h"

namespace tcm {
namespace {

const SheetFont kRegular{11, false, false};
const SheetFont kHeading{11, true, false};
const SheetFont kPreName{12, true, false};
const SheetFont kPr{13, true, false};
const SheetFont kTaboo{11, false, true};

// The height of the questionnaire's chart, in text lines.
constexpr int kSheetChartLines = 12;

// Characters per taboo line, and the lines kept of each taboo text.
constexpr int kTabooLineChars = 30;

const QString kEllipsis = QStringLiteral("…");

// The first `count` characters of `chars`.
QString firstChars(const QList<uint>& chars, qsizetype count) {
  return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), count);
}

class Builder {
 public:
  Builder(SheetLayout* out, const SheetMeasure& measure) : out_(out), measure_(measure) {}

  // Places `t` + `tail` with its top-left corner at (x, y), fitted into
  // `field`; a cut shortens `t` and keeps `tail` whole.
  void text(int x, int y, const QString& t, const SheetFont& f, int field, const QString& tail = {}) {
    out_->texts.append(fit(x, y, t, f, field, tail));
  }
  // Centred between `left` and `right`.
  void centred(int left, int right, int y, const QString& t, const SheetFont& f) {
    SheetText placed = fit(left, y, t, f, right - left, {});
    placed.x = left + (right - left - measure_.width(placed.text, placed.font)) / 2;
    out_->texts.append(placed);
  }
  // Ending at `right`, starting no further left than `left`.
  void rightAligned(int left, int right, int y, const QString& t, const SheetFont& f) {
    SheetText placed = fit(left, y, t, f, right - left, {});
    placed.x = right - measure_.width(placed.text, placed.font);
    out_->texts.append(placed);
  }
  void line(int x1, int y1, int x2, int y2) { out_->lines.append(SheetLine{x1, y1, x2, y2}); }

 private:
  int width(const QString& t, const SheetFont& f) const { return measure_.width(t, f); }

  // The font shrinks until the text fits; at the smallest size the text is cut
  // and ends with "…". A smaller text keeps the bottom of its line, so it
  // stands on the line of its neighbours.
  SheetText fit(int x, int y, const QString& t, const SheetFont& f, int field, const QString& tail) const {
    const QString whole = t + tail;
    SheetText placed{x, y, whole, f};
    if (width(whole, f) <= field) return placed;
    SheetFont smaller = f;
    while (smaller.pointSize > kSheetMinPointSize && width(whole, smaller) > field) --smaller.pointSize;
    if (width(whole, smaller) > field) {
      const QList<uint> chars = t.toUcs4();
      // The start of `t` kept before the ellipsis, without blanks at its end.
      const auto cut = [&](qsizetype count) {
        QString kept = firstChars(chars, count);
        while (!kept.isEmpty() && kept.back().isSpace()) kept.chop(1);
        return kept + kEllipsis + tail;
      };
      // The most characters that fit (a longer start is never narrower).
      qsizetype lo = 0, hi = chars.isEmpty() ? 0 : chars.size() - 1;
      while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (width(cut(mid), smaller) <= field)
          lo = mid;
        else
          hi = mid - 1;
      }
      placed.text = width(cut(lo), smaller) <= field ? cut(lo) : QString();
    }
    placed.font = smaller;
    placed.y = y + measure_.height(whole, f) - measure_.height(placed.text, smaller);
    return placed;
  }

  SheetLayout* out_;
  const SheetMeasure& measure_;
};

}  // namespace

QString sheetTabooLine(const QString& text, int from, int count) {
  // Counted in characters, so a character outside the basic plane is never cut in two.
  const QList<uint> chars = text.toUcs4();
  if (from >= chars.size() || count <= 0) return {};
  const QList<uint> part = chars.mid(from, count);
  return QString::fromUcs4(reinterpret_cast<const char32_t*>(part.constData()), part.size());
}

SheetMetrics measureSheetMetrics(int pw, int ph, const SheetMeasure& measure) {
  SheetMetrics m;
  m.PW = pw;
  m.PH = ph;
  m.W = measure.width(QStringLiteral("宽"), kRegular);
  m.H = measure.height(QStringLiteral("高"), kRegular);
  m.H16 = measure.height(QStringLiteral("高"), SheetFont{16, false, false});
  return m;
}

SheetLayout layoutSheet(const SheetInput& in, const SheetMetrics& m, const SheetMeasure& measure) {
  SheetLayout out;
  out.metrics = m;
  Builder b(&out, measure);
  const int W = m.W, H = m.H, halfH = H / 2, halfW = W / 2;
  const int left = 2 * W, right = m.PW - 2 * W;
  const int lineStep = H + halfH;  // between the lines of the head
  const int bodyStep = H + halfW;  // between the lines of the body
  // The field of a text runs to the next text of its line, less half a character.
  const auto upTo = [halfW](int x, int next) { return next - x - halfW; };
  const auto toRight = [right](int x) { return right - x; };

  // Heading: the shop and the document kind, centred.
  int y = 2 * H;
  b.centred(left, right, y, in.UseUnit, kHeading);
  y += m.H16 + halfH;
  b.centred(left, right, y, in.UseUnitC, kHeading);
  y += m.H16 + halfH;

  // Visit and customer.
  b.text(2 * W, y, QStringLiteral("ID：") + in.visitNo, kRegular, upTo(2 * W, 25 * W));
  b.text(25 * W, y, QStringLiteral("日期：") + in.date, kRegular, toRight(25 * W));
  y += lineStep;
  b.text(2 * W, y, QStringLiteral("姓名：") + in.name, kRegular, upTo(2 * W, 12 * W));
  b.text(12 * W, y, QStringLiteral("性别：") + in.gender, kRegular, upTo(12 * W, 18 * W));
  b.text(18 * W, y, QStringLiteral("年龄：") + in.age, kRegular, upTo(18 * W, 25 * W));
  b.text(25 * W, y, QStringLiteral("电话：") + in.tel, kRegular, toRight(25 * W));
  y += lineStep;
  y += 2;
  b.line(left, y, right, y);
  y += halfH;
  b.text(2 * W, y, QStringLiteral("亚健康状态中医辨识：") + in.Syn, kRegular, toRight(2 * W));
  y += lineStep;
  b.line(left, y + 2, right, y + 2);
  y += halfH;
  // The visit's questionnaire: its judgement line and the nine scores as a chart.
  if (in.constitution) {
    b.text(2 * W, y, QStringLiteral("体质问卷判定：") + in.constitution->line, kRegular, toRight(2 * W));
    y += lineStep;
    out.chart = SheetChart{left, y, right - left, kSheetChartLines * H, *in.constitution};
    y += kSheetChartLines * H + halfH;
    b.line(left, y, right, y);
    y += halfH;
  }
  b.text(2 * W, y, QStringLiteral("PR"), kPr, toRight(2 * W));
  y += measure.height(QStringLiteral("PR"), kPr) + halfH;

  // The prescriptions, herbs three to a row.
  QString recommend, notRecommend;
  for (const TPerFood& rec : in.LstObj) {
    if (recommend.isEmpty()) recommend = rec.recommend;
    if (notRecommend.isEmpty()) notRecommend = rec.notRecommend;
    b.text(4 * W, y, rec.PreName, kPreName, toRight(4 * W));
    y += bodyStep;
    int x = 4 * W;
    const QStringList herbs = splitItems(rec.FoodHer, QLatin1Char('|'));
    for (qsizetype j = 0; j < herbs.size(); ++j) {
      if (j > 0 && j % 3 == 0) {
        y += lineStep;
        x = 4 * W;
      }
      const QStringList parts = splitItems(herbs[j], QLatin1Char(','));
      const QString name = parts.value(0), dosage = parts.value(1), unit = parts.value(2);
      // A name too long for its column is cut; its dosage always shows.
      b.text(x, y, name, kRegular, std::min(upTo(x, x + 10 * W), toRight(x)), QStringLiteral("  ") + dosage + unit);
      x += 10 * W;
    }
    y += bodyStep;
    for (const QString& use : splitItems(rec.Useway, QLatin1Char('|'))) {
      b.text(4 * W, y, use, kRegular, toRight(4 * W));
      y += bodyStep;
    }
  }

  // Diet taboos: each text on at most two lines of 30 characters.
  if (!recommend.isEmpty() || !notRecommend.isEmpty()) {
    b.text(4 * W, y + halfH, QStringLiteral("饮食禁忌："), kTaboo, toRight(4 * W));
    y += bodyStep;
    for (const QString* t : {&notRecommend, &recommend}) {
      if (t->isEmpty()) continue;
      const QString first = sheetTabooLine(*t, 0, kTabooLineChars);
      const QString second = sheetTabooLine(*t, kTabooLineChars, kTabooLineChars);
      if (!first.isEmpty()) {
        b.text(4 * W, y, first, kTaboo, toRight(4 * W));
        y += bodyStep;
      }
      if (!second.isEmpty()) {
        b.text(5 * W, y, second, kTaboo, toRight(5 * W));
        y += bodyStep;
      }
    }
    y += bodyStep;
  }
  b.text((m.PW - 4 * W) / 2, y, QStringLiteral("（以下为空白）"), kRegular, toRight((m.PW - 4 * W) / 2));

  // Footer: the amount above the rule, with what it is for on its left.
  y = m.PH - 4 * H;
  b.line(left, y, right, y);
  const int feeX = m.PW - 14 * W;
  const QString basis = sheetAmountBasis(in.LstObj, in.UseUnitC);
  if (!basis.isEmpty()) b.rightAligned(left, feeX - halfW, y - H - halfH, basis, kRegular);
  b.text(feeX, y - H - halfH, QStringLiteral("金额：￥") + in.Fee, kRegular, toRight(feeX));
  y += halfW;
  b.text(2 * W, y, QStringLiteral("医生：") + in.user, kRegular, upTo(2 * W, 10 * W));
  b.text(10 * W, y, QStringLiteral("审核："), kRegular, upTo(10 * W, 16 * W));
  b.text(16 * W, y, QStringLiteral("打印时间：") + in.printTime, kRegular, toRight(16 * W));
  return out;
}

QString sheetAmountBasis(const PrintList& list, const QString& kind) {
  // Counted as the totals count a doses or quantity box.
  const auto counted = [](const QString& text) { return QString::number(parseWholeNumber(text).value_or(0)); };
  QStringList parts;
  if (kind == QStringLiteral("药膳方")) {
    for (const TPerFood& rec : list)
      if (!rec.Dosage.trimmed().isEmpty()) parts << rec.PreName + QStringLiteral("×") + counted(rec.Dosage);
    return parts.isEmpty() ? QString() : QStringLiteral("数量：") + parts.join(QStringLiteral("、"));
  }
  for (const TPerFood& rec : list)
    if (!rec.Dosage.trimmed().isEmpty()) parts << counted(rec.Dosage) + QStringLiteral("剂");
  return parts.isEmpty() ? QString() : QStringLiteral("剂数：") + parts.join(QStringLiteral("、"));
}

QString freeSheetPicturePath(const QString& dir, const QString& stem) {
  return freeSheetFilePath(dir, stem, QStringLiteral("png"));
}

QString freeSheetFilePath(const QString& dir, const QString& stem, const QString& suffix) {
  const QDir folder(dir);
  for (int n = 1; n <= 999; ++n) {
    const QString name =
        n == 1 ? QStringLiteral("%1.%2").arg(stem, suffix) : QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(suffix);
    const QString path = folder.filePath(name);
    // Anything of that name counts as taken, a folder or a dangling link as well.
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) return path;
  }
  return {};
}

}  // namespace tcm
