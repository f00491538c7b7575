#include "media/http.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace rt {

namespace {

// One session for the program's life, on the window thread.
QNetworkAccessManager* manager() {
    static QPointer<QNetworkAccessManager> shared;
    if (!shared) {
        shared = new QNetworkAccessManager(QCoreApplication::instance());
        shared->setProxy(QNetworkProxy::NoProxy);  // always a direct connection
    }
    return shared;
}

QNetworkRequest makeRequest(const QUrl& url, const QByteArray& bearer) {
    QNetworkRequest request(url);
    if (!bearer.isEmpty()) {
        request.setRawHeader("Authorization", "Bearer " + bearer);
        // A secret goes to the address it was made for and nowhere else.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
    }
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"));
    request.setRawHeader("Accept", "*/*");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return request;
}

// Errors that come with an answer from the server (4xx, 5xx): the body is
// still the answer. The lower codes are about the connection itself, and a
// protocol failure is a reply that cannot be trusted.
bool isStatusError(QNetworkReply::NetworkError e) {
    return e > QNetworkReply::UnknownProxyError && e != QNetworkReply::ProtocolFailure;
}

}  // namespace

HttpFetch::~HttpFetch() {
    if (!reply_) return;
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
}

void HttpFetch::start(const QString& url, const QByteArray& bearer) {
    const QUrl target(url);
    if (url.isEmpty() || !target.isValid() || target.scheme().isEmpty()) {
        // Never inside the call that asked: the caller is not ready for it.
        QMetaObject::invokeMethod(
            this, [this] { finish(HttpResult::Failed); }, Qt::QueuedConnection);
        return;
    }
    reply_ = manager()->get(makeRequest(target, bearer));
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        // A length announced past the limit is refused before its bytes come.
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kHttpBodyLimit) {
            tooLarge_ = true;
            reply_->abort();
        }
    });
    connect(reply_, &QIODevice::readyRead, this, &HttpFetch::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &HttpFetch::onFinished);
    deadline_.start(kHttpDeadline, [this] {
        timedOut_ = true;
        reply_->abort();
    });
}

void HttpFetch::onReadyRead() {
    if (tooLarge_) return;
    body_.append(reply_->read(kHttpBodyLimit + 1 - body_.size()));
    if (body_.size() > kHttpBodyLimit) {
        tooLarge_ = true;
        body_.clear();
        reply_->abort();
    }
}

void HttpFetch::onFinished() {
    deadline_.cancel();
    // A transfer that was aborted is already closed: nothing to read.
    if (reply_->isOpen()) onReadyRead();
    const QNetworkReply::NetworkError error = reply_->error();
    const bool answered = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (tooLarge_)
        finish(HttpResult::TooLarge);
    else if (timedOut_)
        finish(HttpResult::TimedOut);
    else if (error == QNetworkReply::NoError || (answered && isStatusError(error)))
        finish(HttpResult::Complete);
    else if (error == QNetworkReply::ConnectionRefusedError)
        finish(HttpResult::Refused);
    else
        finish(HttpResult::Failed);
}

void HttpFetch::finish(HttpResult::Outcome outcome) {
    HttpResult result;
    result.outcome = outcome;
    if (outcome != HttpResult::TooLarge) result.body = body_;
    if (reply_) {
        result.status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.contentType = reply_->rawHeader("Content-Type");
        reply_->disconnect(this);
        reply_->deleteLater();
        reply_ = nullptr;
    }
    body_.clear();
    auto done = std::move(done_);
    deleteLater();
    if (done) done(std::move(result));  // may delete this fetch: nothing follows
}

HttpFetch* httpGetAsync(const QString& url, QObject* context, std::function<void(HttpResult)> done,
                        const QByteArray& bearer) {
    auto* fetch = new HttpFetch(context);
    fetch->done_ = std::move(done);
    fetch->start(url, bearer);
    return fetch;
}

}  // namespace rt
