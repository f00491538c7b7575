#include "text/profile.h"

#include <QFile>
#include <QList>
#include <QMutex>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

#include "text/file_save.h"
#include "text/profile_cache.h"
#include "text/text_codec.h"

namespace rt {

namespace {

constexpr qsizetype kMaxValueBytes = 10239;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// Worker threads read settings while the window thread writes them; one
// lock keeps a read from meeting a half-done replace within this process.
QMutex profileLock;

struct Line {
    qsizetype begin = 0;  // first byte
    qsizetype end = 0;    // end of the content, before CR LF or LF
    qsizetype next = 0;   // first byte of the following line
};

enum class Kind { Other, Section, Key };

struct Where {
    int section = -1;  // header line of the first matching section
    int lastKey = -1;  // last key line of that section
    int key = -1;      // first matching key line in it
};

bool isBlankByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isBlank(QChar c) {
    return c.unicode() < 0x80 && isBlankByte(char(c.unicode()));
}

QString trimmedName(const QString& name, qsizetype begin = 0) {
    qsizetype end = name.size();
    while (begin < end && isBlank(name[begin])) ++begin;
    while (end > begin && isBlank(name[end - 1])) --end;
    return name.mid(begin, end - begin);
}

QByteArrayView trimmed(QByteArrayView bytes) {
    while (!bytes.isEmpty() && isBlankByte(bytes.front())) bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && isBlankByte(bytes.back())) bytes.chop(1);
    return bytes;
}

// Whether a file without a byte-order mark is UTF-8, as editors on Linux
// save it: the whole of it is valid UTF-8 and some section or key name in
// it is more than ASCII. Read as GBK, such names are strings of odd
// characters that nobody asks for; and a file that holds the program's
// sections in GBK is never valid UTF-8, so it stays GBK.
bool namesAreUtf8(const QByteArray& body) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(body);
    if (utf8.hasError() || decoded.size() == body.size()) return false;  // invalid, or ASCII
    const auto beyondAscii = [](QByteArrayView name) {
        return std::any_of(name.begin(), name.end(), [](char c) { return uchar(c) >= 0x80; });
    };
    for (qsizetype begin = 0; begin < body.size();) {
        qsizetype end = body.indexOf('\n', begin);
        if (end < 0) end = body.size();
        const QByteArrayView line = trimmed(QByteArrayView(body).sliced(begin, end - begin));
        begin = end + 1;
        if (line.isEmpty() || line.front() == ';') continue;
        const qsizetype close = line.lastIndexOf(']');
        if (line.front() == '[' && close > 0) {
            if (beyondAscii(line.sliced(1, close - 1))) return true;
        } else if (const qsizetype equals = line.indexOf('='); equals > 0) {
            if (beyondAscii(line.first(equals))) return true;
        }
    }
    return false;
}

