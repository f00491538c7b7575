// The built program reached from outside its window: commands from a
// second start, a first start that carries its command out itself, the
// command line read with no display at all, a channel that strangers and
// stopped copies cannot spoil, and the buttons of the end notice clicked
// over the session bus.

#include <gtest/gtest.h>
#include "test_paths.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>
#include <csignal>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "desktop.h"
#include "desktop/single_instance.h"
#include "notice_recorder.h"
#include "text/profile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kMenuBar = 20;
const QRect kDigits(24, 6, 208, 56);  // the time display in the client area

struct Finished {
    int code = -1;
    QString out, err;
};

// The program in folder (its settings are beside it) started once with
// arguments, until it ends by itself.
Finished runProgram(const QProcessEnvironment& env, const QString& folder,
                    const QStringList& arguments, const QStringList& launcher = {}) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    const QStringList command = launcher + QStringList{folder + u"/zorvik"_s} + arguments;
    p.start(command.first(), command.mid(1));
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

class Commands : public ::testing::Test {
  protected:
    void start(int parts, const QStringList& arguments = {}) {
        desktop = std::make_unique<Desktop>(parts);
        ASSERT_TRUE(desktop->ready());
        ASSERT_TRUE(desktop->startProgram(arguments));
        window = desktop->programWindow();
    }
    // A later start of the program, with a command for the first.
    Finished second(const QStringList& arguments) const {
        return runProgram(desktop->environment(), desktop->folder(), arguments,
                          desktop->launcher());
    }
    bool minimised() const {
        return desktop->run(u"xprop"_s, {u"-id"_s, window, u"WM_STATE"_s}).contains("Iconic");
    }
    QImage digits() const {
        const QPoint client = desktop->inside(window).topLeft() + QPoint(0, kMenuBar);
        return desktop->screenshot().copy(kDigits.translated(client));
    }
    // The digits change within a second and a half.
    bool counting() const {
        const QImage before = digits();
        QTest::qWait(1500);
        return digits() != before;
    }
    bool endedRed() const {
        const QImage shot = digits();
        int red = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        return red > 100;
    }
    QString setting(const QString& key) const {
        return rt::readIniEntry(desktop->folder() + u"/配置.ini"_s, u"计时"_s, key);
    }
    std::unique_ptr<Desktop> desktop;
    QString window;
};

TEST_F(Commands, ToggleFromASecondStartStartsAndPausesAndADurationLeavesARunAlone) {
    ASSERT_NO_FATAL_FAILURE(start(Desktop::Bare));
    EXPECT_FALSE(counting());
    EXPECT_EQ(second({u"--toggle"_s}).code, 0);
    EXPECT_TRUE(counting());

    const QString minutes = setting(u"分"_s), seconds = setting(u"秒"_s);
    const Finished refused = second({u"0:00:03"_s});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains(u"a run is under way"_s)) << refused.err.toStdString();
    EXPECT_EQ(setting(u"分"_s), minutes);
    EXPECT_EQ(setting(u"秒"_s), seconds);
    EXPECT_TRUE(counting());

    EXPECT_EQ(second({u"--toggle"_s}).code, 0);
    EXPECT_FALSE(counting());
}

TEST_F(Commands, AFirstStartWithADurationCountsItDown) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    ASSERT_NO_FATAL_FAILURE(start(Desktop::Bare, {u"0:00:03"_s}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return endedRed(); }, 10000));
    EXPECT_GE(sinceStart.elapsed(), 3000);
    // Typed into the boxes and stored as typing would, in countdown mode.
    EXPECT_EQ(setting(u"时"_s) + setting(u"分"_s) + setting(u"秒"_s), u"003"_s);
    EXPECT_EQ(setting(u"模式选择"_s), u"倒计时"_s);
}

