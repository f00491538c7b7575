#pragma once
// The reminder kinds as the list "提醒类型_组合框" offers them. The list's
// items, the index stored under "提醒类型" and the kind delivery acts on
// all come from this one table.

#include <QStringList>
#include <QStringView>
#include <iterator>

namespace zorvik {

enum class ReminderKind { Beep, Box, Speech, BoxAndSpeech, CustomAudio, Nothing };

struct ReminderKindItem {
    ReminderKind kind;
    const char16_t* caption;
};

// In the list's order: an item's index is its place here.
inline constexpr ReminderKindItem kReminderKinds[] = {
    {ReminderKind::Beep, u"嘟嘟声"},
    {ReminderKind::Box, u"消息框提醒"},
    {ReminderKind::Speech, u"AI语音提醒"},
    {ReminderKind::BoxAndSpeech, u"消息框+AI语音"},
    {ReminderKind::CustomAudio, u"自定义的音乐"},
    {ReminderKind::Nothing, u"无提醒"},
};
inline constexpr int kReminderKindCount = int(std::size(kReminderKinds));

// The kind at a list index; anything outside the list reminds by nothing.
constexpr ReminderKind reminderKindAt(int index) {
    return index >= 0 && index < kReminderKindCount ? kReminderKinds[index].kind
                                                    : ReminderKind::Nothing;
}

constexpr int reminderKindIndex(ReminderKind kind) {
    for (int i = 0; i < kReminderKindCount; ++i)
        if (kReminderKinds[i].kind == kind) return i;
    return -1;
}

// What a new "配置.ini" stores under "提醒类型": the beep.
// A view rather than an array: with -fsanitize=undefined, GCC cannot take
// an array variable's length in a constant expression.
inline constexpr QStringView kDefaultStoredKind = u"0";
static_assert(kDefaultStoredKind.size() == 1 &&
              kDefaultStoredKind[0].unicode() - u'0' == reminderKindIndex(ReminderKind::Beep));

inline QStringList reminderKindCaptions() {
    QStringList captions;
    for (const ReminderKindItem& item : kReminderKinds)
        captions << QString::fromUtf16(item.caption);
    return captions;
}

// Only the user's own audio has a file to choose.
constexpr bool kindPlaysAudioFile(ReminderKind kind) {
    return kind == ReminderKind::CustomAudio;
}

}  // namespace zorvik
