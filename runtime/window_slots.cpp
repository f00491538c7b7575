// Property slots of windows, menu items and the non-visual controls
// (common dialog, timer).

#include <QAction>
#include <QTimer>

#include "runtime/controls.h"
#include "runtime/window_host.h"

using namespace Qt::StringLiterals;

namespace rt::detail {

QVariant getWindowSlot(WindowInstance* w, int s) {
    HostWindow* h = w->host;
    switch (s) {
        case slot::Left:
            return h->outerPos().x();
        case slot::Top:
            return h->outerPos().y();
        case slot::Width:
            return h->outerSize().width();
        case slot::Height:
            return h->outerSize().height();
        case slot::Visible:
            return h->isVisible();
        case slot::Disabled:
            return !h->isEnabled();
        case slot::WindowCaption:
            return h->windowTitle();
        case slot::AlwaysOnTop:
            return w->alwaysOnTop;
        default:
            return {};
    }
}

void setWindowSlot(WindowInstance* w, int s, const QVariant& v) {
    HostWindow* h = w->host;
    switch (s) {
        case slot::Left:
            h->setOuterPos({v.toInt(), h->outerPos().y()});
            break;
        case slot::Top:
            h->setOuterPos({h->outerPos().x(), v.toInt()});
            break;
        case slot::Width:
            h->setOuterSize({v.toInt(), h->outerSize().height()});
            break;
        case slot::Height:
            h->setOuterSize({h->outerSize().width(), v.toInt()});
            break;
        case slot::Visible:
            h->setVisible(v.toBool());
            break;
        case slot::Disabled:
            h->setEnabled(!v.toBool());
            break;
        case slot::WindowCaption:
            h->setWindowTitle(v.toString());
            break;
        case slot::AlwaysOnTop: {
            w->alwaysOnTop = v.toBool();
            h->setAlwaysOnTop(w->alwaysOnTop);
            // Leaving the topmost band must not take the program's other
            // topmost windows out of it.
            if (!w->alwaysOnTop)
                for (WindowInstance* other : loadedWindows())
                    if (other != w && other->alwaysOnTop && other->host) other->host->raise();
            break;
        }
        default:
            break;
    }
}

QVariant getMenuItemSlot(ControlEntry* c, int s) {
    QAction* a = c->action;
    if (!a) return {};
    switch (s) {
        case slot::MenuCaption:
            return a->text();
        case slot::MenuChecked:
            return a->isChecked();
        case slot::MenuDisabled:
            return !a->isEnabled();
        case slot::MenuVisible:
            return a->isVisible();
        default:
            return {};
    }
}

void setMenuItemSlot(ControlEntry* c, int s, const QVariant& v) {
    QAction* a = c->action;
    if (!a) return;
    QSignalBlocker block(a);
    switch (s) {
        case slot::MenuCaption:
            a->setText(v.toString());
            break;
        case slot::MenuChecked:
            a->setChecked(v.toBool());
            break;
        case slot::MenuDisabled:
            a->setEnabled(!v.toBool());
            break;
        case slot::MenuVisible:
            a->setVisible(v.toBool());
            break;
        default:
            break;
    }
}

QVariant getNonVisualSlot(ControlEntry* c, int s) {
    if (auto* d = qobject_cast<CommonDialogControl*>(c->obj)) {
        switch (s) {
            case slot::DialogType:
                return d->type;
            case slot::DialogTitle:
                return d->title;
            case slot::DialogFile:
                return d->fileName;
            case slot::DialogFilter:
                return d->filter;
            case slot::DialogFolder:
                return d->initialFolder;
            default:
                break;
        }
    }
    if (auto* t = qobject_cast<QTimer*>(c->obj); t && s == slot::TimerPeriod)
        return t->isActive() ? t->interval() : 0;
    if (s == slot::Tag) return c->tag;
    return {};
}

void setNonVisualSlot(ControlEntry* c, int s, const QVariant& v) {
    if (auto* d = qobject_cast<CommonDialogControl*>(c->obj)) {
        switch (s) {
            case slot::DialogType:
                d->type = std::clamp(v.toInt(), 0, 3);
                return;
            case slot::DialogTitle:
                d->title = v.toString();
                return;
            case slot::DialogFile:
                d->fileName = v.toString();
                return;
            case slot::DialogFilter: {
                QString f = v.toString();
                if (!f.endsWith(u"||"_s)) f += u"||"_s;
                d->filter = f;
                return;
            }
            case slot::DialogFolder:
                d->initialFolder = v.toString();
                return;
            default:
                break;
        }
    }
    if (auto* t = qobject_cast<QTimer*>(c->obj); t && s == slot::TimerPeriod) {
        if (v.toInt() > 0)
            t->start(v.toInt());
        else
            t->stop();
        return;
    }
    if (s == slot::Tag) c->tag = v.toString();
}

}  // namespace rt::detail
