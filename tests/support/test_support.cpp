#include "test_support.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>

#include "db/schema.h"
#include "kb/seed_accounts.h"
#include "kb/seed_knowledge.h"

namespace tcm::test {

QString postgresAdminUrl() { return qEnvironmentVariable("TCM_TEST_PG"); }

std::string remoteKindName(const ::testing::TestParamInfo<RemoteKind>& info) {
  return info.param == RemoteKind::Sqlite ? "Sqlite" : "Postgres";
}

namespace {

// Runs one administrative statement on the server's maintenance database.
bool adminExec(const QString& sql, QString* error) {
  const RemoteUrl url = RemoteUrl::parse(postgresAdminUrl(), {});
  static QAtomicInt counter;
  const QString name = QStringLiteral("tcm-test-admin-%1").arg(counter.fetchAndAddRelaxed(1));
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(url.host);
    db.setPort(url.port);
    db.setUserName(url.user);
    db.setPassword(url.password);
    db.setDatabaseName(url.database);
    if (db.open()) {
      QSqlQuery q(db);
      ok = q.exec(sql);
      if (!ok) *error = q.lastError().text();
    } else {
      *error = db.lastError().text();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  return ok;
}

}  // namespace

bool postgresAdminExec(const QString& sql, QString* error) { return adminExec(sql, error); }

PgDatabase::PgDatabase() {
  const QString admin = postgresAdminUrl();
  if (admin.isEmpty()) return;
  static QAtomicInt counter;
  name_ = QStringLiteral("tcmtest_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter.fetchAndAddRelaxed(1));
  // The name is made here of digits and letters only.
  if (!adminExec(QStringLiteral("create database ") + name_, &error_)) {
    name_.clear();
    return;
  }
  const RemoteUrl url = RemoteUrl::parse(admin, {});
  url_ = QStringLiteral("postgresql://%1%2@%3:%4/%5")
             .arg(url.user, url.password.isEmpty() ? QString() : QLatin1Char(':') + url.password, url.host)
             .arg(url.port)
             .arg(name_);
}

PgDatabase::~PgDatabase() {
  if (name_.isEmpty()) return;
  QString error;
  (void)adminExec(QStringLiteral("drop database if exists ") + name_ + QStringLiteral(" with (force)"), &error);
}

DataFolder::DataFolder(RemoteKind kind, bool withKnowledge) {
  settings_.dataDir = dir_.path();
  if (kind == RemoteKind::Postgres) {
    if (postgresAdminUrl().isEmpty()) {
      pgMissing_ = true;
      error_ = QStringLiteral("no PostgreSQL test server");
      return;
    }
    pg_ = std::make_unique<PgDatabase>();
    if (!pg_->ok()) {
      error_ = pg_->error();
      return;
    }
    settings_.remoteUrl = pg_->url();
  } else {
    QFile(settings_.remoteDbPath()).open(QIODevice::WriteOnly);
  }
  QFile(settings_.localDbPath()).open(QIODevice::WriteOnly);
  SilentMessages quiet;
  TDMServer dm(settings_, &quiet);
  QString error;
  if (!applySchema(dm, Database::Local, &error) || !applySchema(dm, Database::Remote, &error) ||
      !seedAccounts(dm, &error)) {
    error_ = error.isEmpty() ? dm.lastError() : error;
    return;
  }
  if (withKnowledge) {
    SeedReport report;
    if (!seedKnowledge(dm, false, &report, &error)) error_ = error;
  }
}

DataFolder::~DataFolder() = default;

std::unique_ptr<TDMServer> DataFolder::server(Messages* messages) const {
  return std::make_unique<TDMServer>(settings_, messages);
}

LoopbackHttpServer::LoopbackHttpServer(QByteArray body) : body_(std::move(body)) {
  server_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        const QByteArray request = socket->readAll();
        const QList<QByteArray> words = request.split(' ');
        lastPath_ = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
        ++requests_;
        const bool found = lastPath_ == QLatin1String("/ip");
        const QByteArray body = found ? body_ : QByteArrayLiteral("not found");
        QByteArray response = (found ? QByteArrayLiteral("HTTP/1.1 200 OK\r\n") : QByteArrayLiteral("HTTP/1.1 404 Not Found\r\n")) +
                              "Content-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body;
        socket->write(response);
        socket->disconnectFromHost();
      });
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
}

QString LoopbackHttpServer::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

DbSettings withUnreachableRemote(DbSettings settings) {
  settings.remoteUrl = QStringLiteral("postgresql://nobody@127.0.0.1:1/fm");
  return settings;
}

QString unreachableHttpUrl() {
  // Bind a port, then close it: nothing listens there any more.
  QTcpServer s;
  s.listen(QHostAddress::LocalHost, 0);
  const quint16 port = s.serverPort();
  s.close();
  return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

}  // namespace tcm::test
