#pragma once
// Fixtures for the tests: fresh databases in a temporary data folder, a
// recorder for messages, and a loopback HTTP server.
#include <gtest/gtest.h>

#include <QList>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>

#include "db/db_settings.h"
#include "db/dialect.h"
#include "db/gateway.h"
#include "messages.h"

namespace tcm::test {

// Records every message; questions are answered from `answers` (Cancel when empty).
class RecordingMessages : public Messages {
 public:
  void showMessage(const QString& text) override { messages << text; }
  void showDbError(const QString& text) override { dbErrors << text; }
  bool askOkCancel(const QString& title, const QString& text) override {
    questions << title + QLatin1Char('|') + text;
    return answers.isEmpty() ? false : answers.takeFirst();
  }
  void showCaptioned(const QString& caption, const QString& text) override {
    captioned << caption + QLatin1Char('|') + text;
  }
  // Answered from `choiceAnswers` (-1, closed without a choice, when empty).
  int askChoice(const QString& title, const QString& text, const QStringList& choices, int defaultChoice) override {
    questions << title + QLatin1Char('|') + text + QLatin1Char('|') + choices.join(QLatin1Char('/')) +
                     QLatin1Char('|') + QString::number(defaultChoice);
    return choiceAnswers.isEmpty() ? -1 : choiceAnswers.takeFirst();
  }
  void clear() {
    captioned.clear();
    messages.clear();
    dbErrors.clear();
    questions.clear();
  }
  QStringList messages, dbErrors, questions, captioned;
  QList<bool> answers;
  QList<int> choiceAnswers;
};

// The administrator URL of the loopback PostgreSQL server that test.sh starts
// (TCM_TEST_PG); empty when none runs.
QString postgresAdminUrl();

// Runs one statement on the server's maintenance database (as its administrator).
bool postgresAdminExec(const QString& sql, QString* error);

// A fresh database on the loopback PostgreSQL server, dropped at the end.
class PgDatabase {
 public:
  PgDatabase();
  ~PgDatabase();
  bool ok() const { return !url_.isEmpty(); }
  const QString& url() const { return url_; }
  const QString& error() const { return error_; }

 private:
  QString name_, url_, error_;
};

enum class RemoteKind { Sqlite, Postgres };
std::string remoteKindName(const ::testing::TestParamInfo<RemoteKind>& info);

// A temporary data folder with both databases created (schema, demo accounts and,
// when asked, the seed knowledge base).
class DataFolder {
 public:
  explicit DataFolder(RemoteKind kind = RemoteKind::Sqlite, bool withKnowledge = false);
  ~DataFolder();

  // False when the databases could not be made (error() says why); a Postgres
  // folder without a server skips the test through GTEST_SKIP in the caller.
  bool ok() const { return error_.isEmpty(); }
  bool postgresMissing() const { return pgMissing_; }
  const QString& error() const { return error_; }
  const DbSettings& settings() const { return settings_; }
  QString path() const { return dir_.path(); }
  // A data module on these databases reporting into `messages`.
  std::unique_ptr<TDMServer> server(Messages* messages) const;

 private:
  QTemporaryDir dir_;
  std::unique_ptr<PgDatabase> pg_;
  DbSettings settings_;
  QString error_;
  bool pgMissing_ = false;
};

// Skips the test when the folder's PostgreSQL server is missing outside CI,
// fails it when the databases could not be made.
#define TCM_REQUIRE_FOLDER(folder)                                                        \
  do {                                                                                    \
    if ((folder).postgresMissing()) {                                                     \
      if (qEnvironmentVariableIsSet("CI")) FAIL() << "PostgreSQL test server missing";    \
      GTEST_SKIP() << "no PostgreSQL test server (TCM_TEST_PG)";                          \
    }                                                                                     \
    ASSERT_TRUE((folder).ok()) << (folder).error().toStdString();                        \
  } while (0)

// Answers GET requests on loopback: `body` for "/ip", 404 for anything else.
class LoopbackHttpServer : public QObject {
 public:
  explicit LoopbackHttpServer(QByteArray body);
  QString baseUrl() const;
  int requests() const { return requests_; }
  QString lastPath() const { return lastPath_; }
  void setBody(QByteArray body) { body_ = std::move(body); }

 private:
  QTcpServer server_;
  QByteArray body_;
  int requests_ = 0;
  QString lastPath_;
};

// The same data folder with a remote PostgreSQL database that cannot be reached.
DbSettings withUnreachableRemote(DbSettings settings);

// A loopback address on which nothing listens.
QString unreachableHttpUrl();

}  // namespace tcm::test
