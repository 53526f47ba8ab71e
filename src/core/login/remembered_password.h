#pragma once
// The remembered password in set.ini: the DES hex form of the password, with
// its first four characters moved to the end.
#include <QString>
#include <optional>

namespace tcm {

// nullopt for a password GBK cannot represent: it can be no stored password.
std::optional<QString> passwordToStoredForm(const QString& password);
// nullopt when the stored text is not a form this program wrote.
std::optional<QString> passwordFromStoredForm(const QString& stored);

// The password as the accounts table holds it: the AES hex form.
std::optional<QString> passwordForDatabase(const QString& password);

}  // namespace tcm
