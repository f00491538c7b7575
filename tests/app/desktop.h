#pragma once
// A private desktop for the built program: its own X server (1920 x 1080),
// optionally a window manager (openbox) and an accessibility bus, the
// program in a temporary folder, and the X tools that drive and watch it
// (xdotool, import). Everything started here ends with the object.

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class Desktop {
  public:
    enum Part { Bare = 0, WindowManager = 1, AccessibilityBus = 2, SessionBus = 4 };
    explicit Desktop(int parts);
    ~Desktop();
    bool ready() const { return ready_; }
    QString folder() const { return dir_.path(); }
    QProcessEnvironment environment() const { return env_; }
    // A variable of the environment the program and the tools start in.
    void setVariable(const QString& name, const QString& value) { env_.insert(name, value); }

    // What the program is started through (setpriv, to be another user).
    void startThrough(const QStringList& launcher) { launcher_ = launcher; }
    QStringList launcher() const { return launcher_; }
    // Starts the built program in the folder; true once its window shows.
    bool startProgram(const QStringList& arguments = {});
    QString programWindow() const { return window_; }
    qint64 programPid() const { return pid_; }
    // Runs a tool on this display; its standard output, "" on failure.
    QByteArray run(const QString& tool, const QStringList& args, int timeoutMs = 10000) const;
    // The window's inside (menu bar and client area) on the screen.
    QRect inside(const QString& window) const;
    // The same with the window manager's frame around it.
    QRect frame(const QString& window) const;
    // The first window whose title is exactly title, waiting for it.
    QString waitForWindow(const QString& title, int timeoutMs = 10000) const;
    void click(QPoint screen) const;
    // Keys as xdotool names them, separated by spaces, pressed in turn.
    void key(const QString& keys) const;
    QImage screenshot() const;
    QString activeWindow() const;

  private:
    QProcess* spawn(const QString& program, const QStringList& args);
    bool startServer();
    bool startWindowManager();
    bool startSessionBus();
    bool startAccessibilityBus();
    std::vector<std::unique_ptr<QProcess>> started_;
    QProcessEnvironment env_;
    QTemporaryDir dir_;
    QString window_;
    QStringList launcher_;
    qint64 pid_ = 0;
    bool ready_ = false;
};
