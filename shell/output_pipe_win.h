#pragma once
// The interpreter's output on Windows, read by a thread of its own that
// waits in ReadFile. Qt's pipe reader waits through the system's thread
// pool instead, and under Wine a start now and then never hears of output
// again once one of those waits is lost: every command's output goes
// unseen for the program's whole life. A plain blocking read has nothing
// to lose.

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QByteArray>
#include <QObject>
#include <atomic>
#include <functional>

namespace zorvik {

class OutputPipe {
  public:
    // receive gets each block read, on the thread of owner, in order.
    OutputPipe(QObject* owner, std::function<void(const QByteArray&)> receive);
    ~OutputPipe();
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    // A new pipe (the last one closed first). Returns the end the
    // interpreter writes to, inheritable, or nullptr when none could be made.
    void* open();
    // Once the interpreter runs: this process's copy of its end goes, so
    // that the read ends when the interpreter and all it started have, and
    // reading starts.
    void startReading();
    // Stops reading and closes the pipe; what was not yet read is dropped.
    void close();

  private:
    static unsigned long __stdcall readLoop(void* self);

    QObject* owner_;
    std::function<void(const QByteArray&)> receive_;
    void* read_ = nullptr;
    void* write_ = nullptr;
    void* thread_ = nullptr;
    std::atomic<bool> stopping_{false};
};

}  // namespace zorvik
#endif
