// zorvik-speech: a small local text-to-speech service, so that spoken
// reminders work with no account, no network and nothing to set up.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "speech/speech_server.h"

namespace {

struct Arguments {
    quint16 port = 17388;
    speech::ServerOptions options;
};

bool parseArguments(const QCoreApplication& app, Arguments& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Local speech service: GET /txt/apiz.php?text=...&spd=0-9");
    parser.addHelpOption();
    const QCommandLineOption port("port", "Port to listen on (127.0.0.1 only).", "port", "17388");
    const QCommandLineOption idle("idle", "Exit after this many seconds without a request.",
                                  "seconds", "600");
    parser.addOptions({port, idle});
    parser.process(app);
    bool portOk = false, idleOk = false;
    const uint portValue = parser.value(port).toUInt(&portOk);
    const double idleSeconds = parser.value(idle).toDouble(&idleOk);
    if (!portOk || portValue == 0 || portValue > 65535 || !idleOk || idleSeconds <= 0) {
        std::fputs("zorvik-speech: --port needs 1-65535 and --idle a positive number\n", stderr);
        return false;
    }
    args.port = quint16(portValue);
    args.options.idleLimit = std::chrono::milliseconds(qint64(idleSeconds * 1000));
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
    if (!parseArguments(app, args)) return 2;
    args.options.espeakDataParent = bundledEspeakData();
    speech::SpeechServer server(args.options);
    if (!server.listen(args.port)) {
        std::fprintf(stderr, "zorvik-speech: cannot listen on 127.0.0.1:%u: %s\n",
                     unsigned(args.port), qPrintable(server.errorString()));
        return 1;
    }
    QObject::connect(&server, &speech::SpeechServer::idleTimeout, &app, &QCoreApplication::quit);
    return app.exec();
}
