#include "ui/app/HandOffSocket.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include "platform/HandOff.h"

namespace vellumo {

namespace {

// A sender that has not finished by then is dropped, so no connection lingers.
constexpr int kSenderTimeoutMs = 10000;
constexpr char kBufferProperty[] = "handOffBuffer";

}  // namespace

HandOffServer::HandOffServer(const QString& socketPath, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    QLocalServer::removeServer(socketPath);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->listen(socketPath);
    connect(server_, &QLocalServer::newConnection, this, &HandOffServer::Accept);
}

HandOffServer::~HandOffServer() {
    // The socket file goes with the server; a later copy would remove it anyway.
    server_->close();
}

bool HandOffServer::Listening() const { return server_->isListening(); }

void HandOffServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kSenderTimeoutMs, socket, [socket] { socket->abort(); });
        Read(socket);
    }
}

void HandOffServer::Read(QLocalSocket* socket) {
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    buffer += socket->readAll();
    const HandOffMessage message =
        ParseHandOff(std::string_view(buffer.constData(), size_t(buffer.size())));
    switch (message.status) {
        case HandOffStatus::Incomplete:
            socket->setProperty(kBufferProperty, buffer);
            return;
        case HandOffStatus::Invalid:
            socket->abort();
            return;
        case HandOffStatus::Complete:
            break;
    }
    socket->setProperty(kBufferProperty, QByteArray());
    socket->write(kHandOffAnswer.data(), qint64(kHandOffAnswer.size()));
    socket->flush();
    socket->disconnectFromServer();
    QStringList paths;
    for (const std::string& p : message.paths) paths << QString::fromStdString(p);
    emit FilesReceived(paths);
}

bool HandFilesToRunningCopy(const QString& socketPath, const QStringList& absolutePaths,
                            int timeoutMs) {
    std::vector<std::string> paths;
    for (const QString& p : absolutePaths) paths.push_back(p.toStdString());
    const std::string message = EncodeHandOff(paths);
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (HandOffSocketIsOurs(socketPath.toStdString())) {
            QLocalSocket socket;
            socket.connectToServer(socketPath);
            if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
                socket.write(message.data(), qint64(message.size()));
                QByteArray answer;
                while (!deadline.hasExpired() && socket.state() == QLocalSocket::ConnectedState &&
                       answer.size() < qsizetype(kHandOffAnswer.size())) {
                    socket.waitForBytesWritten(50);
                    if (socket.waitForReadyRead(50)) answer += socket.readAll();
                }
                answer += socket.readAll();
                return answer.startsWith(
                    QByteArray(kHandOffAnswer.data(), qsizetype(kHandOffAnswer.size())));
            }
        }
        QThread::msleep(100);
    }
    return false;
}

}  // namespace vellumo
