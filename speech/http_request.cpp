#include "speech/http_request.h"

#include <QStringDecoder>

namespace speech {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Request failure(int status) {
    Request r;
    r.status = status;
    return r;
}

// Exactly one decimal digit: anything else is a client error, not a
// speed we should guess at.
std::optional<int> parseSpeed(QByteArrayView value) {
    if (value.size() != 1 || value[0] < '0' || value[0] > '9') return std::nullopt;
    return value[0] - '0';
}

std::optional<QString> parseText(QByteArrayView value) {
    const std::optional<QByteArray> bytes = percentDecode(value);
    if (!bytes || bytes->size() > kMaxTextBytes) return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(*bytes);
    if (utf8.hasError() || text.trimmed().isEmpty()) return std::nullopt;
    return text;
}

Request parseQuery(QByteArrayView query) {
    Request r;
    bool haveText = false;
    for (const QByteArray& pair : query.toByteArray().split('&')) {
        const qsizetype eq = pair.indexOf('=');
        const std::optional<QByteArray> key =
            percentDecode(eq < 0 ? QByteArrayView(pair) : QByteArrayView(pair).first(eq));
        const QByteArrayView value =
            eq < 0 ? QByteArrayView() : QByteArrayView(pair).sliced(eq + 1);
        if (!key) return failure(400);
        if (*key == "text" && !haveText) {
            const std::optional<QString> text = parseText(value);
            if (!text) return failure(400);
            r.text = *text;
            haveText = true;
        } else if (*key == "spd") {
            const std::optional<int> speed = parseSpeed(value);
            if (!speed) return failure(400);
            r.speed = *speed;
        }
    }
    if (!haveText) return failure(400);
    r.status = 200;
    return r;
}

}  // namespace

std::optional<QByteArray> percentDecode(QByteArrayView encoded) {
    QByteArray out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '+') {
            out += ' ';
        } else if (c != '%') {
            out += c;
        } else {
            if (i + 2 >= encoded.size()) return std::nullopt;
            const int hi = hexValue(encoded[i + 1]), lo = hexValue(encoded[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += char(hi * 16 + lo);
            i += 2;
        }
    }
    return out;
}

QList<QByteArray> headerValues(QByteArrayView head, QByteArrayView name) {
    QList<QByteArray> values;
    const QList<QByteArray> lines = head.toByteArray().split('\n');
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && QByteArrayView(line).first(colon).compare(name, Qt::CaseInsensitive) == 0)
            values << line.mid(colon + 1).trimmed();
    }
    return values;
}

Request parseRequest(QByteArrayView head) {
    const qsizetype lineEnd = head.indexOf('\n');
    const QByteArray line = (lineEnd < 0 ? head : head.first(lineEnd)).toByteArray().trimmed();
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !parts[2].startsWith("HTTP/1.") || !parts[1].startsWith('/'))
        return failure(400);
    if (parts[0] != "GET") return failure(405);
    const QByteArray& target = parts[1];
    const qsizetype question = target.indexOf('?');
    const QByteArrayView path =
        question < 0 ? QByteArrayView(target) : QByteArrayView(target).first(question);
    if (path != "/txt/apiz.php") return failure(404);
    return parseQuery(question < 0 ? QByteArrayView()
                                   : QByteArrayView(target).sliced(question + 1));
}

}  // namespace speech
