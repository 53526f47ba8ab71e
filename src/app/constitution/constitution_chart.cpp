#include "constitution/constitution_chart.h"

#include <QBarCategoryAxis>
#include <algorithm>
#include <cmath>
#include <QBarSeries>
#include <QHorizontalBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

#include "ui_kit.h"

namespace tcm::ui {
namespace {

const QColor kBar(0x03, 0x7C, 0x6A);
const QColor kStandsOut(0xC0, 0x50, 0x4D);

double topOf(ConstitutionForm form) { return form == ConstitutionForm::Elderly ? 25 : 100; }

// Bars across list the types down the left from 平和质 on top: the chart counts
// its categories from the bottom, so there bar i is type n − 1 − i.
int barOf(const QChart* chart, qsizetype type) {
  const bool across = chart->property("across").toBool();
  return static_cast<int>(across ? constitutionTypes().size() - 1 - type : type);
}

QBarSet* barsOf(QChart* chart) {
  const QList<QAbstractSeries*> series = chart->series();
  auto* bars = series.isEmpty() ? nullptr : qobject_cast<QAbstractBarSeries*>(series.first());
  return bars && bars->count() > 0 ? bars->barSets().first() : nullptr;
}

QFont chartFont(int pixels) {
  QFont f(uiFontFamily());
  f.setPixelSize(pixels);
  return f;
}

}  // namespace

QChart* newScoreChart(ConstitutionForm form, bool across) {
  auto* chart = new QChart;
  chart->setProperty("across", across);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->hide();
  chart->setBackgroundRoundness(0);
  chart->setMargins(QMargins(4, 4, 4, 4));
  auto* set = new QBarSet(QStringLiteral("得分"));
  set->setColor(kBar);
  set->setBorderColor(kBar);
  set->setSelectedColor(kStandsOut);
  set->setLabelColor(Qt::white);
  set->setLabelFont(chartFont(11));
  for (qsizetype i = 0; i < constitutionTypes().size(); ++i) set->append(0);
  QAbstractBarSeries* series = across ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries) : new QBarSeries;
  series->append(set);
  series->setBarWidth(0.65);
  series->setLabelsVisible(true);
  series->setLabelsPosition(QAbstractBarSeries::LabelsInsideBase);
  series->setLabelsPrecision(4);
  chart->addSeries(series);
  auto* types = new QBarCategoryAxis;
  QStringList names = constitutionTypes();
  if (across) std::reverse(names.begin(), names.end());
  types->append(names);
  types->setLabelsFont(chartFont(13));
  auto* values = new QValueAxis;
  values->setRange(0, topOf(form));
  values->setLabelFormat(QStringLiteral("%d"));
  values->setTickCount(6);
  values->setLabelsFont(chartFont(11));
  chart->addAxis(types, across ? Qt::AlignLeft : Qt::AlignBottom);
  chart->addAxis(values, across ? Qt::AlignBottom : Qt::AlignLeft);
  series->attachAxis(types);
  series->attachAxis(values);
  return chart;
}

void showScores(QChart* chart, const ConstitutionResult& r) {
  QBarSet* set = barsOf(chart);
  if (!set) return;
  const QList<QAbstractAxis*> values =
      chart->axes(chart->property("across").toBool() ? Qt::Horizontal : Qt::Vertical);
  if (!values.isEmpty()) {
    auto* axis = static_cast<QValueAxis*>(values.first());
    if (axis->max() != topOf(r.form)) axis->setRange(0, topOf(r.form));
  }
  QList<int> standOut;
  for (qsizetype i = 0; i < r.types.size(); ++i) {
    const int bar = barOf(chart, i);
    if (bar < 0 || bar >= set->count()) continue;
    const double shown = std::round(r.types[i].score * 10) / 10;
    if (set->at(bar) != shown) set->replace(bar, shown);
    if (r.types[i].verdict != Verdict::No) standOut << bar;
  }
  std::sort(standOut.begin(), standOut.end());
  if (set->selectedBars() != standOut) {
    set->deselectAllBars();
    set->selectBars(standOut);
  }
}

QList<double> shownScores(QChart* chart) {
  QList<double> out;
  if (QBarSet* set = barsOf(chart))
    for (qsizetype t = 0; t < constitutionTypes().size() && barOf(chart, t) < set->count(); ++t)
      out << set->at(barOf(chart, t));
  return out;
}

QChart* newTrendChart(const QList<SavedConstitution>& points) {
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->legend()->setAlignment(Qt::AlignRight);
  chart->legend()->setFont(chartFont(12));
  const ConstitutionForm form = points.isEmpty() ? ConstitutionForm::Standard : points.first().result.form;
  chart->setTitle(QStringLiteral("体质变化趋势（%1）").arg(formCaption(form)));
  chart->setTitleFont(chartFont(14));
  auto* x = new QBarCategoryAxis;
  QStringList dates;
  for (const SavedConstitution& s : points) {
    QString d = s.wrDate.left(10);
    // Two visits of one day keep apart.
    while (dates.contains(d)) d += QLatin1Char(' ');
    dates << d;
  }
  x->append(dates);
  x->setLabelsFont(chartFont(11));
  auto* y = new QValueAxis;
  y->setRange(0, topOf(form));
  y->setLabelFormat(QStringLiteral("%d"));
  y->setTickCount(6);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  // Nine distinct colours, 平和质 in the program's green.
  static const QList<QColor> colours = {QColor(0x03, 0x7C, 0x6A), QColor(0xE6, 0x9F, 0x00), QColor(0xC0, 0x50, 0x4D),
                                        QColor(0x56, 0xB4, 0xE9), QColor(0x7F, 0x6A, 0x4F), QColor(0xCC, 0x79, 0xA7),
                                        QColor(0x80, 0x3E, 0x75), QColor(0x00, 0x72, 0xB2), QColor(0x99, 0x99, 0x33)};
  for (qsizetype t = 0; t < constitutionTypes().size(); ++t) {
    auto* line = new QLineSeries;
    line->setName(constitutionTypes()[t]);
    line->setPointsVisible(true);
    QPen pen(colours.value(t));
    pen.setWidth(2);
    line->setPen(pen);
    for (qsizetype i = 0; i < points.size(); ++i)
      if (const TypeScore* s = points[i].result.find(constitutionTypes()[t])) line->append(static_cast<double>(i), s->score);
    chart->addSeries(line);
    line->attachAxis(x);
    line->attachAxis(y);
  }
  return chart;
}

void paintScoreChart(QPainter& painter, const QRectF& area, const ConstitutionResult& r) {
  if (area.width() <= 0 || area.height() <= 0) return;
  QGraphicsScene scene;
  // The sheet's box is wide and low: the bars stand up, the names below them.
  QChart* chart = newScoreChart(r.form, false);
  scene.addItem(chart);  // the scene owns and deletes it
  chart->setBackgroundVisible(false);
  for (QAbstractAxis* axis : chart->axes()) axis->setLabelsFont(chartFont(11));
  // Laid out at screen size and scaled into the area, so its letters keep
  // their size to the page on a printer of any resolution.
  constexpr double kWidth = 600;
  chart->setGeometry(QRectF(0, 0, kWidth, kWidth * area.height() / area.width()));
  showScores(chart, r);
  scene.setSceneRect(chart->geometry());
  scene.render(&painter, area, chart->geometry());
}

}  // namespace tcm::ui
