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

void applyMenuSkin(QWidget* w, const MenuSkin& skin) {
    if (skin.colours.size() < 10) return;
    w->setFont(makeFont(skin.fontFace, skin.fontPx));
    // The stored colours in their order: 0, 1 the blue gradient of an open
    // bar entry; 2, 3 the warm gradient of a highlighted entry; 4 the
    // drop-down's background; 5 the box behind a check mark, left unused
    // because a styled box hides the mark itself; 6 text; 7 the
    // highlight's frame; 8 the drop-down's frame and separators; 9 greyed
    // text. The bar itself takes the stored background.
    const QStringList& c = skin.colours;
    const QString vertical = u"qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 %2)"_s;
    const QString open = vertical.arg(c[0], c[1]);
    const QString lit = vertical.arg(c[2], c[3]);
    QString sheet;
    // The bar is as tall as a Windows menu bar: 20 pixels.
    sheet += u"QMenuBar { background: %1; color: %2; padding: 0px; border: none; }"_s.arg(
        skin.background, c[6]);
    sheet +=
        u"QMenuBar::item { background: transparent; padding: 0px 7px; margin: 0px;"
        u" border: 1px solid transparent; }"_s;
    sheet += u"QMenuBar::item:selected { background: %1; border: 1px solid %2; }"_s.arg(lit, c[7]);
    sheet += u"QMenuBar::item:pressed { background: %1; border: 1px solid %2; }"_s.arg(open, c[8]);
    sheet += u"QMenu { background: %1; color: %2; border: 1px solid %3; padding: 2px; }"_s.arg(
        c[4], c[6], c[8]);
    sheet += u"QMenu::item { padding: 4px 24px 4px 28px; border: 1px solid transparent; }"_s;
    sheet += u"QMenu::item:selected { background: %1; border: 1px solid %2; color: %3; }"_s.arg(
        lit, c[7], c[6]);
    sheet += u"QMenu::item:disabled { color: %1; }"_s.arg(c[9]);
    sheet += u"QMenu::separator { height: 1px; background: %1; margin: 2px 4px; }"_s.arg(c[8]);
    w->setStyleSheet(sheet);
}

qreal inkWidth(const QFont& font, const QString& text) {
    if (text.isEmpty()) return 0;
    const QFontMetricsF fm(font);
    return fm.horizontalAdvance(text) - std::max<qreal>(0, fm.rightBearing(text.back()));
}

QFont narrowedToFit(const QFont& face, const QString& text, qreal room, bool ink) {
    auto width = [&](const QFont& f) {
        return ink ? inkWidth(f, text) : QFontMetricsF(f).horizontalAdvance(text);
    };
    QFont f = face;
    for (int stretch = 98; width(f) > room && stretch >= 75; stretch -= 1) f.setStretch(stretch);
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
