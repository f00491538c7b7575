#include "settings/config.h"

#include <QFileInfo>
#include <algorithm>

#include "names/main_window.h"
#include "names/reminder_kinds.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "settings/hotkey_setting.h"
#include "settings/reminder_table.h"
#include "settings/save_failure.h"
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

// Every key of the file in use as the program last read or wrote it: what
// the controls show. While saves fail, reads answer from it and each write
// carries all of it, so the first save that lands leaves the whole state
// in the file, even one that went with its folder.
QList<rt::IniEntry> known;

rt::IniEntry* knownEntry(const QString& section, const QString& key) {
    for (rt::IniEntry& e : known)
        if (e.section.compare(section, Qt::CaseInsensitive) == 0 &&
            e.key.compare(key, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

void remember(const QString& section, const QString& key, const QString& value) {
    if (rt::IniEntry* e = knownEntry(section, key))
        e->value = value;
    else
        known.append({section, key, value});
}

// Where a key goes in a new file: the settings table's order, other keys after.
int rank(const rt::IniEntry& e) {
    int i = 0;
    for (const Setting& s : kAllSettings) {
        if (e.section.compare(s.section, Qt::CaseInsensitive) == 0 &&
            e.key.compare(s.key, Qt::CaseInsensitive) == 0)
            return i;
        ++i;
    }
    return i;
}

// Every key at once, in a new file's order where the file is made anew.
bool saveAllKnown() {
    std::stable_sort(known.begin(), known.end(),
                     [](const auto& a, const auto& b) { return rank(a) < rank(b); });
    return rt::writeIniEntries(configFilePath, known);
}

void setContent(const QString& control, const QString& text) {
    rt::setProperty(kMainWindow, control, rt::slot::EditContent, text);
}

void applyReminderKind() {
    const int wanted = rt::toInteger(readSetting(setting::ReminderKind));
    rt::setProperty(kMainWindow, ctl::kReminderKindList, rt::slot::ComboSelection, wanted);
    const int selected =
        rt::getProperty(kMainWindow, ctl::kReminderKindList, rt::slot::ComboSelection).toInt();
    if (!showAudioButtonFor(selected)) return;
    const QString path = readSetting(setting::AudioFile);
    if (path.isEmpty()) return;
    rt::setProperty(kMainWindow, ctl::kChooseAudioButton, rt::slot::ButtonCaption,
                    QFileInfo::exists(path) ? u"切换音频"_s : u"请添加音频"_s);
}

}  // namespace

bool showAudioButtonFor(int listIndex) {
    const bool shown = kindPlaysAudioFile(reminderKindAt(listIndex));
    rt::setProperty(kMainWindow, ctl::kChooseAudioButton, rt::slot::Visible, shown);
    return shown;
}

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
    known.clear();
}

namespace {

// The key as the file holds it.
QString readStoredSetting(const QString& section, const QString& key) {
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

}  // namespace

bool writeSetting(const QString& section, const QString& key, const QString& value) {
    if (configFilePath.isEmpty()) useConfigFile(rt::settingsDirectory() + u"/配置.ini"_s);
    remember(section, key, value);
    const bool saved = saveFailing(DataFile::Config)
                           ? saveAllKnown()
                           : rt::writeIniEntry(configFilePath, section, key, value);
    noteSave(DataFile::Config, configFilePath, saved);
    return saved;
}

bool saveUnsavedSettings() {
    if (configFilePath.isEmpty() || !saveFailing(DataFile::Config)) return true;
    const bool saved = saveAllKnown();
    noteSave(DataFile::Config, configFilePath, saved);
    return saved;
}

QString readSetting(const QString& section, const QString& key) {
    if (configFilePath.isEmpty()) useConfigFile(rt::settingsDirectory() + u"/配置.ini"_s);
    if (saveFailing(DataFile::Config))
        if (const rt::IniEntry* e = knownEntry(section, key)) return e->value;
    const QString value = readStoredSetting(section, key);
    // Keys of the settings table only: a new file holds those, and no other
    // key is added to the user's file because it was looked up.
    const size_t at = size_t(rank({section, key, {}}));
    if (at < kAllSettings.size() && kAllSettings[at].inNewFile) remember(section, key, value);
    return value;
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