TEST(StartedFromAConsole, HelpVersionAndMistakesNeedNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);  // a window would fail here
    const struct {
        QStringList arguments;
        int code;
        QString out, err;
    } cases[] = {
        {{u"--help"_s}, 0, u"--toggle"_s, QString()},
        {{u"--version"_s}, 0, u"Zorvik 1.0"_s, QString()},
        {{u"--start"_s}, 2, QString(), u"unknown option: --start"_s},
        {{u"25x"_s}, 2, QString(), u"not a duration: 25x"_s},
        {{u"--history"_s}, 0, u"today      00:01:30"_s, u"left out: 1"_s},
        // No copy runs to carry these out, and no window can open.
        {{}, 1, QString(), u"no display"_s},
        {{u"--toggle"_s}, 1, QString(), u"no display"_s},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik"), folder.filePath(u"zorvik"_s)));
    // The record beside the settings: a run of today and a line that does not read.
    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    QFile record(folder.filePath(u"计时记录.csv"_s));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write((today + u" 08:00:00,"_s + today + u" 08:01:30,90,90,倒计时,完成\r\nbroken\r\n"_s)
                     .toUtf8());
    record.close();
    for (const auto& c : cases) {
        const Finished f = runProgram(env, folder.path(), c.arguments);
        const std::string name = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(f.code, c.code) << name << f.err.toStdString();
        EXPECT_TRUE(f.out.contains(c.out)) << name;
        EXPECT_TRUE(f.err.contains(c.err)) << name;
        // What is accepted goes with help and with every mistake.
        EXPECT_EQ((f.out + f.err).contains(u"1h30m"_s), c.code == 2 || name == "--help") << name;
    }
}

TEST_F(Commands, CommandsNeedNoDisplayAndACopyThatDoesNotAnswerIsAFailure) {
    ASSERT_NO_FATAL_FAILURE(start(Desktop::Bare));
    QProcessEnvironment noDisplay = desktop->environment();
    noDisplay.remove(u"DISPLAY"_s);
    noDisplay.remove(u"WAYLAND_DISPLAY"_s);
    const Finished toggled = runProgram(noDisplay, desktop->folder(), {u"--toggle"_s});
    EXPECT_EQ(toggled.code, 0) << toggled.err.toStdString();
    EXPECT_TRUE(counting());

    // Stopped, the copy still holds its lock and its channel takes the
    // connection, but nothing answers within the ten seconds.
    ASSERT_EQ(::kill(pid_t(desktop->programPid()), SIGSTOP), 0);
    const auto resume = qScopeGuard([&] { ::kill(pid_t(desktop->programPid()), SIGCONT); });
    for (const QStringList& arguments : {QStringList{}, QStringList{u"--show"_s}}) {
        const Finished f = second(arguments);
        EXPECT_EQ(f.code, 1) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(f.err.contains(u"did not answer"_s)) << f.err.toStdString();
    }
}

// Connections that send part of a line and wait, many more than the copy
// has descriptors for.
TEST_F(Commands, UnfinishedRequestsLeaveTheChannelAnswering) {
    rlimit own{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &own), 0);
    if (own.rlim_cur < 2100) GTEST_SKIP() << "needs 2,100 descriptors";
    rlimit few = own;
    few.rlim_cur = 1024;  // what the copy inherits
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    start(Desktop::Bare);
    ::setrlimit(RLIMIT_NOFILE, &own);
    ASSERT_FALSE(HasFatalFailure());

    const QByteArray place =
        QFile::encodeName(zorvik::desktop::SingleInstance(desktop->folder()).serverName());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_TRUE(!place.isEmpty() && size_t(place.size()) < sizeof(address.sun_path));
    std::memcpy(address.sun_path, place.constData(), size_t(place.size()));
    std::vector<int> open;
    const auto closeAll = qScopeGuard([&] {
        for (int fd : open) ::close(fd);
    });
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    // A full queue says "again" (EAGAIN); anything else ends the flood.
    while (open.size() < 2000 && sinceFirst.elapsed() < 60000) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ASSERT_GE(fd, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            ::send(fd, "tog", 3, MSG_NOSIGNAL);
            open.push_back(fd);
            continue;
        }
        const int error = errno;
        ::close(fd);
        if (error != EAGAIN) break;
        QTest::qSleep(1);
    }
    EXPECT_EQ(open.size(), 2000u) << std::strerror(errno);
    const Finished toggled = second({u"--toggle"_s});
    EXPECT_EQ(toggled.code, 0) << toggled.err.toStdString();
    EXPECT_TRUE(counting());
}

