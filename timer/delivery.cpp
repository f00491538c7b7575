#include "timer/delivery.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <deque>

#include "runtime/beep.h"
#include "runtime/commands.h"
#include "runtime/http.h"
#include "runtime/media.h"
#include "runtime/runtime.h"
#include "runtime/speech_service.h"
#include "settings/config.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kPlayer = u"媒体播放1"_s;

// Speech shares one file and one player, so requests are served one at a
// time in the order they came.
class SpeechQueue : public QObject {
public:
    void add(const QString& text) {
        texts_.push_back(text);
        if (!busy_) next();
    }
    int pending() const { return int(texts_.size()) + (busy_ ? 1 : 0); }

private:
    void next() {
        if (texts_.empty()) {
            busy_ = false;
            return;
        }
        busy_ = true;
        const QString text = texts_.front();
        texts_.pop_front();
        fetch(text, /*mayStartService=*/true);
    }

    void fetch(const QString& text, bool mayStartService) {
        const QString base = speechBaseAddress();
        const QString url = base + u"/txt/apiz.php?text="_s +
                            QString::fromLatin1(percentEncodeUtf8(text)) + u"&spd=6"_s;
        rt::httpGetAsync(url, this, [this, text, base, mayStartService](QByteArray body,
                                                                        bool refused) {
            // Nothing listens at the local address yet: start the service
            // that ships beside the program, then ask once more.
            if (refused && mayStartService && base == kDefaultSpeechBase &&
                rt::startLocalSpeechService(rt::kLocalSpeechPort)) {
                fetch(text, false);
                return;
            }
            play(body);
        });
    }

    void play(const QByteArray& body) {
        const QString path = rt::programDirectory() + u"/read.mp3"_s;
        rt::writeFile(path, {body});
        int seconds = 0;
        if (rt::isLoaded(kMainWindow) && rt::mediaOpen(kMainWindow, kPlayer, path)) {
            rt::mediaPlay(kMainWindow, kPlayer, -1);
            seconds = rt::mediaLength(kMainWindow, kPlayer);
        }
        const int waitMs = int((seconds + 0.5) * 1000);
        QTimer::singleShot(waitMs, this, [this, path] {
            rt::deleteFile(path);
            next();
        });
    }

    std::deque<QString> texts_;
    bool busy_ = false;
};

SpeechQueue& speechQueue() {
    static auto* q = new SpeechQueue;  // lives as long as the program
    return *q;
}

void deliverNow(const QString& text) {
    const QString message = text.isEmpty() ? kIntervalMessage : text;
    switch (core().reminderKind) {
        case 0: rt::beep(900, 980); break;
        case 1: rt::showMessageBoxAsync(message, kReminderTitle); break;
        case 2: speakText(message); break;
        case 3:
            speakText(message);
            rt::showMessageBoxAsync(message, kReminderTitle);
            break;
        case 4: {
            const QString path = readSetting(u"计时"_s, u"自定义音频路径"_s);
            if (!path.isEmpty() && QFileInfo::exists(path) &&
                rt::mediaOpen(kMainWindow, kPlayer, path))
                rt::mediaPlay(kMainWindow, kPlayer, -1);
            break;
        }
        default: break;  // 5 and anything else: no reminder
    }
}

void onReminderKindListClosed() {
    const int index =
        rt::getProperty(kMainWindow, u"提醒类型_组合框"_s, rt::slot::ComboSelection).toInt();
    writeSetting(u"计时"_s, u"提醒类型"_s, rt::toText(index));
    rt::setProperty(kMainWindow, u"选择音频_按钮"_s, rt::slot::Visible, index == 4);
}

}  // namespace

void deliverReminder(const QString& text) {
    // Delivered on the next turn of the event loop, never inside the pass
    // that found it due: opening a medium waits, and a pass must not.
    QTimer::singleShot(0, &speechQueue(), [text] { deliverNow(text); });
}

void speakText(const QString& text) { speechQueue().add(text); }

int pendingSpeech() { return speechQueue().pending(); }

QByteArray percentEncodeUtf8(const QString& text) {
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size() * 3);
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : utf8) {
        const auto b = static_cast<unsigned char>(ch);
        out += '%';
        out += hex[b >> 4];
        out += hex[b & 0xF];
    }
    return out;
}

QString speechBaseAddress() {
    const QString configured = readSetting(u"计时"_s, u"语音服务地址"_s).trimmed();
    QString base = configured.isEmpty() ? kDefaultSpeechBase : configured;
    while (base.endsWith(u'/')) base.chop(1);
    return base;
}

void chooseAudioFile() {
    const QString stored = readSetting(u"计时"_s, u"自定义音频路径"_s);
    const QString folder =
        stored.isEmpty() ? rt::programDirectory() : QFileInfo(stored).absolutePath() + u'/';
    const QString dialog = u"通用对话框1"_s;
    rt::setProperty(kMainWindow, dialog, rt::slot::DialogFolder, folder);
    rt::openCommonDialog(kMainWindow, dialog);
    const QString chosen = rt::getProperty(kMainWindow, dialog, rt::slot::DialogFile).toString();
    if (chosen.isEmpty()) return;
    writeSetting(u"计时"_s, u"自定义音频路径"_s, chosen);
    rt::setProperty(kMainWindow, u"选择音频_按钮"_s, rt::slot::ButtonCaption, u"切换音频"_s);
}

void registerDeliveryHandlers() {
    rt::bindAction(u"chooseAudioFile"_s, chooseAudioFile);
    rt::bindAction(u"onReminderKindListClosed"_s, onReminderKindListClosed);
}

}  // namespace zorvik
