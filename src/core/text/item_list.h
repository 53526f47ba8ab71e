#pragma once
// The one rule by which list texts of the system are split into items, and the
// padding of finding codes to five digits.
#include <QString>
#include <QStringList>

namespace tcm {

// Splits `text` at `separator`. Blanks (characters up to U+0020) separate
// items as well and are dropped around items; an item starting with a double
// quote runs to the closing quote (a doubled quote inside stands for one).
// An empty text gives no items; two separators in a row give an empty item and
// a separator at the very end adds one empty item.
QStringList splitItems(const QString& text, QChar separator = QLatin1Char(','));

// Puts "0" in front of `code` until it is at least five characters long.
QString fmt(const QString& code);

// Padding of a numeric id to its five-digit finding code.
QString fmtId(qint64 id);

}  // namespace tcm
