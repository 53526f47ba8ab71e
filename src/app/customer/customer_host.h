#pragma once
// What the customer windows ask of the main window: the one current customer
// (the customer strip owns it) and the windows that live once per process.
#include <QString>

namespace tcm::ui {

class TDMTestFrm;
class TPatMedFrm;

// A customer as the windows hand it to the strip.
struct CustomerPick {
  QString patId, name, gender, age, tel;
};

class CustomerHost {
 public:
  virtual ~CustomerHost() = default;

  // The current customer: "" before any pick, "0" after clearing.
  virtual QString currentPatId() const = 0;
  virtual QString currentMZNO() const = 0;
  // The strip's gender and age boxes as they read now.
  virtual QString currentGender() const = 0;
  virtual QString currentAge() const = 0;

  enum class Visit {
    Keep,       // the visit number stays as it is (also when there is none)
    NewIfNone,  // a visit number is made when there is none
  };
  // Makes `c` the current customer: PatId, the strip's boxes and its "历史药膳 >" link.
  virtual void makeCurrent(const CustomerPick& c, Visit visit) = 0;
  // Shows the identification page as the top bar's "AI辨识" does.
  virtual void showIdentification() = 0;

  // Created on first use, kept for the life of the process.
  virtual TPatMedFrm& patMedFrm() = 0;
  virtual TDMTestFrm& dmTestFrm() = 0;
};

}  // namespace tcm::ui
