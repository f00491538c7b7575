#include "desktop/channel_listener.h"

#ifdef Q_OS_WIN
#include <QLocalServer>
#include <QLocalSocket>

namespace zorvik::desktop {

ChannelListener::~ChannelListener() = default;

bool ChannelListener::listen(const QString& name) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &ChannelListener::acceptWaiting);
    return server_->listen(name);
}

void ChannelListener::acceptWaiting() {
    while (server_ && server_->hasPendingConnections()) {
        QLocalSocket* socket = server_->nextPendingConnection();
        if (!hasRoom()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        take(socket);
    }
}

}  // namespace zorvik::desktop
#endif
