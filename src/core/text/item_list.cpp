#include "text/item_list.h"

namespace tcm {
namespace {

bool isBlank(QChar c) { return c.unicode() <= 0x20; }

}  // namespace

QStringList splitItems(const QString& text, QChar separator) {
  QStringList items;
  if (text.isEmpty()) return items;
  const qsizetype n = text.size();
  qsizetype i = 0;
  // Leading blanks before the first item are dropped.
  while (i < n && isBlank(text[i])) ++i;
  if (i >= n) return items;
  while (i < n) {
    QString item;
    if (text[i] == QLatin1Char('"')) {
      ++i;
      while (i < n) {
        if (text[i] == QLatin1Char('"')) {
          if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
            item += QLatin1Char('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
      // Anything up to the next separator or blank after a quoted item is kept.
      while (i < n && text[i] != separator && !isBlank(text[i])) item += text[i++];
    } else {
      while (i < n && text[i] != separator && !isBlank(text[i])) item += text[i++];
    }
    items << item;
    // Skip blanks after the item.
    while (i < n && isBlank(text[i])) ++i;
    if (i >= n) break;
    if (text[i] == separator) {
      ++i;
      while (i < n && isBlank(text[i])) ++i;
      if (i >= n) {
        items << QString();  // separator at the very end adds one empty item
        break;
      }
    }
    // Otherwise a blank alone separated the items: go on with the next one.
  }
  return items;
}

QString fmt(const QString& code) {
  if (code.size() >= 5) return code;
  return QString(5 - code.size(), QLatin1Char('0')) + code;
}

QString fmtId(qint64 id) { return fmt(QString::number(id)); }

}  // namespace tcm
