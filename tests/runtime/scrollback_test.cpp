#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "runtime/scrollback.h"

namespace {

// One endless line of output: the box keeps its newest 4 MiB, broken into
// lines of at most 1024 characters, and nothing else is lost or changed.
TEST(Scrollback, AnEndlessLineKeepsItsNewestPartInShortLines) {
    QPlainTextEdit box;
    rt::appendToLog(&box, QStringLiteral("first\r\n"));
    QString flood(5 * 1024 * 1024, u'0');
    for (qsizetype i = 0; i < flood.size(); ++i) flood[i] = QChar(char16_t(u'0' + i % 7));
    for (qsizetype at = 0; at < flood.size(); at += 1000 * 1000)
        rt::appendToLog(&box, flood.mid(at, 1000 * 1000));
    rt::appendToLog(&box, QStringLiteral("\r\nlast"));

    const QString shown = box.toPlainText();
    EXPECT_LE(shown.size(), rt::kScrollbackChars);
    EXPECT_FALSE(shown.contains(QStringLiteral("first")));
    const QStringList lines = shown.split(u'\n');
    EXPECT_EQ(lines.last(), QStringLiteral("last"));
    for (const QString& line : lines) ASSERT_LE(line.size(), 1024);
    const QString kept = lines.mid(0, lines.size() - 1).join(QString());
    EXPECT_GT(kept.size(), 4 * 1000 * 1000);
    EXPECT_TRUE(flood.endsWith(kept));
}

}  // namespace
