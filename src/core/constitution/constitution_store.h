#pragma once
// Questionnaire results kept with the customer and the visit (table
// constitution): saving one, reading back the latest and the history.
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "constitution/questionnaire.h"

namespace tcm {

class TDMServer;

struct SavedConstitution {
  qint64 id = 0;
  QString shopId, patId, mzno;
  QString gender;
  ConstitutionAnswers answers;
  ConstitutionResult result;  // scores and line as saved; verdicts judged from the scores
  QString wrDate;             // "yyyy-MM-dd hh:mm:ss"
};

// "3:5,4:1": question and answer, in question order.
QString answersText(const ConstitutionAnswers& answers);
// False for a text that is not of that form (nothing is guessed).
[[nodiscard]] bool parseAnswersText(const QString& text, ConstitutionAnswers* out);
// "平和质:75.0,气虚质:56.3,…" in the standard's order.
QString scoresText(const ConstitutionResult& result);
[[nodiscard]] bool parseScoresText(const QString& text, ConstitutionForm form, ConstitutionResult* out);

// Saves a result of the customer `patId` of the shop in the visit `mzno` at
// `when`; the id of the new row in `id`. A customer the shop does not have is
// refused by the database and nothing is written. The message is "保存成功",
// "未选择客户" or "保存失败" with its cause.
struct ConstitutionSave {
  bool ok = false;
  qint64 id = 0;
  QString message;
};
ConstitutionSave saveConstitution(TDMServer& dm, const SavedConstitution& s, const QDateTime& when);

// The customer's results of the shop, oldest first; false when the query
// failed (shown by the gateway) or a stored row cannot be read.
[[nodiscard]] bool constitutionHistory(TDMServer& dm, const QString& shopId, const QString& patId,
                                       QList<SavedConstitution>* out);
// The newest result of the customer (nullopt when there is none).
[[nodiscard]] bool latestConstitution(TDMServer& dm, const QString& shopId, const QString& patId,
                                      std::optional<SavedConstitution>* out);
// The newest result saved in one visit (nullopt when the visit holds none).
[[nodiscard]] bool visitConstitution(TDMServer& dm, const QString& shopId, const QString& patId, const QString& mzno,
                                     std::optional<SavedConstitution>* out);
// The trend: one result per visit (the last saved in it), oldest first, only
// results of `form` (the two forms' scores do not share a scale).
QList<SavedConstitution> trendPoints(const QList<SavedConstitution>& history, ConstitutionForm form);

}  // namespace tcm

namespace tcm {
// The result as the visit view lists it: "体质问卷（标准版（60题），2026-03-01 09:00:00）：是气虚质"
// and a line of the nine scores ("平和质 56.3　气虚质 75.0　…").
QString constitutionSummary(const SavedConstitution& s);
// The newest result saved in the visit of the visit record `visitId` (pat_med.id).
[[nodiscard]] bool recordConstitution(TDMServer& dm, qint32 visitId, std::optional<SavedConstitution>* out);
}  // namespace tcm
