#pragma once
// tcmcare-admin: what an operator needs without the window.
#include <QStringList>
#include <QTextStream>

#include "data/db_settings.h"

namespace tcm::cli {

struct Io {
  QTextStream& out;
  QTextStream& err;
};

int cmdInitDb(const DbSettings& settings, const QStringList& args, Io io);
int cmdCipher(const QStringList& args, Io io);
int cmdEngine(const DbSettings& settings, const QStringList& args, Io io);
int cmdIdentify(const DbSettings& settings, const QStringList& args, Io io);
int cmdCheckKb(const QStringList& args, Io io);

}  // namespace tcm::cli
