#pragma once
// AES-256 text cipher with upper-case hexadecimal text form (ECB, zero fill).
// Protects passwords in the accounts table and customers' phone and address.
#include <QByteArray>
#include <QString>
#include <optional>

namespace tcm {

inline constexpr const char* kAesKeyString = "RTkv1184_3306&2915<7742";

struct AesResult {
  QByteArray bytes;
  QString error;  // empty on success
  bool ok() const { return error.isEmpty(); }
};

// 32 hex digits per 16-byte block; empty for an empty input.
QByteArray EnCrypt(const QByteArray& val);

// All deciphered bytes including the zero fill of the last block, or one of
// the three failure messages.
AesResult DeCrypt(const QByteArray& enstr);

// Text helpers at the GBK boundary; nullopt for text GBK cannot represent
// (check it first with storableTextError to tell the user which field).
std::optional<QString> encryptText(const QString& text);
// For showing a stored value: the deciphered text without its zero fill; a
// stored value that is not in the enciphered form is shown as it is stored.
QString decryptForDisplay(const QString& stored);

namespace detail {
// One AES-256 ECB pass over whole blocks with a 32-byte key.
QByteArray aesEcb(const QByteArray& key, const QByteArray& blocks, bool encipher);
}  // namespace detail

}  // namespace tcm
