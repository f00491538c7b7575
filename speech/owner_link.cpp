#include "speech/owner_link.h"

#include <QFile>
#include <algorithm>
#include <thread>

namespace speech {

namespace {

constexpr qsizetype kMaxSecretBytes = 1024;

// Straight reads of the descriptor, no stdio buffer: the watcher blocks in
// one while the service exits, and a stdio lock held there could hold the
// exit up.
bool openInput(QFile& in) {
    return in.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
}

bool isTokenByte(char c) {
    return c > ' ' && c < 0x7f;
}

}  // namespace

std::optional<QByteArray> readSecretLine() {
    QFile in;
    if (!openInput(in)) return std::nullopt;
    QByteArray line;
    char c = 0;
    while (in.read(&c, 1) == 1 && c != '\n') {
        if (line.size() > kMaxSecretBytes) return std::nullopt;
        line += c;
    }
    if (c != '\n') return std::nullopt;
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty() || !std::all_of(line.begin(), line.end(), isTokenByte)) return std::nullopt;
    return line;
}

void watchInputEnd(std::function<void()> gone) {
    std::thread([gone = std::move(gone)] {
        QFile in;
        if (openInput(in)) {
            char buffer[256];
            while (in.read(buffer, sizeof buffer) > 0) {
            }
        }
        gone();
    }).detach();
}

}  // namespace speech
