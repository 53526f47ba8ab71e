#include "crypto/des_hex.h"

#include <nettle/des.h>

#include "crypto/gbk.h"
#include "crypto/hex.h"

namespace tcm {

struct DesBlockCipher::Ctx {
  des_ctx des;
};

DesBlockCipher::DesBlockCipher() : ctx_(std::make_unique<Ctx>()) {}
DesBlockCipher::~DesBlockCipher() = default;

DesKey StrToKey(const QByteArray& aKey) {
  DesKey k{};
  for (qsizetype i = 1; i <= aKey.size(); ++i) {
    auto& slot = k[static_cast<size_t>(i % 8)];
    slot = static_cast<uint8_t>(slot + static_cast<uint8_t>(aKey[i - 1]));
  }
  return k;
}

void DesBlockCipher::DES_Init(const DesKey& key, bool encipher) {
  // The parity bits are ignored by the key schedule; a weak key still gives a
  // usable (if weak) schedule, so the return value is not an error here.
  (void)des_set_key(&ctx_->des, key.data());
  encipher_ = encipher;
}

void DesBlockCipher::DES_Code(const uint8_t* input, uint8_t* output) const {
  if (encipher_)
    des_encrypt(&ctx_->des, DES_BLOCK_SIZE, output, input);
  else
    des_decrypt(&ctx_->des, DES_BLOCK_SIZE, output, input);
}

QByteArray EncryStrHex(const QByteArray& aStr, const QByteArray& aKey) {
  DesBlockCipher cipher;
  cipher.DES_Init(StrToKey(aKey), true);
  const qsizetype blocks = qMax<qsizetype>(1, (aStr.size() + 7) / 8);
  QByteArray out;
  out.reserve(blocks * 8);
  for (qsizetype b = 0; b < blocks; ++b) {
    DesBlock in{};
    for (qsizetype j = 0; j < 8 && b * 8 + j < aStr.size(); ++j)
      in[static_cast<size_t>(j)] = static_cast<uint8_t>(aStr[b * 8 + j]);
    DesBlock res{};
    cipher.DES_Code(in.data(), res.data());
    out.append(reinterpret_cast<const char*>(res.data()), 8);
  }
  return toHexUpper(out);
}

QByteArray DESryStrHex(const QByteArray& aStr, const QByteArray& aKey) {
  if (aStr.isEmpty()) return {};
  QByteArray bytes;
  bytes.reserve(aStr.size() / 2 + 1);
  for (qsizetype i = 0; i < aStr.size(); i += 2) {
    const int hi = hexDigit(aStr[i]);
    if (hi < 0) return QByteArrayLiteral("0");
    if (i + 1 >= aStr.size()) {  // a final single digit is a one-digit number
      bytes.append(static_cast<char>(hi));
      break;
    }
    const int lo = hexDigit(aStr[i + 1]);
    if (lo < 0) return QByteArrayLiteral("0");
    bytes.append(static_cast<char>(hi * 16 + lo));
  }
  DesBlockCipher cipher;
  cipher.DES_Init(StrToKey(aKey), false);
  QByteArray out;
  out.reserve(bytes.size() + 8);
  for (qsizetype b = 0; b < bytes.size(); b += 8) {
    DesBlock in{};
    for (qsizetype j = 0; j < 8 && b + j < bytes.size(); ++j)
      in[static_cast<size_t>(j)] = static_cast<uint8_t>(bytes[b + j]);
    DesBlock res{};
    cipher.DES_Code(in.data(), res.data());
    out.append(reinterpret_cast<const char*>(res.data()), 8);
  }
  const qsizetype zero = out.indexOf('\0');
  if (zero >= 0) out.truncate(zero);
  return out;
}

std::optional<QString> desEncryptText(const QString& text) {
  const GbkBytes g = toGbk(text);
  if (!g.ok()) return std::nullopt;
  return QString::fromLatin1(EncryStrHex(g.bytes, kDesKeyString));
}

QString desDecryptText(const QString& hex) {
  return fromGbk(DESryStrHex(hex.toLatin1(), kDesKeyString));
}

}  // namespace tcm
