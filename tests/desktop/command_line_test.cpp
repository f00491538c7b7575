// The command line as a start of the program reads it, and the line a
// request travels as to the copy that runs.

#include <gtest/gtest.h>

#include "desktop/command_line.h"

using namespace Qt::StringLiterals;
using zorvik::desktop::Invocation;
using zorvik::desktop::Request;

namespace {

TEST(CommandLine, ReadsRequestsDurationsAndQtsOwnOptions) {
    struct Case {
        QStringList args;
        Invocation::Outcome outcome;
        std::optional<Request> request;
    };
    const auto start = [](const char* h, const char* m, const char* s) {
        return Request{Request::Start, QString::fromLatin1(h), QString::fromLatin1(m),
                       QString::fromLatin1(s)};
    };
    const Case cases[] = {
        {{}, Invocation::Run, std::nullopt},
        {{u"--toggle"_s}, Invocation::Run, Request{Request::Toggle}},
        {{u"--reset"_s}, Invocation::Run, Request{Request::Reset}},
        {{u"--show"_s}, Invocation::Run, Request{Request::Show}},
        {{u"25m"_s}, Invocation::Run, start("0", "25", "0")},
        {{u"1h30m"_s}, Invocation::Run, start("1", "30", "0")},
        {{u"90s"_s}, Invocation::Run, start("0", "0", "90")},
        {{u"2H5M7S"_s}, Invocation::Run, start("2", "5", "7")},
        {{u"1:30:00"_s}, Invocation::Run, start("1", "30", "0")},
        {{u"25:00"_s}, Invocation::Run, start("0", "25", "0")},
        {{u"0:00:03"_s}, Invocation::Run, start("0", "0", "3")},
        {{u"25min"_s}, Invocation::Run, start("0", "25", "0")},
        {{u"1h30"_s}, Invocation::Run, start("1", "30", "0")},
        {{u"1m30"_s}, Invocation::Run, start("0", "1", "30")},
        {{u"2.5m"_s}, Invocation::Run, start("0", "2", "30")},
        {{u"1.25h"_s}, Invocation::Run, start("1", "15", "0")},
        {{u"90"_s}, Invocation::Run, start("0", "90", "0")},
        {{u"-session"_s, u"abc"_s, u"--toggle"_s}, Invocation::Run, Request{Request::Toggle}},
        {{u"-style=fusion"_s, u"--platform"_s, u"xcb"_s}, Invocation::Run, std::nullopt},
        {{u"--help"_s}, Invocation::Help, std::nullopt},
        {{u"-h"_s}, Invocation::Help, std::nullopt},
        {{u"--version"_s}, Invocation::Version, std::nullopt},
        {{u"--history"_s}, Invocation::History, std::nullopt},
        {{u"--start"_s}, Invocation::Invalid, std::nullopt},
        {{u"1000"_s}, Invocation::Invalid, std::nullopt},
        {{u"25mins"_s}, Invocation::Invalid, std::nullopt},
        {{u"1.5h30m"_s}, Invocation::Invalid, std::nullopt},
        {{u"2.5s"_s}, Invocation::Invalid, std::nullopt},
        {{u"30m1h"_s}, Invocation::Invalid, std::nullopt},
        {{u"1s5"_s}, Invocation::Invalid, std::nullopt},
        {{u"25x"_s}, Invocation::Invalid, std::nullopt},
        {{u"1000s"_s}, Invocation::Invalid, std::nullopt},
        {{u"-5m"_s}, Invocation::Invalid, std::nullopt},
        {{u"1:2:3:4"_s}, Invocation::Invalid, std::nullopt},
        {{u"h"_s}, Invocation::Invalid, std::nullopt},
        {{u""_s}, Invocation::Invalid, std::nullopt},
        {{u"--toggle"_s, u"25m"_s}, Invocation::Invalid, std::nullopt},
    };
    for (const Case& c : cases) {
        const Invocation got = zorvik::desktop::parseArguments(c.args);
        const std::string name = c.args.join(u' ').toStdString();
        EXPECT_EQ(got.outcome, c.outcome) << name;
        EXPECT_EQ(got.request, c.request) << name;
        EXPECT_EQ(got.problem.isEmpty(), c.outcome != Invocation::Invalid) << name;
    }
}

TEST(CommandLine, RequestLinesTravelWholeAndNothingElseIsARequest) {
    using zorvik::desktop::decodeRequest;
    using zorvik::desktop::encodeRequest;
    for (const Request& r :
         {Request{Request::Show}, Request{Request::Toggle}, Request{Request::Reset},
          Request{Request::Start, u"1"_s, u"30"_s, u"999"_s}}) {
        const QByteArray line = encodeRequest(r);
        ASSERT_TRUE(line.endsWith('\n'));
        EXPECT_EQ(decodeRequest(line.chopped(1)), r) << line.constData();
    }
    for (const QByteArray& junk :
         {QByteArray("start"), QByteArray("start 1:2:3:4"), QByteArray("start 25m; rm -rf ~"),
          QByteArray("quit"), QByteArray("toggle "), QByteArray(200, 'a')})
        EXPECT_FALSE(decodeRequest(junk).has_value()) << junk.constData();
    EXPECT_EQ(zorvik::desktop::decodeReply("ok"), QString());
    const QByteArray refused = zorvik::desktop::encodeReply(u"a run is under way"_s);
    EXPECT_EQ(zorvik::desktop::decodeReply(refused.chopped(1)), u"a run is under way"_s);
}

}  // namespace
