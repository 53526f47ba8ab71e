// The shop settings' stored and typed texts must take any input: the herb tree
// (text or bytes, with or without a byte-order mark) keeps one node per
// non-blank line, and an amount accepted from a box is shown and read back.
#include <cstdint>
#include <cstdlib>

#include <QString>
#include <QVariant>

#include "shop/herb_tree.h"
#include "shop/shop_settings.h"

namespace {

qsizetype countNodes(const QList<tcm::HerbTreeNode>& nodes) {
  qsizetype n = 0;
  for (const tcm::HerbTreeNode& node : nodes) {
    if (node.text.isEmpty() || node.text != node.text.trimmed()) abort();
    n += 1 + countNodes(node.children);
  }
  return n;
}

void checkTree(const QString& text) {
  qsizetype lines = 0;
  for (const QString& line : text.split(QLatin1Char('\n')))
    if (!line.trimmed().isEmpty()) ++lines;
  if (countNodes(tcm::parseHerbTree(text)) != lines) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString text = QString::fromUtf8(bytes);
  checkTree(text);
  checkTree(tcm::herbTreeText(QVariant(bytes)));
  checkTree(tcm::herbTreeText(QVariant(text)));

  if (const std::optional<double> amount = tcm::parseAmount(text)) {
    const QString shown = tcm::formatAmount(*amount);
    if (!tcm::parseAmount(shown)) abort();
  }
  return 0;
}