// Copies used to meet in /tmp/zorvik-<uid>, or beside the settings when
// someone else had made that folder first: removed again, it let the next
// start claim it and run beside the first copy.
TEST_F(Commands, AnotherUsersFolderInTmpNeverLetsASecondCopyRun) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can be two users";
    QTemporaryDir home, runtime;
    const QString user = u"zorvik"_s + QString::number(QCoreApplication::applicationPid());
    ASSERT_EQ(QProcess::execute(u"useradd"_s, {u"--no-create-home"_s, u"--home-dir"_s, home.path(),
                                               u"--shell"_s, u"/bin/false"_s, user}),
              0);
    QByteArray shared;
    const auto cleanUp = qScopeGuard([&] {
        desktop.reset();  // the user's processes end first
        if (!shared.isEmpty()) QDir(QString::fromLatin1(shared)).removeRecursively();
        QProcess::execute(u"userdel"_s, {user});
    });
    const passwd* account = ::getpwnam(user.toLocal8Bit().constData());
    ASSERT_NE(account, nullptr);
    const uid_t uid = account->pw_uid;
    const gid_t gid = account->pw_gid;
    // Root is the other user: it makes the folder in this user's name (one
    // left by an earlier user of the number goes first).
    shared = "/tmp/zorvik-" + QByteArray::number(uid);
    QDir(QString::fromLatin1(shared)).removeRecursively();
    ASSERT_EQ(::mkdir(shared.constData(), 0755), 0);

    desktop = std::make_unique<Desktop>(Desktop::WindowManager);
    ASSERT_TRUE(desktop->ready());
    for (const QString& folder : {home.path(), runtime.path(), desktop->folder()})
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), uid, gid), 0);
    desktop->setVariable(u"HOME"_s, home.path());
    desktop->setVariable(u"XDG_RUNTIME_DIR"_s, runtime.path());
    desktop->startThrough({u"setpriv"_s, u"--reuid=%1"_s.arg(uid), u"--regid=%1"_s.arg(gid),
                           u"--clear-groups"_s, u"--"_s});
    ASSERT_TRUE(desktop->startProgram());
    window = desktop->programWindow();
    ASSERT_EQ(::rmdir(shared.constData()), 0);

    desktop->run(u"xdotool"_s, {u"windowminimize"_s, window});
    ASSERT_TRUE(QTest::qWaitFor([&] { return minimised(); }, 5000));
    const Finished again = second({});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !minimised(); }, 5000));
}

#ifdef ZORVIK_DBUS

TEST_F(Commands, TheEndNoticesButtonsStartTheRunAgainAndShowTheWindow) {
    ASSERT_NO_FATAL_FAILURE(start(Desktop::WindowManager | Desktop::SessionBus));
    zt::NoticeRecorder service;
    ASSERT_TRUE(service.serve(desktop->environment().value(u"DBUS_SESSION_BUS_ADDRESS"_s)));
    desktop->run(u"xdotool"_s, {u"windowminimize"_s, window});
    ASSERT_TRUE(QTest::qWaitFor([&] { return minimised(); }, 5000));
    // The notice comes only for a window out of sight.
    EXPECT_EQ(second({u"0:00:02"_s}).code, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.notices.size() == 1; }, 10000));
    const zt::NoticeRecorder::Notice first = service.notices[0];
    EXPECT_EQ(first.summary, u"时间到"_s);
    EXPECT_TRUE(first.actions.contains(u"再来一次"_s) && first.actions.contains(u"显示"_s) &&
                first.actions.contains(u"default"_s))
        << first.actions.join(u',').toStdString();

    QTest::qWait(300);  // a hand comes later than the service's answer
    QElapsedTimer sinceAgain;
    sinceAgain.start();
    service.click(first.id, u"again"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.notices.size() == 2; }, 10000));
    EXPECT_GE(sinceAgain.elapsed(), 1900) << "the two seconds were counted again";
    EXPECT_TRUE(minimised());

    service.click(first.id, u"default"_s);  // an old notice's click does nothing
    QTest::qWait(500);
    EXPECT_TRUE(minimised());
    QTest::qWait(300);
    service.click(service.notices[1].id, u"default"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !minimised(); }, 5000));
}

#endif

}  // namespace
