// Saves of the program's two files in folders that refuse new files.

#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "common/files.h"
#include "grid/grid_commands.h"
#include "grid/grid_control.h"
#include "grid/grid_format.h"
#include "text/profile.h"
#include "text/text_codec.h"

namespace {

using zt::readAll;
using zt::writeAll;

// Makes a folder or file unchangeable for this process: the immutable
// attribute for root (whom permissions do not stop), permissions otherwise.
bool lock(const QString& path, bool on) {
    if (::geteuid() == 0)
        return QProcess::execute(QStringLiteral("chattr"),
                                 {on ? QStringLiteral("+i") : QStringLiteral("-i"), path}) == 0;
    const bool isDir = QFileInfo(path).isDir();
    QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (isDir) mode |= QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (!on) mode |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    return QFile::setPermissions(path, mode);
}

class LockedFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        writeAll(ini, rt::toGbk(u"[计时]\r\n分=5\r\n"_qs));
        writeAll(table, rt::encodeGridFile(grid.toGridFile()));
        if (!lock(dir.path(), true)) GTEST_SKIP() << "cannot lock a folder here";
        locked.append(dir.path());
        QFile probe(dir.filePath(u"probe"_qs));
        if (probe.open(QIODevice::WriteOnly))
            GTEST_SKIP() << "the locked folder still takes new files";
    }
    void TearDown() override {
        for (const QString& path : locked) lock(path, false);
    }

    QTemporaryDir dir;
    QString ini = dir.filePath(u"配置.ini"_qs);
    QString table = dir.filePath(u"自定义提醒数据"_qs);
    rt::GridControl grid;
    QStringList locked;
};

TEST_F(LockedFolder, SavesRewriteTheFilesWhereTheyStand) {
    EXPECT_TRUE(rt::writeIniEntry(ini, u"计时"_qs, u"分"_qs, u"12"_qs));
    EXPECT_TRUE(rt::writeIniEntry(ini, u"计时"_qs, u"秒"_qs, u"15"_qs));
    EXPECT_EQ(readAll(ini), rt::toGbk(u"[计时]\r\n分=12\r\n秒=15\r\n"_qs));

    ASSERT_TRUE(rt::gridInsertRow(grid, u"请编辑"_qs));
    EXPECT_TRUE(rt::gridSave(grid, table));
    const auto saved = rt::decodeGridFile(readAll(table));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->settings.rows, 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no file left beside them";
}

TEST_F(LockedFolder, ASaveThatCannotBeMadeSaysSoAndChangesNothing) {
    // A new file cannot be made there; a locked file cannot be rewritten.
    EXPECT_FALSE(rt::writeIniEntry(dir.filePath(u"new.ini"_qs), u"a"_qs, u"b"_qs, u"c"_qs));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"new.ini"_qs)));
    ASSERT_TRUE(lock(ini, true));
    locked.prepend(ini);
    const QByteArray before = readAll(ini);
    EXPECT_FALSE(rt::writeIniEntry(ini, u"计时"_qs, u"分"_qs, u"12"_qs));
    EXPECT_EQ(readAll(ini), before);
}

}  // namespace
