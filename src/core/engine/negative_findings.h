#pragma once
// The engine's one database access: findings implied by the absence of others.
#include <QString>
#include <QStringList>
#include <optional>

namespace tcm {

class NegativeFindingSource {
 public:
  virtual ~NegativeFindingSource() = default;
  // For each "-"-separated group of 5-digit codes in `SymIds` that `CodeLst`
  // does not satisfy, the implied finding of the group's last code (when the
  // table has one and it is not already in `CodeLst`). False with `error` when
  // the lookup fails.
  [[nodiscard]] virtual bool GetNegativeSymptomId(const QString& SymIds, const QStringList& CodeLst, QStringList* out,
                                                  QString* error);

 protected:
  // The implied finding of one code (5-digit, nullopt when the table has none);
  // false with `error` when the lookup itself fails. Without a table nothing is implied.
  [[nodiscard]] virtual bool lookUpImplied(const QString& code, std::optional<QString>* implied, QString* error);
};

}  // namespace tcm
