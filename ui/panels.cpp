// The main window's panels are shown and hidden by its outer size alone:
// widths 265, 560 and 878, heights 300 and 580.

#include "ui/panels.h"

#include "names/main_window.h"
#include "runtime/runtime.h"
#include "settings/config.h"
#include "text/commands.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kCommandToggle = ctl::kCommandToggle;
const QString kTableToggle = ctl::kTableToggle;

int width() {
    return rt::getProperty(kMainWindow, kMainWindow, rt::slot::Width).toInt();
}
int height() {
    return rt::getProperty(kMainWindow, kMainWindow, rt::slot::Height).toInt();
}
void setWidth(int w) {
    rt::setProperty(kMainWindow, kMainWindow, rt::slot::Width, w);
}
void setHeight(int h) {
    rt::setProperty(kMainWindow, kMainWindow, rt::slot::Height, h);
}
QString caption(const QString& button) {
    return rt::getProperty(kMainWindow, button, rt::slot::ButtonCaption).toString();
}
void setCaption(const QString& button, const QString& text) {
    rt::setProperty(kMainWindow, button, rt::slot::ButtonCaption, text);
}
bool ticked(const QString& box) {
    return rt::getProperty(kMainWindow, box, rt::slot::Checked).toBool();
}

void toggleSettingsPanel() {
    if (height() == 580) {
        setHeight(300);
        setCaption(kTableToggle, u"配置↓"_s);
    }
    const bool open = width() == 265;
    setWidth(open ? 560 : 265);
    rt::setProperty(kMainWindow, ctl::kSettingsLabel, rt::slot::LabelCaption,
                    open ? u"设置<"_s : u"设置>"_s);
}

void toggleTablePanel() {
    if (height() == 300) {
        setHeight(580);
        setCaption(kTableToggle, u"配置↑"_s);
        if (caption(kCommandToggle) == u"收起<"_s) setWidth(878);
    } else {
        setHeight(300);
        setCaption(kTableToggle, u"配置↓"_s);
        if (width() >= 878) setWidth(560);
    }
}

void toggleCommandPanel() {
    if (ticked(ctl::kCommandSwitch) && width() < 878) {
        setWidth(878);
        setCaption(kCommandToggle, u"收起<"_s);
    } else {
        setWidth(560);
        setCaption(kCommandToggle, u"打开>"_s);
    }
}

void commandSwitchClicked() {
    const bool on = ticked(ctl::kCommandSwitch);
    writeSetting(setting::TableCommands, rt::toText(on));
    toggleCommandPanel();
    rt::setProperty(kMainWindow, kCommandToggle, rt::slot::Disabled, !on);
}

void stayOnTopClicked() {
    const bool on = ticked(ctl::kStayOnTopBox);
    writeSetting(setting::StayOnTop, rt::toText(on));
    rt::setProperty(kMainWindow, kMainWindow, rt::slot::AlwaysOnTop, on);
}

}  // namespace

void relayoutMainWindow() {
    const QString footer = ctl::kFooter;
    const int labelWidth = rt::getProperty(kMainWindow, footer, rt::slot::Width).toInt();
    rt::setProperty(kMainWindow, footer, rt::slot::Left, int((width() - labelWidth) / 2.0));
    rt::setProperty(kMainWindow, ctl::kDivider, rt::slot::Width, rt::clientWidth(kMainWindow));
}

void registerPanelHandlers() {
    rt::bindHandler(u"onSettingsLabelPressed"_s, [](const QVariantList&) {
        toggleSettingsPanel();
        return QVariant();
    });
    rt::bindAction(u"onTablePanelToggle"_s, toggleTablePanel);
    rt::bindAction(u"onCommandPanelToggle"_s, toggleCommandPanel);
    rt::bindAction(u"onCommandSwitchClicked"_s, commandSwitchClicked);
    rt::bindAction(u"onStayOnTopClicked"_s, stayOnTopClicked);
    rt::bindAction(u"onMainWindowResized"_s, relayoutMainWindow);
}

}  // namespace zorvik
