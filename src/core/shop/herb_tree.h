#pragma once
// The herb tree of the price maintenance: a plain text, one node per line,
// whose leading blanks or tabs give the node's depth (0 = a group).
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace tcm {

struct HerbTreeNode {
  QString text;
  QList<HerbTreeNode> children;
};

// The depth of a line: the number of its leading blank or tab characters.
int herbTreeDepth(const QString& line);

// Builds the tree from its text. Blank lines are skipped; a line deeper than
// one level below the line before it hangs under that line; a first line
// that is indented still starts the top level.
QList<HerbTreeNode> parseHerbTree(const QString& text);

// The stored tree text as read from the database: a text column as it is, a
// byte column in GBK unless it begins with a byte-order mark (UTF-8 or UTF-16).
QString herbTreeText(const QVariant& stored);

}  // namespace tcm
