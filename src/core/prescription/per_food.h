#pragma once
// One line of a print list: a prescription as the identification sheet prints it.
#include <QList>
#include <QString>

namespace tcm {

struct TPerFood {
  QString FoodHer;       // herbs: name "," dosage "," unit, joined by "|"
  QString PreName;       // heading of the line
  QString Useway;        // usage lines joined by "|", one printed per line
  QString Dosage;        // quantity text of the section (kept, not printed)
  QString fee = QStringLiteral("0");
  QString recommend;     // foods to favour
  QString notRecommend;  // foods to avoid
};

// A print list in print order.
using PrintList = QList<TPerFood>;

}  // namespace tcm
