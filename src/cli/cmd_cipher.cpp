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

}  // namespace

int cmdCipher(const QStringList& args, Io io) {
  if (args.size() != 2) {
    io.err << "用法：tcmcare-admin cipher des-encrypt|des-decrypt|aes-encrypt|aes-decrypt 文本\n";
    return 2;
  }
  const QString& op = args[0];
  const QString& text = args[1];
  if (op == QLatin1String("des-encrypt")) {
    io.out << QString::fromLatin1(EncryStrHex(toGbk(text), kDesKeyString)) << "\n";
    return 0;
  }
  if (op == QLatin1String("des-decrypt")) {
    // A text that is not hex deciphers to "0", printed as it is.
    io.out << fromGbk(DESryStrHex(text.toLatin1(), kDesKeyString)) << "\n";
    return 0;
  }
  if (op == QLatin1String("aes-encrypt")) {
    io.out << QString::fromLatin1(EnCrypt(toGbk(text))) << "\n";
    return 0;
  }
  if (op == QLatin1String("aes-decrypt")) {
    const AesResult r = DeCrypt(text.toUtf8());
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
