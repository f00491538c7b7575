// Measures the local speech service: time from request to the last byte of
// the MP3 for a short and a long Chinese text, and the service's memory.
// Usage: bench_speech [path-to-zorvik-speech]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// As the program asks: its own Host and the secret it gave the service.
const QByteArray kSecret = "bench-secret-0123456789abcdef0123";

QByteArray target(const QString& text) {
    return "/txt/apiz.php?text=" + text.toUtf8().toPercentEncoding() + "&spd=6";
}

// Milliseconds from sending the request to the service closing after the
// last byte; -1 when the answer is not a 200.
double fetchMs(quint16 port, const QByteArray& path, qint64* bytes) {
    QElapsedTimer clock;
    clock.start();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000)) return -1;
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                 "\r\nAuthorization: Bearer " + kSecret + "\r\n\r\n");
    QByteArray raw;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000))
        raw += socket.readAll();
    raw += socket.readAll();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    *bytes = raw.size();
    return raw.startsWith("HTTP/1.1 200") ? ms : -1;
}

QByteArray procStatus(qint64 pid, const char* key) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return "?";
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(qstrlen(key)).simplified();
    return "?";
}

void measure(const char* label, quint16 port, const QString& text, int runs) {
    std::vector<double> times;
    qint64 bytes = 0;
    for (int i = 0; i < runs; ++i) times.push_back(fetchMs(port, target(text), &bytes));
    std::sort(times.begin(), times.end());
    std::printf("%-28s median %7.1f ms  min %7.1f  max %7.1f  (%lld bytes, %d runs)\n", label,
                times[times.size() / 2], times.front(), times.back(), (long long)bytes, runs);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString service =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QDir(QCoreApplication::applicationDirPath()).filePath("../bin/zorvik-speech");
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(service, {"--port", "0", "--secret-stdin"});
    process.write(kSecret + '\n');
    QByteArray line;
    while (!line.contains('\n') && process.waitForReadyRead(5000))
        line += process.readAllStandardOutput();
    const quint16 port = quint16(line.trimmed().toUInt());
    if (port == 0) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(service));
        return 1;
    }
    std::printf("start to listening             %7.1f ms\n", double(clock.nsecsElapsed()) / 1e6);
    qint64 bytes = 0;
    double first = -1;
    while (first < 0 && clock.elapsed() < 5000) {
        first = fetchMs(port, target(u"休息"_qs), &bytes);
        if (first < 0) QThread::msleep(10);
    }
    std::printf("start to first answer (休息)  %7.1f ms\n", double(clock.nsecsElapsed()) / 1e6);

    const QString ten = u"请注意，休息时间到了"_qs;  // 10 characters
    QString twoHundred;
    while (twoHundred.size() < 200)
        twoHundred += u"现在是休息时间，请站起来活动一下，喝一杯水。"_qs;
    twoHundred.truncate(200);
    measure("10 Chinese characters", port, ten, 20);
    measure("200 Chinese characters", port, twoHundred, 10);
    measure("English sentence", port, "Time to stand up and stretch your legs.", 10);

    const qint64 pid = process.processId();
    std::printf("resident memory  VmRSS %s  peak VmHWM %s\n", procStatus(pid, "VmRSS:").constData(),
                procStatus(pid, "VmHWM:").constData());
    process.kill();
    process.waitForFinished(3000);
    return 0;
}
