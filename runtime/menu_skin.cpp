#include "runtime/menu_skin.h"

#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include "runtime/fonts.h"

using namespace Qt::StringLiterals;

namespace rt {
namespace {

class MenuArrowStyle : public QProxyStyle {
  public:
    MenuArrowStyle(QColor text, QColor greyed) : text_(text), greyed_(greyed) {}
    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p,
                       const QWidget* w) const override {
        if ((pe != PE_IndicatorArrowRight && pe != PE_IndicatorArrowLeft) ||
            !qobject_cast<const QMenu*>(w)) {
            QProxyStyle::drawPrimitive(pe, opt, p, w);
            return;
        }
        // A solid triangle, four pixels wide, centred in the arrow's box.
        const QPointF c = QRectF(opt->rect).center();
        const qreal dx = pe == PE_IndicatorArrowRight ? 2 : -2;
        const QPointF tip[] = {
            {c.x() - dx, c.y() - 4}, {c.x() + dx, c.y()}, {c.x() - dx, c.y() + 4}};
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(Qt::NoPen);
        p->setBrush(opt->state & State_Enabled ? text_ : greyed_);
        p->drawPolygon(tip, 3);
        p->restore();
    }

  private:
    QColor text_, greyed_;
};

}  // namespace

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
    // A submenu's arrow is the style's own grey unless drawn here, in the
    // skin's text colours.
    if (qobject_cast<QMenu*>(w)) {
        auto* arrows = new MenuArrowStyle(QColor(c[6]), QColor(c[9]));
        arrows->setParent(w);
        w->setStyle(arrows);
    }
    w->setStyleSheet(sheet);
}

}  // namespace rt
