// The identification sheet's placed texts and lines, computed from given
// metrics with a measure in which every character is as wide as its point size.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "prescription/sheet_layout.h"
#include "sheet_checks.h"

using namespace tcm;
using tcm::test::sheetOverprints;

namespace {

// Each character is `pointSize` wide; a line is `pointSize + 4` high.
SheetMeasure gridMeasure() {
  SheetMeasure m;
  m.width = [](const QString& t, const SheetFont& f) { return static_cast<int>(t.size()) * f.pointSize; };
  m.height = [](const QString&, const SheetFont& f) { return f.pointSize + 4; };
  return m;
}

constexpr int PW = 565, PH = 665;
constexpr int W = 11, H = 15, H16 = 20;  // what gridMeasure gives

SheetLayout layout(const SheetInput& in) {
  const SheetMetrics m = measureSheetMetrics(PW, PH, gridMeasure());
  return layoutSheet(in, m, gridMeasure());
}

const SheetText* find(const SheetLayout& l, const QString& text) {
  for (const SheetText& t : l.texts)
    if (t.text == text) return &t;
  return nullptr;
}

const SheetText* findPrefix(const SheetLayout& l, const QString& prefix) {
  for (const SheetText& t : l.texts)
    if (t.text.startsWith(prefix)) return &t;
  return nullptr;
}

QString herbs(int n, const QString& stem = QStringLiteral("药")) {
  QStringList items;
  for (int i = 1; i <= n; ++i) items << QStringLiteral("%1%2,%3,g").arg(stem).arg(i).arg(i * 5);
  return items.join(QLatin1Char('|'));
}

SheetInput herbal(int herbCount) {
  SheetInput in;
  TPerFood rec;
  rec.PreName = QStringLiteral("四君子汤");
  rec.FoodHer = herbs(herbCount);
  in.LstObj << rec;
  in.Fee = QStringLiteral("120.0");
  in.Syn = QStringLiteral("气虚质");
  in.UseUnit = QStringLiteral("康宁中医馆");
  in.UseUnitC = QStringLiteral("处方");
  in.visitNo = QStringLiteral("202503070001");
  in.name = QStringLiteral("张三");
  in.gender = QStringLiteral("男");
  in.age = QStringLiteral("45");
  in.tel = QStringLiteral("13800000001");
  in.user = QStringLiteral("李医生");
  in.date = QStringLiteral("2025/3/7");
  in.printTime = QStringLiteral("2025/3/7 10:05:33");
  return in;
}

QString chars(int n, QChar c) { return QString(n, c); }

}  // namespace

TEST(SheetLayout, MeasuresTheCharactersOfThePageFont) {
  const SheetMetrics m = measureSheetMetrics(PW, PH, gridMeasure());
  EXPECT_EQ(m.W, W);
  EXPECT_EQ(m.H, H);
  EXPECT_EQ(m.H16, H16);
  EXPECT_EQ(m.PW, PW);
  EXPECT_EQ(m.PH, PH);
}

