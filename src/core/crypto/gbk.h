#pragma once
// GBK (code page 936) bytes exist only at the cipher boundary.
#include <QByteArray>
#include <QString>

namespace tcm {

QByteArray toGbk(const QString& text);
QString fromGbk(const QByteArray& bytes);

}  // namespace tcm
