#include "desktop/desktop.h"

#include <QApplication>
#include <QDir>
#include <QStringEncoder>
#include <QTimer>

#include "desktop/attention.h"
#include "desktop/commands.h"
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
    QTimer::singleShot(0, QCoreApplication::instance(), [code] { QCoreApplication::exit(code); });
}

// The exit code follows the first copy's answer. A plain start only wants
// the window in front, which an older copy does without a word before it
// closes the connection.
void handOver(SingleInstance& first, const std::optional<Request>& request) {
    const bool plain = !request || request->kind == Request::Show;
    first.handOver(request.value_or(Request{}),
                   [plain](std::optional<QString> answer, bool closed) {
                       if ((answer && answer->isEmpty()) || (plain && closed && !answer))
                           return endEventLoop(0);
                       printError(answer ? u"zorvik: "_s + *answer + u'\n'
                                         : u"zorvik: the running copy did not answer\n"_s);
                       endEventLoop(answer ? 2 : 1);
                   });
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

bool settle(const std::optional<Request>& request) {
    describeApplication();
    if (!gbkAvailable()) {
        rt::askUser(u"缺少GBK文字转换，无法读写“配置.ini”，程序不能运行。"_s, rt::MbOk, u"提示："_s,
                    QString(), [](int) { endEventLoop(1); });
        return false;
    }
    const QString folder = rt::settingsDirectory();
    auto* instance = new SingleInstance(folder, qApp);
    if (!instance->claim(&carryOut)) {
        handOver(*instance, request);
        return false;
    }
    if (request)
        carryOut(*request, [](const QString& refusal) {
            if (!refusal.isEmpty()) printError(u"zorvik: "_s + refusal + u'\n');
        });
    if (!rt::settingsWritable()) {
        // Told here once; the saves that fail for the same reason say no more.
        savesKnownToFail();
        rt::showMessageBoxAsync(u"无法写入配置文件夹：%1\n本次更改的设置将不会保存。"_s.arg(
                                    QDir::toNativeSeparators(folder)),
                                u"提示："_s);
    }
    return true;
}

bool displayAvailable(const QStringList& arguments) {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Q_UNUSED(arguments);
    return true;
#else
    QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == u"-platform"_s || arguments[i] == u"--platform"_s)
            platform = arguments[i + 1];
    // offscreen, vnc, eglfs and the like need no display server.
    if (!platform.isEmpty() && !platform.startsWith(u"xcb"_s) && !platform.startsWith(u"wayland"_s))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

int handOverWithoutDisplay(const std::optional<Request>& request) {
    describeApplication();
    auto* instance = new SingleInstance(rt::settingsDirectory(), QCoreApplication::instance());
    if (!instance->claimedElsewhere()) {
        printError(u"zorvik: no display to open the window on (DISPLAY is not set)\n"_s);
        return 1;
    }
    handOver(*instance, request);
    return QCoreApplication::exec();
}

QObject* integrate() {
    return new Desktop(qApp);
}

}  // namespace zorvik::desktop
