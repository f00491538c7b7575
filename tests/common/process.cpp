#include "common/process.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#endif

namespace zt {

#ifdef Q_OS_WIN
bool processAlive(qint64 pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process) return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

void killProcess(qint64 pid) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(pid))) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}
#else
bool processAlive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly)) return false;
    // A zombie ("Z" after the name) has ended.
    const QByteArray fields = stat.readAll();
    const qsizetype nameEnd = fields.lastIndexOf(')');
    return nameEnd >= 0 && fields.size() > nameEnd + 2 && fields.at(nameEnd + 2) != 'Z';
}

void killProcess(qint64 pid) {
    if (pid > 0) ::kill(pid_t(pid), SIGKILL);
}
#endif

}  // namespace zt
