#include "shop/herb_tree.h"

#include <QStringConverter>

#include "crypto/gbk.h"

namespace tcm {

int herbTreeDepth(const QString& line) {
  int depth = 0;
  while (depth < line.size() && (line[depth] == QLatin1Char(' ') || line[depth] == QLatin1Char('\t'))) ++depth;
  return depth;
}

QList<HerbTreeNode> parseHerbTree(const QString& text) {
  QList<HerbTreeNode> roots;
  // The open path from a top-level node down to the last node added, with the
  // depth each of them was written at.
  QList<HerbTreeNode*> path;
  QList<int> depths;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (QString line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const QString name = line.trimmed();
    if (name.isEmpty()) continue;
    const int depth = herbTreeDepth(line);
    // Close the nodes that are not shallower than this line.
    while (!depths.isEmpty() && depths.last() >= depth) {
      depths.removeLast();
      path.removeLast();
    }
    QList<HerbTreeNode>& siblings = path.isEmpty() ? roots : path.last()->children;
    siblings.append(HerbTreeNode{name, {}});
    path.append(&siblings.last());
    depths.append(depth);
  }
  return roots;
}

QString herbTreeText(const QVariant& stored) {
  if (stored.typeId() != QMetaType::QByteArray) {
    QString s = stored.toString();
    if (s.startsWith(QChar(0xFEFF))) s.remove(0, 1);
    return s;
  }
  const QByteArray bytes = stored.toByteArray();
  if (const auto bom = QStringConverter::encodingForData(bytes)) {
    QStringDecoder decode(*bom);  // skips the byte-order mark
    return decode(bytes);
  }
  return fromGbk(bytes);
}

}  // namespace tcm
