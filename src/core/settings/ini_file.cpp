#include "settings/ini_file.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace tcm {
namespace {

bool isSectionHeader(const QString& line, QString* name) {
  const QString t = line.trimmed();
  if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']'))) return false;
  if (name) *name = t.mid(1, t.size() - 2).trimmed();
  return true;
}

bool keyOf(const QString& line, QString* key, QString* value) {
  const qsizetype eq = line.indexOf(QLatin1Char('='));
  if (eq <= 0) return false;
  const QString t = line.trimmed();
  if (t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'))) return false;
  if (key) *key = line.left(eq).trimmed();
  // The value is kept as written (a remembered name keeps its blanks).
  if (value) *value = line.mid(eq + 1);
  return true;
}

// A value is one line: breaks of any kind are dropped, so no value can start
// another key or section.
QString oneLine(QString text) {
  text.removeIf([](QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\v') || c == QLatin1Char('\f') ||
           c.unicode() == 0x85 || c.unicode() == 0x2028 || c.unicode() == 0x2029;
  });
  return text;
}

// Larger files are not settings files of this program: they are neither read nor rewritten.
constexpr qint64 kLargestIniFile = 16 << 20;

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

bool IniFile::exists() const { return QFile::exists(path_); }

void IniFile::load() {
  lines_.clear();
  readWhole_ = true;
  QFile f(path_);
  if (!f.exists()) return;
  // The file is read whole or left alone: a part read and written back would lose the rest.
  if (!f.open(QIODevice::ReadOnly) || f.size() > kLargestIniFile) {
    readWhole_ = false;
    return;
  }
  const QByteArray raw = f.readAll();
  if (raw.size() != f.size()) {
    readWhole_ = false;
    return;
  }
  QString text = QString::fromUtf8(raw);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines_ = text.split(QLatin1Char('\n'));
  if (!lines_.isEmpty() && lines_.last().isEmpty()) lines_.removeLast();
}

qsizetype IniFile::findSection(const QString& section) const {
  QString name;
  for (qsizetype i = 0; i < lines_.size(); ++i)
    if (isSectionHeader(lines_[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

qsizetype IniFile::findKey(const QString& section, const QString& key) const {
  const qsizetype start = findSection(section);
  if (start < 0) return -1;
  QString k;
  for (qsizetype i = start + 1; i < lines_.size(); ++i) {
    if (isSectionHeader(lines_[i], nullptr)) break;
    if (keyOf(lines_[i], &k, nullptr) && k.compare(key, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

bool IniFile::contains(const QString& section, const QString& key) const { return findKey(section, key) >= 0; }

QString IniFile::value(const QString& section, const QString& key, const QString& fallback) const {
  const qsizetype i = findKey(section, key);
  if (i < 0) return fallback;
  QString v;
  keyOf(lines_[i], nullptr, &v);
  return v;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& rawValue) {
  const QString value = oneLine(rawValue);
  const QString line = key + QLatin1Char('=') + value;
  const qsizetype i = findKey(section, key);
  if (i >= 0) {
    // Keep the key as the file spells it.
    lines_[i] = lines_[i].left(lines_[i].indexOf(QLatin1Char('=')) + 1) + value;
    return;
  }
  const qsizetype s = findSection(section);
  if (s < 0) {
    if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) lines_ << QString();
    lines_ << QLatin1Char('[') + section + QLatin1Char(']') << line;
    return;
  }
  // Append after the last non-empty line of the section.
  qsizetype end = s + 1;
  while (end < lines_.size() && !isSectionHeader(lines_[end], nullptr)) ++end;
  qsizetype at = end;
  while (at > s + 1 && lines_[at - 1].trimmed().isEmpty()) --at;
  lines_.insert(at, line);
}

bool IniFile::save() const {
  if (!readWhole_) return false;
  QSaveFile f(path_);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QByteArray out;
  for (const QString& l : lines_) out += l.toUtf8() + "\r\n";
  if (f.write(out) != out.size()) return false;
  return f.commit();
}

}  // namespace tcm
