#include "commands.h"
#include "crypto/aes_hex.h"
#include "crypto/des_hex.h"
#include "crypto/gbk.h"

namespace tcm::cli {
namespace {

QString withoutZeroFill(QByteArray bytes) {
  while (bytes.endsWith('\0')) bytes.chop(1);
  return fromGbk(bytes);
}

// The text's GBK bytes, or a message on `err` naming the character GBK lacks.
std::optional<QByteArray> gbkOrReport(const QString& text, QTextStream& err) {
  const GbkBytes g = toGbk(text);
  if (g.ok()) return g.bytes;
  err << "文本中的字符“" << g.unrepresentable << "”无法用 GBK 表示，不能加密\n";
  return std::nullopt;
}

// The hex parse error names the whole character, not its first UTF-8 byte.
QString firstNonHexCharacter(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.unicode() > 0x7F) return text.mid(i, c.isHighSurrogate() ? 2 : 1);
  }
  return {};
}

}  // namespace

int cmdCipher(const QStringList& args, Io io) {
  if (args.size() != 2) {
    io.err << "用法：tcmcare-admin cipher des-encrypt|des-decrypt|aes-encrypt|aes-decrypt 文本\n";
    return 2;
  }
  const QString& op = args[0];
  const QString& text = args[1];
  if (op == QLatin1String("des-encrypt")) {
    const std::optional<QByteArray> bytes = gbkOrReport(text, io.err);
    if (!bytes) return 1;
    io.out << QString::fromLatin1(EncryStrHex(*bytes, kDesKeyString)) << "\n";
    return 0;
  }
  if (op == QLatin1String("des-decrypt")) {
    // A text that is not hex deciphers to "0", printed as it is.
    io.out << fromGbk(DESryStrHex(text.toLatin1(), kDesKeyString)) << "\n";
    return 0;
  }
  if (op == QLatin1String("aes-encrypt")) {
    const std::optional<QByteArray> bytes = gbkOrReport(text, io.err);
    if (!bytes) return 1;
    io.out << QString::fromLatin1(EnCrypt(*bytes)) << "\n";
    return 0;
  }
  if (op == QLatin1String("aes-decrypt")) {
    if (const QString bad = firstNonHexCharacter(text); !bad.isEmpty()) {
      io.err << "Error: not a Hex PChar: " << bad << "\n";
      return 1;
    }
    const AesResult r = DeCrypt(text.toLatin1());
    if (!r.ok()) {
      io.err << r.error << "\n";
      return 1;
    }
    io.out << withoutZeroFill(r.bytes) << "\n";
    return 0;
  }
  io.err << "未知的加解密操作：" << op << "\n";
  return 2;
}

}  // namespace tcm::cli
