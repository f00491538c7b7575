// Turns a window description into widgets and wires their events.

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "runtime/column_indents.h"
#include "runtime/control_kinds.h"
#include "runtime/controls.h"
#include "runtime/fonts.h"
#include "runtime/keys.h"
#include "runtime/line_edit.h"
#include "runtime/menu_skin.h"
#include "runtime/window_host.h"

using namespace Qt::StringLiterals;

namespace rt::detail {
namespace {

// Raises the negative (mouse, focus, key) events of a control before the
// control sees the message; a handler's false stops the message there.
class EventForwarder : public QObject {
  public:
    EventForwarder(WindowInstance* w, QString control, QObject* parent)
        : QObject(parent), window_(w->desc.name), control_(std::move(control)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        int event = 0;
        QVariantList args;
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick: {
                auto* m = static_cast<QMouseEvent*>(e);
                const bool left = m->button() == Qt::LeftButton;
                const bool right = m->button() == Qt::RightButton;
                if (!left && !right) return false;
                if (e->type() == QEvent::MouseButtonPress)
                    event = left ? ev::MouseDown : ev::RightDown;
                else if (e->type() == QEvent::MouseButtonRelease)
                    event = left ? ev::MouseUp : ev::RightUp;
                else
                    event = ev::DoubleClick;
                args = {int(m->position().x()), int(m->position().y()), mouseKeyState(m)};
                break;
            }
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                auto* k = static_cast<QKeyEvent*>(e);
                event = e->type() == QEvent::KeyPress ? ev::KeyDown : ev::KeyUp;
                args = {virtualKeyCode(k), keyStateOf(k)};
                break;
            }
            case QEvent::FocusIn:
                event = ev::FocusIn;
                break;
            case QEvent::FocusOut:
                event = ev::FocusOut;
                break;
            case QEvent::ContextMenu:
                // The Menu key opens the focused control's context menu
                // beside its key press. A control whose key presses go to a
                // handler takes that key as it takes any other: no menu.
                return static_cast<QContextMenuEvent*>(e)->reason() ==
                           QContextMenuEvent::Keyboard &&
                       takesKeys();
            default:
                return QObject::eventFilter(watched, e);
        }
        WindowInstance* w = findWindow(window_);
        ControlEntry* c = findControl(w, control_);
        if (!c || c->desc.events.find(event) == c->desc.events.end()) return false;
        const QVariant r = dispatch(w, c->desc.events, event, args);
        return r.isValid() && r.typeId() == QMetaType::Bool && !r.toBool();
    }

  private:
    bool takesKeys() const {
        ControlEntry* c = findControl(findWindow(window_), control_);
        return c && c->desc.events.find(ev::KeyDown) != c->desc.events.end();
    }
    static int mouseKeyState(const QMouseEvent* m) {
        int s = 0;
        if (m->modifiers() & Qt::ControlModifier) s |= 1;
        if (m->modifiers() & Qt::ShiftModifier) s |= 2;
        if (m->modifiers() & Qt::AltModifier) s |= 4;
        return s;
    }
    QString window_, control_;
};

Qt::Alignment alignmentOf(const QVariantMap& p) {
    const QString a = p.value(u"align"_s).toString();
    if (a == u"center") return Qt::AlignHCenter;
    if (a == u"right") return Qt::AlignRight;
    return Qt::AlignLeft;
}

InputFilter filterOf(const QVariantMap& p) {
    const QString i = p.value(u"input"_s).toString();
    if (i == u"int") return InputFilter::WholeNumber;
    if (i == u"decimal") return InputFilter::DecimalNumber;
    if (i == u"readonly") return InputFilter::ReadOnly;
    return InputFilter::Normal;
}

