#pragma once
// GBK (code page 936) bytes exist only at the cipher boundary. Text that GBK
// cannot represent is refused, never shortened: a password or a phone number
// with a character dropped would be another value.
#include <QByteArray>
#include <QString>

namespace tcm {

struct GbkBytes {
  QByteArray bytes;
  QString unrepresentable;  // the first character GBK has no form for; empty on success
  bool ok() const { return unrepresentable.isEmpty(); }
};

GbkBytes toGbk(const QString& text);
// Bytes that are not GBK are skipped (stored values are shown as far as they can be read).
QString fromGbk(const QByteArray& bytes);

// Empty when `text` can be stored enciphered; otherwise the message naming the
// field and the character, e.g. “电话”中的字符“😀”无法保存，请删除后再试.
QString storableTextError(const QString& field, const QString& text);

}  // namespace tcm
