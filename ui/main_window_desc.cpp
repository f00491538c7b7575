// The main window as data: one row per control, in the order of its
// design tables (timer panel, settings panel, table panel, output panel).

#include "names/main_window.h"
#include "names/reminder_kinds.h"
#include "runtime/runtime.h"
#include "ui/window_descriptions.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

using rt::ControlDesc;
using rt::Kind;

ControlDesc row(const QString& name, Kind kind, const QString& parent, int l, int t, int w, int h,
                const QString& caption = {}, QVariantMap props = {}, rt::EventBindings ev = {}) {
    return ControlDesc{name, kind, parent, l, t, w, h, caption, std::move(props), std::move(ev)};
}

// Time inputs: whole numbers, three characters, the bold-face digits.
QVariantMap timeInput(const QString& unit) {
    return {{u"border"_s, u"sunken"_s},
            {u"align"_s, u"center"_s},
            {u"maxLength"_s, 3},
            {u"input"_s, u"int"_s},
            {u"fontFace"_s, u"@黑体"_s},
            {u"fontPx"_s, 19},
            {u"name"_s, u"输入时长："_s + unit}};
}

QVariantMap group(const QString& bg = {}) {
    return bg.isEmpty() ? QVariantMap{} : QVariantMap{{u"bg"_s, bg}};
}

// A panel closed at start: the first paint does not wait for it.
QVariantMap later(QVariantMap props) {
    props.insert(u"later"_s, true);
    return props;
}

std::vector<ControlDesc> timerPanel() {
    const QString w;  // directly on the window
    return {
        row(u"透明标签_时间显示"_s, Kind::Label, w, 24, 6, 208, 56, u"00:00:00"_s,
            {{u"align"_s, u"center"_s}, {u"fontPx"_s, 49}, {u"bold"_s, true}}),
        row(u"记录1"_s, Kind::Label, w, 27, 60, 205, 12, u"始于："_s, {{u"hidden"_s, true}}),
        // Shown when a run ends: news for a screen reader.
        row(u"记录2"_s, Kind::Label, w, 27, 76, 205, 12, u"终于："_s,
            {{u"hidden"_s, true}, {u"announce"_s, true}}),
        row(u"分隔条1"_s, Kind::Separator, w, 0, 92, 380, 3, {},
            {{u"bg"_s, u"#808080"_s}, {u"disabled"_s, true}}),
        row(u"透明标签1"_s, Kind::Label, w, 16, 113, 32, 27, u"输入时长"_s,
            {{u"align"_s, u"center"_s}, {u"wordWrap"_s, true}}),
        row(u"输入_时"_s, Kind::EditBox, w, 58, 108, 32, 32, u"0"_s, timeInput(u"时"_s),
            {{rt::ev::ContentChanged, u"onHoursChanged"_s}}),
        row(u"透明标签时"_s, Kind::Label, w, 98, 117, 16, 24, u"时"_s,
            {{u"disabled"_s, true}, {u"fontPx"_s, 16}}),
        row(u"输入_分"_s, Kind::EditBox, w, 122, 108, 32, 32, u"0"_s, timeInput(u"分"_s),
            {{rt::ev::ContentChanged, u"onMinutesChanged"_s}}),
        row(u"透明标签分"_s, Kind::Label, w, 162, 117, 16, 24, u"分"_s,
            {{u"disabled"_s, true}, {u"fontPx"_s, 16}}),
        row(u"输入_秒"_s, Kind::EditBox, w, 186, 108, 32, 32, u"0"_s, timeInput(u"秒"_s),
            {{rt::ev::ContentChanged, u"onSecondsChanged"_s}}),
        row(u"透明标签秒"_s, Kind::Label, w, 224, 126, 16, 24, u"秒"_s,
            {{u"disabled"_s, true}, {u"fontPx"_s, 16}}),
        row(u"清空"_s, Kind::Button, w, 16, 150, 96, 37, u"清空输入"_s, {{u"fontPx"_s, 13}},
            {{rt::ev::Clicked, u"onClearInputsClicked"_s}}),
        row(u"选择框_窗口置顶"_s, Kind::CheckBox, w, 130, 160, 72, 16, u"窗口置顶"_s, {},
            {{rt::ev::Clicked, u"onStayOnTopClicked"_s}}),
        row(u"设置"_s, Kind::Label, w, 206, 156, 40, 24, u"设置>"_s,
            {{u"align"_s, u"center"_s},
             {u"underline"_s, true},
             {u"fontPx"_s, 12},
             {u"cursor"_s, u"hand"_s}},
            {{rt::ev::MouseDown, u"onSettingsLabelPressed"_s}}),
        row(u"开始"_s, Kind::Button, w, 16, 197, 120, 40, u"开始"_s, {{u"fontPx"_s, 14}},
            {{rt::ev::Clicked, u"startOrPause"_s}}),
        row(u"重置"_s, Kind::Button, w, 142, 197, 56, 40, u"重置"_s, {},
            {{rt::ev::Clicked, u"onResetClicked"_s}}),
        row(u"按钮_退出"_s, Kind::Button, w, 203, 196, 40, 40, u"退出"_s, {{u"fontPx"_s, 14}},
            {{rt::ev::Clicked, u"onExitClicked"_s}}),
        // The rule under the menu runs across the panels' frames.
        row(u"分隔条2"_s, Kind::Separator, w, 0, -4, 837, 5, {},
            {{u"bg"_s, u"#000000"_s}, {u"disabled"_s, true}, {u"z"_s, true}}),
    };
}

