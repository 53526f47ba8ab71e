#pragma once
// tcmcare-admin: what an operator needs without the window.
#include <QStringList>
#include <QTextStream>

#include "db/db_settings.h"
#include "messages.h"

namespace tcm::cli {

// Database failures are written to the error stream as they happen.
class ErrorStreamMessages : public Messages {
 public:
  explicit ErrorStreamMessages(QTextStream& err) : err_(err) {}
  void showMessage(const QString& text) override { err_ << text << "\n"; }
  void showDbError(const QString& text) override { err_ << text << "\n"; }
  bool askOkCancel(const QString&, const QString&) override { return false; }

 private:
  QTextStream& err_;
};

struct Io {
  QTextStream& out;
  QTextStream& err;
};

int cmdInitDb(const DbSettings& settings, const QStringList& args, Io io);
int cmdCipher(const QStringList& args, Io io);
int cmdEngine(const DbSettings& settings, const QStringList& args, Io io);
int cmdIdentify(const DbSettings& settings, const QStringList& args, Io io);
int cmdCheckKb(const QStringList& args, Io io);
int cmdBackup(const DbSettings& settings, const QStringList& args, Io io);
int cmdRestore(const DbSettings& settings, const QStringList& args, Io io);
int cmdConstitution(const QStringList& args, Io io);

}  // namespace tcm::cli
