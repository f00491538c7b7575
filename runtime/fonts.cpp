#include "runtime/fonts.h"

#include <QApplication>
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
    // Stored order: gradient light, gradient dark, highlight light,
    // highlight dark, item background, checked background, text,
    // highlighted text, highlight border, disabled text.
    const QStringList& c = skin.colours;
    const QString sheet =
        u"QMenuBar { background: %1; color: %7; }"
        u"QMenuBar::item { background: transparent; padding: 2px 8px; }"
        u"QMenuBar::item:selected { background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 %3, stop:1 %4);"
        u" border: 1px solid %9; color: %8; }"
        u"QMenu { background: %5; color: %7; border: 1px solid %10; }"
        u"QMenu::item { padding: 3px 24px 3px 24px; }"
        u"QMenu::item:selected { background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 %2, stop:1 %6);"
        u" border: 1px solid %9; color: %8; }"
        u"QMenu::item:disabled { color: %10; }"
        u"QMenu::indicator:checked { background: %6; border: 1px solid %9; }"_s;
    w->setStyleSheet(sheet.arg(skin.background, c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9]));
}

}  // namespace rt
