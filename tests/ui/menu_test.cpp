// The menu items "结束音" and "导出", and the end sound they govern.

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include "program_fixture.h"
#include "runtime/sound.h"

using namespace Qt::StringLiterals;

namespace zorvik::testing {
namespace {

using MenuTest = ProgramTest;

QString endSoundSetting(const QString& ini) {
    return rt::readIniEntry(ini, u"计时"_s, u"最终结束音"_s);
}

bool endSoundMarked() {
    return rt::getProperty(kMain, u"结束音"_s, rt::slot::MenuChecked).toBool();
}

// Every file of a folder with its bytes and modification time.
QMap<QString, QPair<QByteArray, QDateTime>> snapshot(const QString& folder) {
    QMap<QString, QPair<QByteArray, QDateTime>> files;
    for (const QFileInfo& fi : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile f(fi.filePath());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        files.insert(fi.fileName(), {f.readAll(), fi.lastModified()});
    }
    return files;
}

TEST_F(MenuTest, EndSoundItemFlipsTheMarkAndStoresEveryChoice) {
    loadMain();
    const QString ini = programFile(u"配置.ini"_s);
    ASSERT_TRUE(endSoundMarked());  // a new file starts with the sound on
    ASSERT_EQ(endSoundSetting(ini), u"真"_s);

    menuItem(u"结束音"_s)->trigger();
    EXPECT_FALSE(endSoundMarked());
    EXPECT_EQ(endSoundSetting(ini), u"假"_s);

    menuItem(u"结束音"_s)->trigger();
    EXPECT_TRUE(endSoundMarked());
    EXPECT_EQ(endSoundSetting(ini), u"真"_s);

    // The choice survives a restart.
    menuItem(u"结束音"_s)->trigger();
    rt::unloadAll();
    configFilePath.clear();
    loadMain();
    EXPECT_FALSE(endSoundMarked());
}

TEST_F(MenuTest, RunEndPlaysTheEndSoundOnlyWhileMarked) {
    loadMain();
    for (const char* field : {"输入_时", "输入_分"})
        rt::setProperty(kMain, QString::fromUtf8(field), rt::slot::EditContent, u"0"_s);
    rt::setProperty(kMain, u"输入_秒"_s, rt::slot::EditContent, u"1"_s);

    menuItem(u"结束音"_s)->trigger();  // off
    startOrPause();
    manualClock.advanceSeconds(2);
    ASSERT_EQ(startCaption(), u"开始"_s);  // the run is over
    QTest::qWait(50);
    EXPECT_FALSE(rt::soundPlaying());

    menuItem(u"结束音"_s)->trigger();  // on again
    startOrPause();
    manualClock.advanceSeconds(2);
    ASSERT_EQ(startCaption(), u"开始"_s);
    EXPECT_TRUE(QTest::qWaitFor([] { return rt::soundPlaying(); }, 2000));
    rt::stopSound();
}

TEST_F(MenuTest, ExportShowsOnlyItsNoticeAndTouchesNoFile) {
    loadMain();
    const auto before = snapshot(programDir.path());
    ASSERT_FALSE(before.isEmpty());

    QString shownText, shownTitle;
    QMessageBox::Icon shownIcon = QMessageBox::Critical;
    QMessageBox::StandardButtons shownButtons;
    bool ownerless = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shownText = box->text();
        shownTitle = box->windowTitle();
        shownIcon = box->icon();
        shownButtons = box->standardButtons();
        ownerless = box->parentWidget() == nullptr;
        box->accept();
    });
    closer.start(20);
    QTest::qWait(1100);              // file times have a resolution of a second or less
    menuItem(u"导出"_s)->trigger();  // returns once the box is closed
    closer.stop();

    EXPECT_EQ(shownText, u"待遥遥无期的开发"_s);
    EXPECT_EQ(shownTitle, u"导出功能提示"_s);
    EXPECT_EQ(shownIcon, QMessageBox::NoIcon);
    EXPECT_EQ(shownButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(ownerless);
    EXPECT_EQ(snapshot(programDir.path()), before);
    EXPECT_EQ(configFilePath, programFile(u"配置.ini"_s));
}

}  // namespace
}  // namespace zorvik::testing
