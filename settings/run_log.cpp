#include "settings/run_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <vector>

#include "runtime/settings_folder.h"
#include "settings/save_failure.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kStampFormat[] = "yyyy-MM-dd HH:mm:ss";

// The words of the fifth and sixth columns, as the file spells them.
struct Words {
    QByteArray countdown = runModeText(true).toUtf8(), countUp = runModeText(false).toUtf8();
    std::array<QByteArray, 3> outcomes = {runOutcomeText(RunOutcome::Finished).toUtf8(),
                                          runOutcomeText(RunOutcome::Reset).toUtf8(),
                                          runOutcomeText(RunOutcome::Exited).toUtf8()};
    QByteArray header = runLogHeader().toUtf8();
};
const Words& words() {
    static const Words w;
    return w;
}

bool readDigits(QByteArrayView text, qint64* value) {
    // Twelve digits hold some 31,000 years of seconds: more is no count.
    if (text.isEmpty() || text.size() > 12) return false;
    qint64 v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

struct Stamp {
    QDate date;
    QTime time;
};

// "YYYY-MM-DD HH:MM:SS", read by hand: a file of 100,000 lines is summed
// in a few tens of milliseconds, where a date parser per line would not be.
std::optional<Stamp> readStamp(QByteArrayView f) {
    if (f.size() != 19 || f[4] != '-' || f[7] != '-' || f[10] != ' ' || f[13] != ':' ||
        f[16] != ':')
        return std::nullopt;
    qint64 p[6];
    const int at[6][2] = {{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}};
    for (int i = 0; i < 6; ++i)
        if (!readDigits(f.sliced(at[i][0], at[i][1]), &p[i])) return std::nullopt;
    if (!QDate::isValid(int(p[0]), int(p[1]), int(p[2])) ||
        !QTime::isValid(int(p[3]), int(p[4]), int(p[5])))
        return std::nullopt;
    return Stamp{QDate(int(p[0]), int(p[1]), int(p[2])), QTime(int(p[3]), int(p[4]), int(p[5]))};
}

struct Fields {
    Stamp start, end;
    qint64 set = 0, counted = 0;
    bool countdown = true;
    RunOutcome outcome = RunOutcome::Finished;
};

std::optional<Fields> readFields(QByteArrayView line) {
    std::array<QByteArrayView, 6> f;
    qsizetype n = 0, from = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != ',') continue;
        if (n == 6) return std::nullopt;
        f[n++] = line.sliced(from, i - from);
        from = i + 1;
    }
    if (n != 6) return std::nullopt;
    Fields r;
    const auto start = readStamp(f[0]), end = readStamp(f[1]);
    if (!start || !end) return std::nullopt;
    r.start = *start;
    r.end = *end;
    // A total typed into a hand-edited "配置.ini" can be below zero.
    const bool negative = f[2].startsWith('-');
    if (!readDigits(negative ? f[2].sliced(1) : f[2], &r.set)) return std::nullopt;
    if (negative) r.set = -r.set;
    if (!readDigits(f[3], &r.counted)) return std::nullopt;
    const Words& w = words();
    if (f[4] != w.countdown && f[4] != w.countUp) return std::nullopt;
    r.countdown = f[4] == w.countdown;
    const auto o = std::find(w.outcomes.begin(), w.outcomes.end(), f[5]);
    if (o == w.outcomes.end()) return std::nullopt;
    r.outcome = RunOutcome(o - w.outcomes.begin());
    return r;
}

LoggedRun toRun(const Fields& f) {
    return {QDateTime(f.start.date, f.start.time),
            QDateTime(f.end.date, f.end.time),
            f.set,
            f.counted,
            f.countdown,
            f.outcome};
}

// Appends in place, never rewriting: a failure leaves the file as it was.
bool appendBytes(const QString& path, const QByteArray& lines) {
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return false;
    const qint64 size = file.size();
    QByteArray chunk;
    if (size == 0) {
        chunk = kBom + words().header + "\r\n";
    } else {
        // A line left unfinished (a crash, a hand edit) keeps its own line.
        char last = 0;
        if (!file.seek(size - 1) || file.read(&last, 1) != 1) return false;
        if (last != '\n') chunk = "\r\n";
    }
    chunk += lines;
    if (file.seek(size) && file.write(chunk) == chunk.size()) return true;
    file.resize(size);
    file.close();
    if (!existed) QFile::remove(path);
    return false;
}

struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QString& path) {
    const QFileInfo info(path);
    return {info.exists(), info.size(), info.lastModified()};
}

struct Cache {
    bool valid = false;
    QString path;
    FileStamp stamp;
    RunLogSummary summary;
    bool current(const QString& p) const { return valid && path == p && stamp == stampOf(p); }
};

