#include "desktop.h"
#include "test_paths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Reads a process's output until it satisfies done.
QByteArray readUntil(QProcess* p, const std::function<bool(const QByteArray&)>& done, int ms) {
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (!done(out) && t.elapsed() < ms && p->state() == QProcess::Running) {
        p->waitForReadyRead(50);
        out += p->readAllStandardOutput();
    }
    return out;
}

}  // namespace

Desktop::Desktop(int parts) {
    env_ = QProcessEnvironment::systemEnvironment();
    env_.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);  // never the user's own session
    env_.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    ready_ = dir_.isValid() && startServer();
    if (ready_ && (parts & WindowManager)) ready_ = startWindowManager();
    if (ready_ && (parts & (SessionBus | AccessibilityBus))) ready_ = startSessionBus();
    if (ready_ && (parts & AccessibilityBus)) ready_ = startAccessibilityBus();
    if (!ready_)
        for (const auto& p : started_)
            qWarning() << "desktop failed:" << p->program() << p->state() << p->exitCode()
                       << p->error() << p->readAllStandardError().right(300)
                       << p->readAllStandardOutput().right(300) << env_.value(u"DISPLAY"_s);
}

Desktop::~Desktop() {
    for (auto it = started_.rbegin(); it != started_.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(3000)) {
            (*it)->kill();
            (*it)->waitForFinished(1000);
        }
    }
}

QProcess* Desktop::spawn(const QString& program, const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env_);
    p->setWorkingDirectory(dir_.path());
    p->setProcessChannelMode(QProcess::SeparateChannels);
    p->start(program, args);
    p->waitForStarted(5000);
    started_.push_back(std::move(p));
    return started_.back().get();
}

bool Desktop::startServer() {
    // Xvfb's own choice starts at display 0, where another machine's
    // server may answer on the shared abstract socket; pick a quieter
    // number, and the next one when that is taken.
    for (int n = 400 + int(QCoreApplication::applicationPid() % 400), tries = 0; tries < 20;
         ++n, ++tries) {
        const QString display = u":"_s + QString::number(n);
        // Without -noreset the server restarts each time its last client
        // leaves, and refuses the next one meanwhile.
        QProcess* x = spawn(u"Xvfb"_s, {display, u"-screen"_s, u"0"_s, u"1920x1080x24"_s,
                                        u"-nolisten"_s, u"tcp"_s, u"-noreset"_s});
        env_.insert(u"DISPLAY"_s, display);
        const bool up = QTest::qWaitFor(
            [&] {
                return x->state() != QProcess::Running ||
                       QFile::exists(u"/tmp/.X11-unix/X"_s + QString::number(n));
            },
            10000);
        if (up && x->state() == QProcess::Running && !run(u"xprop"_s, {u"-root"_s}).isEmpty())
            return true;
        x->kill();
        x->waitForFinished(1000);
    }
    return false;
}

bool Desktop::startWindowManager() {
    spawn(u"openbox"_s, {u"--sm-disable"_s});
    return QTest::qWaitFor(
        [&] {
            return run(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s}).contains('#');
        },
        10000);
}

bool Desktop::startSessionBus() {
    QProcess* bus =
        spawn(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    const QByteArray address = readUntil(
                                   bus, [](const QByteArray& o) { return o.contains('\n'); }, 10000)
                                   .trimmed();
    if (address.isEmpty()) return false;
    env_.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, QString::fromLatin1(address));
    return true;
}

bool Desktop::startAccessibilityBus() {
    spawn(u"/usr/libexec/at-spi-bus-launcher"_s, {u"--launch-immediately"_s});
    const QStringList ask = {u"--session"_s, u"--print-reply"_s, u"--dest=org.a11y.Bus"_s,
                             u"/org/a11y/bus"_s, u"org.a11y.Bus.GetAddress"_s};
    return QTest::qWaitFor([&] { return run(u"dbus-send"_s, ask).contains("unix:"); }, 10000);
}

