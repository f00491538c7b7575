#pragma once
// Whole-file reads and writes for tests that check bytes on disk.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace zt {

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace zt
