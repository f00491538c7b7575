#include "text/commands.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace rt {

namespace {

constexpr char16_t kFullWidthSpace = 0x3000;
const QDate kOleEpoch(1899, 12, 30);
constexpr double kOleMin = -657434.0;  // 100-01-01 00:00:00
constexpr double kOleMax = 2958465.0;  // 9999-12-31 00:00:00

bool isCSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool isDigit(QStringView s, qsizetype i) {
    return i < s.size() && s[i] >= u'0' && s[i] <= u'9';
}

// Typed digits and signs often come in their full-width forms from Chinese
// input methods; they are read as the ASCII characters they stand for.
QString normalised(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFEE0));
        else if (u == kFullWidthSpace)
            c = u' ';
    }
    return out;
}

qsizetype skipSign(QStringView s, qsizetype i, bool* negative) {
    *negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        *negative = s[i] == u'-';
        ++i;
    }
    return i;
}

// Order of magnitude of a decimal literal, used only to tell an overflow
// from an underflow once the exact conversion has given up.
qint64 decimalMagnitude(const QByteArray& mantissa, qint64 exponent) {
    const qsizetype point = mantissa.contains('.') ? mantissa.indexOf('.') : mantissa.size();
    const qsizetype first = std::find_if(mantissa.begin(), mantissa.end(),
                                         [](char c) { return c >= '1' && c <= '9'; }) -
                            mantissa.begin();
    if (first >= mantissa.size()) return LLONG_MIN / 2;  // all zeros
    return (first < point ? point - first - 1 : point - first) + exponent;
}

double parseMagnitude(QStringView s, qsizetype i) {
    QByteArray mantissa;
    while (isDigit(s, i)) mantissa.append(char(s[i++].unicode()));
    if (i < s.size() && s[i] == u'.') {
        mantissa.append('.');
        ++i;
        while (isDigit(s, i)) mantissa.append(char(s[i++].unicode()));
    }
    if (mantissa.isEmpty() || mantissa == ".") return 0.0;
    QByteArray literal = mantissa;
    qint64 exponent = 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        bool negative = false;
        qsizetype j = skipSign(s, i + 1, &negative);
        if (isDigit(s, j)) {
            literal.append('e').append(negative ? "-" : "");
            for (; isDigit(s, j); ++j) {
                literal.append(char(s[j].unicode()));
                exponent = std::min<qint64>(exponent * 10 + (s[j].unicode() - u'0'), INT_MAX);
            }
            if (negative) exponent = -exponent;
        }
    }
    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(literal.constData(), literal.constData() + literal.size(), value);
    Q_UNUSED(end);
    if (ec == std::errc::result_out_of_range)
        value = decimalMagnitude(mantissa, exponent) > 0 ? HUGE_VAL : 0.0;
    return value;
}

struct OleParts {
    QDate date;
    qint64 msecs;  // since midnight
};

OleParts splitOleDate(double oleDate, qint64 unitMs) {
    const double v = std::isnan(oleDate) ? 0.0 : std::clamp(oleDate, kOleMin, kOleMax);
    const double days = std::trunc(v);
    const qint64 units = std::llround(std::fabs(v - days) * 86400000.0 / double(unitMs));
    OleParts parts{kOleEpoch.addDays(qint64(days)), units * unitMs};
    if (parts.msecs >= 86400000) {
        parts.date = parts.date.addDays(1);
        parts.msecs -= 86400000;
    }
    return parts;
}

}  // namespace

// ---- conversions -------------------------------------------------------

QString toText(bool value) {
    return value ? QStringLiteral("真") : QStringLiteral("假");
}
QString toText(int value) {
    return QString::number(value);
}
QString dateTimeToText(double oleDate) {
    const OleParts parts = splitOleDate(oleDate, 1000);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(parts.msecs));
    QString text =
        QString::asprintf("%d年%d月%d日", parts.date.year(), parts.date.month(), parts.date.day());
    if (time.second() != 0)
        text += QString::asprintf("%d时%d分%d秒", time.hour(), time.minute(), time.second());
    else if (time.minute() != 0)
        text += QString::asprintf("%d时%d分", time.hour(), time.minute());
    else if (time.hour() != 0)
        text += QString::asprintf("%d时", time.hour());
    return text;
}

double toOleDate(const QDateTime& dateTime) {
    if (!dateTime.isValid()) return 0.0;
    const double days = double(kOleEpoch.daysTo(dateTime.date()));
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? days - fraction : days + fraction;
}

double nowTime() {
    return toOleDate(QDateTime::currentDateTime());
}

int toInteger(const QString& text) {
    const QString s = normalised(text);
    qsizetype i = 0;
    while (i < s.size() && isCSpace(s[i])) ++i;
    bool negative = false;
    i = skipSign(s, i, &negative);
    qint64 value = 0;
    for (; isDigit(s, i); ++i)
        value = std::min<qint64>(value * 10 + (s[i].unicode() - u'0'), qint64(INT_MAX) + 1);
    if (negative) value = -value;
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

double toNumber(const QString& text) {
    const QString s = normalised(text);
    qsizetype i = 0;
    while (i < s.size() && isCSpace(s[i])) ++i;
    bool negative = false;
    i = skipSign(s, i, &negative);
    const double magnitude = parseMagnitude(s, i);
    return negative ? -magnitude : magnitude;
}

float toFloat(const QString& text) {
    const double value = toNumber(text);
    constexpr float kMax = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::fabs(value) <= double(kMax)) return float(value);
    return value < 0 ? -std::numeric_limits<float>::infinity()
                     : std::numeric_limits<float>::infinity();
}

// ---- files and folders ---------------------------------------------------

bool writeFile(const QString& path, const QList<QByteArray>& parts) {
    if (path.isEmpty()) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    for (const QByteArray& part : parts) {
        if (!part.isEmpty() && file.write(part) != part.size()) return false;
    }
    return file.flush() && file.error() == QFileDevice::NoError;
}

bool deleteFile(const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    return QFile::remove(path);
}

// ---- system ----------------------------------------------------

QString systemFolder() {
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return QString();
    return QString::fromWCharArray(buffer, int(length));
#else
    return QStringLiteral("/");
#endif
}

QString withDirectionMarksShown(const QString& text) {
    const auto isMark = [](char16_t c) {
        return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
               c == 0x200F || c == 0x061C;
    };
    if (std::none_of(text.begin(), text.end(), [&](QChar c) { return isMark(c.unicode()); }))
        return text;
    QString shown;
    shown.reserve(text.size() + 16);
    for (QChar c : text) {
        if (isMark(c.unicode()))
            shown += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

}  // namespace rt
