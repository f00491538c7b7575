#include "settings/config.h"

#include <QFileInfo>

#include "names/main_window.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "settings/hotkey_setting.h"
#include "settings/reminder_table.h"
#include "text/commands.h"
#include "text/profile.h"
#include "text/text_codec.h"

using namespace Qt::StringLiterals;

namespace zorvik {

QString configFilePath;

namespace {

// Defaults are written once per configuration file. When the file still
// cannot be created (a read-only folder), reads answer with the defaults
// instead of empty values, and later writes keep trying.
bool defaultsAttempted = false;

void setContent(const QString& control, const QString& text) {
    rt::setProperty(kMainWindow, control, rt::slot::EditContent, text);
}

void applyReminderKind() {
    const int wanted = rt::toInteger(readSetting(setting::ReminderKind));
    rt::setProperty(kMainWindow, ctl::kReminderKindList, rt::slot::ComboSelection, wanted);
    const int selected =
        rt::getProperty(kMainWindow, ctl::kReminderKindList, rt::slot::ComboSelection).toInt();
    const QString button = ctl::kChooseAudioButton;
    if (selected != 4) {
        rt::setProperty(kMainWindow, button, rt::slot::Visible, false);
        return;
    }
    rt::setProperty(kMainWindow, button, rt::slot::Visible, true);
    const QString path = readSetting(setting::AudioFile);
    if (path.isEmpty()) return;
    rt::setProperty(kMainWindow, button, rt::slot::ButtonCaption,
                    QFileInfo::exists(path) ? u"切换音频"_s : u"请添加音频"_s);
}

}  // namespace

QString defaultSetting(const QString& section, const QString& key) {
    for (const Setting& s : kAllSettings)
        if (section.compare(s.section, Qt::CaseInsensitive) == 0 &&
            key.compare(s.key, Qt::CaseInsensitive) == 0)
            return s.defaultValue.toString();
    return {};
}

void useConfigFile(const QString& path) {
    configFilePath = path;
    defaultsAttempted = false;
}

bool writeSetting(const QString& section, const QString& key, const QString& value) {
    if (configFilePath.isEmpty()) useConfigFile(rt::settingsDirectory() + u"/配置.ini"_s);
    return rt::writeIniEntry(configFilePath, section, key, value);
}

QString readSetting(const QString& section, const QString& key) {
    if (configFilePath.isEmpty()) useConfigFile(rt::settingsDirectory() + u"/配置.ini"_s);
    if (!QFileInfo::exists(configFilePath)) {
        if (!defaultsAttempted) {
            defaultsAttempted = true;
            for (const Setting& s : kAllSettings)
                if (s.inNewFile) writeSetting(s, s.defaultValue.toString());
            // The fresh file gets half a second before the program shows
            // itself, as a blocking pause would give it; nothing waits for it.
            rt::delayFirstShow(kMainWindow, std::chrono::milliseconds(500));
        }
        if (!QFileInfo::exists(configFilePath)) return defaultSetting(section, key);
    }
    return rt::readIniEntry(configFilePath, section, key);
}

bool writeSetting(const Setting& setting, const QString& value) {
    return writeSetting(setting.section.toString(), setting.key.toString(), value);
}

QString readSetting(const Setting& setting) {
    return readSetting(setting.section.toString(), setting.key.toString());
}

void applyTimerSettings() {
    // Read anew: the file may have been edited since it was last read.
    rt::forgetIniFiles();
    rt::setProperty(kMainWindow, ctl::kEndSoundItem, rt::slot::MenuChecked,
                    rt::textToLogical(readSetting(setting::EndSound)));
    setContent(ctl::kHoursBox, readSetting(setting::Hours));
    setContent(ctl::kMinutesBox, readSetting(setting::Minutes));
    setContent(ctl::kSecondsBox, readSetting(setting::Seconds));
    const bool onTop = rt::textToLogical(readSetting(setting::StayOnTop));
    rt::setProperty(kMainWindow, ctl::kStayOnTopBox, rt::slot::Checked, onTop ? 1 : 0);
    rt::setProperty(kMainWindow, kMainWindow, rt::slot::AlwaysOnTop,
                    rt::getProperty(kMainWindow, ctl::kStayOnTopBox, rt::slot::Checked));
    loadStartHotkey();
}

void applyPanelSettings() {
    setContent(ctl::kIntervalBox, readSetting(setting::IntervalMinutes));
    applyReminderKind();
    const bool countdown = readSetting(setting::Mode) == u"倒计时"_s;
    rt::setProperty(kMainWindow, countdown ? ctl::kCountdownChoice : ctl::kCountUpChoice,
                    rt::slot::Checked, 1);
    rt::setProperty(kMainWindow, ctl::kCustomRemindersBox, rt::slot::Checked,
                    rt::textToLogical(readSetting(setting::CustomReminders)) ? 1 : 0);
    const bool commands = rt::textToLogical(readSetting(setting::TableCommands));
    rt::setProperty(kMainWindow, ctl::kCommandSwitch, rt::slot::Checked, commands ? 1 : 0);
    rt::setProperty(kMainWindow, ctl::kCommandToggle, rt::slot::Disabled, !commands);
    loadReminderTable();
}

void applySettings() {
    applyTimerSettings();
    applyPanelSettings();
}

}  // namespace zorvik
