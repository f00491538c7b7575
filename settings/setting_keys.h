#pragma once
// Every key of "配置.ini", once: its section, its name, the value a new
// file receives and what kind of value it holds. Code reads and writes
// settings through these, never through spelt-out names.

#include <QStringView>
#include <array>

#include "names/reminder_kinds.h"

namespace zorvik {

struct Setting {
    enum class Kind { Number, Text, Logical };  // Logical: "真" / "假"
    QStringView section;
    QStringView key;
    QStringView defaultValue;
    Kind kind;
    // Written to a new file with the others; an optional key is read only.
    bool inNewFile = true;
};

namespace setting {
using K = Setting::Kind;
inline constexpr Setting Hours{u"计时", u"时", u"0", K::Number};
inline constexpr Setting Minutes{u"计时", u"分", u"5", K::Number};
inline constexpr Setting Seconds{u"计时", u"秒", u"15", K::Number};
inline constexpr Setting Mode{u"计时", u"模式选择", u"倒计时", K::Text};  // 倒计时 / 正计时
inline constexpr Setting ReminderKind{u"计时", u"提醒类型", kDefaultStoredKind, K::Number};
inline constexpr Setting IntervalMinutes{u"计时", u"间隔提醒时间", u"1", K::Number};
inline constexpr Setting AudioFile{u"计时", u"自定义音频路径", u"", K::Text};
inline constexpr Setting StayOnTop{u"计时", u"窗口置顶", u"假", K::Logical};
inline constexpr Setting EndSound{u"计时", u"最终结束音", u"真", K::Logical};
inline constexpr Setting CustomReminders{u"自定义提醒", u"启用自定义提醒", u"假", K::Logical};
inline constexpr Setting TableCommands{u"自定义提醒", u"启用CMD命令", u"假", K::Logical};
inline constexpr Setting StartHotkey{u"热键配置", u"开始", u"", K::Number};
inline constexpr Setting SpeechAddress{u"计时", u"语音服务地址", u"", K::Text, false};
}  // namespace setting

// In the order a new file receives them.
inline constexpr std::array kAllSettings = {
    setting::Hours,         setting::Minutes,         setting::Seconds,       setting::Mode,
    setting::ReminderKind,  setting::IntervalMinutes, setting::AudioFile,     setting::StayOnTop,
    setting::EndSound,      setting::CustomReminders, setting::TableCommands, setting::StartHotkey,
    setting::SpeechAddress,
};

}  // namespace zorvik
