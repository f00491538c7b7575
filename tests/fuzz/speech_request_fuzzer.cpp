// Feeds arbitrary bytes to the speech service's request parser as a client
// on the loopback port sends them: as the head of a request, everything
// before the blank line. Whatever a client sends must get an answer the
// service gives; a request it accepts must say the same thing when the
// program's own client writes it again; a header value never carries the
// blanks around it or another line.

#include <QByteArray>
#include <QUrl>
#include <cstdint>
#include <cstdlib>

#include "speech/http_request.h"

namespace {

[[noreturn]] void fail(const char* what) {
    qCritical("speech request fuzz check failed: %s", what);
    std::abort();
}

void checkHeader(QByteArrayView head, QByteArrayView name) {
    for (const QByteArray& value : speech::headerValues(head, name)) {
        if (value != value.trimmed()) fail("a header value keeps its blanks");
        if (value.contains('\n')) fail("a header value runs into the next line");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView head(data, qsizetype(size));
    // The two headers the service decides on before it parses the request.
    checkHeader(head, "Host");
    checkHeader(head, "Authorization");

    const speech::Request request = speech::parseRequest(head);
    switch (request.status) {
        case 200:
            break;
        case 400:
        case 404:
        case 405:
            return 0;
        default:
            fail("a status the service does not answer with");
    }
    if (request.speed < 0 || request.speed > 9) fail("a speed out of range");
    if (request.text.trimmed().isEmpty()) fail("nothing to speak");
    const QByteArray utf8 = request.text.toUtf8();
    if (utf8.size() > speech::kMaxTextBytes) fail("a text longer than the limit");

    const QByteArray again = "GET /txt/apiz.php?text=" + QUrl::toPercentEncoding(request.text) +
                             "&spd=" + QByteArray::number(request.speed) +
                             " HTTP/1.1\r\nHost: 127.0.0.1:1";
    const speech::Request reread = speech::parseRequest(again);
    if (reread.status != 200 || reread.text != request.text || reread.speed != request.speed)
        fail("the request written again says something else");
    return 0;
}
