#pragma once
// Reminder delivery: a due reminder becomes a beep, a message box, speech
// or the user's audio file, according to the reminder type fixed at the
// start of the run. Delivery never holds the engine or the window: every
// kind runs asynchronously on the window thread.

#include <QByteArray>
#include <QString>

namespace zorvik {

inline const QString kIntervalMessage = QStringLiteral("请注意，间隔提醒时间到了！");
inline const QString kReminderTitle = QStringLiteral("时间到！！！！！");
inline const QString kDefaultSpeechBase = QStringLiteral("http://127.0.0.1:17388");

// Hands one reminder over to delivery; returns at once. An empty text
// delivers the interval message.
void deliverReminder(const QString& text);
// Queues the speech of a text. Speech never overlaps: each text waits for
// the one before it to be fetched, played and removed.
void speakText(const QString& text);
// The text's UTF-8 bytes, each as "%" and two upper-case hex digits.
QByteArray percentEncodeUtf8(const QString& text);
// The speech endpoint's base address: the optional key "语音服务地址" of
// section "计时", or the local service.
QString speechBaseAddress();
// Speech requests queued or under way (tests wait for 0).
int pendingSpeech();

void chooseAudioFile();
void registerDeliveryHandlers();

}  // namespace zorvik
