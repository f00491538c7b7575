// zorvik-speech: a small local text-to-speech service, so that spoken
// reminders work with no account, no network and nothing to set up.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

#include "speech/owner_link.h"
#include "speech/speech_server.h"

namespace {

struct Arguments {
    quint16 port = 17388;
    bool secretOnInput = false;
    speech::ServerOptions options;
};

constexpr char kDescription[] =
    "Local speech service: GET /txt/apiz.php?text=...&spd=0-9\n"
    "Listens on 127.0.0.1 only and prints the port it listens on as one line.\n"
    "Serves only requests whose Host is 127.0.0.1:PORT or localhost:PORT, and,\n"
    "with --secret-stdin, that carry \"Authorization: Bearer <secret>\".";

bool parseArguments(const QCoreApplication& app, Arguments& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.addHelpOption();
    const QCommandLineOption port("port", "Port to listen on; 0 lets the system pick one.", "port",
                                  "17388");
    const QCommandLineOption idle("idle", "Exit after this many seconds without a request.",
                                  "seconds", "600");
    const QCommandLineOption secret(
        "secret-stdin",
        "Read the secret from the first line of standard input, and exit when that input ends.");
    parser.addOptions({port, idle, secret});
    parser.process(app);
    bool portOk = false, idleOk = false;
    const uint portValue = parser.value(port).toUInt(&portOk);
    const double idleSeconds = parser.value(idle).toDouble(&idleOk);
    if (!portOk || portValue > 65535 || !idleOk || idleSeconds <= 0) {
        std::fputs("zorvik-speech: --port needs 0-65535 and --idle a positive number\n", stderr);
        return false;
    }
    args.port = quint16(portValue);
    args.options.idleLimit = std::chrono::milliseconds(qint64(idleSeconds * 1000));
    args.secretOnInput = parser.isSet(secret);
    return true;
}

// Before listening, so that no request is ever served without it.
bool takeSecret(Arguments& args) {
    if (!args.secretOnInput) return true;
    const std::optional<QByteArray> secret = speech::readSecretLine();
    if (!secret) {
        std::fputs("zorvik-speech: no secret on the first line of standard input\n", stderr);
        return false;
    }
    args.options.secret = *secret;
    // The owner has gone: nobody is left to answer, and leaving at once
    // from the watcher's thread needs nothing of the main one.
    speech::watchInputEnd([] { std::_Exit(0); });
    return true;
}

// A copy of espeak-ng's data beside the program wins over the system one, so
// the service can ship on systems without espeak-ng installed.
QString bundledEspeakData() {
    const QString dir = QCoreApplication::applicationDirPath();
    return QFileInfo(QDir(dir).filePath("espeak-ng-data")).isDir() ? dir : QString();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zorvik-speech");
    Arguments args;
    if (!parseArguments(app, args) || !takeSecret(args)) return 2;
    args.options.espeakDataParent = bundledEspeakData();
    speech::SpeechServer server(args.options);
    if (!server.listen(args.port)) {
        std::fprintf(stderr, "zorvik-speech: cannot listen on 127.0.0.1:%u: %s\n",
                     unsigned(args.port), qPrintable(server.errorString()));
        return 1;
    }
    // Whoever started the service learns where it listens from this line.
    std::printf("%u\n", unsigned(server.port()));
    std::fflush(stdout);
    QObject::connect(&server, &speech::SpeechServer::idleTimeout, &app, &QCoreApplication::quit);
    return app.exec();
}
