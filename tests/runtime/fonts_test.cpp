#include <gtest/gtest.h>

#include <QFontMetricsF>

#include "runtime/fonts.h"

namespace {

// A text narrowed for its room gets the widest stretch that fits, from 98
// down to 75; the face itself when it fits already, 75 when nothing does.
TEST(Fonts, NarrowingPicksTheWidestStretchThatFits) {
    const QFont face = rt::makeFont(QString(), 13, false, false);
    for (const QString& text : {QStringLiteral("12.5"), QStringLiteral("88"),
                                QStringLiteral("分钟提醒一次"), QStringLiteral("Zorvik 专注")}) {
        for (bool ink : {false, true}) {
            auto width = [&](const QFont& f) {
                return ink ? rt::inkWidth(f, text) : QFontMetricsF(f).horizontalAdvance(text);
            };
            const qreal full = width(face);
            for (qreal share : {1.2, 1.0, 0.97, 0.9, 0.83, 0.76, 0.5}) {
                const qreal room = full * share;
                const QFont got = rt::narrowedToFit(face, text, room, ink);
                const std::string where = text.toStdString() + " in " + std::to_string(share);
                if (full <= room) {
                    EXPECT_EQ(got, face) << where;
                    continue;
                }
                ASSERT_GE(got.stretch(), 75) << where;
                ASSERT_LE(got.stretch(), 98) << where;
                if (got.stretch() > 75) {
                    EXPECT_LE(width(got), room) << where;
                }
                if (got.stretch() < 98) {
                    QFont wider = face;
                    wider.setStretch(got.stretch() + 1);
                    EXPECT_GT(width(wider), room) << where;
                }
            }
        }
    }
}

}  // namespace
