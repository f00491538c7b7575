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
#include "runtime/media_player.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "runtime/speech_service.h"
#include "settings/config.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kPlayer = u"媒体播放1"_s;
// Media pipelines report their end a little after the last sample plays.
constexpr int kEndGraceMs = 500;

// The optional address of someone else's speech service; "" when unset.
QString configuredSpeechAddress() {
    return readSetting(u"计时"_s, u"语音服务地址"_s).trimmed();
}

QString baseAddressFrom(const QString& configured) {
    QString base = configured.isEmpty() ? kDefaultSpeechBase : configured;
    while (base.endsWith(u'/')) base.chop(1);
    return base;
}

rt::MediaPlayerControl* player() {
    return qobject_cast<rt::MediaPlayerControl*>(rt::controlObject(kMainWindow, kPlayer));
}

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
        const QString configured = configuredSpeechAddress();
        const QString url = baseAddressFrom(configured) + u"/txt/apiz.php?text="_s +
                            QString::fromLatin1(percentEncodeUtf8(text)) + u"&spd=6"_s;
        // A configured address is someone else's service; it is never
        // started here.
        const bool ownService = mayStartService && configured.isEmpty();
        rt::httpGetAsync(url, this, [=, this](QByteArray body, bool refused) {
            // Starting the service and opening the medium both wait; they
            // run on a later turn of the loop, not inside the reply's signal.
            QTimer::singleShot(0, this, [=, this] { fetched(text, body, refused && ownService); });
        });
    }

    void fetched(const QString& text, const QByteArray& body, bool startOwnService) {
        // Nothing listens at the local address yet: start the service that
        // ships beside the program, then ask once more.
        if (startOwnService && rt::startLocalSpeechService(rt::kLocalSpeechPort)) {
            fetch(text, false);
            return;
        }
        play(body);
    }

    void play(const QByteArray& body) {
        path_ = rt::scratchDirectory() + u"/read.mp3"_s;
        rt::writeFile(path_, {body});
        int seconds = 0;
        bool playing = false;
        if (rt::isLoaded(kMainWindow) && rt::mediaOpen(kMainWindow, kPlayer, path_)) {
            playing = rt::mediaPlay(kMainWindow, kPlayer, -1);
            seconds = rt::mediaLength(kMainWindow, kPlayer);
        }
        waitForPlayback(seconds, playing);
    }

    // The reminder waits the length in whole seconds plus half a second,
    // which can end before a clip of 1.8 s does; the next speech would then
    // cut it short and the file would go while it plays. So the wait also
    // lasts until the player reports the end, though never past the second
    // the length was truncated from.
    void waitForPlayback(int seconds, bool playing) {
        const int generation = ++generation_;
        minimumPassed_ = false;
        ended_ = !playing;
        if (rt::MediaPlayerControl* p = playing ? player() : nullptr)
            endConnection_ = connect(p, &rt::MediaPlayerControl::finished, this,
                                     [this, generation] { markEnded(generation); });
        QTimer::singleShot(int((seconds + 0.5) * 1000), this, [this, generation] {
            minimumPassed_ = true;
            finishIfDone(generation);
        });
        QTimer::singleShot((seconds + 1) * 1000 + kEndGraceMs, this,
                           [this, generation] { markEnded(generation); });
    }

    void markEnded(int generation) {
        if (generation != generation_) return;
        ended_ = true;
        finishIfDone(generation);
    }

    void finishIfDone(int generation) {
        if (generation != generation_ || !minimumPassed_ || !ended_) return;
        ++generation_;  // late timers of this speech find nothing to do
        disconnect(endConnection_);
        rt::deleteFile(path_);
        next();
    }

    std::deque<QString> texts_;
    bool busy_ = false;
    QString path_;
    int generation_ = 0;
    bool minimumPassed_ = false;
    bool ended_ = false;
    QMetaObject::Connection endConnection_;
};

SpeechQueue& speechQueue() {
    static auto* q = new SpeechQueue;  // lives as long as the program
    return *q;
}

void deliverNow(const QString& text) {
    const QString message = text.isEmpty() ? kIntervalMessage : text;
    switch (core().reminderKind) {
        case 0:
            rt::beep(900, 980);
            break;
        case 1:
            rt::showMessageBoxAsync(message, kReminderTitle);
            break;
        case 2:
            speakText(message);
            break;
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
        default:
            break;  // 5 and anything else: no reminder
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

void speakText(const QString& text) {
    speechQueue().add(text);
}

int pendingSpeech() {
    return speechQueue().pending();
}

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

QString speechBaseAddress() { return baseAddressFrom(configuredSpeechAddress()); }

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