TEST(SheetLayout, HeadCustomerAndRules) {
  const SheetLayout l = layout(herbal(1));
  // Heading centred, 11 points bold.
  const SheetText* unit = find(l, QStringLiteral("康宁中医馆"));
  ASSERT_TRUE(unit);
  EXPECT_EQ(unit->x, (PW - 5 * 11) / 2);
  EXPECT_EQ(unit->y, 2 * H);
  EXPECT_EQ(unit->font, (SheetFont{11, true, false}));
  const SheetText* kind = find(l, QStringLiteral("处方"));
  ASSERT_TRUE(kind);
  EXPECT_EQ(kind->x, (PW - 2 * 11) / 2);
  EXPECT_EQ(kind->y, 2 * H + H16 + H / 2);
  // Visit, date and customer lines.
  const int yId = 2 * H + 2 * (H16 + H / 2);
  struct Want {
    const char* text;
    int x, y;
  };
  const Want wants[] = {
      {"ID：202503070001", 2 * W, yId},           {"日期：2025/3/7", 25 * W, yId},
      {"姓名：张三", 2 * W, yId + H + H / 2},     {"性别：男", 12 * W, yId + H + H / 2},
      {"年龄：45", 18 * W, yId + H + H / 2},      {"电话：13800000001", 25 * W, yId + H + H / 2},
      {"亚健康状态中医辨识：气虚质", 2 * W, yId + 2 * (H + H / 2) + 2 + H / 2},
  };
  for (const Want& w : wants) {
    const SheetText* t = find(l, QString::fromUtf8(w.text));
    ASSERT_TRUE(t) << w.text;
    EXPECT_EQ(t->x, w.x) << w.text;
    EXPECT_EQ(t->y, w.y) << w.text;
    EXPECT_EQ(t->font, (SheetFont{11, false, false})) << w.text;
  }
  // Two rules under the customer and the result, one above the footer.
  const int rule1 = yId + 2 * (H + H / 2) + 2;
  const int rule2 = rule1 + H / 2 + H + H / 2 + 2;
  ASSERT_EQ(l.lines.size(), 3);
  EXPECT_EQ(l.lines[0].y1, rule1);
  EXPECT_EQ(l.lines[1].y1, rule2);
  for (const SheetLine& line : l.lines) {
    EXPECT_EQ(line.x1, 2 * W);
    EXPECT_EQ(line.x2, PW - 2 * W);
    EXPECT_EQ(line.y1, line.y2);
  }
  const SheetText* pr = find(l, QStringLiteral("PR"));
  ASSERT_TRUE(pr);
  EXPECT_EQ(pr->y, rule2 - 2 + H / 2);
  EXPECT_EQ(pr->font, (SheetFont{13, true, false}));
  const SheetText* heading = find(l, QStringLiteral("四君子汤"));
  ASSERT_TRUE(heading);
  EXPECT_EQ(heading->x, 4 * W);
  EXPECT_EQ(heading->y, pr->y + 13 + 4 + H / 2);
  EXPECT_EQ(heading->font, (SheetFont{12, true, false}));
}

TEST(SheetLayout, SevenHerbsStandThreeToARow) {
  const SheetLayout l = layout(herbal(7));
  const SheetText* heading = find(l, QStringLiteral("四君子汤"));
  ASSERT_TRUE(heading);
  const int firstRow = heading->y + H + W / 2;
  for (int i = 1; i <= 7; ++i) {
    const SheetText* t = find(l, QStringLiteral("药%1  %2g").arg(i).arg(i * 5));
    ASSERT_TRUE(t) << i;
    const int row = (i - 1) / 3, col = (i - 1) % 3;
    EXPECT_EQ(t->x, (4 + 10 * col) * W) << i;
    EXPECT_EQ(t->y, firstRow + row * (H + H / 2)) << i;
  }
  // No taboo texts: the blank mark follows the herbs directly.
  EXPECT_FALSE(find(l, QStringLiteral("饮食禁忌：")));
  const SheetText* blank = find(l, QStringLiteral("（以下为空白）"));
  ASSERT_TRUE(blank);
  EXPECT_EQ(blank->x, (PW - 4 * W) / 2);
  EXPECT_EQ(blank->y, firstRow + 2 * (H + H / 2) + H + W / 2);
}

