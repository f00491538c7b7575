#include "runtime/fonts.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace rt {

QStringList fontFamiliesFor(const QString& face) {
    static const QString cjk = u"Noto Sans CJK SC"_s;
    if (face.isEmpty()) return QApplication::font().families();
    // "@" asks Windows for the vertical-writing variant of a face; the
    // program only wants its glyphs, so map it to the plain face.
    if (face == u"@黑体"_s || face == u"黑体"_s) return {u"SimHei"_s, u"黑体"_s, cjk};
    if (face == u"宋体"_s) return {u"SimSun"_s, u"宋体"_s, cjk};
    return {face, cjk};
}

void useDefaultUiFont() {
    QFont f = QApplication::font();
    f.setFamilies({u"Microsoft YaHei UI"_s, u"Noto Sans CJK SC"_s, f.family()});
    f.setPixelSize(12);
    QApplication::setFont(f);
}

QFont makeFont(const QString& face, int pixelSize, bool bold, bool underline) {
    QFont f = QApplication::font();
    f.setFamilies(fontFamiliesFor(face));
    f.setPixelSize(pixelSize > 0 ? pixelSize : 12);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

void applyFont(QWidget* widget, const QVariantMap& p) {
    widget->setFont(makeFont(p.value(u"fontFace"_s).toString(), p.value(u"fontPx"_s).toInt(),
                             p.value(u"bold"_s).toBool(), p.value(u"underline"_s).toBool()));
}

qreal inkWidth(const QFont& font, const QString& text) {
    if (text.isEmpty()) return 0;
    const QFontMetricsF fm(font);
    return fm.horizontalAdvance(text) - std::max<qreal>(0, fm.rightBearing(text.back()));
}

QFont narrowedToFit(const QFont& face, const QString& text, qreal room, bool ink, int narrowest) {
    auto width = [&](const QFont& f) {
        return ink ? inkWidth(f, text) : QFontMetricsF(f).horizontalAdvance(text);
    };
    const qreal full = width(face);
    if (full <= room) return face;
    // Every stretch measured is a font engine of its own, built from the
    // face's file, and it stays cached: a width scales with the stretch, so
    // start from the estimate and step only past its rounding. The result
    // is the widest stretch from 98 down to the narrowest that fits, or the
    // narrowest.
    auto fits = [&](int stretch) {
        QFont f = face;
        f.setStretch(stretch);
        return width(f) <= room;
    };
    int stretch = std::clamp(int(100 * room / full), narrowest, 98);
    if (fits(stretch)) {
        while (stretch < 98 && fits(stretch + 1)) ++stretch;
    } else {
        while (stretch > narrowest && !fits(stretch - 1)) --stretch;
        if (stretch > narrowest) --stretch;
    }
    QFont f = face;
    f.setStretch(stretch);
    return f;
}

QStringList wrapLines(const QFont& font, const QString& text, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

QStringList fitLines(const QFont& font, const QString& text, const QRect& box, int* pitch) {
    const QFontMetrics fm(font);
    const int px = font.pixelSize() > 0 ? font.pixelSize() : fm.ascent();
    *pitch = std::clamp(box.height() / std::max(1, box.height() / px), px, fm.height());
    if (fm.horizontalAdvance(text) <= box.width()) return {text};
    return wrapLines(font, text, box.width());
}

void drawLines(QPainter& p, const QRect& r, Qt::Alignment align, const QStringList& lines,
               int pitch) {
    const int block = pitch * int(lines.size());
    int top = r.top();
    if (align & Qt::AlignVCenter)
        top += (r.height() - block) / 2;
    else if (align & Qt::AlignBottom)
        top = r.bottom() + 1 - block;
    const int flags = int(align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine;
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QRect(r.left(), top + i * pitch, r.width(), pitch), flags, lines[i]);
}

}  // namespace rt
