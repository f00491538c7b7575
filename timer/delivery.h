#pragma once
// Reminder delivery: a due reminder becomes a beep, a message box, speech
// or the user's audio file, according to the reminder type fixed at the
// start of the run. Delivery never holds the engine or the window: every
// kind runs asynchronously on the window thread, and all of it is
// cancelled when the main window goes.

#include <QByteArray>
#include <QString>

namespace zorvik {

inline const QString kIntervalMessage = QStringLiteral("请注意，间隔提醒时间到了！");
inline const QString kReminderTitle = QStringLiteral("时间到！！！！！");

// Hands one reminder over to delivery; returns at once. An empty text
// delivers the interval message.
void deliverReminder(const QString& text);
// Queues the speech of a text. Speech never overlaps: each text waits for
// the one before it to be fetched, played and removed; at most three wait.
void speakText(const QString& text);
// The text's UTF-8 bytes, each as "%" and two upper-case hex digits.
QByteArray percentEncodeUtf8(const QString& text);
// The optional key "语音服务地址" of section "计时" ("" when unset: the
// program's own service speaks).
QString configuredSpeechAddress();
// Where each speech clip is written, played from and removed.
QString speechFilePath();

// Speech requests waiting or under way (tests wait for 0).
int pendingSpeech();
// Everything delivery still has to do: reminders not yet delivered,
// speech, the custom audio file being opened.
int pendingDeliveries();
// A reset: speech still waiting is dropped; the clip under way ends normally.
void dropWaitingSpeech();
// The main window is going: every pending delivery is cancelled, reminder
// boxes close and the speech file is removed.
void cancelDeliveries();

void chooseAudioFile();
void registerDeliveryHandlers();

}  // namespace zorvik
