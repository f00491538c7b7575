#include "runtime/speech_service.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>

#include "runtime/runtime.h"

namespace rt {

namespace {

// Beside the program in a build folder or a portable copy; in the libexec
// folder of an installed copy (ZORVIK_SPEECH_FROM_BIN: that folder as seen
// from the program's).
QString serviceExecutable() {
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("zorvik-speech.exe");
#else
    const QString name = QStringLiteral("zorvik-speech");
#endif
    const QDir dir(programDirectory());
    const QString beside = dir.filePath(name);
#ifdef ZORVIK_SPEECH_FROM_BIN
    const QString installed = dir.filePath(QStringLiteral(ZORVIK_SPEECH_FROM_BIN "/") + name);
    if (!QFileInfo(beside).isExecutable() && QFileInfo(installed).isExecutable())
        return QDir::cleanPath(installed);
#endif
    return beside;
}

// Connects once; true when the port accepted. Waits in a local event loop
// so a caller on the window thread does not freeze the window.
bool portAccepts(int port, int timeoutMs) {
    QTcpSocket socket;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    timeout.start(timeoutMs);
    if (socket.state() != QAbstractSocket::UnconnectedState) loop.exec();
    const bool accepted = socket.state() == QAbstractSocket::ConnectedState;
    socket.abort();
    return accepted;
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

bool startLocalSpeechService(int port) {
    const QString program = serviceExecutable();
    if (port <= 0 || port > 65535 || !QFileInfo(program).isExecutable()) return false;
    const QStringList arguments{QStringLiteral("--port"), QString::number(port)};
    if (!QProcess::startDetached(program, arguments, programDirectory())) return false;
    // A freshly started process needs a moment before it listens.
    const QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        if (portAccepts(port, int(qMax<qint64>(1, deadline.remainingTime())))) return true;
        pause(int(qMin<qint64>(50, qMax<qint64>(1, deadline.remainingTime()))));
    }
    return false;
}

}  // namespace rt