// The text of one file. A file that begins with a byte-order mark is in
// that Unicode form throughout and stays so, mark and all: UTF-8 (as modern
// editors save it) or UTF-16 (as the Windows profile calls keep a file that
// begins with its mark, and Notepad saves as "Unicode"). A file without a
// mark whose names are UTF-8 stays UTF-8 without one. Any other file is
// GBK, as the profile calls read it. Lines are found on the bytes of GBK or
// UTF-8, which both keep the bytes that matter here ("[", "]", "=", ";",
// quotes, blanks, line ends) as themselves; a UTF-16 file is worked on as
// UTF-8 and turned back when it is written. Only names and values are
// converted.
class FileText {
  public:
    explicit FileText(QByteArray raw = {}) {
        if (raw.startsWith(kUtf8Mark)) {
            form_ = Form::Utf8;
            body = raw.sliced(sizeof kUtf8Mark - 1);
        } else if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF")) {
            form_ = raw.startsWith("\xFF") ? Form::Utf16Le : Form::Utf16Be;
            QStringDecoder utf16(utf16Encoding());
            body = QString(utf16.decode(QByteArrayView(raw).sliced(2))).toUtf8();
        } else {
            body = std::move(raw);
            if (namesAreUtf8(body)) form_ = Form::Utf8Unmarked;
        }
    }
    QString decode(QByteArrayView bytes) {
        return unicode() ? QString::fromUtf8(bytes) : gbk_.decode(bytes);
    }
    QByteArray encode(const QString& text) { return unicode() ? text.toUtf8() : gbk_.encode(text); }
    QByteArray file(const QByteArray& newBody) const {
        switch (form_) {
            case Form::Gbk:
                return newBody;
            case Form::Utf8:
                return kUtf8Mark + newBody;
            case Form::Utf8Unmarked:
                return newBody;
            case Form::Utf16Le:
            case Form::Utf16Be:
                break;
        }
        QStringEncoder utf16(utf16Encoding());
        const QByteArray mark = form_ == Form::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
        return mark + QByteArray(utf16.encode(QString::fromUtf8(newBody)));
    }
    // Cuts to the byte limit without splitting a character.
    QByteArrayView limited(QByteArrayView value) const {
        qsizetype end = 0;
        while (end < value.size()) {
            qsizetype width = 1;
            if (!unicode()) width = GbkCodec::charWidth(value, end);
            while (unicode() && end + width < value.size() &&
                   (uchar(value[end + width]) & 0xC0) == 0x80)
                ++width;
            if (end + width > kMaxValueBytes) break;
            end += width;
        }
        return value.first(end);
    }

    QByteArray body;

  private:
    enum class Form { Gbk, Utf8, Utf8Unmarked, Utf16Le, Utf16Be };
    bool unicode() const { return form_ != Form::Gbk; }
    QStringConverter::Encoding utf16Encoding() const {
        return form_ == Form::Utf16Le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    }

    Form form_ = Form::Gbk;
    GbkCodec gbk_;
};

// Requested names: leading characters up to the space are skipped (as the
// profile read does), trailing blanks too, since names in the file are
// compared without them.
QString requestedName(const QString& name) {
    qsizetype begin = 0;
    while (begin < name.size() && name[begin].unicode() <= 0x20) ++begin;
    return trimmedName(name, begin);
}

bool sameName(QStringView a, QStringView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z') x -= 0x20;
        if (y >= u'a' && y <= u'z') y -= 0x20;
        if (x != y) return false;
    }
    return true;
}

QList<Line> splitLines(const QByteArray& data) {
    QList<Line> lines;
    for (qsizetype begin = 0; begin < data.size();) {
        const qsizetype lf = data.indexOf('\n', begin);
        Line line{begin, lf < 0 ? data.size() : lf, lf < 0 ? data.size() : lf + 1};
        if (lf > begin && data[lf - 1] == '\r') --line.end;
        lines.append(line);
        begin = line.next;
    }
    return lines;
}

QByteArrayView content(const QByteArray& data, const Line& line) {
    return trimmed(QByteArrayView(data).sliced(line.begin, line.end - line.begin));
}

// A section header's name runs to the last "]" of the line. The search is
// made on characters, not bytes, because a GBK trail byte can be 0x5D.
Kind classify(FileText& file, QByteArrayView text, QString* sectionName) {
    if (text.isEmpty() || text.front() == ';') return Kind::Other;
    if (text.front() == '[') {
        const QString header = file.decode(text.sliced(1));
        const qsizetype close = header.lastIndexOf(u']');
        if (close >= 0) {
            *sectionName = trimmedName(header.left(close));
            return Kind::Section;
        }
    }
    // "=" is below every GBK trail byte, so a byte search cannot misfire.
    return text.contains('=') ? Kind::Key : Kind::Other;
}

QString keyName(FileText& file, QByteArrayView text) {
    return file.decode(trimmed(text.first(text.indexOf('='))));
}

Where locate(FileText& file, const QList<Line>& lines, const QString& section, const QString& key) {
    Where where;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = content(file.body, lines[i]);
        QString name;
        const Kind kind = classify(file, text, &name);
        if (kind == Kind::Section) {
            if (where.section >= 0) break;  // the first section of a name is the one used
            if (sameName(name, section)) where.section = i;
        } else if (kind == Kind::Key && where.section >= 0) {
            where.lastKey = i;
            if (where.key < 0 && sameName(keyName(file, text), key)) where.key = i;
        }
    }
    return where;
}

