#include "crypto/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace tcm {
namespace {

// Converts with iconv; characters the target cannot hold are skipped so that
// a conversion never fails as a whole.
QByteArray convert(const char* to, const char* from, const QByteArray& in) {
  if (in.isEmpty()) return {};
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::vector<char> out(static_cast<size_t>(in.size()) * 4 + 16);
  char* src = const_cast<char*>(in.constData());
  size_t srcLeft = static_cast<size_t>(in.size());
  char* dst = out.data();
  size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
    if (errno == EILSEQ || errno == EINVAL) {
      // Skip one byte of input that cannot be converted.
      ++src;
      --srcLeft;
      continue;
    }
    break;  // E2BIG cannot happen: the buffer is large enough.
  }
  iconv_close(cd);
  return QByteArray(out.data(), static_cast<qsizetype>(out.size() - dstLeft));
}

}  // namespace

QByteArray toGbk(const QString& text) { return convert("CP936", "UTF-8", text.toUtf8()); }

QString fromGbk(const QByteArray& bytes) { return QString::fromUtf8(convert("UTF-8", "CP936", bytes)); }

}  // namespace tcm
