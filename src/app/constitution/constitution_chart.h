#pragma once
// The charts of the questionnaire: the nine scores as bars (the types judged 是,
// 基本是 or 倾向是 stand out in red) and the trend of a customer's results over
// visits, one line per type. The same bar chart paints onto the sheet.
#include <QList>

#include "constitution/constitution_store.h"

class QChart;
class QPainter;
class QRectF;

namespace tcm::ui {

// A bar chart of the nine types on the form's scale (0–100, elderly 0–25), all
// bars 0: across (the names down the left, 平和质 on top) or standing up.
QChart* newScoreChart(ConstitutionForm form, bool across = true);
// Puts the scores of `r` into a chart made by newScoreChart (its scale follows r's form).
void showScores(QChart* chart, const ConstitutionResult& r);
// The value of each bar as the chart shows it, in the standard's order of types.
QList<double> shownScores(QChart* chart);

// One line per type over the results (oldest first), the visits' dates below.
QChart* newTrendChart(const QList<SavedConstitution>& points);

// Paints the bar chart of `r` into `area` (the sheet).
void paintScoreChart(QPainter& painter, const QRectF& area, const ConstitutionResult& r);

}  // namespace tcm::ui
