// The two text ciphers against published test vectors and against values
// computed independently (OpenSSL) for the system's own keys.
#include <gtest/gtest.h>

#include "crypto/aes_hex.h"
#include "crypto/des_hex.h"
#include "crypto/gbk.h"
#include "login/remembered_password.h"

using namespace tcm;

namespace {

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

QByteArray desBlock(const char* keyHex, const char* inHex, bool encipher) {
  DesKey key{};
  const QByteArray k = hex(keyHex);
  std::copy(k.begin(), k.end(), reinterpret_cast<char*>(key.data()));
  DesBlockCipher c;
  c.DES_Init(key, encipher);
  const QByteArray in = hex(inHex);
  uint8_t out[8];
  c.DES_Code(reinterpret_cast<const uint8_t*>(in.constData()), out);
  return QByteArray(reinterpret_cast<const char*>(out), 8).toHex().toUpper();
}

}  // namespace

TEST(DesPrimitive, PublishedVectors) {
  // FIPS 81 example: "Now is t" under 0123456789ABCDEF.
  EXPECT_EQ(desBlock("0123456789ABCDEF", "4E6F772069732074", true), "3FA40E8A984D4815");
  EXPECT_EQ(desBlock("0123456789ABCDEF", "3FA40E8A984D4815", false), "4E6F772069732074");
  // The classic worked example of the standard's key schedule.
  EXPECT_EQ(desBlock("133457799BBCDFF1", "0123456789ABCDEF", true), "85E813540F0AB405");
  // Parity bits are ignored: flipping the low bit of every key byte changes nothing.
  EXPECT_EQ(desBlock("123456789ABCDEF0", "0123456789ABCDEF", true),
            desBlock("133457799BBCDFF1", "0123456789ABCDEF", true));
}

TEST(DesKeyRule, FoldsKeyStringOntoEightBytes) {
  const DesKey k = StrToKey("KD3907");
  EXPECT_EQ(k, (DesKey{0, 'K', 'D', '3', '9', '0', '7', 0}));
  // The eighth character lands in k[0], the ninth adds onto k[1].
  const DesKey nine = StrToKey("ABCDEFGHI");
  EXPECT_EQ(nine[0], 'H');
  EXPECT_EQ(nine[1], static_cast<uint8_t>('A' + 'I'));
  const DesKey wrap = StrToKey(QByteArray(9, '\xF0'));
  EXPECT_EQ(wrap[1], static_cast<uint8_t>(0xF0 + 0xF0));  // modulo 256
}

TEST(DesHexCipher, LengthsZeroFillAndKnownValue) {
  // Checked with OpenSSL: DES-ECB of GBK "中文" + zero fill under the key of "KD3907".
  EXPECT_EQ(EncryStrHex(toGbk(QStringLiteral("中文")).bytes, kDesKeyString), "B4465DCAB387B06A");
  EXPECT_EQ(EncryStrHex({}, kDesKeyString).size(), 16);
  EXPECT_EQ(DESryStrHex(EncryStrHex({}, kDesKeyString), kDesKeyString), QByteArray());
  EXPECT_EQ(EncryStrHex("12345678", kDesKeyString).size(), 16);
  EXPECT_EQ(EncryStrHex("123456789", kDesKeyString).size(), 32);
}

TEST(DesHexCipher, DecipherRulesAndFailures) {
  const QByteArray text = toGbk(QStringLiteral("舌淡红苔薄白，脉细")).bytes;
  const QByteArray enc = EncryStrHex(text, kDesKeyString);
  EXPECT_EQ(DESryStrHex(enc, kDesKeyString), text);
  EXPECT_EQ(DESryStrHex(enc.toLower(), kDesKeyString), text);
  EXPECT_EQ(DESryStrHex("", kDesKeyString), QByteArray());
  EXPECT_EQ(DESryStrHex("12G4", kDesKeyString), "0");
  EXPECT_EQ(DESryStrHex("手机号码", kDesKeyString), "0");
  // A zero byte inside the text cuts it there.
  EXPECT_EQ(DESryStrHex(EncryStrHex(QByteArray("ab\0cd", 5), kDesKeyString), kDesKeyString), "ab");
  // Another key gives bytes, never a failure.
  EXPECT_NE(DESryStrHex(enc, "OTHER"), text);
  // An odd final digit is read as one byte; nothing crashes.
  EXPECT_NO_FATAL_FAILURE(DESryStrHex("ABC", kDesKeyString));
}

