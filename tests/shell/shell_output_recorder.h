#pragma once
// What the shell tests share: a recorder for the shell's text sink, waits
// that keep the event loop turning, and a wait for a process to end.

#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>

#include "common/process.h"
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

inline bool waitUntilGone(qint64 pid, int timeoutMs = 3000) {
    return QTest::qWaitFor([pid] { return !zt::processAlive(pid); }, timeoutMs);
}

}  // namespace zorvik::test
