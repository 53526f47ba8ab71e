#pragma once
// A copy of the shipped seed folder in a temporary directory, for breaking one
// reference at a time.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tcm::test {

class SeedCopy {
 public:
  SeedCopy() {
    const QDir source(QStringLiteral(TCM_SEED_DIR));
    for (const QString& name : source.entryList(QDir::Files)) {
      if (!QFile::copy(source.filePath(name), dir_.filePath(name))) ok_ = false;
    }
    ok_ = ok_ && dir_.isValid() && QFile::exists(dir_.filePath(QStringLiteral("vocabulary.csv")));
  }
  bool ok() const { return ok_; }
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }

  QString read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
  }
  void write(const QString& name, const QString& text) const {
    QFile f(file(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
  }
  // Replaces the one occurrence of `from` in the file; fails the test when the
  // text is not there exactly once (the break would not happen).
  void replace(const QString& name, const QString& from, const QString& to) const {
    QString text = read(name);
    ASSERT_EQ(text.count(from), 1) << name.toStdString() << ": " << from.toStdString();
    text.replace(from, to);
    write(name, text);
  }
  void append(const QString& name, const QString& line) const { write(name, read(name) + line + QLatin1Char('\n')); }

 private:
  QTemporaryDir dir_;
  bool ok_ = true;
};

}  // namespace tcm::test
