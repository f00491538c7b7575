#include <gtest/gtest.h>
#include "test_paths.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

// Test binaries run outside any desktop: default to the offscreen platform
// and give Qt a private runtime folder so it does not warn. On Windows they
// use the system's windows (under Wine the offscreen platform never gets
// going), on a 1920 x 1080 screen given to them.
int main(int argc, char** argv) {
    // A 1920 x 1080 screen, so placement formulas give the figures users see.
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM",
                QByteArray("offscreen:configfile=") + ZORVIK_TEST_DATA "/offscreen_1920x1080.json");
#endif
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
