#include "speech_client.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <QTemporaryDir>

#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>
#else
#include <QAudioDecoder>
#endif
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace speechtest {

Service::Service(const QStringList& extraArguments, bool withSecret)
    : secret_(withSecret ? QByteArray("a-secret-for-this-test-only-4f2b") : QByteArray()) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList secretArgument = withSecret ? QStringList{"--secret-stdin"} : QStringList{};
    process_.start(serviceBinary(), QStringList{"--port", "0"} + secretArgument + extraArguments);
    if (withSecret) process_.write(secret_ + '\n');
    QByteArray line;
    while (!line.contains('\n') && process_.waitForReadyRead(5000))
        line += process_.readAllStandardOutput();
    port_ = quint16(line.trimmed().toUInt());
}

Service::~Service() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

QByteArray Service::head(const QByteArray& requestLine) const {
    QByteArray head = requestLine + "\r\nHost: 127.0.0.1:" + QByteArray::number(port_) + "\r\n";
    if (!secret_.isEmpty()) head += "Authorization: Bearer " + secret_ + "\r\n";
    return head + "\r\n";
}

Reply Service::get(const QByteArray& target) const {
    return send(port_, head("GET " + target + " HTTP/1.1"));
}

Reply parseReply(const QByteArray& raw) {
    Reply reply;
    const qsizetype end = raw.indexOf("\r\n\r\n");
    if (end < 0 || !raw.startsWith("HTTP/1.1 ")) return reply;
    const QList<QByteArray> lines = raw.left(end).split('\n');
    reply.status = lines[0].mid(9, 3).toInt();
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-type") reply.contentType = value;
        if (name == "content-length") reply.contentLength = value.toLongLong();
    }
    reply.body = raw.mid(end + 4);
    return reply;
}

Reply send(quint16 port, const QByteArray& request, int timeoutMs) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000)) return {};
    socket.write(request);
    QByteArray raw;
    QElapsedTimer clock;
    clock.start();
    while (socket.state() == QAbstractSocket::ConnectedState && clock.elapsed() < timeoutMs) {
        socket.waitForReadyRead(100);
        raw += socket.readAll();
    }
    raw += socket.readAll();
    return parseReply(raw);
}

QByteArray speechTarget(const QString& text, int speed) {
    QByteArray encoded;
    for (const char byte : text.toUtf8())
        encoded += '%' + QByteArray::number(uchar(byte), 16).toUpper().rightJustified(2, '0');
    return "/txt/apiz.php?text=" + encoded + "&spd=" + QByteArray::number(speed);
}

namespace {

// MPEG audio layer III frame header: the fields this service can produce.
struct FrameHeader {
    int bytes = 0, sampleRate = 0, samples = 0;
    bool mono = false;
};

FrameHeader readHeader(const uchar* h) {
    static const int mpeg1Rates[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
    static const int mpeg2Rates[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int baseRates[] = {44100, 48000, 32000};
    FrameHeader f;
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || ((h[1] >> 1) & 3) != 1) return f;
    const int version = (h[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int bitrateIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return f;
    const bool mpeg1 = version == 3;
    const int kbps = (mpeg1 ? mpeg1Rates : mpeg2Rates)[bitrateIndex];
    f.sampleRate = baseRates[rateIndex] / (mpeg1 ? 1 : version == 2 ? 2 : 4);
    f.samples = mpeg1 ? 1152 : 576;
    f.bytes = f.samples / 8 * kbps * 1000 / f.sampleRate + ((h[2] >> 1) & 1);
    f.mono = (h[3] >> 6) == 3;
    return f;
}

}  // namespace

Mp3Scan scanMp3(const QByteArray& data) {
    Mp3Scan scan;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    qint64 samples = 0;
    qsizetype pos = 0;
    while (pos + 4 <= data.size()) {
        const FrameHeader f = readHeader(bytes + pos);
        if (f.bytes <= 0 || (scan.frames > 0 && f.sampleRate != scan.sampleRate)) return scan;
        scan.sampleRate = f.sampleRate;
        scan.mono = f.mono;
        samples += f.samples;
        pos += f.bytes;
        ++scan.frames;
    }
    scan.valid = scan.frames > 0 && pos == data.size();
    if (scan.valid) scan.durationMs = samples * 1000 / scan.sampleRate;
    return scan;
}

#ifdef Q_OS_WIN
// The length the system's media control interface, which plays speech on
// Windows, finds in the file.
qint64 decodedMs(const QByteArray& mp3) {
    // A file of its own, closed: the system opens it for itself.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("clip.mp3")));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(mp3) != mp3.size())
        return -1;
    file.close();
    const auto mci = [](const QString& command, QString* answer = nullptr) {
        wchar_t text[64] = {};
        const bool ok =
            mciSendStringW(reinterpret_cast<LPCWSTR>(command.utf16()), text, 64, nullptr) == 0;
        if (answer) *answer = QString::fromWCharArray(text);
        return ok;
    };
    const QString path = QDir::toNativeSeparators(file.fileName());
    if (!mci(QStringLiteral("open \"%1\" type mpegvideo alias speechtest").arg(path))) return -1;
    QString length;
    const bool known = mci(QStringLiteral("set speechtest time format milliseconds")) &&
                       mci(QStringLiteral("status speechtest length"), &length);
    mci(QStringLiteral("close speechtest"));
    return known && length.toLongLong() > 0 ? length.toLongLong() : -1;
}
#else
qint64 decodedMs(const QByteArray& mp3) {
    QBuffer source;
    source.setData(mp3);
    source.open(QIODevice::ReadOnly);
    QAudioDecoder decoder;
    QEventLoop loop;
    qint64 frames = 0;
    int rate = 0;
    bool failed = false;
    QObject::connect(&decoder, &QAudioDecoder::bufferReady, &loop, [&] {
        const QAudioBuffer buffer = decoder.read();
        frames += buffer.frameCount();
        rate = buffer.format().sampleRate();
    });
    QObject::connect(&decoder, &QAudioDecoder::finished, &loop, &QEventLoop::quit);
    QObject::connect(&decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), &loop, [&] {
        failed = true;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, [&] {
        failed = true;
        loop.quit();
    });
    decoder.setSourceDevice(&source);
    decoder.start();
    loop.exec();
    return failed || rate == 0 ? -1 : frames * 1000 / rate;
}
#endif

}  // namespace speechtest
