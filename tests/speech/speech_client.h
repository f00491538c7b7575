#pragma once
// Drives a real zorvik-speech process over real sockets, and checks what it
// sends back is MP3 a player can use.

#include <QByteArray>
#include <QHostAddress>
#include <QProcess>
#include <QString>
#include <QStringList>
#include "test_paths.h"

namespace speechtest {

inline QString serviceBinary() {
#ifdef Q_OS_WIN
    return QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik-speech.exe");
#else
    return QStringLiteral(ZORVIK_BINARY_DIR "/bin/zorvik-speech");
#endif
}

struct Reply;

// The service started as the program starts it: on a port the system picks,
// which it prints, with a secret on its standard input (unless withSecret
// is false, as a user may run it by hand). Killed when dropped.
class Service {
  public:
    explicit Service(const QStringList& extraArguments = {}, bool withSecret = true);
    ~Service();
    bool listening() const { return port_ != 0; }
    quint16 port() const { return port_; }
    const QByteArray& secret() const { return secret_; }
    QProcess& process() { return process_; }
    // A request head of that line with the service's own Host and secret.
    QByteArray head(const QByteArray& requestLine) const;
    Reply get(const QByteArray& target) const;

  private:
    QProcess process_;
    QByteArray secret_;
    quint16 port_ = 0;
};

struct Reply {
    int status = 0;  // 0: no HTTP answer at all
    QByteArray contentType;
    qint64 contentLength = -1;
    QByteArray body;
};

// Sends raw bytes as the request and reads until the service closes.
Reply send(quint16 port, const QByteArray& request, int timeoutMs = 20000);
// The request target for a text, percent-encoding every byte.
QByteArray speechTarget(const QString& text, int speed = 6);
Reply parseReply(const QByteArray& raw);

struct Mp3Scan {
    bool valid = false;  // frame sync at 0 and every frame follows the last exactly
    int frames = 0;
    int sampleRate = 0;
    bool mono = false;
    qint64 durationMs = 0;
};
Mp3Scan scanMp3(const QByteArray& data);
// Decoded length in ms with the platform decoder, -1 when it fails.
qint64 decodedMs(const QByteArray& mp3);

}  // namespace speechtest
