#include "crypto/aes_hex.h"

#include <nettle/aes.h>

#include <array>

#include "crypto/gbk.h"
#include "crypto/hex.h"

namespace tcm {
namespace {

std::array<uint8_t, AES256_KEY_SIZE> aesKey() {
  std::array<uint8_t, AES256_KEY_SIZE> key{};
  const QByteArray s(kAesKeyString);
  for (qsizetype i = 0; i < s.size() && i < AES256_KEY_SIZE; ++i) key[static_cast<size_t>(i)] = static_cast<uint8_t>(s[i]);
  return key;
}

}  // namespace

QByteArray EnCrypt(const QByteArray& val) {
  if (val.isEmpty()) return {};
  aes256_ctx ctx;
  const auto key = aesKey();
  aes256_set_encrypt_key(&ctx, key.data());
  QByteArray padded = val;
  const qsizetype rest = padded.size() % AES_BLOCK_SIZE;
  if (rest != 0) padded.append(QByteArray(AES_BLOCK_SIZE - rest, '\0'));
  QByteArray out(padded.size(), '\0');
  aes256_encrypt(&ctx, static_cast<size_t>(padded.size()), reinterpret_cast<uint8_t*>(out.data()),
                 reinterpret_cast<const uint8_t*>(padded.constData()));
  return toHexUpper(out);
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
  aes256_ctx ctx;
  const auto key = aesKey();
  aes256_set_decrypt_key(&ctx, key.data());
  QByteArray out(bytes.size(), '\0');
  aes256_decrypt(&ctx, static_cast<size_t>(bytes.size()), reinterpret_cast<uint8_t*>(out.data()),
                 reinterpret_cast<const uint8_t*>(bytes.constData()));
  return {out, {}};
}

QString encryptText(const QString& text) { return QString::fromLatin1(EnCrypt(toGbk(text))); }

QString decryptForDisplay(const QString& stored) {
  const AesResult r = DeCrypt(stored.toLatin1());
  if (!r.ok() || stored.toLatin1() != stored.toUtf8()) return stored;
  QByteArray bytes = r.bytes;
  while (!bytes.isEmpty() && bytes.endsWith('\0')) bytes.chop(1);
  return fromGbk(bytes);
}

}  // namespace tcm