// Disabled boxes look it, as on Windows: grey text on the button face.
QString editStyle(const QVariantMap& p, const QString& cls) {
    const QString fg = p.value(u"fg"_s, u"#000000"_s).toString();
    const QString bg = p.value(u"bg"_s, u"#FFFFFF"_s).toString();
    const QString border = p.value(u"border"_s, u"single"_s).toString();
    const QString b =
        border == u"sunken" ? u"border: 2px inset #A0A0A0;"_s : u"border: 1px solid #7A7A7A;"_s;
    return u"%1 { color: %2; background: %3; %4 padding: 0px; }"
           u" %1:disabled { color: #6D6D6D; background: #F0F0F0; }"_s.arg(cls, fg, bg, b);
}

QWidget* makeEdit(WindowInstance* w, const QString& name, const ControlDesc& d, QWidget* parent) {
    const QVariantMap& p = d.props;
    const InputFilter filter = filterOf(p);
    auto raise = [win = w->desc.name, name] { raiseEvent(win, name, ev::ContentChanged); };
    if (p.value(u"multiLine"_s).toBool()) {
        auto* e = new TextEdit(parent, filter);
        e->setStyleSheet(editStyle(p, u"QPlainTextEdit"_s));
        e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        e->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        e->setVerticalScrollBarPolicy(p.value(u"vScroll"_s).toBool() ? Qt::ScrollBarAlwaysOn
                                                                     : Qt::ScrollBarAsNeeded);
        e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        e->setPlainText(d.caption);
        if (p.value(u"columnIndents"_s).toBool()) keepColumnIndents(e);
        QObject::connect(e, &QPlainTextEdit::textChanged, e, raise);
        return e;
    }
    auto* e = new LineEdit(parent, filter);
    e->setStyleSheet(editStyle(p, u"QLineEdit"_s));
    e->setAlignment(alignmentOf(p) | Qt::AlignVCenter);
    if (p.contains(u"maxLength"_s)) e->setMaxTyped(p.value(u"maxLength"_s).toInt());
    e->setFitSample(p.value(u"fit"_s).toString());
    e->setProgramText(d.caption);
    QObject::connect(e, &QLineEdit::textEdited, e, raise);
    return e;
}

QWidget* makeLabel(const ControlDesc& d, QWidget* parent) {
    auto* l = new TransparentLabel(parent);
    l->setCaption(d.caption);
    l->setAlignment(alignmentOf(d.props));
    l->setWordWrap(d.props.value(u"wordWrap"_s).toBool());
    if (d.props.contains(u"fg"_s)) l->setTextColour(QColor(d.props.value(u"fg"_s).toString()));
    if (d.props.value(u"cursor"_s).toString() == u"hand") l->setCursor(Qt::PointingHandCursor);
    l->setAnnounced(d.props.value(u"announce"_s).toBool());
    return l;
}

QWidget* makeGroup(const ControlDesc& d, QWidget* parent) {
    auto* g = new QGroupBox(parent);
    // Group boxes are opaque, in their own colour or the button face, so
    // whatever lies below them (the divider) does not show through.
    QPalette pal = g->palette();
    pal.setColor(QPalette::Window, d.props.contains(u"bg"_s)
                                       ? QColor(d.props.value(u"bg"_s).toString())
                                       : pal.color(QPalette::Button));
    g->setPalette(pal);
    g->setAutoFillBackground(true);
    return g;
}

QWidget* makeButtonLike(WindowInstance* w, const QString& name, const ControlDesc& d,
                        QWidget* parent) {
    auto clicked = [win = w->desc.name, name] { raiseEvent(win, name, ev::Clicked); };
    QAbstractButton* b = nullptr;
    if (d.kind == Kind::Button)
        b = new QPushButton(d.caption, parent);
    else if (d.kind == Kind::CheckBox)
        b = new QCheckBox(d.caption, parent);
    else
        b = new QRadioButton(d.caption, parent);
    if (d.kind != Kind::Button) {
        b->setChecked(d.props.value(u"checked"_s).toBool());
        // The designed widths leave little room beside the indicator.
        b->setStyleSheet(u"spacing: 2px;"_s);
    }
    QObject::connect(b, &QAbstractButton::clicked, b, clicked);
    return b;
}