TEST(SheetLayout, FoodRecordsInOrderEachWithItsHerbs) {
  SheetInput in = herbal(0);
  in.LstObj.clear();
  const QStringList titles = {QStringLiteral("汤"), QStringLiteral("粥"), QStringLiteral("饮")};
  for (int i = 0; i < 3; ++i) {
    TPerFood rec;
    rec.PreName = titles[i];
    rec.FoodHer = herbs(i + 2, titles[i]);
    rec.Useway = i == 2 ? QStringLiteral("每日一剂|分两次服") : QString();
    rec.recommend = i == 0 ? QString() : QStringLiteral("宜食山药");
    rec.notRecommend = i == 0 ? QString() : (i == 1 ? QStringLiteral("忌生冷") : QStringLiteral("忌辛辣"));
    in.LstObj << rec;
  }
  const SheetLayout l = layout(in);
  int y = -1;
  for (int i = 0; i < 3; ++i) {
    const SheetText* head = find(l, titles[i]);
    ASSERT_TRUE(head) << i;
    EXPECT_GT(head->y, y) << "heading " << i << " below everything of the record before it";
    for (int j = 1; j <= i + 2; ++j) {
      const SheetText* herb = findPrefix(l, titles[i] + QString::number(j) + QStringLiteral("  "));
      ASSERT_TRUE(herb) << i << "/" << j;
      EXPECT_GT(herb->y, head->y);
      y = std::max(y, herb->y);
    }
  }
  // Usage lines one under the other at 4W.
  const SheetText* use1 = find(l, QStringLiteral("每日一剂"));
  const SheetText* use2 = find(l, QStringLiteral("分两次服"));
  ASSERT_TRUE(use1 && use2);
  EXPECT_EQ(use1->x, 4 * W);
  EXPECT_EQ(use1->y, y + H + W / 2);
  EXPECT_EQ(use2->y, use1->y + H + W / 2);
  // The first non-empty advice of each kind is printed.
  EXPECT_TRUE(find(l, QStringLiteral("忌生冷")));
  EXPECT_FALSE(find(l, QStringLiteral("忌辛辣")));
  EXPECT_TRUE(find(l, QStringLiteral("宜食山药")));
}

TEST(SheetLayout, TabooLinesAreCutAtThirtyAndSixtyCharacters) {
  struct Case {
    const char* name;
    QString notRecommend, recommend;
    // Expected lines after the heading: text and x in units of W.
    QList<QPair<QString, int>> lines;
  };
  const QString n45 = chars(30, QChar(0x5FCC)) + chars(15, QChar(0x751F));  // 忌… 生…
  const QString r70 = chars(30, QChar(0x5B9C)) + chars(30, QChar(0x98DF)) + chars(10, QChar(0x4F59));  // 宜… 食… 余…
  const QString r45 = chars(30, QChar(0x5B9C)) + chars(15, QChar(0x98DF));
  const Case cases[] = {
      {"recommend of 45", {}, r45, {{chars(30, QChar(0x5B9C)), 4}, {chars(15, QChar(0x98DF)), 5}}},
      {"recommend of 70 loses its last 10", {}, r70, {{chars(30, QChar(0x5B9C)), 4}, {chars(30, QChar(0x98DF)), 5}}},
      {"only notRecommend", n45, {}, {{chars(30, QChar(0x5FCC)), 4}, {chars(15, QChar(0x751F)), 5}}},
      {"both, notRecommend first",
       QStringLiteral("忌生冷"),
       QStringLiteral("宜山药"),
       {{QStringLiteral("忌生冷"), 4}, {QStringLiteral("宜山药"), 4}}},
  };
  for (const Case& c : cases) {
    SheetInput in = herbal(2);
    in.LstObj[0].notRecommend = c.notRecommend;
    in.LstObj[0].recommend = c.recommend;
    const SheetLayout l = layout(in);
    const SheetText* herb = findPrefix(l, QStringLiteral("药1  "));
    const SheetText* heading = find(l, QStringLiteral("饮食禁忌："));
    ASSERT_TRUE(herb && heading) << c.name;
    const int y0 = herb->y + H + W / 2;  // after the herbs
    EXPECT_EQ(heading->y, y0 + H / 2) << c.name;
    EXPECT_EQ(heading->x, 4 * W) << c.name;
    EXPECT_TRUE(heading->font.italic) << c.name;
    // The texts between the heading and the blank mark are exactly the expected lines.
    QList<const SheetText*> body;
    for (const SheetText& t : l.texts)
      if (t.y > heading->y - H / 2 && &t != heading && t.text != QStringLiteral("（以下为空白）") && t.y < PH - 6 * H)
        body << &t;
    ASSERT_EQ(body.size(), c.lines.size()) << c.name;
    int y = y0 + H + W / 2;
    for (qsizetype i = 0; i < body.size(); ++i) {
      EXPECT_EQ(body[i]->text, c.lines[i].first) << c.name << " line " << i;
      EXPECT_EQ(body[i]->x, c.lines[i].second * W) << c.name << " line " << i;
      EXPECT_EQ(body[i]->y, y) << c.name << " line " << i;
      EXPECT_TRUE(body[i]->font.italic) << c.name;
      y += H + W / 2;
    }
    const SheetText* blank = find(l, QStringLiteral("（以下为空白）"));
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->y, y + H + W / 2) << c.name;
    EXPECT_FALSE(blank->font.italic);
    // Nothing beyond the sixtieth character is printed anywhere.
    for (const SheetText& t : l.texts) EXPECT_FALSE(t.text.contains(QChar(0x4F59))) << c.name;
  }
}

