#pragma once
// The persistent command interpreter behind table commands: one hidden
// process whose state (current folder, variables) carries from one command
// to the next, and whose merged output and error stream feeds a text sink.

#include <QObject>
#include <QProcess>
#include <QString>
#include <functional>

#include "shell/console_text.h"

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
    // event-loop turn, with everything that arrived since the last call.
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
    void adaptTurnBytes(qint64 turnNs, bool budgetUsedUp);
    void readAvailable(qint64 budget);
    void deliver(bool holdTrailingCr);
    void onFinished();

    QProcess process_;
    Sink sink_;
    QString commandLine_;
    QString folder_;
    ConsoleOutputDecoder decoder_;
    QString pending_;
    qint64 turnBytes_ = 64 * 1024;
    bool pumpQueued_ = false;
    bool endNoticeDue_ = false;  // the interpreter ended; say so once its output is shown
    bool shutDown_ = false;
};

}  // namespace zorvik
