// The identification sheet of a visit that holds a questionnaire: the judgement
// line and the nine scores as a chart, between the identification and the
// prescriptions; a visit without one prints as before.
#include <QImage>

#include "../prescription_sheet/sheet_fixture.h"
#include "prescription/sheet_painter.h"
#include "window_helpers.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class ConstitutionSheet : public SheetFixture {
 protected:
  static ConstitutionResult example() {
    ConstitutionResult r;
    const QList<double> scores = {75, 16, 27, 25, 32, 25, 10, 18, 10};
    for (qsizetype i = 0; i < scores.size(); ++i) r.types << TypeScore{constitutionTypes()[i], false, 0, 0, scores[i], Verdict::No};
    judge(&r);
    return r;
  }
  // Pixels of `colour` in the rectangle.
  static int pixelsOf(const QImage& img, const QRect& area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
  }
};

TEST_F(ConstitutionSheet, ChartAndJudgementWhenTheVisitHoldsOne) {
  SheetContext c = sheetContext();
  const std::optional<ConstitutionResult> none;
  for (const bool holds : {false, true}) {
    c.constitution = [holds] { return holds ? std::optional(example()) : std::nullopt; };
    setSheetContext(c);
    QImage img = makeSheetPicture();
    SheetLayout drawn;
    ASSERT_TRUE(VPrintDF(herbalList(), QStringLiteral("63.0"), img, QStringLiteral("脾气虚"), QStringLiteral("康宁中医馆"),
                         QStringLiteral("汤方"), &drawn));
    QStringList judgement;
    int prY = -1, synY = -1;
    for (const SheetText& t : drawn.texts) {
      if (t.text.startsWith(QStringLiteral("体质问卷判定："))) judgement << t.text;
      if (t.text == QStringLiteral("PR")) prY = t.y;
      if (t.text.startsWith(QStringLiteral("亚健康状态中医辨识："))) synY = t.y;
    }
    if (!holds) {
      EXPECT_TRUE(judgement.isEmpty());
      EXPECT_FALSE(drawn.chart.has_value());
      continue;
    }
    EXPECT_EQ(judgement, QStringList{QStringLiteral("体质问卷判定：基本是平和质，有痰湿质倾向")});
    ASSERT_TRUE(drawn.chart.has_value());
    const QRect box(drawn.chart->x, drawn.chart->y, drawn.chart->width, drawn.chart->height);
    EXPECT_GT(box.top(), synY);
    EXPECT_LT(box.bottom(), prY);  // the prescriptions follow below the chart
    EXPECT_TRUE(QRect(0, 0, img.width(), img.height()).contains(box));
    // The bars are drawn: the program's green for the scores, red for the types that stand out.
    EXPECT_GT(pixelsOf(img, box, qRgb(0x03, 0x7C, 0x6A)), 100);
    EXPECT_GT(pixelsOf(img, box, qRgb(0xC0, 0x50, 0x4D)), 20);
    const QString dir = qEnvironmentVariable("TCM_SHOT_DIR");
    if (!dir.isEmpty()) img.save(dir + QStringLiteral("/constitution_sheet.png"));
  }
}

}  // namespace
