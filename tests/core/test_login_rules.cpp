#include <gtest/gtest.h>

#include "crypto/des_hex.h"
#include "login/login_service.h"
#include "login/remembered_password.h"

using namespace tcm;

TEST(LoginBoxes, ChecksAndMessages) {
  EXPECT_EQ(checkLoginBoxes("", "1"), "用户名没有填写");
  EXPECT_EQ(checkLoginBoxes("   ", "1"), "用户名没有填写");
  EXPECT_EQ(checkLoginBoxes("138", "  "), "密码没有填写");
  EXPECT_EQ(checkLoginBoxes("138", "密码"), "密码没有填写");
  EXPECT_EQ(checkLoginBoxes("138", " 密码"), QString());  // only the exact placeholder
  EXPECT_EQ(checkLoginBoxes(" 138 ", "731526"), QString());
}

TEST(RememberedPassword, RotatedDesForm) {
  const QString stored = passwordToStoredForm("731526").value();
  const QString hex = QString::fromLatin1(EncryStrHex("731526", kDesKeyString));
  EXPECT_EQ(stored, hex.mid(4) + hex.left(4));
  EXPECT_EQ(passwordFromStoredForm(stored), QString("731526"));
  EXPECT_EQ(passwordFromStoredForm(passwordToStoredForm(QStringLiteral("密码12")).value()), QStringLiteral("密码12"));
}

TEST(RememberedPassword, ForeignTextsAreNotPasswords) {
  EXPECT_FALSE(passwordFromStoredForm(QString()).has_value());
  EXPECT_FALSE(passwordFromStoredForm("731526").has_value());
  EXPECT_FALSE(passwordFromStoredForm("ZZZZ5DCAB387B06A").has_value());
  EXPECT_FALSE(passwordFromStoredForm(QStringLiteral("中文中文中文中文中文中文中文中文")).has_value());
  EXPECT_FALSE(passwordFromStoredForm("B4465DCAB387B06A1").has_value());
}

TEST(DatabasePassword, AesForm) { EXPECT_EQ(passwordForDatabase("731526"), "1611DF0F8E70E2E12D579699512144B7"); }
