#pragma once
// The warnings a visit's prescription was saved with, kept beside the visit
// record (pat_med_note): one note per side of the visit, so the stored texts
// of the record stay as they are.
#include <QString>

namespace tcm {

class TDMServer;

inline const QString kHerbNoteSide = QStringLiteral("汤方");
inline const QString kFoodNoteSide = QStringLiteral("药膳方");

// Replaces the note of one side of the visit; an empty note takes it away.
// False when the statements failed (nothing changed).
[[nodiscard]] bool saveVisitNote(TDMServer& dm, const QString& shopId, const QString& patId, const QString& mzno,
                                 const QString& side, const QString& note);

}  // namespace tcm
