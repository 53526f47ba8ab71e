#pragma once
// DES text cipher with upper-case hexadecimal text form (ECB, zero fill).
// Used for the enciphered vocabulary names and the remembered password.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace tcm {

using DesKey = std::array<uint8_t, 8>;
using DesBlock = std::array<uint8_t, 8>;

// The fixed key string of the vocabulary and the remembered password.
inline constexpr const char* kDesKeyString = "KD3907";

// Folds a key string onto 8 bytes: byte x at position i (from 1) adds onto k[i mod 8].
DesKey StrToKey(const QByteArray& aKey);

// One DES block operation with prepared sub-keys (FIPS 46-3).
class DesBlockCipher {
 public:
  DesBlockCipher();
  ~DesBlockCipher();
  DesBlockCipher(const DesBlockCipher&) = delete;
  DesBlockCipher& operator=(const DesBlockCipher&) = delete;

  void DES_Init(const DesKey& key, bool encipher);
  void DES_Code(const uint8_t* input, uint8_t* output) const;

 private:
  struct Ctx;
  std::unique_ptr<Ctx> ctx_;
  bool encipher_ = true;
};

// Enciphers bytes: 16 hex digits per 8-byte block; an empty input gives one zero block.
QByteArray EncryStrHex(const QByteArray& aStr, const QByteArray& aKey);

// Deciphers hex text: bytes cut at the first zero byte; "0" when the text is not hex; empty for empty.
QByteArray DESryStrHex(const QByteArray& aStr, const QByteArray& aKey);

// Text helpers at the GBK boundary, with the fixed key; nullopt for text GBK cannot represent.
std::optional<QString> desEncryptText(const QString& text);
QString desDecryptText(const QString& hex);

}  // namespace tcm