TEST(AesPrimitive, Fips197Vector) {
  // FIPS-197 appendix C.3 (AES-256).
  const QByteArray key = hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const QByteArray in = hex("00112233445566778899aabbccddeeff");
  EXPECT_EQ(detail::aesEcb(key, in, true).toHex(), "8ea2b7ca516745bfeafc49904b496089");
  EXPECT_EQ(detail::aesEcb(key, hex("8ea2b7ca516745bfeafc49904b496089"), false), in);
}

TEST(AesHexCipher, KnownValueAndBlockRules) {
  // Checked with OpenSSL: AES-256-ECB of "731526" + zero fill, key string + 9 zero bytes.
  EXPECT_EQ(EnCrypt("731526"), "1611DF0F8E70E2E12D579699512144B7");
  EXPECT_EQ(EnCrypt({}), QByteArray());
  EXPECT_EQ(EnCrypt(QByteArray(1, 'x')).size(), 32);
  EXPECT_EQ(EnCrypt(QByteArray(16, 'x')).size(), 32);
  EXPECT_EQ(EnCrypt(QByteArray(17, 'x')).size(), 64);
  const AesResult r = DeCrypt(EnCrypt("12345"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.bytes, QByteArray("12345") + QByteArray(11, '\0'));
  EXPECT_EQ(DeCrypt(EnCrypt("12345").toLower()).bytes, r.bytes);
  EXPECT_TRUE(DeCrypt({}).ok());
  EXPECT_TRUE(DeCrypt({}).bytes.isEmpty());
}

TEST(AesHexCipher, FailureMessages) {
  EXPECT_EQ(DeCrypt("13800001111").error, "Error Length 11: not a Hex String");
  EXPECT_EQ(DeCrypt("138000011112").error, "Invalid Buffer Size for Decryption");
  EXPECT_EQ(DeCrypt("1611DF0F8E70E2E12D579699512144BZ").error, "Error: not a Hex PChar: Z");
}

TEST(AesHexCipher, DisplayNeverFailsOnStoredPlainText) {
  EXPECT_EQ(decryptForDisplay(*encryptText(QStringLiteral("杭州市西湖区文三路 1 号"))), QStringLiteral("杭州市西湖区文三路 1 号"));
  EXPECT_EQ(decryptForDisplay(QStringLiteral("13800001111")), QStringLiteral("13800001111"));
  EXPECT_EQ(decryptForDisplay(QStringLiteral("138000011112")), QStringLiteral("138000011112"));
  EXPECT_EQ(decryptForDisplay(QStringLiteral("北京")), QStringLiteral("北京"));
  EXPECT_EQ(decryptForDisplay(QString()), QString());
}

TEST(Gbk, RoundTripAndUnmappable) {
  const QString s = QStringLiteral("黄芪炖鸡 abc");
  EXPECT_EQ(fromGbk(toGbk(s).bytes), s);
  EXPECT_EQ(toGbk(QStringLiteral("中")).bytes, QByteArray("\xD6\xD0"));
  // A character GBK cannot hold refuses the whole text: every cipher and every
  // stored field, never a shortened value that would match another one.
  const struct {
    QString text, bad;
  } cases[] = {{QStringLiteral("731526😀"), QStringLiteral("😀")},
               {QStringLiteral("7315😀26"), QStringLiteral("😀")},
               {QStringLiteral("731526ë"), QStringLiteral("ë")},
               {QStringLiteral("731526\u202E"), QStringLiteral("U+202E")},
               {QStringLiteral("Zoë Ångström"), QStringLiteral("ë")}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    EXPECT_FALSE(toGbk(c.text).ok());
    EXPECT_EQ(toGbk(c.text).unrepresentable, c.bad);
    EXPECT_FALSE(encryptText(c.text).has_value());
    EXPECT_FALSE(desEncryptText(c.text).has_value());
    EXPECT_FALSE(passwordForDatabase(c.text).has_value());
    EXPECT_FALSE(passwordToStoredForm(c.text).has_value());
    EXPECT_EQ(storableTextError(QStringLiteral("电话"), c.text),
              QStringLiteral("“电话”中的字符“%1”无法保存，请删除后再试").arg(c.bad));
  }
  EXPECT_EQ(storableTextError(QStringLiteral("电话"), QStringLiteral("Zoe 杭州")), QString());
}
