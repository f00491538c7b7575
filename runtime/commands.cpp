#include "runtime/commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <thread>

#include "runtime/runtime.h"
#include "runtime/text_codec.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace rt {

namespace {

constexpr char16_t kFullWidthSpace = 0x3000;
constexpr int kArithmeticErrorCode = 1;
const QDate kOleEpoch(1899, 12, 30);
constexpr double kOleMin = -657434.0;  // 100-01-01 00:00:00
constexpr double kOleMax = 2958465.0;  // 9999-12-31 00:00:00

bool isBlank(QChar c) {
    return c == u' ' || c == kFullWidthSpace;
}

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

QString wildcardPattern(const QString& name) {
    QString rx;
    for (QChar c : name) {
        if (c == u'*')
            rx += QStringLiteral(".*");
        else if (c == u'?')
            rx += u'.';
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression::anchoredPattern(rx);
}

bool wildcardMatchExists(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (info.path().contains(u'*') || info.path().contains(u'?')) return false;
#ifdef Q_OS_WIN
    const auto options = QRegularExpression::CaseInsensitiveOption;
#else
    const auto options = QRegularExpression::NoPatternOption;
#endif
    const QRegularExpression matcher(wildcardPattern(name), options);
    const QStringList entries =
        QDir(info.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return std::any_of(entries.begin(), entries.end(),
                       [&](const QString& e) { return matcher.match(e).hasMatch(); });
}

}  // namespace

// ---- conversions -------------------------------------------------------

QString toText(bool value) {
    return value ? QStringLiteral("真") : QStringLiteral("假");
}
QString toText(int value) {
    return QString::number(value);
}
QString toText(qint64 value) {
    return QString::number(value);
}
QString toText(float value) {
    return QString::asprintf("%.6g", double(value));
}
QString toText(double value) {
    return QString::asprintf("%.13g", value);
}

QString toText(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\0');
    return fromGbk(end < 0 ? bytes : bytes.left(end));
}

QString toText(const QDateTime& dateTime) {
    return dateTimeToText(toOleDate(dateTime));
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

QDateTime fromOleDate(double oleDate) {
    const OleParts parts = splitOleDate(oleDate, 1);
    return QDateTime(parts.date, QTime::fromMSecsSinceStartOfDay(int(parts.msecs)));
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

int toInteger(double value) {
    if (std::isnan(value)) return 0;
    if (value >= double(INT_MAX)) return INT_MAX;
    if (value <= double(INT_MIN)) return INT_MIN;
    return int(value);
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

QByteArray toBytes(const QString& text) {
    return toGbk(text);
}

QByteArray toBytes(int value) {
    QByteArray bytes(sizeof(qint32), '\0');
    qToLittleEndian<qint32>(value, bytes.data());
    return bytes;
}

QByteArray toBytes(double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(sizeof bits, '\0');
    qToLittleEndian<quint64>(bits, bytes.data());
    return bytes;
}

QString toHexText(int value) {
    return QString::number(uint(value), 16).toUpper();
}

// ---- texts -------------------------------------------------------------

int textLength(const QString& text) {
    return int(toGbk(text).size());
}

QStringList splitText(const QString& text, const QString& separator, int limit) {
    QStringList pieces;
    if (text.isEmpty() || limit == 0) return pieces;
    qsizetype from = 0;
    if (!separator.isEmpty()) {
        for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, from)) {
            pieces.append(text.mid(from, at - from));
            from = at + separator.size();
            if (limit > 0 && pieces.size() >= limit) return pieces;
        }
    }
    if (from < text.size()) pieces.append(text.mid(from));
    return pieces;
}

QString trimSpaces(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

QString removeAllSpaces(const QString& text) {
    QString out = text;
    out.removeIf(isBlank);
    return out;
}

QString spaces(int count) {
    return count < 1 ? QString() : QString(count, u' ');
}

// ---- byte sets -----------------------------------------------------------

int bytesLength(const QByteArray& data) {
    return int(data.size());
}

QByteArray zeroBytes(int count) {
    return count <= 0 ? QByteArray() : QByteArray(count, '\0');
}

QByteArray leftBytes(const QByteArray& data, int count) {
    return count <= 0 ? QByteArray() : data.left(count);
}

QByteArray replaceBytes(const QByteArray& data, const QByteArray& find,
                        const QByteArray& replacement, int start, int count) {
    const qsizetype first = qsizetype(std::max(start, 1)) - 1;
    if (find.isEmpty() || count == 0 || first >= data.size()) return data;
    QByteArray out = data.left(first);
    qsizetype from = first;
    int done = 0;
    for (qsizetype at = data.indexOf(find, from); at >= 0 && (count < 0 || done < count);
         at = data.indexOf(find, from), ++done) {
        out.append(data.constData() + from, at - from).append(replacement);
        from = at + find.size();
    }
    return out.append(data.constData() + from, data.size() - from);
}

// ---- arithmetic and colour -------------------------------------------------

double intDivide(double a, double b) {
    if (b == 0.0) fatalError(kArithmeticErrorCode, QStringLiteral("不能整除于零"));
    return std::trunc(a / b);
}

double remainder(double a, double b) {
    if (b == 0.0) fatalError(kArithmeticErrorCode, QStringLiteral("不能求余数于零"));
    return std::fmod(a, b);
}

int rgbColor(int red, int green, int blue) {
    const auto channel = [](int v) { return std::clamp(v, 0, 255); };
    return channel(blue) * 65536 + channel(green) * 256 + channel(red);
}

// ---- files and folders ---------------------------------------------------

QString currentDirectory() {
    const QString path = QDir::currentPath();
    return path.isEmpty() ? QString() : QDir::toNativeSeparators(path);
}

bool changeDirectory(const QString& path) {
    return !path.isEmpty() && QDir::setCurrent(path);
}

bool fileExists(const QString& pathWithWildcards) {
    if (pathWithWildcards.isEmpty()) return false;
    if (pathWithWildcards.contains(u'*') || pathWithWildcards.contains(u'?'))
        return wildcardMatchExists(pathWithWildcards);
    return QFileInfo::exists(pathWithWildcards);
}

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

// ---- threads and system ----------------------------------------------------

bool startThread(std::function<void()> routine) {
    if (!routine) return false;
    try {
        std::thread(std::move(routine)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

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

}  // namespace rt