TEST(SheetLayout, FooterStandsAtPageHeightLessFourLinesWhateverTheBody) {
  for (int herbCount : {0, 3, 32, 120}) {
    SheetInput in = herbal(herbCount);
    in.LstObj[0].recommend = chars(70, QChar(0x5B9C));
    const SheetLayout l = layout(in);
    const int y = PH - 4 * H;
    ASSERT_FALSE(l.lines.isEmpty());
    const SheetLine& rule = l.lines.last();
    EXPECT_EQ(rule.y1, y) << herbCount;
    EXPECT_EQ(rule.y2, y) << herbCount;
    const SheetText* fee = find(l, QStringLiteral("金额：￥120.0"));
    ASSERT_TRUE(fee) << herbCount;
    EXPECT_EQ(fee->x, PW - 14 * W);
    EXPECT_EQ(fee->y, y - H - H / 2);
    const SheetText* doctor = find(l, QStringLiteral("医生：李医生"));
    const SheetText* check = find(l, QStringLiteral("审核："));
    const SheetText* time = find(l, QStringLiteral("打印时间：2025/3/7 10:05:33"));
    ASSERT_TRUE(doctor && check && time) << herbCount;
    EXPECT_EQ(doctor->x, 2 * W);
    EXPECT_EQ(check->x, 10 * W);
    EXPECT_EQ(time->x, 16 * W);
    for (const SheetText* t : {doctor, check, time}) EXPECT_EQ(t->y, y + W / 2) << herbCount;
  }
}

TEST(SheetLayout, EmptyInputsLeaveTheirLabels) {
  SheetInput in;
  const SheetLayout l = layout(in);
  for (const char* label : {"ID：", "日期：", "姓名：", "性别：", "年龄：", "电话：", "亚健康状态中医辨识：", "金额：￥", "医生："})
    EXPECT_TRUE(find(l, QString::fromUtf8(label))) << label;
  EXPECT_TRUE(find(l, QStringLiteral("（以下为空白）")));
}

TEST(SheetLayout, TabooLineCountsCharactersNotCodeUnits) {
  const QString wide = QString::fromUcs4(U"\U00020000\U00020001\U00020002");
  EXPECT_EQ(sheetTabooLine(wide, 0, 2), QString::fromUcs4(U"\U00020000\U00020001"));
  EXPECT_EQ(sheetTabooLine(wide, 2, 30), QString::fromUcs4(U"\U00020002"));
  EXPECT_EQ(sheetTabooLine(wide, 3, 30), QString());
}

