#pragma once
// What the shell tests share: a recorder for the shell's text sink, waits
// that keep the event loop turning, and a look at /proc for process checks.

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>

#include "shell/command_shell.h"

namespace zorvik::test {

struct OutputRecorder {
    QStringList deliveries;

    CommandShell::Sink sink() {
        return [this](const QString& text) { deliveries << text; };
    }
    QString text() const { return deliveries.join(QString()); }
    bool waitForText(const QString& part, int timeoutMs = 5000) {
        return QTest::qWaitFor([&] { return text().contains(part); }, timeoutMs);
    }
    void clear() { deliveries.clear(); }
};

// A zombie has ended; only its parent has not collected it yet.
inline bool processAlive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray fields = stat.readAll();
    const qsizetype nameEnd = fields.lastIndexOf(')');
    return nameEnd >= 0 && fields.size() > nameEnd + 2 && fields.at(nameEnd + 2) != 'Z';
}

inline bool waitUntilGone(qint64 pid, int timeoutMs = 3000) {
    return QTest::qWaitFor([pid] { return !processAlive(pid); }, timeoutMs);
}

}  // namespace zorvik::test
