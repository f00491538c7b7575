#pragma once
// The profile files' read cache: start-up reads a dozen keys of
// "配置.ini" and writes some back, and one read of the file serves them
// all. Every write through the program updates the file and the cache
// together; a file changed by anyone else has another change time or size
// and is read again; so is a file changed in the last two seconds, whose
// stamp the file system may not yet have told apart from the one before.

#include <QByteArray>
#include <QString>

namespace rt {

// The whole content of path, from the cache while the file's size and
// change time are those it had when it was last read or written and it
// was then already older than the file system's time resolution; false
// when the file cannot be read.
bool readThroughCache(const QString& path, QByteArray* out);
// After a save of path: saved, bytes are its content now; not saved, what
// the file holds is unknown and it is read again next time.
void rememberWritten(const QString& path, const QByteArray& bytes, bool saved);

}  // namespace rt
