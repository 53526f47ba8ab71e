#include "crypto/aes_hex.h"

#include <nettle/aes.h>

#include <array>

#include "crypto/gbk.h"
#include "crypto/hex.h"

namespace tcm {
namespace {

// The key string's bytes followed by zero bytes, cut to 32.
QByteArray aesKey() {
  QByteArray key = QByteArray(kAesKeyString).left(AES256_KEY_SIZE);
  key.append(QByteArray(AES256_KEY_SIZE - key.size(), '\0'));
  return key;
}

}  // namespace

namespace detail {

QByteArray aesEcb(const QByteArray& key, const QByteArray& blocks, bool encipher) {
  aes256_ctx ctx;
  const auto* k = reinterpret_cast<const uint8_t*>(key.constData());
  if (encipher)
    aes256_set_encrypt_key(&ctx, k);
  else
    aes256_set_decrypt_key(&ctx, k);
  QByteArray out(blocks.size(), '\0');
  auto* dst = reinterpret_cast<uint8_t*>(out.data());
  const auto* src = reinterpret_cast<const uint8_t*>(blocks.constData());
  if (encipher)
    aes256_encrypt(&ctx, static_cast<size_t>(blocks.size()), dst, src);
  else
    aes256_decrypt(&ctx, static_cast<size_t>(blocks.size()), dst, src);
  return out;
}

}  // namespace detail

QByteArray EnCrypt(const QByteArray& val) {
  if (val.isEmpty()) return {};
  QByteArray padded = val;
  const qsizetype rest = padded.size() % AES_BLOCK_SIZE;
  if (rest != 0) padded.append(QByteArray(AES_BLOCK_SIZE - rest, '\0'));
  return toHexUpper(detail::aesEcb(aesKey(), padded, true));
}

AesResult DeCrypt(const QByteArray& enstr) {
  if (enstr.isEmpty()) return {};
  if (enstr.size() % 2 != 0) return {{}, QStringLiteral("Error Length %1: not a Hex String").arg(enstr.size())};
  QByteArray bytes;
  bytes.reserve(enstr.size() / 2);
  for (qsizetype i = 0; i < enstr.size(); i += 2) {
    for (qsizetype j = i; j < i + 2; ++j) {
      if (hexDigit(enstr[j]) < 0)
        return {{}, QStringLiteral("Error: not a Hex PChar: %1").arg(QString::fromLatin1(enstr.mid(j, 1)))};
    }
    bytes.append(static_cast<char>(hexDigit(enstr[i]) * 16 + hexDigit(enstr[i + 1])));
  }
  if (bytes.size() % AES_BLOCK_SIZE != 0) return {{}, QStringLiteral("Invalid Buffer Size for Decryption")};
  return {detail::aesEcb(aesKey(), bytes, false), {}};
}

std::optional<QString> encryptText(const QString& text) {
  const GbkBytes g = toGbk(text);
  if (!g.ok()) return std::nullopt;
  return QString::fromLatin1(EnCrypt(g.bytes));
}

QString decryptForDisplay(const QString& stored) {
  const AesResult r = DeCrypt(stored.toLatin1());
  if (!r.ok() || stored.toLatin1() != stored.toUtf8()) return stored;
  QByteArray bytes = r.bytes;
  while (!bytes.isEmpty() && bytes.endsWith('\0')) bytes.chop(1);
  return fromGbk(bytes);
}

}  // namespace tcm
