// The main window's panels are shown and hidden by its outer size alone:
// widths 265 (compact), 560 (settings) and 878 (settings and the command
// output), heights 300 and 580 (the reminder table). Which are open is
// kept here as a value; the size follows from it.

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

struct Panels {
    bool settings = false;
    bool table = false;
    bool output = false;        // the command output beside the settings
    bool outputToggle = false;  // its button reads "收起<": the table reopens it
};

Panels panels;

void setCaption(const QString& button, const QString& text) {
    rt::setProperty(kMainWindow, button, rt::slot::ButtonCaption, text);
}
bool ticked(const QString& box) {
    return rt::getProperty(kMainWindow, box, rt::slot::Checked).toBool();
}

// The size that shows exactly the open panels; the height goes first.
void showPanels() {
    rt::setProperty(kMainWindow, kMainWindow, rt::slot::Height, panels.table ? 580 : 300);
    const int width = !panels.settings ? 265 : panels.output ? 878 : 560;
    rt::setProperty(kMainWindow, kMainWindow, rt::slot::Width, width);
}

void closeTable() {
    panels.table = false;
    setCaption(kTableToggle, u"配置↓"_s);
}

void toggleSettingsPanel() {
    if (panels.table) closeTable();
    panels.settings = !panels.settings;
    panels.output = false;  // it opens again from its own button or the table
    showPanels();
    rt::setProperty(kMainWindow, ctl::kSettingsLabel, rt::slot::LabelCaption,
                    panels.settings ? u"设置<"_s : u"设置>"_s);
}

void toggleTablePanel() {
    if (!panels.table) {
        panels.table = true;
        setCaption(kTableToggle, u"配置↑"_s);
        if (panels.outputToggle) panels.output = true;
    } else {
        closeTable();
        panels.output = false;
    }
    showPanels();
}

void toggleCommandPanel() {
    panels.settings = true;  // the switch and its button live in the settings
    if (ticked(ctl::kCommandSwitch) && !panels.output) {
        panels.output = panels.outputToggle = true;
        setCaption(kCommandToggle, u"收起<"_s);
    } else {
        panels.output = panels.outputToggle = false;
        setCaption(kCommandToggle, u"打开>"_s);
    }
    showPanels();
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

void resetPanels() {
    panels = Panels{};
    showPanels();
}

void relayoutMainWindow() {
    const QString footer = ctl::kFooter;
    const int labelWidth = rt::getProperty(kMainWindow, footer, rt::slot::Width).toInt();
    const int width = rt::getProperty(kMainWindow, kMainWindow, rt::slot::Width).toInt();
    rt::setProperty(kMainWindow, footer, rt::slot::Left, int((width - labelWidth) / 2.0));
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
