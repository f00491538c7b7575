// The menu items "结束音" and "导出".

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include "common/program_fixture.h"

namespace zorvik::testing {
namespace {

using MenuTest = ProgramTest;

TEST_F(MenuTest, EndSoundItemFlipsTheMarkAndStoresEveryChoice) {
    loadMain();
    const QString ini = path(u"配置.ini"_s);
    auto marked = [] {
        return rt::getProperty(kMain, u"结束音"_s, rt::slot::MenuChecked).toBool();
    };
    auto stored = [&] { return rt::readIniEntry(ini, u"计时"_s, u"最终结束音"_s); };
    ASSERT_TRUE(marked());
    menuItem(u"结束音"_s)->trigger();
    EXPECT_FALSE(marked());
    EXPECT_EQ(stored(), u"假"_s);
    menuItem(u"结束音"_s)->trigger();
    EXPECT_TRUE(marked());
    EXPECT_EQ(stored(), u"真"_s);

    menuItem(u"结束音"_s)->trigger();  // survives a restart
    rt::unloadAll();
    configFilePath.clear();
    loadMain();
    EXPECT_FALSE(marked());
}

TEST_F(MenuTest, SubmenuArrowIsDrawnInTheSkinsTextColour) {
    loadMain();
    QMenu* program = menuItem(u"程序"_s)->menu();
    program->popup(rt::windowWidget(kMain)->mapToGlobal(QPoint(0, 20)));
    const QImage img = program->grab().toImage();
    const QRect item = program->actionGeometry(menuItem(u"配置文件"_s));
    int darkest = 255;
    for (int x = item.right() - 24; x < item.right(); ++x)
        for (int y = item.top(); y <= item.bottom(); ++y)
            darkest = std::min(darkest, qGray(img.pixel(x, y)));
    EXPECT_EQ(darkest, 0) << "the stored text colour, black";
    program->hide();
}

TEST_F(MenuTest, ExportShowsOnlyItsNoticeAndTouchesNoFile) {
    loadMain();
    auto files = [this] {
        QStringList all;
        for (const QFileInfo& fi : QDir(dir.path()).entryInfoList(QDir::Files)) {
            QFile f(fi.filePath());
            all << fi.fileName()
                << QString::fromLatin1(f.open(QIODevice::ReadOnly) ? f.readAll().toHex()
                                                                   : QByteArray());
        }
        return all;
    };
    const QStringList before = files();
    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown << box->text() << box->windowTitle() << QString::number(box->icon())
              << QString::number(box->standardButtons()) << QString::number(!box->parentWidget());
        box->accept();
    });
    closer.start(20);
    menuItem(u"导出"_s)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, (QStringList{u"待遥遥无期的开发"_s, u"导出功能提示"_s,
                                  QString::number(QMessageBox::NoIcon),
                                  QString::number(QMessageBox::Ok), u"0"_s}))
        << "owned by the main window";
    EXPECT_EQ(files(), before);
    EXPECT_EQ(configFilePath, path(u"配置.ini"_s));
}

}  // namespace
}  // namespace zorvik::testing
