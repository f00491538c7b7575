#include "runtime/http.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <memory>

namespace rt {

namespace {

std::atomic<int> timeoutMs{kHttpTimeoutMs};

QNetworkAccessManager* makeManager(QObject* parent) {
    auto* manager = new QNetworkAccessManager(parent);
    manager->setProxy(QNetworkProxy::NoProxy);  // always a direct connection
    return manager;
}

// One session for the window thread for the program's life. Worker threads
// get one of their own per request, owned by the request's context: a
// manager is bound to its thread, and a detached worker may end at any time.
QNetworkAccessManager* managerFor(QObject* context) {
    auto* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        static QPointer<QNetworkAccessManager> shared;
        if (!shared) shared = makeManager(app);
        return shared;
    }
    return makeManager(context);
}

QNetworkRequest makeRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"));
    request.setRawHeader("Accept", "*/*");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setTransferTimeout(timeoutMs.load());
    return request;
}

}  // namespace

void setHttpTimeout(int ms) {
    timeoutMs = ms > 0 ? ms : kHttpTimeoutMs;
}
int httpTimeout() {
    return timeoutMs.load();
}

void httpGetAsync(const QString& url, QObject* context,
                  std::function<void(QByteArray body, bool connectionRefused)> done) {
    const QUrl target(url);
    if (url.isEmpty() || !target.isValid() || !context) {
        if (context && done)
            QMetaObject::invokeMethod(
                context, [done] { done({}, false); }, Qt::QueuedConnection);
        return;
    }
    QNetworkAccessManager* manager = managerFor(context);
    QNetworkReply* reply = manager->get(makeRequest(target));
    // Collected as it arrives: a transfer cut short by the timeout or the
    // server still yields what came before.
    auto body = std::make_shared<QByteArray>();
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    QObject::connect(reply, &QIODevice::readyRead, context,
                     [reply, body] { body->append(reply->readAll()); });
    QObject::connect(reply, &QNetworkReply::finished, context, [=] {
        // A transfer the timeout aborted is already closed: nothing to read.
        if (reply->isOpen()) body->append(reply->readAll());
        const bool refused = reply->error() == QNetworkReply::ConnectionRefusedError;
        if (manager->parent() == context) manager->deleteLater();
        if (done) done(*body, refused);
    });
}

QByteArray httpGet(const QString& url) {
    if (url.isEmpty()) return {};
    QObject context;
    QEventLoop loop;
    QByteArray result;
    bool finished = false;
    httpGetAsync(url, &context, [&](QByteArray body, bool) {
        result = std::move(body);
        finished = true;
        loop.quit();
    });
    if (!finished) loop.exec();
    // The reply and its manager were handed to deleteLater; a worker thread
    // may never turn its event loop again, so free them now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}

}  // namespace rt
