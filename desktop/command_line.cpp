#include "desktop/command_line.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "desktop/identity.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

namespace {

// Qt reads these itself (QGuiApplication, QApplication); the ones in the
// first list take a value, as "-style fusion" or "-style=fusion". A
// session manager restarts the program with "-session ID".
const QStringList kQtOptionsWithValue = {u"platform"_s,      u"platformpluginpath"_s,
                                         u"platformtheme"_s, u"plugin"_s,
                                         u"qmljsdebugger"_s, u"qwindowgeometry"_s,
                                         u"qwindowicon"_s,   u"qwindowtitle"_s,
                                         u"session"_s,       u"style"_s,
                                         u"stylesheet"_s,    u"display"_s,
                                         u"geometry"_s,      u"dialogs"_s,
                                         u"fontengine"_s};
const QStringList kQtFlags = {u"reverse"_s, u"widgetcount"_s};

// How many arguments from i on are one of Qt's options; 0 when none.
int qtOptionLength(const QStringList& arguments, int i) {
    QString name = arguments[i];
    if (!name.startsWith(u'-') || name.size() < 2) return 0;
    name = name.mid(name.startsWith(u"--"_s) ? 2 : 1);
    if (kQtFlags.contains(name)) return 1;
    if (kQtOptionsWithValue.contains(name.section(u'=', 0, 0)) && name.contains(u'=')) return 1;
    if (kQtOptionsWithValue.contains(name)) return i + 1 < arguments.size() ? 2 : 1;
    return 0;
}

std::optional<Request> requestFor(const QString& argument) {
    if (argument == u"--toggle"_s) return Request{Request::Toggle};
    if (argument == u"--reset"_s) return Request{Request::Reset};
    if (argument == u"--show"_s) return Request{Request::Show};
    return parseDuration(argument);
}

// A number as typed into a box: no leading zeros, "" counts as 0.
QString boxText(const QString& digits) {
    return QString::number(digits.toInt());
}

void print(FILE* stream, const QString& text) {
#ifdef Q_OS_WIN
    // A window program has no standard handles unless it was started with
    // them redirected; started from a console, it writes to that one.
    const DWORD which = stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        AttachConsole(ATTACH_PARENT_PROCESS);  // fails harmlessly when attached already
        if (!std::freopen("CONOUT$", "w", stream)) return;  // no console to write to
    }
#endif
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}  // namespace

