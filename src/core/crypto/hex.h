#pragma once
#include <QByteArray>
#include <optional>

namespace tcm {

// Upper-case hexadecimal text of `bytes`, two digits per byte.
QByteArray toHexUpper(const QByteArray& bytes);

// Value of one hexadecimal digit (either case), or -1.
int hexDigit(char c);

}  // namespace tcm
