#pragma once
// One row of the customer list or of the visit-record list, kept for paging.
#include <QString>

namespace tcm {

struct TPatList {
  qint32 id = 0;     // visit list: the visit record's id
  qint32 PatId = 0;  // the customer's id
  QString Name, Gender, Age;
  QString Tel;       // deciphered
  QString Address;   // customer list: deciphered address; visit list: the visit's amount text
  QString bodyType;  // customer list: constitution
  QString disease;   // customer list: diabetes risk class or "[评估]"; visit list: the identification result
  QString wrdate;    // "yyyy-mm-dd"
  QString MZNO;
};

}  // namespace tcm
