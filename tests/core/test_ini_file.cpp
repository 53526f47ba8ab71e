#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "settings/ini_file.h"

using tcm::IniFile;

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& content) {
  const QString path = dir.filePath("set.ini");
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(content);
  return path;
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

}  // namespace

TEST(IniFile, ReadsCaseInsensitivelyWithDefaults) {
  QTemporaryDir dir;
  IniFile ini(writeFile(dir, "[login]\r\nuser =13800000001\r\n; note\r\n[Version]\r\ndate=20261209\r\n"));
  ini.load();
  EXPECT_EQ(ini.value("LOGIN", "USER"), "13800000001");
  EXPECT_EQ(ini.value("version", "DATE"), "20261209");
  EXPECT_EQ(ini.value("LOGIN", "PWD", "x"), "x");
  EXPECT_FALSE(ini.contains("Version", "upted"));
  EXPECT_EQ(ini.value("Missing", "date", "d"), "d");
}

TEST(IniFile, WritingKeepsTheRestOfTheFile) {
  QTemporaryDir dir;
  const QString path = writeFile(dir, "; shop settings\r\n[LOGIN]\r\nUSER=a\r\n\r\n[Version]\r\nupted=1\r\n");
  IniFile ini(path);
  ini.load();
  ini.setValue("LOGIN", "PWD", "ABCD");
  ini.setValue("login", "user", "b");
  ini.setValue("Other", "k", "v");
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(readFile(path),
            "; shop settings\r\n[LOGIN]\r\nUSER=b\r\nPWD=ABCD\r\n\r\n[Version]\r\nupted=1\r\n\r\n[Other]\r\nk=v\r\n");
}

TEST(IniFile, MissingOrCorruptFileReadsEmpty) {
  QTemporaryDir dir;
  IniFile missing(dir.filePath("none.ini"));
  EXPECT_FALSE(missing.exists());
  missing.load();
  EXPECT_EQ(missing.value("LOGIN", "USER"), QString());
  IniFile garbage(writeFile(dir, QByteArray("\xFF\xFE\x00garbage=\n[[[\n=novalue\n", 23)));
  garbage.load();
  EXPECT_EQ(garbage.value("LOGIN", "USER"), QString());
  garbage.setValue("LOGIN", "USER", "x");
  ASSERT_TRUE(garbage.save());
  IniFile again(garbage.path());
  again.load();
  EXPECT_EQ(again.value("LOGIN", "USER"), "x");
}

TEST(IniFile, UnwritablePlaceReportsFailure) {
  IniFile ini("/proc/no-such-dir/set.ini");
  ini.setValue("LOGIN", "USER", "x");
  EXPECT_FALSE(ini.save());
}

TEST(IniFile, ValuesStayOnOneLineAndLargeFilesAreKeptWhole) {
  QTemporaryDir dir;
  const QString path = writeFile(dir, "[Version]\r\ndate=20260101\r\n");
  IniFile ini(path);
  ini.load();
  ini.setValue("LOGIN", "USER", "138\r\n[Version]\r\ndate=20991231\u2028x");
  ASSERT_TRUE(ini.save());
  IniFile again(path);
  again.load();
  EXPECT_EQ(again.value("Version", "date"), "20260101");
  EXPECT_EQ(again.value("LOGIN", "USER"), "138[Version]date=20991231x");

  // A file past 1 MiB is rewritten with everything it held.
  const QByteArray big = "[LOGIN]\r\nUSER=a\r\n; " + QByteArray(2 << 20, 'x') + "\r\n[Tail]\r\nkept=1\r\n";
  const QString bigPath = writeFile(dir, big);
  IniFile large(bigPath);
  large.load();
  large.setValue("LOGIN", "USER", "b");
  ASSERT_TRUE(large.save());
  QByteArray expected = big;
  expected.replace("USER=a", "USER=b");
  EXPECT_EQ(readFile(bigPath), expected);
}
