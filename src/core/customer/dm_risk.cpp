#include "customer/dm_risk.h"

#include <QSqlQuery>

#include "db/failure_cause.h"
#include "db/gateway.h"
#include "db/row_change.h"
#include "engine/identification.h"

namespace tcm {
namespace {

constexpr int kBmiFromAge = 18;

struct Band {
  double from;  // the band runs from here up to the next band's start
  int points;
};

// The points of the last band whose start `value` reaches; 0 below the first.
template <size_t N>
int bandPoints(const Band (&bands)[N], double value) {
  int points = 0;
  for (const Band& b : bands)
    if (value >= b.from) points = b.points;
  return points;
}

}  // namespace

int dmWholeNumber(const QString& box) { return leadingNumber(box.trimmed()); }

double dmDecimal(const QString& box) {
  const QString text = box.trimmed();
  qsizetype end = 0;
  while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128) ++end;
  if (end < text.size() && text[end] == QLatin1Char('.')) {
    ++end;
    while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128) ++end;
  }
  bool ok = false;
  const double value = text.left(end).toDouble(&ok);
  return ok ? value : 0.0;
}

int dmAgePoints(int age) {
  if (age >= 75) return 0;
  static constexpr Band kAge[] = {{25, 4}, {35, 8}, {40, 11}, {45, 12}, {50, 13}, {55, 15}, {60, 16}, {65, 18}};
  return bandPoints(kAge, age);
}

int dmPressurePoints(int systolic) {
  static constexpr Band kPressure[] = {{110, 1}, {120, 3}, {130, 6}, {140, 7}, {150, 8}, {160, 10}};
  return bandPoints(kPressure, systolic);
}

int dmBmiPoints(double bmi) {
  static constexpr Band kBmi[] = {{22, 1}, {24, 3}, {30, 5}};
  return bandPoints(kBmi, bmi);
}

int dmWaistPoints(double waist, DmGender gender) {
  static constexpr Band kMale[] = {{70, 0}, {75, 3}, {80, 5}, {85, 7}, {90, 8}, {95, 10}};
  static constexpr Band kFemale[] = {{70, 3}, {75, 5}, {80, 7}, {85, 8}, {90, 10}, {95, 10}};
  switch (gender) {
    case DmGender::Male:
      return bandPoints(kMale, waist);
    case DmGender::Female:
      return bandPoints(kFemale, waist);
    case DmGender::None:
      break;
  }
  return 0;
}

QString dmRiskClass(int score) {
  if (score <= 16) return QStringLiteral("低危");
  if (score <= 24) return QStringLiteral("中危型");
  return QStringLiteral("高危型");
}

std::optional<DmScore> TestDM(const DmAnswers& a) {
  for (const QString* box : {&a.age, &a.weight, &a.height, &a.waist})
    if (box->trimmed().isEmpty()) return std::nullopt;
  const int age = dmWholeNumber(a.age);
  int score = dmAgePoints(age) + dmPressurePoints(dmWholeNumber(a.pressure));
  const int height = dmWholeNumber(a.height);
  if (age >= kBmiFromAge && height > 0) {
    const double metres = height / 100.0;
    score += dmBmiPoints(dmWholeNumber(a.weight) / (metres * metres));
  }
  score += dmWaistPoints(dmDecimal(a.waist), a.gender);
  if (a.familyHistory == true) score += 6;
  if (a.gender == DmGender::Male) score += 2;
  if (a.raisedSugar == true) score += 5;
  if (a.dailyActivity == false) score += 2;
  DmScore s;
  s.score = score;
  s.riskClass = dmRiskClass(score);
  s.advise = score >= 25;
  return s;
}

DmSave saveDmClass(TDMServer& dm, const QString& shopId, const QString& patId, const QString& riskClass) {
  DmSave result;
  dm.clearLastError();
  bool idOk = false;
  const qint64 id = patId.trimmed().toLongLong(&idOk);
  if (!idOk || id <= 0) {
    result.message = kDmNoCustomer;
    return result;
  }
  if (riskClass != dmRiskClass(0) && riskClass != dmRiskClass(17) && riskClass != dmRiskClass(25)) {
    result.message = kDmNotScored;
    return result;
  }
  // A failure below says "保存失败", with the cause when a statement failed.
  const auto failed = [&] {
    result.message = saveFailedMessage(dm);
    return result;
  };
  QSqlQuery* q = dm.GetDB(Sql(QStringLiteral("select count(*) from pat where PatId=? and shopId=?"),
                              {id, shopId.toLongLong()}),
                          true);
  if (!q) return failed();
  if (!q->next()) {
    [[maybe_unused]] const bool ended = dm.rowsReadToEnd(*q);  // a read failure has been shown
    return failed();
  }
  const bool known = q->value(0).toLongLong() > 0;
  q->finish();
  if (!known) {
    result.message = kDmNoCustomer;
    return result;
  }
  if (!updateChangedRow(dm, Sql(QStringLiteral("update pat set dm=? where PatId=? and shopId=? returning PatId"),
                                {riskClass, id, shopId.toLongLong()})))
    return failed();
  result.ok = true;
  result.message = QStringLiteral("保存成功");
  return result;
}

}  // namespace tcm
