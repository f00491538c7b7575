#pragma once
// The names the program addresses its main window and that window's
// controls by, once. Header only, so that every layer can reach it.

#include <QString>

namespace zorvik {

inline const QString kMainWindow = QStringLiteral("主窗口");

namespace ctl {
inline const QString kTimeDisplay = QStringLiteral("透明标签_时间显示");
inline const QString kStartedAt = QStringLiteral("记录1");
inline const QString kEndedAt = QStringLiteral("记录2");
inline const QString kDivider = QStringLiteral("分隔条1");
inline const QString kHoursBox = QStringLiteral("输入_时");
inline const QString kMinutesBox = QStringLiteral("输入_分");
inline const QString kSecondsBox = QStringLiteral("输入_秒");
inline const QString kClearButton = QStringLiteral("清空");
inline const QString kStayOnTopBox = QStringLiteral("选择框_窗口置顶");
inline const QString kSettingsLabel = QStringLiteral("设置");
inline const QString kStartButton = QStringLiteral("开始");
inline const QString kResetButton = QStringLiteral("重置");
inline const QString kQuitButton = QStringLiteral("按钮_退出");
inline const QString kCountdownChoice = QStringLiteral("倒计时");
inline const QString kCountUpChoice = QStringLiteral("正计时");
inline const QString kReminderKindList = QStringLiteral("提醒类型_组合框");
inline const QString kChooseAudioButton = QStringLiteral("选择音频_按钮");
inline const QString kIntervalBox = QStringLiteral("提醒_编辑框");
inline const QString kFileDialog = QStringLiteral("通用对话框1");
inline const QString kPlayer = QStringLiteral("媒体播放1");
inline const QString kTableToggle = QStringLiteral("自定义提醒_按钮");
inline const QString kCustomRemindersBox = QStringLiteral("启用自定义提醒");
inline const QString kInsertRowButton = QStringLiteral("插入表格_按钮");
inline const QString kDeleteRowButton = QStringLiteral("删除表格_按钮");
inline const QString kCommandSwitch = QStringLiteral("选择框_命令行");
inline const QString kCommandToggle = QStringLiteral("按钮_收起cmd信息");
inline const QString kTable = QStringLiteral("高级表格1");
inline const QString kCommandOutput = QStringLiteral("编辑框_CMD输出");
inline const QString kFooter = QStringLiteral("透明标签4");
inline const QString kHotkeyPoll = QStringLiteral("时钟1");
inline const QString kEndSoundItem = QStringLiteral("结束音");
}  // namespace ctl

}  // namespace zorvik
