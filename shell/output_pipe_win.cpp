#include "shell/output_pipe_win.h"

#ifdef Q_OS_WIN
#include <windows.h>

namespace zorvik {

OutputPipe::OutputPipe(QObject* owner, std::function<void(const QByteArray&)> receive)
    : owner_(owner), receive_(std::move(receive)) {}

OutputPipe::~OutputPipe() {
    close();
}

void* OutputPipe::open() {
    close();
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 64 * 1024)) return nullptr;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    read_ = read;
    write_ = write;
    return write_;
}

void OutputPipe::startReading() {
    if (write_) CloseHandle(write_);
    write_ = nullptr;
    if (!read_ || thread_) return;
    stopping_ = false;
    thread_ = CreateThread(nullptr, 0, &OutputPipe::readLoop, this, 0, nullptr);
}

DWORD WINAPI OutputPipe::readLoop(void* context) {
    auto* self = static_cast<OutputPipe*>(context);
    char buffer[4096];
    DWORD got = 0;
    // Ends when every writer has gone (the interpreter and what it started)
    // or close() cancels the read.
    while (!self->stopping_ && ReadFile(self->read_, buffer, sizeof buffer, &got, nullptr)) {
        if (got == 0) continue;
        QMetaObject::invokeMethod(
            self->owner_,
            [receive = self->receive_, bytes = QByteArray(buffer, got)] { receive(bytes); },
            Qt::QueuedConnection);
    }
    return 0;
}

void OutputPipe::close() {
    if (thread_) {
        stopping_ = true;
        // A read that has begun waits until it is cancelled; one about to
        // begin sees the flag or the next cancel.
        while (WaitForSingleObject(thread_, 20) == WAIT_TIMEOUT) CancelSynchronousIo(thread_);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    for (void** handle : {&read_, &write_}) {
        if (*handle) CloseHandle(*handle);
        *handle = nullptr;
    }
}

}  // namespace zorvik
#endif
