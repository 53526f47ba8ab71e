#include "prescription/sheet_layout.h"

#include "text/item_list.h"

namespace tcm {
namespace {

const SheetFont kRegular{11, false, false};
const SheetFont kHeading{11, true, false};
const SheetFont kPreName{12, true, false};
const SheetFont kPr{13, true, false};
const SheetFont kTaboo{11, false, true};

// Characters per taboo line, and the lines kept of each taboo text.
constexpr int kTabooLineChars = 30;

class Builder {
 public:
  Builder(SheetLayout* out) : out_(out) {}
  void text(int x, int y, const QString& t, const SheetFont& f) { out_->texts.append(SheetText{x, y, t, f}); }
  void line(int x1, int y1, int x2, int y2) { out_->lines.append(SheetLine{x1, y1, x2, y2}); }

 private:
  SheetLayout* out_;
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
  Builder b(&out);
  const int W = m.W, H = m.H, halfH = H / 2, halfW = W / 2;
  const int left = 2 * W, right = m.PW - 2 * W;
  const int lineStep = H + halfH;  // between the lines of the head
  const int bodyStep = H + halfW;  // between the lines of the body

  // Heading: the shop and the document kind, centred.
  int y = 2 * H;
  b.text((m.PW - measure.width(in.UseUnit, kHeading)) / 2, y, in.UseUnit, kHeading);
  y += m.H16 + halfH;
  b.text((m.PW - measure.width(in.UseUnitC, kHeading)) / 2, y, in.UseUnitC, kHeading);
  y += m.H16 + halfH;

  // Visit and customer.
  b.text(2 * W, y, QStringLiteral("ID：") + in.visitNo, kRegular);
  b.text(25 * W, y, QStringLiteral("日期：") + in.date, kRegular);
  y += lineStep;
  b.text(2 * W, y, QStringLiteral("姓名：") + in.name, kRegular);
  b.text(12 * W, y, QStringLiteral("性别：") + in.gender, kRegular);
  b.text(18 * W, y, QStringLiteral("年龄：") + in.age, kRegular);
  b.text(25 * W, y, QStringLiteral("电话：") + in.tel, kRegular);
  y += lineStep;
  y += 2;
  b.line(left, y, right, y);
  y += halfH;
  b.text(2 * W, y, QStringLiteral("亚健康状态中医辨识：") + in.Syn, kRegular);
  y += lineStep;
  b.line(left, y + 2, right, y + 2);
  y += halfH;
  b.text(2 * W, y, QStringLiteral("PR"), kPr);
  y += measure.height(QStringLiteral("PR"), kPr) + halfH;

  // The prescriptions, herbs three to a row.
  QString recommend, notRecommend;
  for (const TPerFood& rec : in.LstObj) {
    if (recommend.isEmpty()) recommend = rec.recommend;
    if (notRecommend.isEmpty()) notRecommend = rec.notRecommend;
    b.text(4 * W, y, rec.PreName, kPreName);
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
      b.text(x, y, name + QStringLiteral("  ") + dosage + unit, kRegular);
      x += 10 * W;
    }
    y += bodyStep;
    for (const QString& use : splitItems(rec.Useway, QLatin1Char('|'))) {
      b.text(4 * W, y, use, kRegular);
      y += bodyStep;
    }
  }

  // Diet taboos: each text on at most two lines of 30 characters.
  if (!recommend.isEmpty() || !notRecommend.isEmpty()) {
    b.text(4 * W, y + halfH, QStringLiteral("饮食禁忌："), kTaboo);
    y += bodyStep;
    for (const QString* t : {&notRecommend, &recommend}) {
      if (t->isEmpty()) continue;
      const QString first = sheetTabooLine(*t, 0, kTabooLineChars);
      const QString second = sheetTabooLine(*t, kTabooLineChars, kTabooLineChars);
      if (!first.isEmpty()) {
        b.text(4 * W, y, first, kTaboo);
        y += bodyStep;
      }
      if (!second.isEmpty()) {
        b.text(5 * W, y, second, kTaboo);
        y += bodyStep;
      }
    }
    y += bodyStep;
  }
  b.text((m.PW - 4 * W) / 2, y, QStringLiteral("（以下为空白）"), kRegular);

  // Footer.
  y = m.PH - 4 * H;
  b.line(left, y, right, y);
  b.text(m.PW - 14 * W, y - H - halfH, QStringLiteral("金额：￥") + in.Fee, kRegular);
  y += halfW;
  b.text(2 * W, y, QStringLiteral("医生：") + in.user, kRegular);
  b.text(10 * W, y, QStringLiteral("审核："), kRegular);
  b.text(16 * W, y, QStringLiteral("打印时间：") + in.printTime, kRegular);
  return out;
}

}  // namespace tcm