TEST(SheetLayout, EveryTextFitsItsFieldShrinkingThenCutting) {
  const QString name8 = chars(8, QChar(0x6B27)), name15 = chars(15, QChar(0x6B27));
  struct Case {
    const char* what;
    std::function<void(SheetInput&)> set;
    QString prefix;  // finds the fitted text
    QString text;    // what it must read
    int pointSize;
    QString sameLine;  // a text on its line
  };
  const Case cases[] = {
      {"a short name stays", [](SheetInput& in) { in.name = QStringLiteral("欧阳明月"); }, QStringLiteral("姓名："),
       QStringLiteral("姓名：欧阳明月"), 11, QStringLiteral("性别：")},
      // field 12W - 2W - W/2 = 105: eleven characters fit at 9 points
      {"8 characters shrink", [&](SheetInput& in) { in.name = name8; }, QStringLiteral("姓名："),
       QStringLiteral("姓名：") + name8, 9, QStringLiteral("性别：")},
      // at 8 points 13 characters fit: the label, 9 of the name and the ellipsis
      {"15 characters are cut", [&](SheetInput& in) { in.name = name15; }, QStringLiteral("姓名："),
       QStringLiteral("姓名：") + chars(9, QChar(0x6B27)) + QStringLiteral("…"), 8, QStringLiteral("性别：")},
      {"a long telephone shrinks", [](SheetInput& in) { in.tel = QString(30, QLatin1Char('1')); },
       QStringLiteral("电话："), QStringLiteral("电话：") + QString(30, QLatin1Char('1')), 8, QStringLiteral("年龄：")},
      {"a long gender is cut", [](SheetInput& in) { in.gender = chars(9, QChar(0x7537)); }, QStringLiteral("性别："),
       QStringLiteral("性别：") + chars(3, QChar(0x7537)) + QStringLiteral("…"), 8, QStringLiteral("姓名：")},
      {"a long result is cut at the right margin", [](SheetInput& in) { in.Syn = chars(60, QChar(0x6C14)); },
       QStringLiteral("亚健康"), QStringLiteral("亚健康状态中医辨识：") + chars(54, QChar(0x6C14)) + QStringLiteral("…"), 8,
       QStringLiteral("亚健康")},
      {"a long doctor's name is cut before 审核", [](SheetInput& in) { in.user = chars(12, QChar(0x674E)); },
       QStringLiteral("医生："), QStringLiteral("医生：") + chars(6, QChar(0x674E)) + QStringLiteral("…"), 8,
       QStringLiteral("审核：")},
      {"a long herb name is cut before the next column",
       [](SheetInput& in) { in.LstObj[0].FoodHer = chars(10, QChar(0x836F)) + QStringLiteral(",5,g|甘草,6,g"); },
       chars(3, QChar(0x836F)), chars(8, QChar(0x836F)) + QStringLiteral("…  5g"), 8, QStringLiteral("甘草")},
      {"a long prescription name shrinks in bold",
       [](SheetInput& in) { in.LstObj[0].PreName = chars(50, QChar(0x6C64)); }, chars(3, QChar(0x6C64)),
       chars(50, QChar(0x6C64)), 9, QStringLiteral("四君子汤")},
  };
  const SheetLayout original = layout(herbal(4));
  for (const Case& c : cases) {
    SheetInput in = herbal(4);
    c.set(in);
    const SheetLayout l = layout(in);
    EXPECT_EQ(sheetOverprints(l, gridMeasure()), QString()) << c.what;
    const SheetText* t = findPrefix(l, c.prefix);
    ASSERT_TRUE(t) << c.what;
    EXPECT_EQ(t->text, c.text) << c.what;
    EXPECT_EQ(t->font.pointSize, c.pointSize) << c.what;
    // A smaller text keeps the bottom of its line: that of a neighbour, or of the text before it grew.
    const SheetText* ref = findPrefix(l, c.sameLine);
    if (!ref || ref == t) ref = findPrefix(original, c.sameLine);
    ASSERT_TRUE(ref) << c.what;
    EXPECT_EQ(t->y + t->font.pointSize, ref->y + ref->font.pointSize) << c.what;
  }
  // The shop name shrinks and stays centred.
  SheetInput in = herbal(1);
  in.UseUnit = chars(60, QChar(0x5E97));
  const SheetLayout l = layout(in);
  const SheetText* unit = find(l, in.UseUnit);
  ASSERT_TRUE(unit);
  EXPECT_EQ(unit->font, (SheetFont{8, true, false}));
  EXPECT_EQ(unit->x, (PW - 60 * 8) / 2);
  EXPECT_EQ(unit->y, 2 * H + 15 - 12);
  EXPECT_EQ(sheetOverprints(l, gridMeasure()), QString());
}

