#include "settings/config.h"

#include <QFileInfo>
#include <array>

#include "runtime/commands.h"
#include "runtime/profile.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "runtime/text_codec.h"
#include "settings/hotkey_setting.h"
#include "settings/main_window.h"
#include "settings/reminder_table.h"

using namespace Qt::StringLiterals;

namespace zorvik {

QString configFilePath;

namespace {

struct Default {
    const char16_t* section;
    const char16_t* key;
    const char16_t* value;
};

// The twelve keys, in the order a new file receives them.
constexpr std::array<Default, 12> kDefaults = {{
    {u"计时", u"时", u"0"},
    {u"计时", u"分", u"5"},
    {u"计时", u"秒", u"15"},
    {u"计时", u"模式选择", u"倒计时"},
    {u"计时", u"提醒类型", u"0"},
    {u"计时", u"间隔提醒时间", u"1"},
    {u"计时", u"自定义音频路径", u""},
    {u"计时", u"窗口置顶", u"假"},
    {u"计时", u"最终结束音", u"真"},
    {u"自定义提醒", u"启用自定义提醒", u"假"},
    {u"自定义提醒", u"启用CMD命令", u"假"},
    {u"热键配置", u"开始", u""},
}};

// Defaults are written once per configuration file. When the file still
// cannot be created (a read-only folder), reads answer with the defaults
// instead of empty values, and later writes keep trying.
bool defaultsAttempted = false;

void setContent(const QString& control, const QString& text) {
    rt::setProperty(kMainWindow, control, rt::slot::EditContent, text);
}

void applyReminderKind() {
    const int wanted = rt::toInteger(readSetting(u"计时"_s, u"提醒类型"_s));
    rt::setProperty(kMainWindow, u"提醒类型_组合框"_s, rt::slot::ComboSelection, wanted);
    const int selected =
        rt::getProperty(kMainWindow, u"提醒类型_组合框"_s, rt::slot::ComboSelection).toInt();
    const QString button = u"选择音频_按钮"_s;
    if (selected != 4) {
        rt::setProperty(kMainWindow, button, rt::slot::Visible, false);
        return;
    }
    rt::setProperty(kMainWindow, button, rt::slot::Visible, true);
    const QString path = readSetting(u"计时"_s, u"自定义音频路径"_s);
    if (path.isEmpty()) return;
    rt::setProperty(kMainWindow, button, rt::slot::ButtonCaption,
                    QFileInfo::exists(path) ? u"切换音频"_s : u"请添加音频"_s);
}

}  // namespace

QString defaultSetting(const QString& section, const QString& key) {
    for (const Default& d : kDefaults)
        if (section.compare(QString::fromUtf16(d.section), Qt::CaseInsensitive) == 0 &&
            key.compare(QString::fromUtf16(d.key), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(d.value);
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
            for (const Default& d : kDefaults)
                writeSetting(QString::fromUtf16(d.section), QString::fromUtf16(d.key),
                             QString::fromUtf16(d.value));
            // The fresh file gets half a second before the program shows
            // itself, as a blocking pause would give it; nothing waits for it.
            rt::delayFirstShow(kMainWindow, std::chrono::milliseconds(500));
        }
        if (!QFileInfo::exists(configFilePath)) return defaultSetting(section, key);
    }
    return rt::readIniEntry(configFilePath, section, key);
}

void applySettings() {
    // Read anew: the file may have been edited since it was last read.
    rt::forgetIniFiles();
    const QString timing = u"计时"_s;
    rt::setProperty(kMainWindow, u"结束音"_s, rt::slot::MenuChecked,
                    rt::textToLogical(readSetting(timing, u"最终结束音"_s)));
    setContent(u"输入_时"_s, readSetting(timing, u"时"_s));
    setContent(u"输入_分"_s, readSetting(timing, u"分"_s));
    setContent(u"输入_秒"_s, readSetting(timing, u"秒"_s));
    const bool onTop = rt::textToLogical(readSetting(timing, u"窗口置顶"_s));
    rt::setProperty(kMainWindow, u"选择框_窗口置顶"_s, rt::slot::Checked, onTop ? 1 : 0);
    rt::setProperty(kMainWindow, kMainWindow, rt::slot::AlwaysOnTop,
                    rt::getProperty(kMainWindow, u"选择框_窗口置顶"_s, rt::slot::Checked));
    setContent(u"提醒_编辑框"_s, readSetting(timing, u"间隔提醒时间"_s));
    applyReminderKind();
    const bool countdown = readSetting(timing, u"模式选择"_s) == u"倒计时"_s;
    rt::setProperty(kMainWindow, countdown ? u"倒计时"_s : u"正计时"_s, rt::slot::Checked, 1);
    const QString custom = u"自定义提醒"_s;
    rt::setProperty(kMainWindow, u"启用自定义提醒"_s, rt::slot::Checked,
                    rt::textToLogical(readSetting(custom, u"启用自定义提醒"_s)) ? 1 : 0);
    const bool commands = rt::textToLogical(readSetting(custom, u"启用CMD命令"_s));
    rt::setProperty(kMainWindow, u"选择框_命令行"_s, rt::slot::Checked, commands ? 1 : 0);
    rt::setProperty(kMainWindow, u"按钮_收起cmd信息"_s, rt::slot::Disabled, !commands);
    loadReminderTable();
    loadStartHotkey();
}

}  // namespace zorvik
