#pragma once
// HTTP GET of a whole response body, as the speech reminder needs it: the
// body whatever the status (the status and type come with it), always fresh
// from the server. Asynchronous on
// the window thread, bounded in size and in time.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "runtime/clock.h"

class QNetworkReply;

namespace rt {

// A larger body is not taken: the transfer fails rather than fill memory.
inline constexpr qint64 kHttpBodyLimit = 16 * 1024 * 1024;
// From the request to the last byte, however slowly the bytes come.
inline constexpr std::chrono::milliseconds kHttpDeadline{10000};

struct HttpResult {
    enum Outcome {
        Complete,  // the whole body, whatever the status code
        Refused,   // nothing listens at the address
        Failed,    // unreachable, cut off, or an invalid address
        TimedOut,  // the deadline passed before the body was complete
        TooLarge,  // the body would pass the limit
    };
    Outcome outcome = Failed;
    QByteArray body;  // what arrived (nothing for TooLarge)
    int status = 0;   // the HTTP status, 0 when none came
    QByteArray contentType;
};

// One GET under way. Deleting it abandons the transfer: the server sees the
// connection close and the callback never runs.
class HttpFetch : public QObject {
    Q_OBJECT
  public:
    ~HttpFetch() override;

  private:
    friend HttpFetch* httpGetAsync(const QString&, QObject*, std::function<void(HttpResult)>,
                                   const QByteArray&);
    explicit HttpFetch(QObject* context) : QObject(context) {}
    void start(const QString& url, const QByteArray& bearer);
    void onReadyRead();
    void onFinished();
    void finish(HttpResult::Outcome outcome);

    QNetworkReply* reply_ = nullptr;
    QByteArray body_;
    Deadline deadline_;
    bool timedOut_ = false;
    bool tooLarge_ = false;
    std::function<void(HttpResult)> done_;
};

// Starts a GET from the window thread and calls done there, later, with the
// outcome. The fetch belongs to context: it goes (and is abandoned) with
// it, and deletes itself once done has run. A bearer token, when given, is
// sent as "Authorization: Bearer <token>".
HttpFetch* httpGetAsync(const QString& url, QObject* context, std::function<void(HttpResult)> done,
                        const QByteArray& bearer = {});

}  // namespace rt