TEST(SheetLayout, TheAmountSaysHowManyDosesOrPortionsItIsFor) {
  struct Case {
    const char* what;
    QString kind;
    QList<QPair<QString, QString>> records;  // name, Dosage
    QString basis;
  };
  const Case cases[] = {
      {"herbal, 7 doses", QStringLiteral("处方"), {{QStringLiteral("四君子汤"), QStringLiteral("7")}},
       QStringLiteral("剂数：7剂")},
      {"herbal, doses not a number count 0", QStringLiteral("处方"), {{QStringLiteral("四君子汤"), QStringLiteral("7a")}},
       QStringLiteral("剂数：0剂")},
      {"herbal without doses", QStringLiteral("处方"), {{QStringLiteral("四君子汤"), QString()}}, QString()},
      {"food, each section's quantity",
       QStringLiteral("药膳方"),
       {{QStringLiteral("山药粥"), QStringLiteral("6")}, {QStringLiteral("红枣汤"), QStringLiteral(" 2 ")},
        {QStringLiteral("菊花茶"), QStringLiteral("3")}},
       QStringLiteral("数量：山药粥×6、红枣汤×2、菊花茶×3")},
  };
  for (const Case& c : cases) {
    SheetInput in = herbal(0);
    in.UseUnitC = c.kind;
    in.LstObj.clear();
    for (const auto& [name, dosage] : c.records) {
      TPerFood rec;
      rec.PreName = name;
      rec.Dosage = dosage;
      in.LstObj << rec;
    }
    EXPECT_EQ(sheetAmountBasis(in.LstObj, c.kind), c.basis) << c.what;
    const SheetLayout l = layout(in);
    const SheetText* fee = find(l, QStringLiteral("金额：￥120.0"));
    ASSERT_TRUE(fee) << c.what;
    EXPECT_EQ(fee->x, PW - 14 * W) << c.what;
    const SheetText* basis = c.basis.isEmpty() ? nullptr : find(l, c.basis);
    if (c.basis.isEmpty()) {
      EXPECT_FALSE(findPrefix(l, QStringLiteral("剂数：")) || findPrefix(l, QStringLiteral("数量："))) << c.what;
      continue;
    }
    ASSERT_TRUE(basis) << c.what;
    // Beside the amount: on its line, ending half a character before it.
    EXPECT_EQ(basis->y, fee->y) << c.what;
    EXPECT_EQ(basis->x + static_cast<int>(c.basis.size()) * 11, fee->x - W / 2) << c.what;
    EXPECT_EQ(sheetOverprints(l, gridMeasure()), QString()) << c.what;
  }
  // Quantities too many for the line are cut, never run into the amount.
  SheetInput in = herbal(0);
  in.UseUnitC = QStringLiteral("药膳方");
  in.LstObj.clear();
  for (int i = 0; i < 3; ++i) {
    TPerFood rec;
    rec.PreName = chars(15, QChar(0x7CA5));
    rec.Dosage = QStringLiteral("6");
    in.LstObj << rec;
  }
  const SheetLayout l = layout(in);
  const SheetText* basis = findPrefix(l, QStringLiteral("数量："));
  ASSERT_TRUE(basis);
  EXPECT_TRUE(basis->text.endsWith(QStringLiteral("…")));
  EXPECT_EQ(sheetOverprints(l, gridMeasure()), QString());
}

TEST(SheetPicturePath, TheFirstPictureOfTheDayKeepsItsNameLaterOnesCountOn) {
  struct Case {
    const char* what;
    QStringList files, folders;
    QString next;
  };
  const Case cases[] = {
      {"the first of the day", {}, {}, QStringLiteral("20250307-12-7.png")},
      {"the second", {QStringLiteral("20250307-12-7.png")}, {}, QStringLiteral("20250307-12-7-2.png")},
      {"the third",
       {QStringLiteral("20250307-12-7.png"), QStringLiteral("20250307-12-7-2.png")},
       {},
       QStringLiteral("20250307-12-7-3.png")},
      {"a gap is filled",
       {QStringLiteral("20250307-12-7.png"), QStringLiteral("20250307-12-7-3.png")},
       {},
       QStringLiteral("20250307-12-7-2.png")},
      {"another user's pictures are not counted", {QStringLiteral("20250307-12-8.png")}, {},
       QStringLiteral("20250307-12-7.png")},
      {"a folder of the name is taken", {}, {QStringLiteral("20250307-12-7.png")}, QStringLiteral("20250307-12-7-2.png")},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& f : c.files) {
      QFile file(QDir(dir.path()).filePath(f));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << c.what;
    }
    for (const QString& f : c.folders) ASSERT_TRUE(QDir(dir.path()).mkdir(f)) << c.what;
    EXPECT_EQ(freeSheetPicturePath(dir.path(), QStringLiteral("20250307-12-7")), QDir(dir.path()).filePath(c.next))
        << c.what;
  }
}
