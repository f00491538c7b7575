#pragma once
// The one request the service understands:
//   GET /txt/apiz.php?text=<percent-encoded UTF-8>&spd=<0-9>
// Everything else is answered with an error status.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

namespace speech {

inline constexpr int kMaxTextBytes = 2000;
inline constexpr int kDefaultSpeed = 6;

struct Request {
    int status = 400;  // 200: speak text at speed; otherwise the status to answer
    QString text;
    int speed = kDefaultSpeed;
};

// head: the request line and header lines, without the blank line after them.
Request parseRequest(QByteArrayView head);

// The values of every header line of that name (ASCII, any case) in a
// request head, each without its surrounding blanks.
QList<QByteArray> headerValues(QByteArrayView head, QByteArrayView name);

// Query-string decoding: "%XX" is a byte and "+" a space. nullopt when a "%"
// is not followed by two hexadecimal digits.
std::optional<QByteArray> percentDecode(QByteArrayView encoded);

}  // namespace speech