std::vector<ControlDesc> settingsPanel() {
    const QString g1 = u"分组框1"_s, g2 = u"分组框2"_s, g3 = u"分组框3"_s, g5 = u"分组框5"_s;
    return {
        row(g1, Kind::GroupBox, {}, 258, -10, 304, 262, {}, later(group())),
        row(g2, Kind::GroupBox, g1, 14, 9, 270, 62, {}, group()),
        row(u"模式选择"_s, Kind::Label, g2, 10, 14, 70, 16, u"计时模式选择"_s),
        row(u"倒计时"_s, Kind::RadioButton, g2, 21, 38, 57, 16, u"倒计时"_s, {{u"checked"_s, true}},
            {{rt::ev::Clicked, u"onCountdownClicked"_s}}),
        row(u"正计时"_s, Kind::RadioButton, g2, 127, 38, 57, 16, u"正计时"_s, {},
            {{rt::ev::Clicked, u"onCountUpClicked"_s}}),
        row(u"透明标签5"_s, Kind::Label, g1, 24, 87, 77, 16, u"提醒类型："_s),
        row(u"提醒类型_组合框"_s, Kind::ComboBox, g1, 82, 85, 110, 20, {},
            {{u"items"_s, reminderKindCaptions()}, {u"fontPx"_s, 13}, {u"name"_s, u"提醒类型"_s}},
            {{rt::ev::ListClosed, u"onReminderKindListClosed"_s}}),
        row(u"选择音频_按钮"_s, Kind::Button, g1, 196, 84, 68, 22, u"请添加音频"_s,
            {{u"hidden"_s, true}}, {{rt::ev::Clicked, u"chooseAudioFile"_s}}),
        row(g3, Kind::GroupBox, g1, 14, 114, 270, 73, {}, group(u"#ECECEC"_s)),
        row(u"间隔提醒"_s, Kind::Label, g3, 10, 14, 48, 16, u"间隔提醒"_s),
        row(u"透明标签2"_s, Kind::Label, g3, 19, 43, 16, 16, u"每"_s, {{u"align"_s, u"right"_s}}),
        row(u"提醒_编辑框"_s, Kind::EditBox, g3, 38, 39, 28, 24, {},
            {{u"border"_s, u"single"_s},
             {u"align"_s, u"center"_s},
             {u"input"_s, u"decimal"_s},
             {u"fontPx"_s, 13},
             {u"fit"_s, u"12.5"_s},
             {u"name"_s, u"间隔提醒：每几分钟提醒一次"_s}},
            {{rt::ev::ContentChanged, u"onIntervalChanged"_s}}),
        row(u"透明标签3"_s, Kind::Label, g3, 69, 43, 77, 16, u"分钟提醒一次"_s),
        row(u"通用对话框1"_s, Kind::CommonDialog, g3, 0, 0, 0, 0, {},
            {{u"dialogType"_s, 0},
             {u"filter"_s, u"音频文件(*.mp3;*.wav;*.mid)|*.mp3;*.wav;*.mid"_s}}),
        row(u"媒体播放1"_s, Kind::MediaPlayer, g3, 0, 0, 0, 0),
        row(g5, Kind::GroupBox, g1, 14, 186, 270, 70, {}, group(u"#ECECEC"_s)),
        row(u"透明标签6"_s, Kind::Label, g5, 10, 14, 62, 16, u"自定义提醒"_s),
        row(u"自定义提醒_按钮"_s, Kind::Button, g5, 22, 35, 72, 24, u"配置↓"_s, {},
            {{rt::ev::Clicked, u"onTablePanelToggle"_s}}),
        row(u"启用自定义提醒"_s, Kind::CheckBox, g5, 110, 40, 106, 16, u"启用自定义提醒"_s, {},
            {{rt::ev::Clicked, u"onCustomRemindersClicked"_s}}),
    };
}

