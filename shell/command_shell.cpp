#include "shell/command_shell.h"

#include <QElapsedTimer>
#include <QSignalBlocker>
#include <QStringList>
#include <utility>

#include "runtime/scrollback.h"
#include "text/commands.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#include <csignal>
#endif

namespace zorvik {
namespace {

// Output is cut into reads of this size; the zero-byte and lone-space rules
// apply to each read.
constexpr qsizetype kReadSize = 260;
// How much output one event-loop turn shows adapts to what showing it costs:
// big batches show a flood fastest, but one turn should stay well under a
// frame or two so the window never stalls.
constexpr qsizetype kMinTurnChars = 1024;
constexpr qsizetype kMaxTurnChars = 256 * 1024;
constexpr qint64 kTurnTargetNs = 12'000'000;
// The most one turn reads beyond what had already arrived.
constexpr qint64 kDrainBytes = 1024 * 1024;
// Output is shown at most once a frame: in a flood the appends, which cost
// by the line, stay few, and the reads between them are cheap.
constexpr qint64 kShowIntervalMs = 16;
constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 1000;

QString endNotice() {
    return QStringLiteral("\r\n命令解释器已退出，下一条命令将重新启动它。\r\n");
}

}  // namespace

CommandShell::CommandShell(QObject* parent)
    : QObject(parent)
#ifdef Q_OS_WIN
      ,
      output_(this,
              [this](const QByteArray& bytes) {
                  arrived_ += bytes;
                  sinceOutput_.start();
                  promptShown_ = bytes.endsWith('>');
                  schedulePump();
                  writeWhenReady();
              })
#endif
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
#ifdef Q_OS_WIN
    process_.setCreateProcessArgumentsModifier([this](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_NO_WINDOW;
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_HIDE;
        // The output goes to a pipe of our own (see output_pipe_win.h); the
        // one QProcess made stays silent.
        if (outputEnd_) args->startupInfo->hStdOutput = args->startupInfo->hStdError = outputEnd_;
    });
#else
    // Its own process group, so that shutting down reaches whatever a table
    // command left running, not just the shell.
    process_.setChildProcessModifier([] { ::setsid(); });
#endif
    connect(&process_, &QProcess::readyReadStandardOutput, this, &CommandShell::schedulePump);
    connect(&process_, &QProcess::finished, this, &CommandShell::onFinished);
    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, &CommandShell::pumpTurn);
#ifdef Q_OS_WIN
    paceTimer_.setSingleShot(true);
    connect(&paceTimer_, &QTimer::timeout, this, &CommandShell::writeWhenReady);
#endif
}

CommandShell::~CommandShell() {
    sink_ = nullptr;
    shutdown();
#ifdef Q_OS_WIN
    if (job_) CloseHandle(job_);
#endif
}

#ifdef Q_OS_WIN
// Windows has no process groups; a job that kills what it holds when its
// last handle closes does the same. The interpreter joins it as soon as it
// runs, before it has been given a command that could start anything.
void CommandShell::holdInJob() {
    if (!job_) {
        job_ = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job_)
            SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits,
                                    sizeof limits);
    }
    const DWORD pid = DWORD(process_.processId());
    if (HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, pid)) {
        if (job_) AssignProcessToJobObject(job_, process);
        CloseHandle(process);
    }
}
#endif