Cache& cache() {
    static Cache c;
    return c;
}

// Runs not yet in the file: their write failed.
QList<LoggedRun> pending;

}  // namespace

QString runLogHeader() {
    return u"开始,结束,设定秒数,计时秒数,方式,结果"_s;
}

QString runModeText(bool countdown) {
    return countdown ? u"倒计时"_s : u"正计时"_s;
}

QString runOutcomeText(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Finished:
            return u"完成"_s;
        case RunOutcome::Reset:
            return u"重置"_s;
        case RunOutcome::Exited:
            break;
    }
    return u"退出"_s;
}

QString runLogPath() {
    return QDir(rt::settingsDirectory()).filePath(u"计时记录.csv"_s);
}

QByteArray runLogLine(const LoggedRun& run) {
    const Words& w = words();
    return run.start.toString(QLatin1String(kStampFormat)).toLatin1() + ',' +
           run.end.toString(QLatin1String(kStampFormat)).toLatin1() + ',' +
           QByteArray::number(run.setSeconds) + ',' + QByteArray::number(run.countedSeconds) + ',' +
           (run.countdown ? w.countdown : w.countUp) + ',' + w.outcomes[int(run.outcome)];
}

std::optional<LoggedRun> parseRunLogLine(QByteArrayView line) {
    const auto f = readFields(line);
    if (!f) return std::nullopt;
    return toRun(*f);
}

qint64 RunLogSummary::week(QDate date) const {
    const QDate monday = date.addDays(1 - date.dayOfWeek());
    qint64 sum = 0;
    for (int i = 0; i < 7; ++i) sum += day(monday.addDays(i));
    return sum;
}

void RunLogSummary::add(const LoggedRun& run) {
    secondsByDay[run.start.date()] += run.countedSeconds;
    allSeconds += run.countedSeconds;
    recent.append(run);
    if (recent.size() > kRecentRuns) recent.removeFirst();
}

RunLogSummary summariseRunLog(QByteArrayView bytes) {
    RunLogSummary s;
    if (bytes.startsWith(kBom)) bytes = bytes.sliced(3);
    // The last lines that read, as a ring: only they become records.
    std::vector<QByteArrayView> last(kRecentRuns);
    qsizetype read = 0;
    QDate day;
    qint64 daySum = 0;  // runs of one day come together: one map entry each
    for (qsizetype from = 0; from < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0) end = bytes.size();
        QByteArrayView line = bytes.sliced(from, end - from);
        const bool first = from == 0;
        from = end + 1;
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty() || (first && line == words().header)) continue;
        const auto f = readFields(line);
        if (!f) {
            ++s.skipped;
            continue;
        }
        if (f->start.date != day) {
            if (day.isValid()) s.secondsByDay[day] += daySum;
            day = f->start.date;
            daySum = 0;
        }
        daySum += f->counted;
        s.allSeconds += f->counted;
        last[read++ % kRecentRuns] = line;
    }
    if (day.isValid()) s.secondsByDay[day] += daySum;
    for (qsizetype i = std::max<qsizetype>(0, read - kRecentRuns); i < read; ++i)
        s.recent.append(*parseRunLogLine(last[i % kRecentRuns]));
    return s;
}

const RunLogSummary& runLogSummary() {
    Cache& c = cache();
    const QString path = runLogPath();
    if (c.current(path)) return c.summary;
    c.path = path;
    c.stamp = stampOf(path);
    QFile file(path);
    c.summary = file.open(QIODevice::ReadOnly) ? summariseRunLog(file.readAll()) : RunLogSummary{};
    c.valid = true;
    return c.summary;
}

bool appendRun(const LoggedRun& run) {
    pending.append(run);
    return writePendingRuns();
}

bool writePendingRuns() {
    if (pending.isEmpty()) return true;
    const QString path = runLogPath();
    Cache& c = cache();
    const bool summed = c.current(path);
    QByteArray lines;
    for (const LoggedRun& run : pending) lines += runLogLine(run) + "\r\n";
    const bool saved = appendBytes(path, lines);
    if (saved) {
        // What was summed plus what was added is what the file now holds.
        for (const LoggedRun& run : pending) c.summary.add(run);
        c.stamp = stampOf(path);
        c.valid = summed;
        pending.clear();
    }
    noteSave(DataFile::RunLog, path, saved);
    return saved;
}

QString durationText(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 0);
    const auto two = [](qint64 v) { return QString::number(v).rightJustified(2, u'0'); };
    return two(seconds / 3600) + u':' + two(seconds / 60 % 60) + u':' + two(seconds % 60);
}

}  // namespace zorvik
