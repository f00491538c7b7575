#pragma once
// Font faces as the windows name them, with fallbacks for systems that
// lack the Windows faces.

#include <QFont>
#include <QStringList>
#include <QVariantMap>

#include "runtime/window_desc.h"

class QPainter;
class QWidget;

namespace rt {

// Families to try for a stored face name; an empty face is the system
// default face. The CJK fallback keeps Chinese text from showing as boxes.
QStringList fontFamiliesFor(const QString& face);
// The system default GUI font as the windows were designed for: a 12 px
// Chinese UI face. Applied once at start-up.
void useDefaultUiFont();
QFont makeFont(const QString& face, int pixelSize, bool bold = false, bool underline = false);
// Applies fontPx, fontFace, bold and underline of a control description.
void applyFont(QWidget* widget, const QVariantMap& props);
// How wide a text's glyphs reach: its advance less the blank that a last
// full-width mark (a Chinese colon or comma) carries after it.
qreal inkWidth(const QFont& font, const QString& text);
// The face, narrowed just enough for the text to fit the room (never below
// narrowest per cent of its width); the face itself when it fits already.
// Ink measures inkWidth; otherwise the whole advance counts.
QFont narrowedToFit(const QFont& face, const QString& text, qreal room, bool ink = true,
                    int narrowest = 75);
// The lines a text breaks into at the given width: at spaces where a
// word fits, anywhere in Chinese text, and inside a word too long for a line.
QStringList wrapLines(const QFont& font, const QString& text, int width);
// A text in a box: one line where it fits, else wrapped, with the pitch
// that packs the lines the box has room for as tightly as the face allows.
QStringList fitLines(const QFont& font, const QString& text, const QRect& box, int* pitch);
// Draws lines one pitch apart, the block placed by the vertical part of
// the alignment and each line by its horizontal part. Designed heights
// assume tight lines: a CJK face's own spacing is far taller.
void drawLines(QPainter& p, const QRect& r, Qt::Alignment align, const QStringList& lines,
               int pitch);

}  // namespace rt
