#pragma once
// Type 2 diabetes risk: the Chinese Diabetes Risk Score (age, systolic
// pressure, body-mass index, waist by gender, family history) with two added
// questions (raised blood sugar before, daily activity), and storing the risk
// class in the customer's row.
#include <QString>
#include <optional>

namespace tcm {

class TDMServer;

enum class DmGender { None, Male, Female };

// The questionnaire as the boxes read; an unanswered question is nullopt.
struct DmAnswers {
  DmGender gender = DmGender::None;
  QString age, height, weight, waist, pressure;  // box texts as typed
  std::optional<bool> familyHistory;             // parents, siblings or children with diabetes
  std::optional<bool> raisedSugar;               // blood sugar found raised before
  std::optional<bool> dailyActivity;             // at least 30 minutes of activity every day
};

struct DmScore {
  int score = 0;
  QString riskClass;    // "低危", "中危型" or "高危型"
  bool advise = false;  // the high class: a glucose tolerance test is advised
};

// A whole-number box: the number its leading digits form after trimming
// ("170.5" reads 170; no leading digit reads 0).
int dmWholeNumber(const QString& box);
// A decimal box: the leading decimal number after trimming ("88.5cm" reads 88.5; none reads 0).
double dmDecimal(const QString& box);

int dmAgePoints(int age);
int dmPressurePoints(int systolic);
// Each band runs from its start up to the next band's start.
int dmBmiPoints(double bmi);
int dmWaistPoints(double waist, DmGender gender);
QString dmRiskClass(int score);

// The score of the answers; nullopt when age, height, weight or waist is empty
// (the shown result then stays as it was). The BMI counts from age 18 and only
// with a height above 0.
std::optional<DmScore> TestDM(const DmAnswers& answers);

inline const QString kDmNoCustomer = QStringLiteral("未选择用户或当前用户资料未保存");
inline const QString kDmNotScored = QStringLiteral("请先填写年龄、身高、体重和腰围");

struct DmSave {
  bool ok = false;
  QString message;  // "保存成功", "保存失败", kDmNoCustomer or kDmNotScored
};

// Stores `riskClass` as the diabetes risk of customer `patId` of the shop.
// No customer ("" or "0", or one the shop does not have) and a class that is
// not one of the three change nothing.
DmSave saveDmClass(TDMServer& dm, const QString& shopId, const QString& patId, const QString& riskClass);

}  // namespace tcm
