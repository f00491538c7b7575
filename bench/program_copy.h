#pragma once
// The program as a user has it after the first start: copied into a folder
// of its own, with its settings already there.

#include <QFile>
#include <QString>
#include <QStringEncoder>

// Copies the program at from into folder, writes settings there as
// "配置.ini" (GBK, as the program writes it) and returns the copy's path.
inline QString copyProgramWithSettings(const QString& from, const QString& folder,
                                       const QString& settings) {
#ifdef Q_OS_WIN
    const QString exe = folder + QStringLiteral("/zorvik.exe");
#else
    const QString exe = folder + QStringLiteral("/zorvik");
#endif
    QFile::copy(from, exe);
    QFile ini(folder + QStringLiteral("/配置.ini"));
    if (ini.open(QIODevice::WriteOnly)) ini.write(QStringEncoder("GBK").encode(settings));
    return exe;
}
