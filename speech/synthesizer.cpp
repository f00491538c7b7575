#include "speech/synthesizer.h"

#include <espeak-ng/speak_lib.h>

#include <QList>
#include <algorithm>

#include "speech/mp3_encoder.h"

namespace speech {

namespace {

bool isHan(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3134F);
}

// espeak-ng hands audio over in chunks; the request's encoder travels in
// user_data so no global state is needed.
int encodeChunk(short* wav, int count, espeak_EVENT* events) {
    if (wav && count > 0 && events) static_cast<Mp3Encoder*>(events->user_data)->append(wav, count);
    return 0;
}

// A NUL would end the text early and other control bytes have no sound;
// speak them as pauses instead.
QByteArray speakableUtf8(const QString& text) {
    QString clean = text;
    for (QChar& c : clean)
        if (c.unicode() < 0x20) c = u' ';
    return clean.toUtf8();
}

}  // namespace

bool hasChineseCharacters(QStringView text) {
    const QList<uint> codePoints = text.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(),
                       [](uint c) { return isHan(char32_t(c)); });
}

int wordsPerMinute(int speed) {
    // 0 → 110 (slow and clear), 6 → 200, 9 → 245; espeak-ng accepts 80–450.
    return 110 + 15 * std::clamp(speed, 0, 9);
}

Synthesizer::Synthesizer(const QString& dataParent) {
    const QByteArray path = dataParent.toLocal8Bit();
    // DONT_EXIT: without it espeak-ng ends the whole process when its data
    // folder is missing, and we would rather answer with an error.
    sampleRate_ =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 500,
                          path.isEmpty() ? nullptr : path.constData(), espeakINITIALIZE_DONT_EXIT);
    if (sampleRate_ <= 0) return;
    espeak_SetSynthCallback(encodeChunk);
    // Load the larger Mandarin dictionary now, so the first request is quick.
    if (!selectVoice("cmn")) sampleRate_ = 0;
}

Synthesizer::~Synthesizer() {
    if (sampleRate_ > 0) espeak_Terminate();
}

bool Synthesizer::selectVoice(const char* name) {
    if (voice_ == name) return true;
    if (espeak_SetVoiceByName(name) != EE_OK) return false;
    voice_ = name;
    return true;
}

QByteArray Synthesizer::speak(const QString& text, int speed) {
    if (!isReady()) return {};
    if (!selectVoice(hasChineseCharacters(text) ? "cmn" : "en")) return {};
    espeak_SetParameter(espeakRATE, wordsPerMinute(speed), 0);
    const QByteArray utf8 = speakableUtf8(text);
    Mp3Encoder encoder(sampleRate_);
    if (!encoder.isOk()) return {};
    const espeak_ERROR result = espeak_Synth(utf8.constData(), std::size_t(utf8.size()) + 1, 0,
                                             POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &encoder);
    return result == EE_OK ? encoder.finish() : QByteArray();
}

}  // namespace speech
