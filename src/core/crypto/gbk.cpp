#include "crypto/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace tcm {
namespace {

struct Converted {
  QByteArray bytes;
  qsizetype badOffset = -1;  // offset in the input of the first sequence that could not be converted
};

Converted convert(const char* to, const char* from, const QByteArray& in, bool skipBad) {
  Converted r;
  if (in.isEmpty()) return r;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    r.badOffset = 0;
    return r;
  }
  std::vector<char> out(static_cast<size_t>(in.size()) * 4 + 16);
  char* src = const_cast<char*>(in.constData());
  size_t srcLeft = static_cast<size_t>(in.size());
  char* dst = out.data();
  size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;  // E2BIG cannot happen: the buffer is large enough.
    if (!skipBad) {
      r.badOffset = src - in.constData();
      break;
    }
    ++src;
    --srcLeft;
  }
  iconv_close(cd);
  r.bytes = QByteArray(out.data(), static_cast<qsizetype>(out.size() - dstLeft));
  return r;
}

}  // namespace

GbkBytes toGbk(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  Converted c = convert("CP936", "UTF-8", utf8, false);
  if (c.badOffset < 0) return {std::move(c.bytes), {}};
  // Name the whole character (a surrogate pair or a combining mark stays one piece).
  QString rest = QString::fromUtf8(utf8.mid(c.badOffset));
  const qsizetype len = !rest.isEmpty() && rest.at(0).isHighSurrogate() && rest.size() > 1 ? 2 : 1;
  QString bad = rest.left(len);
  if (bad.isEmpty() || bad.at(0).category() == QChar::Other_Format)
    bad = QStringLiteral("U+%1").arg(rest.isEmpty() ? 0u : rest.at(0).unicode(), 4, 16, QLatin1Char('0')).toUpper();
  return {{}, bad};
}

QString fromGbk(const QByteArray& bytes) { return QString::fromUtf8(convert("UTF-8", "CP936", bytes, true).bytes); }

QString storableTextError(const QString& field, const QString& text) {
  const GbkBytes g = toGbk(text);
  if (g.ok()) return {};
  return QStringLiteral("“%1”中的字符“%2”无法保存，请删除后再试").arg(field, g.unrepresentable);
}

}  // namespace tcm
