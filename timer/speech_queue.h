#pragma once
// Speech reminders, one at a time: each text is fetched from the speech
// endpoint (the configured one, or the program's own service), written to
// the speech file, played in the main window's media player and removed,
// before the next is asked for. They share one file and one player, so
// they take turns; nothing of it ever waits inside a handler, every step
// is a continuation on the clock or a signal. Delivery hands it texts;
// the address, the request, the file and the clean-up are its own.

#include <QByteArray>
#include <QString>

#include "media/http.h"

namespace zorvik {

// Queues the speech of a text. Speech never overlaps: each text waits for
// the one before it to be fetched, played and removed; at most three wait,
// a newer one pushing the oldest out.
void speakText(const QString& text);
// Speech requests waiting or under way (tests wait for 0).
int pendingSpeech();
// A reset: speech still waiting is dropped; the clip under way ends normally.
void dropWaitingSpeech();
// The main window is going: everything goes at once, the clip under way
// included, and with it the speech file and the program's own service.
void cancelSpeech();

// The optional key "语音服务地址" of section "计时" ("" when unset: the
// program's own service speaks).
QString configuredSpeechAddress();
// Where each speech clip is written, played from and removed.
QString speechFilePath();
// The text's UTF-8 bytes, each as "%" and two upper-case hex digits.
QByteArray percentEncodeUtf8(const QString& text);
// The request for a text at a service's base address.
QString speechRequestUrl(const QString& base, const QString& text);
// A clip is a 200 answer whose body is audio by its declared type, or by
// its first bytes (MP3), as some services declare nothing useful.
bool isAudioAnswer(const rt::HttpResult& result);

}  // namespace zorvik
