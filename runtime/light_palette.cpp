#include "runtime/light_palette.h"

#include <QApplication>
#include <QPalette>

namespace rt {

void useLightPalette() {
    // Windows' own system colours: each role as it shows, and greyed.
    struct Colour {
        QPalette::ColorRole role;
        QRgb shown, greyed;
    };
    constexpr QRgb face = 0xF0F0F0, black = 0x000000, white = 0xFFFFFF, grey = 0x6D6D6D;
    constexpr Colour colours[] = {
        {QPalette::Window, face, face},
        {QPalette::WindowText, black, grey},
        {QPalette::Base, white, face},
        {QPalette::AlternateBase, 0xF7F7F7, face},
        {QPalette::Text, black, grey},
        {QPalette::PlaceholderText, grey, grey},
        {QPalette::Button, face, face},
        {QPalette::ButtonText, black, grey},
        {QPalette::BrightText, white, white},
        {QPalette::Light, white, white},
        {QPalette::Midlight, 0xE3E3E3, 0xE3E3E3},
        {QPalette::Mid, 0xA0A0A0, 0xA0A0A0},
        {QPalette::Dark, 0xA0A0A0, 0xA0A0A0},
        {QPalette::Shadow, 0x696969, 0x696969},
        {QPalette::Highlight, 0x0078D7, 0xCCCCCC},
        {QPalette::HighlightedText, white, white},
        {QPalette::Link, 0x0066CC, 0x0066CC},
        {QPalette::LinkVisited, 0x800080, 0x800080},
        {QPalette::ToolTipBase, 0xFFFFE1, 0xFFFFE1},
        {QPalette::ToolTipText, black, black},
    };
    QPalette p;
    for (const Colour& c : colours) {
        p.setColor(QPalette::Active, c.role, QColor(c.shown));
        p.setColor(QPalette::Inactive, c.role, QColor(c.shown));
        p.setColor(QPalette::Disabled, c.role, QColor(c.greyed));
    }
    // Every role is set: a theme's palette fills in nothing, not even when
    // the desktop's theme changes while the program runs.
    QApplication::setPalette(p);
}

}  // namespace rt
