#pragma once
// What a start of the program asks for on its command line, and the line
// that request travels as to a copy that already runs. Everything here is
// checked before anything is sent or any window opens.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zorvik::desktop {

// One thing to do in the running copy.
struct Request {
    enum Kind { Show, Toggle, Reset, Start };
    explicit Request(Kind k = Show, QString h = {}, QString m = {}, QString s = {})
        : kind(k), hours(std::move(h)), minutes(std::move(m)), seconds(std::move(s)) {}
    Kind kind;
    // Start: the three duration boxes' contents, each a number of at most
    // three digits, as a user could type them.
    QString hours, minutes, seconds;
    bool operator==(const Request&) const = default;
};

// Answers a request: "" when it was carried out, else why it was not.
using Reply = std::function<void(const QString& refusal)>;
using RequestHandler = std::function<void(const Request&, Reply)>;

struct Invocation {
    enum Outcome { Run, Help, Version, Invalid, History };
    Outcome outcome = Run;
    std::optional<Request> request;  // Run: what the command line asks for
    QString problem;                 // Invalid: what was not understood
};

// arguments: the command line without the program's name. Qt's own
// options (-platform, -session, -style ...) are left for Qt.
Invocation parseArguments(const QStringList& arguments);
// A duration in one of the accepted forms; nothing when it is not one.
std::optional<Request> parseDuration(const QString& text);

// What --help prints, and what an invalid command line is told.
QString usageText();
QString versionText();

// The channel between copies: one line per request, one line back.
inline constexpr int kMaxLineLength = 64;
QByteArray encodeRequest(const Request& request);
// Anything but a well-formed request line gives nothing.
std::optional<Request> decodeRequest(const QByteArray& line);
QByteArray encodeReply(const QString& refusal);  // "" for done
// Nothing when the line is no reply; else the refusal ("" for done).
std::optional<QString> decodeReply(const QByteArray& line);

// Standard output and error of a window program: on Windows it has no
// console of its own and writes to the one it was started from.
void printOut(const QString& text);
void printError(const QString& text);

}  // namespace zorvik::desktop
