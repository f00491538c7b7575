#include "text/profile_cache.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <filesystem>

#include "text/profile.h"

namespace rt {
namespace {

struct Stamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type changed;
    bool operator==(const Stamp&) const = default;
};

struct Cached {
    QByteArray bytes;
    Stamp stamp;
};

// File systems keep change times coarsely (a few milliseconds, two seconds
// on FAT): another change within the same tick and of the same size would
// leave the stamp as it was. A file changed that recently is read again
// every time, until it is old enough for its stamp to tell.
constexpr std::chrono::seconds kTimeResolution{2};

bool settled(const Stamp& s) {
    return s.changed + kTimeResolution < std::filesystem::file_time_type::clock::now();
}

// Worker threads read settings while the window thread writes them.
QMutex cacheLock;
QHash<QString, Cached> cache;

Stamp stampOf(const QString& path) {
    std::error_code error;
    const std::filesystem::path p(path.toStdU16String());
    Stamp s;
    s.changed = std::filesystem::last_write_time(p, error);
    if (error) return s;
    s.size = std::filesystem::file_size(p, error);
    s.exists = !error;
    return s;
}

void remember(const QString& path, const QByteArray& bytes, const Stamp& stamp) {
    if (stamp.exists && settled(stamp))
        cache.insert(path, {bytes, stamp});
    else
        cache.remove(path);
}

}  // namespace

bool readThroughCache(const QString& path, QByteArray* out) {
    QMutexLocker locker(&cacheLock);
    // Stamped before the read: a change during it has a newer stamp, or
    // falls within the resolution and is not trusted.
    const Stamp stamp = stampOf(path);
    const auto hit = cache.constFind(path);
    if (stamp.exists && hit != cache.constEnd() && hit->stamp == stamp) {
        *out = hit->bytes;
        return true;
    }
    cache.remove(path);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return false;
    *out = in.readAll();
    if (in.error() != QFileDevice::NoError) return false;
    remember(path, *out, stamp);
    return true;
}

void rememberWritten(const QString& path, const QByteArray& bytes, bool saved) {
    QMutexLocker locker(&cacheLock);
    if (saved)
        remember(path, bytes, stampOf(path));
    else
        cache.remove(path);
}

void forgetIniFiles() {
    QMutexLocker locker(&cacheLock);
    cache.clear();
}

}  // namespace rt
