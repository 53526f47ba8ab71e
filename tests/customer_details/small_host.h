#pragma once
// The main window as the customer window sees it: a current customer that
// records every pick.
#include <QWidget>
#include <cstdlib>

#include "customer/customer_host.h"
#include "test_support.h"

namespace tcm::test {

class SmallHost : public ui::CustomerHost {
 public:
  QString currentPatId() const override { return patId; }
  QString currentMZNO() const override { return mzno; }
  QString currentGender() const override { return gender; }
  QString currentAge() const override { return age; }
  void makeCurrent(const ui::CustomerPick& c, Visit visit) override {
    picks << c;
    visits << visit;
    patId = c.patId;
    gender = c.gender;
    age = c.age;
    if (visit == Visit::NewIfNone && mzno.isEmpty()) mzno = QStringLiteral("2026052000001093000");
  }
  void showIdentification() override { ++identificationShown; }
  // The customer window opens neither.
  ui::TPatMedFrm& patMedFrm() override { std::abort(); }
  ui::TDMTestFrm& dmTestFrm() override { std::abort(); }

  QString patId, mzno, gender, age;
  QList<ui::CustomerPick> picks;
  QList<Visit> visits;
  int identificationShown = 0;
};

// Saves a picture of `w` under TCM_SHOT_DIR when it is set (to look at the windows).
inline void keepPicture(QWidget* w, const QString& name) {
  const QString dir = qEnvironmentVariable("TCM_SHOT_DIR");
  if (!dir.isEmpty()) w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace tcm::test
