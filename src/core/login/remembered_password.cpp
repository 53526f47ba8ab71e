#include "login/remembered_password.h"

#include "crypto/aes_hex.h"
#include "crypto/des_hex.h"
#include "crypto/gbk.h"
#include "crypto/hex.h"

namespace tcm {

std::optional<QString> passwordToStoredForm(const QString& password) {
  const std::optional<QString> hex = desEncryptText(password);
  if (!hex) return std::nullopt;
  return hex->mid(4) + hex->left(4);
}

std::optional<QString> passwordFromStoredForm(const QString& stored) {
  // Only whole enciphered blocks of hex digits are a stored form.
  if (stored.size() < 16 || stored.size() % 16 != 0) return std::nullopt;
  for (QChar c : stored)
    if (c.unicode() > 0x7F || hexDigit(static_cast<char>(c.unicode())) < 0) return std::nullopt;
  const QString hex = stored.right(4) + stored.left(stored.size() - 4);
  return fromGbk(DESryStrHex(hex.toLatin1(), kDesKeyString));
}

std::optional<QString> passwordForDatabase(const QString& password) { return encryptText(password); }

}  // namespace tcm
