// The parsers of stored texts must take any input: item lists, the two hex
// ciphers, the remembered password, prescription lists, diet advice, id
// conditions and the prescriptions a visit saved. Round trips must hold where the forms promise them.
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "crypto/aes_hex.h"
#include "crypto/des_hex.h"
#include "login/remembered_password.h"
#include "prescription/herb_prescription.h"
#include "prescription/saved_prescription.h"
#include "result/recommendations.h"
#include "text/item_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString text = QString::fromUtf8(bytes);

  (void)tcm::splitItems(text);
  (void)tcm::splitItems(text, QLatin1Char('|'));
  (void)tcm::DESryStrHex(bytes, tcm::kDesKeyString);
  (void)tcm::DeCrypt(bytes);
  (void)tcm::decryptForDisplay(text);
  (void)tcm::passwordFromStoredForm(text);
  (void)tcm::parsePrescriptionList(text);
  (void)tcm::parseDietAdvice(text).shortText();
  (void)tcm::ChkIds(text, QStringLiteral("11111,22222,01294"));
  (void)tcm::parseSavedHerbal(text);
  (void)tcm::parseSavedFood(text, text);

  // The unit field with its dispensing note is written back as it was read.
  const tcm::UnitNote un = tcm::splitUnitNote(text);
  if (tcm::joinUnitNote(un.unit, un.note) != text) abort();

  // Enciphering and deciphering give the bytes back (up to the first zero byte for DES).
  const tcm::AesResult aes = tcm::DeCrypt(tcm::EnCrypt(bytes));
  if (!aes.ok() || !aes.bytes.startsWith(bytes)) abort();
  const QByteArray des = tcm::DESryStrHex(tcm::EncryStrHex(bytes, tcm::kDesKeyString), tcm::kDesKeyString);
  const qsizetype zero = bytes.indexOf('\0');
  if (des != (zero < 0 ? bytes : bytes.left(zero))) abort();
  return 0;
}