std::vector<ControlDesc> tablePanel() {
    const QString g4 = u"分组框4"_s, g6 = u"分组框6"_s;
    return {
        // The settings panel's foot overlaps its head; that frame stays whole.
        row(g4, Kind::GroupBox, {}, 0, 244, 560, 272, {},
            later({{u"bg"_s, u"#ECECEC"_s}, {u"under"_s, u"分组框1"_s}})),
        row(g6, Kind::GroupBox, g4, 15, 11, 528, 249, {}, group(u"#ECECEC"_s)),
        row(u"插入表格_按钮"_s, Kind::Button, g6, 17, 17, 88, 24, u"插入一行"_s, {},
            {{rt::ev::Clicked, u"onInsertRowClicked"_s}}),
        row(u"删除表格_按钮"_s, Kind::Button, g6, 118, 17, 88, 24, u"删除一行"_s, {},
            {{rt::ev::Clicked, u"onDeleteRowClicked"_s}}),
        row(u"按钮3"_s, Kind::Button, g6, 219, 17, 56, 24, u"刷新"_s, {},
            {{rt::ev::Clicked, u"onReloadTableClicked"_s}}),
        row(u"按钮2"_s, Kind::Button, g6, 288, 17, 48, 24, u"帮助"_s, {},
            {{rt::ev::Clicked, u"openHelpWindow"_s}}),
        row(u"选择框_命令行"_s, Kind::CheckBox, g6, 378, 21, 66, 16, u"启用CMD"_s, {},
            {{rt::ev::Clicked, u"onCommandSwitchClicked"_s}}),
        row(u"按钮_收起cmd信息"_s, Kind::Button, g6, 449, 17, 48, 24, u"打开>"_s,
            {{u"disabled"_s, true}}, {{rt::ev::Clicked, u"onCommandPanelToggle"_s}}),
        row(u"高级表格1"_s, Kind::Grid, g6, 17, 49, 480, 176, {}, {{u"name"_s, u"自定义提醒"_s}},
            {{rt::ev::CellEdited, u"onGridCellEdited"_s}}),
    };
}

std::vector<ControlDesc> outputPanelAndFooter() {
    return {
        row(u"编辑框_CMD输出"_s, Kind::EditBox, {}, 555, 0, 317, 515, {},
            {{u"border"_s, u"single"_s},
             {u"fg"_s, u"#00FF00"_s},
             {u"bg"_s, u"#000000"_s},
             {u"multiLine"_s, true},
             {u"vScroll"_s, true},
             {u"name"_s, u"CMD输出"_s},
             {u"later"_s, true}}),
        row(u"透明标签4"_s, Kind::Label, {}, 216, 511, 128, 24, u"Zorvik 专注每一分钟"_s,
            {{u"fg"_s, u"#808080"_s}, {u"align"_s, u"center"_s}, {u"fontPx"_s, 12}}),
        // Period 0: the hotkey poll starts only when the key can matter.
        row(u"时钟1"_s, Kind::Timer, {}, 0, 0, 0, 0, {}, {},
            {{rt::ev::Period, u"pollStartHotkey"_s}}),
        row(u"超级菜单1"_s, Kind::MenuBar, {}, 0, 0, 0, 0),
    };
}

}  // namespace

rt::WindowDesc mainWindowDescription() {
    rt::WindowDesc d;
    d.name = kMainWindow;
    d.caption = u"ZorvikV1.0"_s;
    d.left = 50;
    d.top = 50;
    d.width = 878;
    d.height = 580;
    d.centred = true;
    d.events = {{rt::ev::Created, u"onMainWindowCreated"_s},
                {rt::ev::MayClose, u"onMainWindowMayClose"_s},
                {rt::ev::Destroying, u"onMainWindowDestroying"_s},
                {rt::ev::Resized, u"onMainWindowResized"_s},
                {rt::ev::Completed, u"onMainWindowCompleted"_s}};
    for (auto part : {timerPanel(), settingsPanel(), tablePanel(), outputPanelAndFooter()})
        d.controls.insert(d.controls.end(), part.begin(), part.end());
    // The panel regions in client coordinates, and the outer sizes that
    // open them; the footer shows with the table.
    d.panels = {{QRect(0, 0, 258, 241), {}, {}},
                {QRect(258, 0, 305, 253), {560, 878}, {}},
                {QRect(0, 244, 561, 273), {}, {580}},
                {QRect(555, 0, 318, 516), {878}, {}},
                {QRect(0, 511, 878, 25), {}, {580}}};
    d.menu = mainMenu();
    d.menuSkin = mainMenuSkin();
    return d;
}

}  // namespace zorvik