QByteArrayView unquoted(QByteArrayView value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QString valueOf(FileText& file, const Line& line) {
    QByteArrayView text = content(file.body, line);
    QByteArrayView value = unquoted(trimmed(text.sliced(text.indexOf('=') + 1)));
    const qsizetype zero = value.indexOf('\0');
    if (zero >= 0) value = value.first(zero);
    return file.decode(file.limited(value));
}

// Names that would not be found again after writing them are refused.
bool writableNames(const QString& section, const QString& key) {
    const auto breaksLine = [](const QString& s) {
        return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(0));
    };
    return !breaksLine(section) && !breaksLine(key) && !key.contains(u'=') &&
           !key.startsWith(u'[') && !key.startsWith(u';');
}

QString singleLine(const QString& value) {
    qsizetype end = 0;
    while (end < value.size() && value[end] != u'\r' && value[end] != u'\n' &&
           value[end] != QChar(0))
        ++end;
    return value.left(end);
}

// The body of file with value under key in section.
QByteArray withEntry(FileText& file, const QString& section, const QString& key,
                     const QString& text) {
    const QByteArray& data = file.body;
    const QByteArray value = file.encode(singleLine(text));
    const QList<Line> lines = splitLines(data);
    const Where where = locate(file, lines, section, key);
    if (where.key >= 0) {
        const Line& line = lines[where.key];
        const qsizetype equals = data.indexOf('=', line.begin);
        return data.left(equals + 1) + value + data.mid(line.end);
    }
    const QByteArray entry = file.encode(key) + '=' + value + "\r\n";
    if (where.section >= 0) {
        const Line& after = lines[where.lastKey >= 0 ? where.lastKey : where.section];
        QByteArray head = data.left(after.next);
        if (after.next == after.end) head += "\r\n";  // last line of a file without a final LF
        return head + entry + data.mid(after.next);
    }
    QByteArray out = data;
    if (!out.isEmpty() && !out.endsWith('\n')) out += "\r\n";
    return out + '[' + file.encode(section) + "]\r\n" + entry;
}

}  // namespace

QString readIniEntry(const QString& file, const QString& section, const QString& key,
                     const QString& def) {
    const QString path = requestedName(file), sectionName = requestedName(section),
                  keyName = requestedName(key);
    if (path.isEmpty() || sectionName.isEmpty() || keyName.isEmpty()) return QString();
    QMutexLocker locker(&profileLock);
    removeInterruptedSaves(path);
    QByteArray bytes;
    if (!readThroughCache(path, &bytes)) return def;
    FileText text(std::move(bytes));
    const QList<Line> lines = splitLines(text.body);
    const Where where = locate(text, lines, sectionName, keyName);
    return where.key < 0 ? def : valueOf(text, lines[where.key]);
}

bool writeIniEntry(const QString& file, const QString& section, const QString& key,
                   const QString& value) {
    return writeIniEntries(file, {{section, key, value}});
}

bool writeIniEntries(const QString& file, const QList<IniEntry>& entries) {
    const QString path = requestedName(file);
    if (path.isEmpty()) return false;
    QList<IniEntry> named;
    for (const IniEntry& e : entries) {
        named.append({requestedName(e.section), requestedName(e.key), e.value});
        if (named.back().section.isEmpty() || named.back().key.isEmpty()) return false;
        if (!writableNames(named.back().section, named.back().key)) return false;
    }
    QMutexLocker locker(&profileLock);
    QByteArray data;
    const bool existed = QFile::exists(path);
    // An existing file that cannot be read must not be replaced by one
    // holding only these keys.
    if (existed && !readThroughCache(path, &data)) return false;
    FileText text(std::move(data));
    const QByteArray before = text.body;
    for (const IniEntry& e : std::as_const(named))
        text.body = withEntry(text, e.section, e.key, e.value);
    if (existed && text.body == before) return true;
    const QByteArray bytes = text.file(text.body);
    const bool saved = saveWholeFile(path, bytes);
    rememberWritten(path, bytes, saved);
    return saved;
}

}  // namespace rt
