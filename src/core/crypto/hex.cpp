#include "crypto/hex.h"

namespace tcm {

QByteArray toHexUpper(const QByteArray& bytes) { return bytes.toHex().toUpper(); }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace tcm
