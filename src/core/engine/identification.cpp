#include "engine/identification.h"

#include "text/item_list.h"

namespace tcm {

QString FmtId(const QString& id) { return fmt(id); }

void GetCode(QStringList& codeLst, const QString& id) {
  const QStringList parts = id.split(QLatin1Char(','));
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    if (parts[i].isEmpty()) continue;
    const QString code = FmtId(parts[i]);
    if (!codeLst.contains(code)) codeLst.append(code);
  }
}

QStringList GetCodeList(const QList<SelectedFinding>& selected) {
  QStringList codes;
  for (const char* category : {kClassDisease, kClassSymptom, kClassTongue}) {
    for (const SelectedFinding& f : selected)
      if (f.classId == QLatin1String(category)) GetCode(codes, f.id);
  }
  return codes;
}

bool isMaleBox(const QString& genderBox) { return genderBox == QStringLiteral("男"); }

QString genderCode(const QString& genderBox) {
  return isMaleBox(genderBox) ? QStringLiteral("01294") : QStringLiteral("01295");
}

QString departmentList(const QString& genderBox) {
  return QLatin1String(isMaleBox(genderBox) ? kMaleDepartments : kFemaleDepartments);
}

int leadingNumber(const QString& text) {
  int value = 0;
  for (const QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    if (value < 100000000) value = value * 10 + (c.unicode() - u'0');  // an absurd age stays absurd, not negative
  }
  return value;
}

QString getAgeCode(const QString& ageText) {
  const int age = leadingNumber(ageText);
  if (age < 6) return QStringLiteral("01292");
  if (age <= 13) return QStringLiteral("01293");
  if (age <= 44) return QStringLiteral("01084");
  if (age <= 59) return QStringLiteral("00990");
  return QStringLiteral("00997");
}

namespace {

EngineRun runEngine(const SyndromeIndex& index, NegativeFindingSource& negatives, const Identification& id,
                    const QString& chiefComplaint) {
  QStringList findings = id.codes;
  QString hint;  // the engine's hint text is not used by the run
  return GetIllBySymLst(index, findings, kOutCountLmt, kOutPreLmt, kSortType, id.departments, hint, chiefComplaint,
                        negatives);
}

}  // namespace

Identification Ai(const SyndromeIndex& index, NegativeFindingSource& negatives, const IdentificationInput& input,
                  const DietRuleStep& dietRules) {
  Identification id;
  id.codes = input.codes;
  // The gender and age codes are appended only after this check.
  if (input.primaryId.isEmpty() && id.codes.size() < 2) {
    id.outcome = IdentificationOutcome::TooFewFindings;
    return id;
  }
  id.departments = departmentList(input.genderBox);
  id.codes << genderCode(input.genderBox) << getAgeCode(input.ageBox);
  id.symIds = id.codes.join(QLatin1Char(','));
  if (!input.primaryId.isEmpty()) id.chiefComplaint = FmtId(input.primaryId);

  // The diet rules of the primary finding come first.
  if (!id.chiefComplaint.isEmpty() && dietRules) {
    id.dietPre = dietRules(id.chiefComplaint, id.symIds);
    if (!id.dietPre.isEmpty()) {
      id.outcome = IdentificationOutcome::DietRule;
      return id;
    }
  }

  EngineRun run = runEngine(index, negatives, id, id.chiefComplaint);
  if (!run.ok()) {
    id.outcome = IdentificationOutcome::Failed;
    id.error = run.error;
    id.results = run.DiseaseLst;
    return id;
  }
  if (!run.DiseaseLst.isEmpty()) {
    id.outcome = IdentificationOutcome::Ranked;
    id.results = run.DiseaseLst;
    id.shown = {run.DiseaseLst.first()};
    return id;
  }
  if (id.chiefComplaint.isEmpty()) {
    id.outcome = IdentificationOutcome::NoResult;
    return id;
  }
  // Nothing under the chief complaint: ask again without it. The panel shows
  // the best result of that run, as it does for the first run (applying every
  // result in turn would leave the lowest-ranked name over a mix of slots).
  run = runEngine(index, negatives, id, QString());
  id.results = run.DiseaseLst;
  if (!run.ok()) {
    id.outcome = IdentificationOutcome::Failed;
    id.error = run.error;
    return id;
  }
  if (!run.DiseaseLst.isEmpty()) id.shown = {run.DiseaseLst.first()};
  id.outcome = run.DiseaseLst.isEmpty() ? IdentificationOutcome::NoResult
                                        : IdentificationOutcome::RankedWithoutChiefComplaint;
  return id;
}

}  // namespace tcm
