#include "text/file_save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>

#include <cstdio>
#endif

namespace rt {
namespace {

const QString kTempInfix = QStringLiteral(".zorvik-");
const QString kTempSuffix = QStringLiteral(".tmp");
constexpr int kTempRandomChars = 6;
constexpr char kTempAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

QMutex sweptLock;
QSet<QString> sweptPaths;

#ifdef Q_OS_WIN
bool flushToDisk(QFile& file) {
    return file.flush() &&
           FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0;
}

bool replaceFile(const QString& from, const QString& to) {
    const QString source = QDir::toNativeSeparators(from), target = QDir::toNativeSeparators(to);
    return MoveFileExW(reinterpret_cast<LPCWSTR>(source.utf16()),
                       reinterpret_cast<LPCWSTR>(target.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
bool flushToDisk(QFile& file) {
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool replaceFile(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
#endif

QString temporaryName(const QString& target) {
    QString name = target + kTempInfix;
    for (int i = 0; i < kTempRandomChars; ++i)
        name += QChar(
            kTempAlphabet[QRandomGenerator::global()->bounded(int(sizeof kTempAlphabet) - 1)]);
    return name + kTempSuffix;
}

bool isTemporaryOf(const QString& name, const QString& fileName) {
    const QString prefix = fileName + kTempInfix;
    if (name.size() != prefix.size() + kTempRandomChars + kTempSuffix.size()) return false;
    if (!name.startsWith(prefix) || !name.endsWith(kTempSuffix)) return false;
    for (QChar c : QStringView(name).sliced(prefix.size(), kTempRandomChars))
        if (c.unicode() > 0x7F || !c.isLetterOrNumber()) return false;
    return true;
}

// The atomic way: false when the folder refuses a new file or the rename,
// or the disk refuses the bytes; no temporary file is left either way.
bool replaceThroughTemporary(const QString& target, QByteArrayView bytes) {
    QFile temp;
    bool opened = false;
    for (int attempt = 0; attempt < 8 && !opened; ++attempt) {
        temp.setFileName(temporaryName(target));
        opened = temp.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        // Only a name already taken is worth another try.
        if (!opened && !QFileInfo::exists(temp.fileName())) return false;
    }
    if (!opened) return false;
    if (QFileInfo::exists(target)) temp.setPermissions(QFile::permissions(target));
    bool ok = temp.write(bytes.data(), bytes.size()) == bytes.size() && flushToDisk(temp);
    temp.close();
    ok = ok && temp.error() == QFileDevice::NoError && replaceFile(temp.fileName(), target);
    if (!ok) QFile::remove(temp.fileName());
    return ok;
}

// The way that needs no new file: the existing file is rewritten where it
// stands. Should the disk refuse part of it, the old bytes go back: they fit
// in the blocks the file already had. Unbuffered, so that the bytes a
// refused write left behind are in no buffer that a later write or the close
// could put in front of the old ones.
bool rewriteInPlace(const QString& target, QByteArrayView bytes) {
    QFile file(target);
    if (!file.exists() || !file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return false;
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    if (file.seek(0) && file.write(bytes.data(), bytes.size()) == bytes.size() &&
        file.resize(bytes.size()) && flushToDisk(file))
        return true;
    file.unsetError();
    if (!(file.seek(0) && file.write(old) == old.size() && file.resize(old.size())))
        qWarning("could not put the old content of %s back", qUtf8Printable(target));
    flushToDisk(file);
    return false;
}

}  // namespace

bool saveWholeFile(const QString& path, QByteArrayView bytes) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.isDir()) return false;
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    // A file made read-only stays as it is, though a rename could replace it.
    if (QFileInfo::exists(target) && !QFileInfo(target).isWritable()) return false;
    removeInterruptedSaves(target);
    return replaceThroughTemporary(target, bytes) || rewriteInPlace(target, bytes);
}

void removeInterruptedSaves(const QString& path) {
    if (path.isEmpty()) return;
    {
        QMutexLocker locker(&sweptLock);
        if (sweptPaths.contains(path)) return;
        sweptPaths.insert(path);
    }
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    // No name filter: Qt matches one through a regular expression, and this
    // runs on the way to the window's first paint.
    const QStringList candidates = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : candidates)
        if (isTemporaryOf(name, info.fileName())) QFile::remove(folder.filePath(name));
}

}  // namespace rt
