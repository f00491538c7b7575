#pragma once
// HTTP GET of a whole response body, as the speech reminder needs it: the
// body whatever the status, always fresh from the server, and an empty
// body when the server cannot be reached.

#include <QByteArray>
#include <QString>
#include <functional>

class QObject;

namespace rt {

inline constexpr int kHttpTimeoutMs = 10000;

// Starts the request on the calling thread, which must run an event loop and
// own context, and calls done there with the body read. connectionRefused
// tells a server that refused the connection apart from an empty answer. A
// transfer that stalls for the timeout gives up with the bytes read so far.
// Nothing is called when context is destroyed first.
void httpGetAsync(const QString& url, QObject* context,
                  std::function<void(QByteArray body, bool connectionRefused)> done);

// Blocking form: waits in its own event loop, so it serves worker threads
// and never freezes the window. An empty URL gives an empty result.
QByteArray httpGet(const QString& url);

// The stall timeout in milliseconds; tests shorten it.
void setHttpTimeout(int ms);
int httpTimeout();

}  // namespace rt