QWidget* makeCombo(WindowInstance* w, const QString& name, const ControlDesc& d, QWidget* parent) {
    auto* c = new ComboBox(parent);
    c->addItems(d.props.value(u"items"_s).toStringList());
    c->setStyleSheet(
        u"QComboBox { background: white; color: black; }"
        u" QComboBox:disabled { background: #F0F0F0; color: #6D6D6D; }"_s);
    c->onListClosed = [win = w->desc.name, name] { raiseEvent(win, name, ev::ListClosed); };
    return c;
}

QObject* makeNonVisual(WindowInstance* w, const QString& name, const ControlDesc& d) {
    QWidget* host = w->host;
    switch (d.kind) {
        case Kind::Timer: {
            auto* t = new QTimer(host);
            t->setTimerType(Qt::PreciseTimer);
            QObject::connect(t, &QTimer::timeout, t,
                             [win = w->desc.name, name] { raiseEvent(win, name, ev::Period); });
            const int period = d.props.value(u"period"_s).toInt();
            if (period > 0) t->start(period);
            return t;
        }
        case Kind::CommonDialog: {
            auto* c = new CommonDialogControl(host);
            c->type = std::clamp(d.props.value(u"dialogType"_s).toInt(), 0, 3);
            c->filter = d.props.value(u"filter"_s).toString();
            return c;
        }
        default:
            if (const ControlKind* k = controlKind(d.kind); k && !k->visual)
                return k->make(w->desc.name, d, host);
            // Every kind a description names is built; one that no library
            // registered is a program that forgot to register it.
            if (d.kind != Kind::MenuBar)
                qFatal("control %s: its kind is not registered", qPrintable(name));
            return new QObject(host);  // the menu bar's skin
    }
}

QWidget* makeWidget(WindowInstance* w, const ControlDesc& d, QWidget* parent) {
    switch (d.kind) {
        case Kind::EditBox:
            return makeEdit(w, d.name, d, parent);
        case Kind::Label:
            return makeLabel(d, parent);
        case Kind::GroupBox:
            return makeGroup(d, parent);
        case Kind::Button:
        case Kind::CheckBox:
        case Kind::RadioButton:
            return makeButtonLike(w, d.name, d, parent);
        case Kind::ComboBox:
            return makeCombo(w, d.name, d, parent);
        case Kind::Separator:
            return new SeparatorBar(parent,
                                    QColor(d.props.value(u"bg"_s, u"#808080"_s).toString()));
        default:
            if (const ControlKind* k = controlKind(d.kind); k && k->visual)
                return qobject_cast<QWidget*>(k->make(w->desc.name, d, parent));
            return nullptr;
    }
}

}  // namespace

// Description order is stacking order, but for a control marked "z" (it
// goes above all others) or "under" another (it goes just below that one).
// Raising each in turn also puts controls built later back in their place.
void stackControls(WindowInstance* w) {
    std::vector<std::pair<const ControlDesc*, QWidget*>> built;
    for (const ControlDesc& d : w->desc.controls)
        if (auto c = w->controls.find(d.name); c != w->controls.end() && c->second.widget)
            built.emplace_back(&d, c->second.widget);
    for (auto [d, widget] : built) widget->raise();
    for (auto [d, widget] : built) {
        if (d->props.value(u"z"_s).toBool()) widget->raise();
        if (ControlEntry* above = findControl(w, d->props.value(u"under"_s).toString());
            above && above->widget)
            widget->stackUnder(above->widget);
    }
}

