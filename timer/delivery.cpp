#include "timer/delivery.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "media/beep.h"
#include "media/media.h"
#include "names/main_window.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"
#include "settings/config.h"
#include "text/commands.h"
#include "timer/speech_queue.h"
#include "timer/timer_state.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kPlayer = ctl::kPlayer;

// What delivery has started and not finished. Every callback belongs to
// the session, so ending the session drops them all at once.
struct Deliveries {
    QObject* session = nullptr;
    int posted = 0;      // reminders handed over, not yet delivered
    int audioOpens = 0;  // custom audio files being opened
    QList<QPointer<QObject>> boxes;

    QObject* context() {
        if (!session) session = new QObject;
        return session;
    }
};

Deliveries& deliveries() {
    static auto* d = new Deliveries;  // lives as long as the program
    return *d;
}

void playCustomAudio() {
    const QString path = readSetting(setting::AudioFile);
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    Deliveries& d = deliveries();
    ++d.audioOpens;
    rt::mediaOpen(kMainWindow, kPlayer, path, d.context(), [](bool ok) {
        --deliveries().audioOpens;
        if (ok) rt::mediaPlay(kMainWindow, kPlayer, -1);
    });
}

bool stillOpen(const QPointer<QObject>& box) {
    const auto* widget = qobject_cast<QWidget*>(box.data());
    return widget && widget->isVisible();
}

// Boxes left open for hours (a one-second interval) would pile up without
// end; the newest are kept, as the user has not yet seen them.
void showReminderBox(const QString& message) {
    QList<QPointer<QObject>>& boxes = deliveries().boxes;
    boxes.removeIf([](const QPointer<QObject>& box) { return !stillOpen(box); });
    while (boxes.size() >= kMaxReminderBoxes) {
        auto* oldest = qobject_cast<QWidget*>(boxes.takeFirst().data());
        oldest->hide();
        oldest->deleteLater();
    }
    boxes << rt::showMessageBoxAsync(message, kReminderTitle, kMainWindow);
}

void deliverNow(const QString& text) {
    const QString message = text.isEmpty() ? kIntervalMessage : text;
    switch (core().reminderKind) {
        case ReminderKind::Beep:
            rt::beep(900, 980);
            break;
        case ReminderKind::Box:
            showReminderBox(message);
            break;
        case ReminderKind::Speech:
            speakText(message);
            break;
        case ReminderKind::BoxAndSpeech:
            speakText(message);
            showReminderBox(message);
            break;
        case ReminderKind::CustomAudio:
            playCustomAudio();
            break;
        case ReminderKind::Nothing:
            break;
    }
}

void onReminderKindListClosed() {
    const int index =
        rt::getProperty(kMainWindow, ctl::kReminderKindList, rt::slot::ComboSelection).toInt();
    writeSetting(setting::ReminderKind, rt::toText(index));
    showAudioButtonFor(index);
}

}  // namespace

void deliverReminder(const QString& text) {
    // Delivered on the next turn of the event loop, never inside the pass
    // that found it due.
    Deliveries& d = deliveries();
    ++d.posted;
    QTimer::singleShot(0, d.context(), [text] {
        --deliveries().posted;
        deliverNow(text);
    });
}

int pendingDeliveries() {
    const Deliveries& d = deliveries();
    return d.posted + d.audioOpens + pendingSpeech();
}

void cancelDeliveries() {
    Deliveries& d = deliveries();
    delete d.session;
    d.session = nullptr;
    d.posted = d.audioOpens = 0;
    for (const QPointer<QObject>& box : std::as_const(d.boxes)) {
        if (auto* widget = qobject_cast<QWidget*>(box.data())) {
            widget->hide();  // at once, as the program's end would take it
            widget->deleteLater();
        }
    }
    d.boxes.clear();
    cancelSpeech();
}

void chooseAudioFile() {
    const QString stored = readSetting(setting::AudioFile);
    const QString folder =
        stored.isEmpty() ? rt::programDirectory() : QFileInfo(stored).absolutePath() + u'/';
    const QString dialog = ctl::kFileDialog;
    rt::setProperty(kMainWindow, dialog, rt::slot::DialogFolder, folder);
    rt::openCommonDialog(kMainWindow, dialog, [dialog](bool chosen) {
        if (!chosen) return;
        // Stored as the system writes paths (backslashes on Windows); either
        // separator reads back.
        writeSetting(setting::AudioFile,
                     QDir::toNativeSeparators(
                         rt::getProperty(kMainWindow, dialog, rt::slot::DialogFile).toString()));
        rt::setProperty(kMainWindow, ctl::kChooseAudioButton, rt::slot::ButtonCaption,
                        u"切换音频"_s);
    });
}

void registerDeliveryHandlers() {
    rt::bindAction(u"chooseAudioFile"_s, chooseAudioFile);
    rt::bindAction(u"onReminderKindListClosed"_s, onReminderKindListClosed);
}

}  // namespace zorvik
