// Property slots: getProperty and setProperty by window, control and slot.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>

#include "runtime/control_kinds.h"
#include "runtime/controls.h"
#include "runtime/fonts.h"
#include "runtime/line_edit.h"
#include "runtime/window_host.h"

using namespace Qt::StringLiterals;

namespace rt {
namespace {

using detail::ControlEntry;
using detail::getMenuItemSlot;
using detail::getNonVisualSlot;
using detail::setMenuItemSlot;
using detail::setNonVisualSlot;
using detail::WindowInstance;

QColor fromColourRef(int c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
int toColourRef(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QString editText(QWidget* w) {
    if (auto* l = qobject_cast<QLineEdit*>(w)) return l->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
    return {};
}

// The new text is set quietly, then content-changed is raised exactly once.
void setEditText(const QString& window, const QString& control, QWidget* w, const QString& text) {
    if (auto* l = qobject_cast<LineEdit*>(w)) {
        QSignalBlocker block(l);
        l->setProgramText(text);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        QSignalBlocker block(t);
        t->setPlainText(text);
    }
    raiseEvent(window, control, ev::ContentChanged);
}

void setEditFontMember(QWidget* w, int member, const QVariant& v) {
    QFont f = w->font();
    switch (member) {
        case 1:
            f.setWeight(v.toBool() ? QFont::Bold : QFont::Normal);
            break;
        case 2:
            f.setItalic(v.toBool());
            break;
        case 3:
            f.setUnderline(v.toBool());
            break;
        case 4:
            f.setStrikeOut(v.toBool());
            break;
        case 5: {
            const QScreen* s = QGuiApplication::primaryScreen();
            const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
            f.setPixelSize(std::max(1, int(std::lround(v.toDouble() * dpi / 72.0))));
            break;
        }
        case 6: {
            const QByteArray face = v.toString().toLocal8Bit();
            f.setFamilies(
                fontFamiliesFor(face.size() >= 1 && face.size() <= 31 ? v.toString() : u"宋体"_s));
            break;
        }
        default:
            return;
    }
    w->setFont(f);
}

QVariant getKindSlot(ControlEntry* c, int s) {
    QWidget* w = c->widget;
    switch (c->desc.kind) {
        case Kind::EditBox:
            if (s == slot::EditContent) return editText(w);
            if (s == slot::EditFont) return w->font();
            break;
        case Kind::Button:
            if (s == slot::ButtonCaption) return static_cast<QAbstractButton*>(w)->text();
            break;
        case Kind::CheckBox:
        case Kind::RadioButton:
            if (s == slot::CheckCaption) return static_cast<QAbstractButton*>(w)->text();
            if (s == slot::Checked) return static_cast<QAbstractButton*>(w)->isChecked();
            break;
        case Kind::ComboBox:
            if (s == slot::ComboSelection) return static_cast<ComboBox*>(w)->currentIndex();
            break;
        case Kind::Label:
            if (s == slot::LabelCaption) return static_cast<TransparentLabel*>(w)->caption();
            if (s == slot::LabelColour)
                return toColourRef(static_cast<TransparentLabel*>(w)->textColour());
            break;
        default:
            if (const ControlKind* k = controlKind(c->desc.kind); k && k->get) return k->get(w, s);
            break;
    }
    return {};
}

void setChecked(QAbstractButton* b, bool on) {
    // An exclusive radio button cannot be cleared directly.
    const bool exclusive = b->autoExclusive();
    if (!on) b->setAutoExclusive(false);
    b->setChecked(on);
    b->setAutoExclusive(exclusive);
}

void setKindSlot(const QString& window, ControlEntry* c, int s, const QVariant& v, int member) {
    QWidget* w = c->widget;
    switch (c->desc.kind) {
        case Kind::EditBox:
            if (s == slot::EditContent) setEditText(window, c->desc.name, w, v.toString());
            if (s == slot::EditFont) {
                if (member < 0 && v.canConvert<QFont>())
                    w->setFont(v.value<QFont>());
                else
                    setEditFontMember(w, member, v);
            }
            break;
        case Kind::Button:
            if (s == slot::ButtonCaption) static_cast<QAbstractButton*>(w)->setText(v.toString());
            break;
        case Kind::CheckBox:
        case Kind::RadioButton:
            if (s == slot::CheckCaption) static_cast<QAbstractButton*>(w)->setText(v.toString());
            if (s == slot::Checked) setChecked(static_cast<QAbstractButton*>(w), v.toInt() == 1);
            break;
        case Kind::ComboBox:
            if (s == slot::ComboSelection) {
                auto* cb = static_cast<ComboBox*>(w);
                const int n = std::clamp(v.toInt(), -1, cb->count() - 1);
                cb->setCurrentIndex(n);
            }
            break;
        case Kind::Label:
            if (s == slot::LabelCaption)
                static_cast<TransparentLabel*>(w)->setCaption(v.toString());
            if (s == slot::LabelColour)
                static_cast<TransparentLabel*>(w)->setTextColour(fromColourRef(v.toInt()));
            break;
        default:
            if (const ControlKind* k = controlKind(c->desc.kind); k && k->set) k->set(w, s, v);
            break;
    }
}

QVariant getControl(ControlEntry* c, int s) {
    if (c->desc.kind == Kind::MenuItem) return getMenuItemSlot(c, s);
    QWidget* w = c->widget;
    if (!w) return getNonVisualSlot(c, s);
    switch (s) {
        case slot::Left:
            return w->x();
        case slot::Top:
            return w->y();
        case slot::Width:
            return w->width();
        case slot::Height:
            return w->height();
        case slot::Tag:
            return c->tag;
        case slot::Visible:
            return !w->isHidden();
        case slot::Disabled:
            return !w->isEnabled();
        case slot::Cursor:
            return int(w->cursor().shape());
        default:
            return getKindSlot(c, s);
    }
}

void setControl(const QString& window, ControlEntry* c, int s, const QVariant& v, int member) {
    if (c->desc.kind == Kind::MenuItem) return setMenuItemSlot(c, s, v);
    QWidget* w = c->widget;
    if (!w) return setNonVisualSlot(c, s, v);
    switch (s) {
        case slot::Left:
            w->move(v.toInt(), w->y());
            break;
        case slot::Top:
            w->move(w->x(), v.toInt());
            break;
        case slot::Width:
            w->resize(v.toInt(), w->height());
            break;
        case slot::Height:
            w->resize(w->width(), v.toInt());
            break;
        case slot::Tag:
            c->tag = v.toString();
            break;
        case slot::Visible:
            w->setVisible(v.toBool());
            break;
        case slot::Disabled:
            w->setEnabled(!v.toBool());
            break;
        case slot::Cursor:
            break;
        default:
            setKindSlot(window, c, s, v, member);
            break;
    }
}

}  // namespace

QVariant getProperty(const QString& window, const QString& control, int s) {
    QVariant result;
    onGuiThread([&] {
        if (control.isEmpty() || control == window) {
            WindowInstance* w = detail::findWindow(window);
            if (!w) fatalError(9, u"未载入欲访问窗口组件所在的窗口"_s);
            result = detail::getWindowSlot(w, s);
            return;
        }
        result = getControl(detail::requireControl(window, control, false), s);
    });
    return result;
}

void setProperty(const QString& window, const QString& control, int s, const QVariant& value,
                 int member) {
    onGuiThread([&] {
        if (control.isEmpty() || control == window) {
            WindowInstance* w = detail::findWindow(window);
            if (!w) fatalError(10, u"修改组件属性时发现指定窗口尚未载入"_s);
            detail::setWindowSlot(w, s, value);
            return;
        }
        setControl(window, detail::requireControl(window, control, true), s, value, member);
    });
}

}  // namespace rt
