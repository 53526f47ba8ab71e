#pragma once
// The main window as the customer window sees it: a current customer that
// records every pick.
#include <QWidget>
#include <cstdlib>

#include "customer/customer_host.h"
#include "test_support.h"
#include "window_helpers.h"

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


}  // namespace tcm::test
