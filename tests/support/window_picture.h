#pragma once
// Pictures of the windows for looking at them: saved under TCM_SHOT_DIR when it is set.
#include <QString>
#include <QWidget>

namespace tcm::test {

inline void keepPicture(QWidget* w, const QString& name) {
  const QString dir = qEnvironmentVariable("TCM_SHOT_DIR");
  if (!dir.isEmpty()) w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace tcm::test
