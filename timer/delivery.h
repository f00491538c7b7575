#pragma once
// Reminder delivery: a due reminder becomes a beep, a message box, speech
// or the user's audio file, according to the reminder type fixed at the
// start of the run. Delivery never holds the engine or the window: every
// kind runs asynchronously on the window thread, and all of it is
// cancelled when the main window goes.

#include <QString>

namespace zorvik {

inline const QString kIntervalMessage = QStringLiteral("请注意，间隔提醒时间到了！");
inline const QString kReminderTitle = QStringLiteral("时间到！！！！！");

// Reminder boxes open at once at most: a screenful. When one more falls
// due, the oldest still open is closed for it.
inline constexpr int kMaxReminderBoxes = 20;

// Hands one reminder over to delivery; returns at once. An empty text
// delivers the interval message.
void deliverReminder(const QString& text);
// Everything delivery still has to do: reminders not yet delivered,
// speech, the custom audio file being opened.
int pendingDeliveries();
// The main window is going: every pending delivery is cancelled, reminder
// boxes close and the speech file is removed.
void cancelDeliveries();

void chooseAudioFile();
void registerDeliveryHandlers();

}  // namespace zorvik
