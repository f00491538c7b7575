#include "runtime/settings_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "runtime/runtime.h"

namespace rt {

namespace {

// Creating a file is the only test that holds everywhere: permission bits
// say nothing about ACLs, read-only mounts or a root user.
bool acceptsNewFiles(const QString& dir) {
    if (!QDir().mkpath(dir)) return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".zorvik-probe-XXXXXX")));
    return probe.open();
}

bool installedLayout(const QString& programDir) {
    return QFileInfo::exists(
        QDir(programDir).filePath(QStringLiteral("../") + QLatin1String(kInstalledMarker)));
}

struct Decision {
    QString programDir;  // what the decision was made for
    QString settings;
    bool portable = true;
    bool writable = true;
};

// Decided once per program folder (tests point the program folder at
// temporary folders one after another).
Decision decide() {
    static QMutex lock;
    static Decision made;
    QMutexLocker guard(&lock);
    const QString programDir = programDirectory();
    if (made.programDir == programDir && !made.settings.isEmpty()) return made;
    made = Decision{programDir, programDir, true, true};
    if (!installedLayout(programDir) && acceptsNewFiles(programDir)) return made;
    made.portable = false;
#ifdef Q_OS_WIN
    // %APPDATA%, which roams with the user, as Windows programs keep their
    // settings (Qt's configuration folder there is the local one).
    made.settings = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#else
    made.settings = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
#endif
    made.writable = acceptsNewFiles(made.settings);
    return made;
}

}  // namespace

QString settingsDirectory() {
    return decide().settings;
}

bool settingsArePortable() {
    return decide().portable;
}

bool settingsWritable() {
    return decide().writable;
}

QString scratchDirectory() {
    if (settingsArePortable()) return settingsDirectory();
    QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir)) dir = settingsDirectory();
    return dir;
}

}  // namespace rt
