#pragma once
// What an inquiry window needs from the identification screen it serves.
#include <QList>
#include <QString>

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

struct HintRow {
  QString name, symid, mutex;
};

class SymOptionHost {
 public:
  virtual ~SymOptionHost() = default;
  virtual TDMServer& database() = 0;
  virtual Messages& messageSink() = 0;
  // The customer's gender code for inquiries: "1" male, "2" otherwise.
  virtual QString inquiryGenderCode() const = 0;
  // True when the exclusion list names a selected finding (nothing is shown).
  virtual bool hasMutexConflict(const QString& mutex) const = 0;
  // True (after showing the category's message) when the category is full.
  virtual bool categoryFull(const QString& classId) = 0;
  // Adds a finding to its category (the category's search box becomes current),
  // or removes one. True when the selected set changed: the screen then has run
  // the identification on the new set already.
  virtual bool addFinding(const QString& classId, const QString& id, const QString& name, const QString& gender) = 0;
  virtual bool removeFinding(const QString& classId, const QString& id) = 0;
  virtual void showHints(const QList<HintRow>& hints) = 0;
  virtual void clearHints() = 0;
  // The disease when marked, else the first marked symptom, else empty.
  virtual QString derivedPrimaryId() const = 0;
  virtual void runIdentification(const QString& primaryId) = 0;
  // The loading panel of the main window (shown with a caption, hidden unless a load failed).
  virtual void showLoading(const QString& caption) = 0;
  virtual void hideLoading() = 0;
};

}  // namespace tcm::ui
