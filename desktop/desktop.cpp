#include "desktop/desktop.h"

#include <QApplication>
#include <QDir>
#include <QStringEncoder>
#include <QTimer>

#include "desktop/attention.h"
#include "desktop/identity.h"
#include "desktop/single_instance.h"
#include "desktop/sleep_inhibitor.h"
#include "desktop/tray.h"
#include "names/main_window.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "settings/save_failure.h"
#include "timer/engine.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

namespace {

// Without a GBK converter every text of "配置.ini" would be written as
// nothing: better not to start than to empty the user's settings.
bool gbkAvailable() {
#ifdef Q_OS_WIN
    return true;  // the system converts code page 936 itself
#else
    return QStringEncoder("GBK").isValid();
#endif
}

void endEventLoop(int code) {
    QTimer::singleShot(0, qApp, [code] { QCoreApplication::exit(code); });
}

class Desktop : public QObject {
  public:
    explicit Desktop(QObject* parent) : QObject(parent), inhibitor_(this) {
        connect(&runNotifier(), &RunNotifier::runChanged, this, &Desktop::follow);
        // The icons (decoded images, an X property per window) and the
        // tray (round trips to the X server and the session bus) come right
        // after the window's first paint, which does not wait for them.
        rt::afterFirstPaint(kMainWindow, this, [this] { afterFirstPaint(); });
    }

  private:
    void afterFirstPaint() {
        QApplication::setWindowIcon(applicationIcon());
        // Made even when no tray host runs yet: a program started with the
        // session often comes up before the panel, and the icon takes its
        // place in the tray as soon as one appears.
        tray_ = new Tray(this);
        follow(RunEvent::Stopped);
    }

    void follow(RunEvent event) {
        if (event == RunEvent::Counting) inhibitor_.hold();
        if (event == RunEvent::Ended || event == RunEvent::Stopped) inhibitor_.release();
        if (event == RunEvent::Ended) callAttentionToEnd(tray_);
        if (tray_ && rt::isLoaded(kMainWindow)) tray_->show(currentStatus());
    }

    SleepInhibitor inhibitor_;
    Tray* tray_ = nullptr;
};

}  // namespace

bool settle() {
    describeApplication();
    if (!gbkAvailable()) {
        rt::askUser(u"缺少GBK文字转换，无法读写“配置.ini”，程序不能运行。"_s, rt::MbOk, u"提示："_s,
                    QString(), [](int) { endEventLoop(1); });
        return false;
    }
    const QString folder = rt::settingsDirectory();
    auto* instance = new SingleInstance(folder, qApp);
    if (!instance->claim(&showMainWindow)) {
        instance->askFirstToShow([] { endEventLoop(0); });
        return false;
    }
    if (!rt::settingsWritable()) {
        // Told here once; the saves that fail for the same reason say no more.
        savesKnownToFail();
        rt::showMessageBoxAsync(u"无法写入配置文件夹：%1\n本次更改的设置将不会保存。"_s.arg(
                                    QDir::toNativeSeparators(folder)),
                                u"提示："_s);
    }
    return true;
}

QObject* integrate() {
    return new Desktop(qApp);
}

}  // namespace zorvik::desktop