namespace {

// Whether a control of this kind is a widget. Objects without one cost the
// first paint nothing and are built with the window whatever their place.
bool isWidgetKind(Kind kind) {
    switch (kind) {
        case Kind::Timer:
        case Kind::CommonDialog:
        case Kind::MenuBar:
        case Kind::MenuItem:
            return false;
        default:
            if (const ControlKind* k = controlKind(kind)) return k->visual;
            return true;
    }
}

void buildControl(WindowInstance* w, const ControlDesc& d) {
    ControlEntry entry;
    entry.desc = d;
    QWidget* parent = w->host->client();
    // Only a widget has a parent widget: looking one up for an object would
    // build a parent marked "later" before its time.
    if (!d.parent.isEmpty() && isWidgetKind(d.kind)) {
        ControlEntry* pe = findControl(w, d.parent);
        if (pe && pe->widget) parent = pe->widget;
    }
    if (QWidget* widget = makeWidget(w, d, parent)) {
        widget->setObjectName(d.name);
        widget->setGeometry(d.left, d.top, d.width, d.height);
        applyFont(widget, d.props);
        widget->setEnabled(!d.props.value(u"disabled"_s).toBool());
        widget->setVisible(!d.props.value(u"hidden"_s).toBool());
        widget->installEventFilter(new EventForwarder(w, d.name, widget));
        if (d.props.contains(u"name"_s)) {
            const QString purpose = d.props.value(u"name"_s).toString();
            widget->setAccessibleName(purpose);
            // A combo box on Linux gives its value as its name; its
            // description still says what it is for.
            if (d.kind == Kind::ComboBox) widget->setAccessibleDescription(purpose);
        }
        // Taken when the window is first activated.
        if (d.props.value(u"focus"_s).toBool()) widget->setFocus();
        entry.widget = widget;
        entry.obj = widget;
    } else {
        QObject* obj = makeNonVisual(w, d.name, d);
        obj->setObjectName(d.name);
        entry.obj = obj;
    }
    w->controls[d.name] = std::move(entry);
}

}  // namespace

void buildControls(WindowInstance* w) {
    for (const ControlDesc& d : w->desc.controls) {
        if ((d.props.value(u"later"_s).toBool() || w->later.contains(d.parent)) &&
            isWidgetKind(d.kind))
            w->later << d.name;
        else
            buildControl(w, d);
    }
    stackControls(w);
    if (w->host) w->host->keepFocusOnShownPanels();
}

void buildLaterControls(WindowInstance* w) {
    if (w->later.isEmpty()) return;
    const QStringList names = std::exchange(w->later, {});
    for (const ControlDesc& d : w->desc.controls)
        if (names.contains(d.name)) buildControl(w, d);
    stackControls(w);
    if (w->host) w->host->keepFocusOnShownPanels();
    // A window on its way out only needs the objects, not their settings.
    if (!w->destroying) dispatch(w, w->desc.events, ev::Completed, {});
}

void buildMenu(WindowInstance* w) {
    if (w->desc.menu.empty()) return;
    auto* bar = new QMenuBar(w->host);
    bar->setObjectName(u"menuBar"_s);
    bar->setNativeMenuBar(false);
    applyMenuSkin(bar, w->desc.menuSkin);
    QMenu* level1 = nullptr;
    QMenu* level2 = nullptr;
    for (const MenuItemDesc& m : w->desc.menu) {
        ControlEntry entry;
        entry.desc.name = m.caption;
        entry.desc.kind = Kind::MenuItem;
        entry.desc.events = m.events;
        QAction* action = nullptr;
        if (m.level == 0) {
            level1 = bar->addMenu(m.caption);
            applyMenuSkin(level1, w->desc.menuSkin);
            action = level1->menuAction();
        } else if (m.level == 1 && level1) {
            if (m.submenu) {
                level2 = level1->addMenu(m.caption);
                applyMenuSkin(level2, w->desc.menuSkin);
                action = level2->menuAction();
            } else {
                action = level1->addAction(m.caption);
            }
        } else if (m.level == 2 && level2) {
            action = level2->addAction(m.caption);
        }
        if (!action) continue;
        action->setObjectName(m.caption);
        action->setCheckable(m.checkable);
        const QString win = w->desc.name, name = m.caption;
        QObject::connect(action, &QAction::triggered, action, [action, win, name] {
            // Qt flips a checkable item itself; the logic owns the mark.
            if (action->isCheckable()) {
                QSignalBlocker block(action);
                action->setChecked(!action->isChecked());
            }
            raiseEvent(win, name, ev::Chosen);
        });
        entry.action = action;
        entry.obj = action;
        w->controls[m.caption] = std::move(entry);
    }
    w->host->setMenuBar(bar);
}

}  // namespace rt::detail