QString CommandShell::defaultInterpreter() {
#ifdef Q_OS_WIN
    return QStringLiteral("cmd");
#else
    // Lines are typed ending in CR LF, as the Windows console expects them.
    // A POSIX shell would keep the CR in the last word ("ls\r": not found),
    // so the shell runs a read loop that drops one trailing CR and evaluates
    // the rest in the shell itself: cd and variables still carry over.
    // "command eval" keeps a syntax error in one line from ending the shell,
    // as a mistyped command does not end the Windows console either. Each
    // command reads an empty input: the shell's own input holds the
    // commands after it, which a command that reads would otherwise eat.
    // Inner quotes are tripled for QProcess::splitCommand.
    return QStringLiteral(
        R"(/bin/sh -c "zorvik_cr=$(printf '\r'); while IFS= read -r zorvik_line; do )"
        R"(command eval """${zorvik_line%$zorvik_cr}""" </dev/null; done")");
#endif
}

void CommandShell::setSink(Sink sink) {
    sink_ = std::move(sink);
}

qint64 CommandShell::launch(const QString& commandLine, const QString& folder) {
    stopProcess();
    shutDown_ = false;
    commandLine_ = commandLine.isEmpty() ? defaultInterpreter() : commandLine;
    folder_ = folder.isEmpty() ? rt::systemFolder() : folder;
    return startProcess() ? process_.processId() : -1;
}

bool CommandShell::startProcess() {
    QStringList args = QProcess::splitCommand(commandLine_);
    if (args.isEmpty()) return false;
    process_.setProgram(args.takeFirst());
    process_.setArguments(args);
    process_.setWorkingDirectory(folder_);
    decoder_.reset();
#ifdef Q_OS_WIN
    outputEnd_ = output_.open();
#endif
    process_.start();
    const bool started = process_.waitForStarted(kStartTimeoutMs);
#ifdef Q_OS_WIN
    outputEnd_ = nullptr;
    if (started) {
        holdInJob();
        output_.startReading();
    } else {
        output_.close();
    }
#endif
    return started;
}

void CommandShell::sendLine(const QString& line) {
    if (shutDown_ || commandLine_.isEmpty()) return;
    if (process_.state() == QProcess::NotRunning) {
        // Starting again discards what the old process left unread: show it
        // first, with the notice that it ended.
        readAvailable();
        deliver(false);
        if (!startProcess()) return;
    }
    const QByteArray typed = encodeForConsole(withEmptyInput(line) + QStringLiteral("\r\n"));
#ifdef Q_OS_WIN
    typed_ << typed;
    writeWhenReady();
#else
    process_.write(typed);
#endif
}

#ifdef Q_OS_WIN
// Wine's cmd takes whatever its input pipe holds in one read and runs only
// the first line of it: lines that wait there together are lost but one.
// So a line goes only when the interpreter waits for one, which its prompt
// says (it ends the output with '>' just before reading), or, where it
// shows no prompt (echo off), once it has been quiet for a while.
void CommandShell::writeWhenReady() {
    constexpr qint64 kQuietMs = 1500;
    if (typed_.isEmpty() || process_.state() != QProcess::Running) return;
    const bool quiet = (!sinceWrite_.isValid() || sinceWrite_.elapsed() >= kQuietMs) &&
                       (!sinceOutput_.isValid() || sinceOutput_.elapsed() >= kQuietMs);
    if (!promptShown_ && !quiet) {
        if (!paceTimer_.isActive()) paceTimer_.start(int(kQuietMs / 4));
        return;
    }
    process_.write(typed_.takeFirst());
    promptShown_ = false;
    sinceWrite_.start();
    if (!typed_.isEmpty()) paceTimer_.start(int(kQuietMs / 4));
}
#endif

void CommandShell::showText(const QString& text) {
    deliver(false);
    if (sink_ && !text.isEmpty()) sink_(text);
}

void CommandShell::shutdown() {
    shutDown_ = true;
    showTimer_.stop();
    stopProcess();
    pending_.clear();
    endNoticeDue_ = false;
}

void CommandShell::stopProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    // Ending it is on purpose: no notice about it.
    const QSignalBlocker quiet(&process_);
#ifdef Q_OS_WIN
    if (job_) TerminateJobObject(job_, 1);
#else
    const auto pid = static_cast<pid_t>(process_.processId());
    if (pid > 0) ::kill(-pid, SIGKILL);
#endif
    process_.kill();
    process_.waitForFinished(kStopTimeoutMs);
#ifdef Q_OS_WIN
    output_.close();
    arrived_.clear();
    typed_.clear();
    paceTimer_.stop();
    promptShown_ = false;
    sinceWrite_.invalidate();
    sinceOutput_.invalidate();
#endif
}

bool CommandShell::isRunning() const {
    return process_.state() != QProcess::NotRunning;
}

qint64 CommandShell::processId() const {
    return process_.processId();
}

void CommandShell::schedulePump() {
    if (pumpQueued_) return;
    pumpQueued_ = true;
    QMetaObject::invokeMethod(this, &CommandShell::pumpTurn, Qt::QueuedConnection);
}

// One turn of the output pump: everything that has arrived is read and
// decoded (cheap), and at most once a frame a bounded share of it is shown
// in one append (the costly part). Whatever is left comes in a later turn,
// so the window keeps turning however fast the interpreter prints. Output
// that could only scroll out of the panel unseen is dropped before it is
// shown, so a flood of any size waits in bounded memory.
void CommandShell::pumpTurn() {
    pumpQueued_ = false;
    readAvailable();
    // A fast writer fills the pipe faster than one read per turn empties it:
    // take what the pipe holds right now too (a poll, never a wait), so a
    // flood moves at the speed of reading rather than of showing.
#ifndef Q_OS_WIN
    for (qint64 taken = 0; taken < kDrainBytes && process_.waitForReadyRead(0);)
        taken += readAvailable();
#endif
    // Finding where the scrollback starts scans it: done when something is
    // shown, and in between only when twice a scrollback is waiting.
    if (pending_.size() > 2 * rt::kScrollbackChars) dropUnshowable();
    const qint64 sinceShown = lastShown_.isValid() ? lastShown_.elapsed() : kShowIntervalMs;
    if (sinceShown < kShowIntervalMs) {
        showTimer_.start(int(kShowIntervalMs - sinceShown));
        return;
    }
    QElapsedTimer turn;
    turn.start();
    dropUnshowable();
    const bool full = pending_.size() > turnChars_;
    deliver(true, turnChars_);
    adaptTurnChars(turn.nsecsElapsed(), full);
    lastShown_.start();
    // A CR held back alone waits for the output that follows it.
    const bool moreToShow = pending_.size() > 1 || (pending_.size() == 1 && pending_[0] != u'\r');
    if (moreToShow || outputWaiting() || endNoticeDue_) schedulePump();
}

void CommandShell::dropUnshowable() {
    pending_.remove(0, rt::scrollbackStart(pending_));
}

void CommandShell::adaptTurnChars(qint64 turnNs, bool budgetUsedUp) {
    if (turnNs > kTurnTargetNs)
        turnChars_ = qMax(kMinTurnChars, turnChars_ / 2);
    else if (budgetUsedUp && turnNs < kTurnTargetNs / 2)
        turnChars_ = qMin(kMaxTurnChars, turnChars_ * 2);
}

bool CommandShell::outputWaiting() const {
#ifdef Q_OS_WIN
    return !arrived_.isEmpty();
#else
    return process_.bytesAvailable() > 0;
#endif
}

qint64 CommandShell::readAvailable() {
#ifdef Q_OS_WIN
    process_.readAll();  // nothing is written there
    const QByteArray block = std::exchange(arrived_, {});
#else
    const QByteArray block = process_.readAll();
#endif
    const QByteArrayView bytes(block);
    for (qsizetype at = 0; at < bytes.size(); at += kReadSize)
        pending_ += decoder_.decodeChunk(bytes.sliced(at, qMin(kReadSize, bytes.size() - at)));
    if (endNoticeDue_ && !outputWaiting()) {
        pending_ += endNotice();
        endNoticeDue_ = false;
    }
    return block.size();
}

void CommandShell::deliver(bool holdTrailingCr, qsizetype limit) {
    qsizetype size = limit < 0 ? pending_.size() : qMin(limit, pending_.size());
    // Never half a surrogate pair in one append and the other half in the next.
    if (size > 0 && size < pending_.size() && pending_[size - 1].isHighSurrogate()) --size;
    // A CR LF pair split between two appends would show as two line breaks;
    // a CR at the end waits for what follows it.
    if (holdTrailingCr && size > 0 && pending_[size - 1] == u'\r') --size;
    const QString text = pending_.first(size);
    pending_.remove(0, size);
    if (sink_ && !text.isEmpty()) sink_(text);
}

void CommandShell::onFinished() {
    if (shutDown_) return;
    endNoticeDue_ = true;
    schedulePump();
}

}  // namespace zorvik
