#include "login/public_address.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace tcm {

QString publicAddressService() {
  const QString env = qEnvironmentVariable("TCM_IP_SERVICE");
  return env.isEmpty() ? QStringLiteral("http://ifconfig.me") : env;
}

QString fetchPublicAddress(const QString& serviceBaseUrl, int timeoutMs) {
  if (serviceBaseUrl.isEmpty()) return {};
  QString base = serviceBaseUrl;
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  const QUrl url(base + QStringLiteral("/ip"));
  if (!url.isValid() || url.scheme().isEmpty()) return {};
  QNetworkAccessManager nam;
  QNetworkRequest request(url);
  request.setTransferTimeout(timeoutMs);
  QNetworkReply* reply = nam.get(request);
  QEventLoop loop;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, reply, &QNetworkReply::abort);
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  guard.start(timeoutMs);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  QString address;
  if (reply->error() == QNetworkReply::NoError &&
      reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200) {
    // A short plain-text body is an address; anything else is not.
    const QByteArray body = reply->read(256);
    address = QString::fromUtf8(body);
  }
  reply->deleteLater();
  return address;
}

}  // namespace tcm
