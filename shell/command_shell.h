#pragma once
// The persistent command interpreter behind table commands: one hidden
// process whose state (current folder, variables) carries from one command
// to the next, and whose merged output and error stream feeds a text sink.

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <functional>

#include "shell/console_text.h"
#include "shell/output_pipe_win.h"

namespace zorvik {

class CommandShell : public QObject {
    Q_OBJECT
  public:
    using Sink = std::function<void(const QString&)>;

    explicit CommandShell(QObject* parent = nullptr);
    ~CommandShell() override;

    // The interpreter this platform uses for table commands, as a command line.
    static QString defaultInterpreter();

    // Where output goes. Called on the window thread, at most once per
    // event-loop turn, with the next part of what has arrived, in order. In
    // a flood, output older than a scrollback's worth (rt::scrollbackStart)
    // is dropped unshown.
    void setSink(Sink sink);

    // Starts the interpreter hidden in folder (empty: the program's folder).
    // Returns its process id, or -1 when it could not be started.
    qint64 launch(const QString& commandLine, const QString& folder);

    // Types one line into the interpreter. If the interpreter has ended since
    // the last command, a fresh one is started first in the same folder.
    void sendLine(const QString& line);

    // Shows text in the output stream after any output still waiting.
    void showText(const QString& text);

    // Ends the interpreter and everything it runs; waits briefly for that.
    // Nothing restarts it afterwards.
    void shutdown();

    bool isRunning() const;
    qint64 processId() const;

  private:
    bool startProcess();
    void stopProcess();
    void schedulePump();
    void pumpTurn();
    // Drops waiting output older than a scrollback's worth.
    void dropUnshowable();
    void adaptTurnChars(qint64 turnNs, bool budgetUsedUp);
    qint64 readAvailable();  // bytes read
    // Output that has arrived and is not read yet.
    bool outputWaiting() const;
    // Hands at most limit characters (all when negative) to the sink.
    void deliver(bool holdTrailingCr, qsizetype limit = -1);
    void onFinished();
#ifdef Q_OS_WIN
    void holdInJob();
    void writeWhenReady();
#endif

    QProcess process_;
#ifdef Q_OS_WIN
    // Holds the interpreter and everything it starts, so that shutting down
    // (or the program ending in any way) ends all of them.
    void* job_ = nullptr;
    OutputPipe output_;
    void* outputEnd_ = nullptr;  // handed to the interpreter as its output and error
    QByteArray arrived_;         // read from output_, not yet decoded
    // Lines typed one at a time: see writeWhenReady().
    QList<QByteArray> typed_;
    bool promptShown_ = false;  // the interpreter waits for its next line
    QElapsedTimer sinceWrite_, sinceOutput_;
    QTimer paceTimer_;
#endif
    Sink sink_;
    QString commandLine_;
    QString folder_;
    ConsoleOutputDecoder decoder_;
    QString pending_;
    qsizetype turnChars_ = 8 * 1024;
    QElapsedTimer lastShown_;
    QTimer showTimer_;  // brings a show held back by the once-a-frame rule
    bool pumpQueued_ = false;
    bool endNoticeDue_ = false;  // the interpreter ended; say so once its output is shown
    bool shutDown_ = false;
};

}  // namespace zorvik
