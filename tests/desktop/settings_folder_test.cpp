// Where the program writes: an installed copy keeps everything in the
// user's own folders, a copy in a folder of its own keeps it beside itself.

#include <QDir>
#include <QStandardPaths>
#include <optional>
#include "test_paths.h"

#include "common/files.h"
#include "common/program_fixture.h"
#include "desktop/desktop.h"
#include "media/speech_service.h"
#include "runtime/settings_folder.h"
#include "settings/import_export.h"
#include "shell/table_command.h"
#include "ui/help_window.h"

using namespace Qt::StringLiterals;

namespace {

class InstalledCopy : public zt::ProgramTest {
  protected:
    void prepareFolder() override {
        // The user's folders, inside the test's own.
        qputenv("XDG_CONFIG_HOME", path(u"home/config"_s).toUtf8());
        qputenv("XDG_CACHE_HOME", path(u"home/cache"_s).toUtf8());
        userFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        // <prefix>/bin/zorvik beside <prefix>/share/applications/<id>.desktop
        const QDir prefix(dir.path());
        prefix.mkpath(u"bin"_s);
        prefix.mkpath(u"share/applications"_s);
        zt::writeAll(prefix.filePath(QLatin1String(rt::kInstalledMarker)), "[Desktop Entry]\n");
        bin = prefix.filePath(u"bin"_s);
        rt::setProgramDirectory(bin);
    }
    void TearDown() override {
        zt::ProgramTest::TearDown();
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CACHE_HOME");
    }
    QString userFolder, bin;
};

TEST_F(InstalledCopy, EverythingItWritesGoesToTheUsersFolder) {
    EXPECT_FALSE(rt::settingsArePortable());
    EXPECT_EQ(rt::settingsDirectory(), userFolder);
    EXPECT_TRUE(QFile::exists(userFolder + u"/配置.ini"_s));
    EXPECT_TRUE(QFile::exists(userFolder + u"/自定义提醒数据"_s));
    set(u"输入_分"_s, rt::slot::EditContent, u"7"_s);
    EXPECT_TRUE(rt::fromGbk(zt::readAll(userFolder + u"/配置.ini"_s)).contains(u"分=7"_s));
    EXPECT_EQ(QDir(bin).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());

    // The interpreter works in the same folder, the speech file goes to the cache.
    const qint64 pid = zorvik::commandShell().processId();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(QFileInfo(u"/proc/%1/cwd"_s.arg(pid)).symLinkTarget(),
              QFileInfo(userFolder).canonicalFilePath());
    EXPECT_EQ(rt::scratchDirectory(),
              QStandardPaths::writableLocation(QStandardPaths::CacheLocation));

    // Import opens on that folder, "刷新" reloads from it, the help says where it is.
    QString initial;
    zorvik::setFolderChooser([&](const QString& folder, const QString&) {
        initial = folder;
        return QString();
    });
    zorvik::importSettings({});
    zorvik::setFolderChooser({});
    EXPECT_EQ(initial, userFolder);
    click(u"插入表格_按钮"_s);  // saved: header and one row
    set(u"高级表格1"_s, rt::slot::GridRows, 1);
    click(u"按钮3"_s);
    EXPECT_EQ(prop(u"高级表格1"_s, rt::slot::GridRows).toInt(), 2);
    EXPECT_TRUE(zorvik::helpText().endsWith(QDir::toNativeSeparators(userFolder)));
}

using PortableCopy = zt::ProgramTest;

TEST_F(PortableCopy, KeepsItsFilesBesideItself) {
    EXPECT_TRUE(rt::settingsArePortable());
    EXPECT_EQ(rt::settingsDirectory(), dir.path());
    EXPECT_EQ(rt::scratchDirectory(), dir.path());
    EXPECT_TRUE(QFile::exists(path(u"配置.ini"_s)));
    EXPECT_EQ(zorvik::helpText().count(u"\r\n"_s), 20);  // the 21 lines and no more
}

}  // namespace

namespace {

// An installed copy has the speech service in its libexec folder, not
// beside the program.
TEST(InstalledLayout, FindsTheSpeechServiceInItsLibexecFolder) {
    const QString service = QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik-speech");
    if (!QFile::exists(service)) GTEST_SKIP() << "built without the speech service";
    QTemporaryDir prefix;
    const QDir root(prefix.path());
    root.mkpath(u"bin"_s);
    root.mkpath(u"libexec/zorvik"_s);
    // The real service through a launcher that leaves a mark and makes the
    // service leave one second after its last request.
    const QString launcher = root.filePath(u"libexec/zorvik/zorvik-speech"_s);
    zt::writeAll(launcher, "#!/bin/sh\ntouch '" + root.filePath(u"ran"_s).toUtf8() + "'\nexec '" +
                               service.toUtf8() + "' \"$@\" --idle 1\n");
    QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString saved = rt::programDirectory();
    rt::setProgramDirectory(root.filePath(u"bin"_s));
    QObject context;
    std::optional<bool> listening;
    rt::useOwnSpeechService(&context, [&](auto own) { listening = own.has_value(); });
    zt::waitUntil([&] { return listening.has_value(); });
    rt::stopOwnSpeechService();
    rt::setProgramDirectory(saved);
    EXPECT_EQ(listening, std::optional<bool>(true));
    EXPECT_TRUE(QFile::exists(root.filePath(u"ran"_s)));
}

}  // namespace

namespace {

// When not even the user's folder takes files, the program says so at
// start instead of showing settings as if they were kept.
TEST(NowhereToWrite, ItSaysSoAtStart) {
    QTemporaryDir dir;
    const QDir root(dir.path());
    root.mkpath(u"bin"_s);
    root.mkpath(u"share/applications"_s);
    zt::writeAll(root.filePath(QLatin1String(rt::kInstalledMarker)), "[Desktop Entry]\n");
    zt::writeAll(root.filePath(u"config"_s), "a file where a folder should be");
    const QByteArray savedHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", root.filePath(u"config"_s).toUtf8());
    const QString saved = rt::programDirectory();
    const QString savedName = QCoreApplication::applicationName();
    rt::setProgramDirectory(root.filePath(u"bin"_s));

    EXPECT_FALSE(rt::settingsWritable());
    EXPECT_TRUE(zorvik::desktop::settle());
    const QList<QMessageBox*> boxes = zt::reminderBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.first()->text().startsWith(u"无法写入配置文件夹："_s));
    for (QMessageBox* box : boxes) box->close();

    rt::setProgramDirectory(saved);
    QCoreApplication::setApplicationName(savedName);
    qputenv("XDG_CONFIG_HOME", savedHome);
}

}  // namespace

#ifdef Q_OS_WIN
namespace {

// A copy whose folder takes no new files (here its path runs through a
// file) keeps its settings in %APPDATA%, the folder that roams with the
// user, as Windows programs do.
TEST(UnwritableFolder, SettingsGoToTheRoamingAppDataFolder) {
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    zt::writeAll(dir.filePath(u"file"_s), "a file where a folder should be");
    const QString saved = rt::programDirectory();
    rt::setProgramDirectory(dir.filePath(u"file/zorvik"_s));
    EXPECT_FALSE(rt::settingsArePortable());
    EXPECT_TRUE(rt::settingsWritable());
    EXPECT_EQ(rt::settingsDirectory(),
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    EXPECT_TRUE(rt::settingsDirectory().contains(u"/AppData/Roaming/"_s))
        << rt::settingsDirectory().toStdString();
    rt::setProgramDirectory(saved);
    QStandardPaths::setTestModeEnabled(false);
}

}  // namespace
#endif