std::optional<Request> parseDuration(const QString& text) {
    // 1:30:00 (h:m:s) and 25:00 (m:s).
    static const QRegularExpression clock(uR"(^(?:(\d{1,3}):)?(\d{1,3}):(\d{1,3})$)"_s);
    if (const QRegularExpressionMatch m = clock.match(text); m.hasMatch())
        return Request{Request::Start, boxText(m.captured(1)), boxText(m.captured(2)),
                       boxText(m.captured(3))};
    // Numbers with units, largest first: 25m, 25min, 1h30m, 90s, 1h30m15s.
    // A number without a unit follows the one before it (1h30, 1m30) and
    // alone is minutes (90), as other timers read it. The last number may
    // have a fraction (2.5m, 1.5h), carried into the smaller units.
    static const QRegularExpression part(uR"((\d{1,3})(?:\.(\d{1,3}))?(min|h|m|s)?)"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    int parts[3] = {0, 0, 0};  // the three boxes: hours, minutes, seconds
    int next = 0;              // the smallest box still free
    for (qsizetype at = 0; at < text.size();) {
        const QRegularExpressionMatch m = part.match(text, at, QRegularExpression::NormalMatch,
                                                     QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) return std::nullopt;
        at = m.capturedEnd();
        const QString unit = m.captured(3).toLower();
        const int box = unit == u"h"_s   ? 0
                        : unit == u"s"_s ? 2
                        : unit.isEmpty() ? std::max(next, 1)
                                         : 1;
        const bool last = at == text.size();
        if (box < next || box > 2 || (unit.isEmpty() && !last)) return std::nullopt;
        parts[box] = m.captured(1).toInt();
        next = box + 1;
        if (const QString fraction = m.captured(2); !fraction.isEmpty()) {
            if (box == 2 || !last) return std::nullopt;  // the boxes hold whole seconds
            const int scale = fraction.size() == 1 ? 10 : fraction.size() == 2 ? 100 : 1000;
            const int seconds = fraction.toInt() * (box == 0 ? 3600 : 60) / scale;
            parts[1] += box == 0 ? seconds / 60 : 0;
            parts[2] += box == 0 ? seconds % 60 : seconds;
        }
    }
    if (next == 0) return std::nullopt;
    return Request{Request::Start, QString::number(parts[0]), QString::number(parts[1]),
                   QString::number(parts[2])};
}

Invocation parseArguments(const QStringList& arguments) {
    Invocation result;
    const auto answer = [&result](Invocation::Outcome outcome, const QString& problem = {}) {
        result.outcome = outcome;
        result.request.reset();
        result.problem = problem;
        return result;
    };
    const auto invalid = [&answer](const QString& problem) {
        return answer(Invocation::Invalid, problem);
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"-h"_s || a == u"--help"_s) return answer(Invocation::Help);
        if (a == u"--version"_s) return answer(Invocation::Version);
        if (a == u"--history"_s) return answer(Invocation::History);
        if (const int n = qtOptionLength(arguments, i)) {
            i += n - 1;
            continue;
        }
        const std::optional<Request> request = requestFor(a);
        if (!request)
            return invalid(a.startsWith(u'-') ? u"unknown option: "_s + a
                                              : u"not a duration: "_s + a);
        if (result.request) return invalid(u"one command at a time: "_s + a);
        result.request = request;
    }
    return result;
}

QString usageText() {
    return uR"(Usage: zorvik [--toggle | --reset | --show | DURATION]

With Zorvik already running, the command goes to the running copy;
otherwise Zorvik starts and then carries it out.

  --toggle    start, pause or resume the run, as the 开始 button does
  --reset     end the run, as the 重置 button does
  --show      bring the window to the front
  DURATION    put the duration into the time boxes and start a countdown:
              25m, 25min, 1h30m, 1h30, 90s, 2.5m, 1:30:00 (h:m:s), 25:00
              (m:s) or a bare number of minutes (90), each number at most
              999; refused while a run is under way
  --history   print the time counted today, this week and in all, from
              计时记录.csv beside 配置.ini, without opening a window
  -h, --help  show this help
  --version   show the version

Exit status: 0 done, 1 the running copy did not answer, 2 refused or not
understood.
)"_s;
}

QString versionText() {
    return u"Zorvik "_s + QLatin1String(kVersion) + u'\n';
}

QByteArray encodeRequest(const Request& request) {
    switch (request.kind) {
        case Request::Show:
            return "show\n";
        case Request::Toggle:
            return "toggle\n";
        case Request::Reset:
            return "reset\n";
        case Request::Start:
            break;
    }
    return "start " +
           u"%1:%2:%3"_s.arg(request.hours, request.minutes, request.seconds).toLatin1() + '\n';
}

std::optional<Request> decodeRequest(const QByteArray& line) {
    if (line.size() > kMaxLineLength) return std::nullopt;
    if (line == "show") return Request{Request::Show};
    if (line == "toggle") return Request{Request::Toggle};
    if (line == "reset") return Request{Request::Reset};
    if (!line.startsWith("start ")) return std::nullopt;
    return parseDuration(QString::fromLatin1(line.mid(6)));
}

QByteArray encodeReply(const QString& refusal) {
    if (refusal.isEmpty()) return "ok\n";
    return "refused " + refusal.simplified().toUtf8() + '\n';
}

std::optional<QString> decodeReply(const QByteArray& line) {
    if (line == "ok") return QString();
    if (line.startsWith("refused ")) return QString::fromUtf8(line.mid(8));
    return std::nullopt;
}

void printOut(const QString& text) {
    print(stdout, text);
}

void printError(const QString& text) {
    print(stderr, text);
}

}  // namespace zorvik::desktop
