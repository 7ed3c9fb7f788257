#include "single_copy.h"

#include <unistd.h>

#include <QLocalSocket>

namespace qtfront {

namespace {

constexpr int kAnswerWaitMs = 1000;
const QByteArray kOpenLogin = QByteArrayLiteral("login\n");

}  // namespace

QString SingleCopy::NameForUser() {
  return QStringLiteral("tamborelle-rir-avadera-%1").arg(getuid());
}

SingleCopy::SingleCopy(const QString& name) {
  QLocalSocket running;
  running.connectToServer(name);
  if (running.waitForConnected(kAnswerWaitMs)) {
    first_ = false;
    running.write(kOpenLogin);
    running.waitForBytesWritten(kAnswerWaitMs);
    running.disconnectFromServer();
    return;
  }
  // Nobody answers: a socket left by a copy that crashed is in the way.
  QLocalServer::removeServer(name);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  // Should listening fail, this copy runs all the same; only the second-start call is lost.
  server_.listen(name);
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* caller = server_.nextPendingConnection()) {
      QObject::connect(caller, &QLocalSocket::readyRead, caller, [this, caller] {
        if (caller->readAll().contains(kOpenLogin) && another_start_) {
          another_start_();
        }
      });
      QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
    }
  });
}

}  // namespace qtfront
