#pragma once
// Text to MP3: espeak-ng speaks, LAME encodes. espeak-ng keeps global state
// and its synchronous mode is not reentrant, so exactly one Synthesizer may
// exist and it must be used from one thread at a time.

#include <QByteArray>
#include <QString>

namespace speech {

// True when the text holds at least one Han character: then it is read with
// the Mandarin voice, otherwise with the English one.
bool hasChineseCharacters(QStringView text);
// Maps the request's speed 0–9 (6 is a brisk everyday pace) to words per minute.
int wordsPerMinute(int speed);

class Synthesizer {
  public:
    // dataParent: the folder holding "espeak-ng-data", or empty for the
    // library's built-in location.
    explicit Synthesizer(const QString& dataParent = {});
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    bool isReady() const { return sampleRate_ > 0; }
    // The MP3 of the text spoken; empty when synthesis or encoding failed.
    QByteArray speak(const QString& text, int speed);

  private:
    bool selectVoice(const char* name);

    int sampleRate_ = 0;
    QByteArray voice_;
};

}  // namespace speech