bool Desktop::startProgram(const QStringList& arguments) {
    const QString exe = dir_.path() + u"/zorvik"_s;
    if (!QFile::exists(exe) && !QFile::copy(QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik"), exe))
        return false;
    const QProcessEnvironment plain = env_;
    env_.insert(u"ZORVIK_STARTUP_PROBE"_s, u"1"_s);
    env_.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    QProcess* program =
        launcher_.isEmpty()
            ? spawn(exe, arguments)
            : spawn(launcher_.first(), launcher_.mid(1) + QStringList{exe} + arguments);
    pid_ = program->processId();
    env_ = plain;
    const QByteArray out = readUntil(
        program, [](const QByteArray& o) { return o.contains("first-paint"); }, 15000);
    window_ = waitForWindow(u"ZorvikV1.0"_s);
    QTest::qWait(300);  // let the server show what was painted
    return out.contains("first-paint") && !window_.isEmpty();
}

QByteArray Desktop::run(const QString& tool, const QStringList& args, int timeoutMs) const {
    QElapsedTimer t;
    t.start();
    for (;;) {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.start(tool, args);
        if (!p.waitForFinished(std::max(0, timeoutMs - int(t.elapsed())))) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        if (p.exitCode() == 0) return p.readAllStandardOutput();
        // A window that goes away while xdotool walks the tree in a search
        // (a menu closing as its item opens a dialog) ends it with
        // BadWindow; the search itself still has an answer.
        const bool walked = tool == u"xdotool"_s && args.value(0) == u"search"_s;
        if (!walked || !p.readAllStandardError().contains("BadWindow") || t.elapsed() >= timeoutMs)
            return {};
    }
}

QRect Desktop::inside(const QString& window) const {
    // xwininfo's absolute corner holds under a reparenting window manager.
    QRect r;
    for (const QByteArray& line : run(u"xwininfo"_s, {u"-id"_s, window}).split('\n')) {
        const QList<QByteArray> kv = line.trimmed().split(':');
        if (kv.size() != 2) continue;
        const int v = kv[1].trimmed().toInt();
        if (kv[0] == "Absolute upper-left X") r.moveLeft(v);
        if (kv[0] == "Absolute upper-left Y") r.moveTop(v);
        if (kv[0] == "Width") r.setWidth(v);
        if (kv[0] == "Height") r.setHeight(v);
    }
    return r;
}

QRect Desktop::frame(const QString& window) const {
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QByteArray out = run(u"xprop"_s, {u"-id"_s, window, u"_NET_FRAME_EXTENTS"_s});
    const QList<QByteArray> e = out.mid(out.indexOf('=') + 1).split(',');
    const QRect in = inside(window);
    if (e.size() != 4) return in;
    return in.adjusted(-e[0].trimmed().toInt(), -e[2].trimmed().toInt(), e[1].trimmed().toInt(),
                       e[3].trimmed().toInt());
}

QString Desktop::waitForWindow(const QString& title, int timeoutMs) const {
    const QByteArray out =
        run(u"xdotool"_s,
            {u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--name"_s, u"^"_s + title + u"$"_s},
            timeoutMs);
    return QString::fromLatin1(out.split('\n').value(0));
}

void Desktop::click(QPoint screen) const {
    run(u"xdotool"_s, {u"mousemove"_s, QString::number(screen.x()), QString::number(screen.y()),
                       u"click"_s, u"1"_s});
}

void Desktop::key(const QString& keys) const {
    run(u"xdotool"_s, QStringList{u"key"_s} + keys.split(u' '));
}

QImage Desktop::screenshot() const {
    return QImage::fromData(run(u"import"_s, {u"-window"_s, u"root"_s, u"png:-"_s}));
}

QString Desktop::activeWindow() const {
    return QString::fromLatin1(run(u"xdotool"_s, {u"getactivewindow"_s}).trimmed());
}
