#include "media/media_backend.h"

#include <QtGlobal>

#ifndef Q_OS_WIN
#include <QAudioOutput>
#include <QIODevice>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

#include <gst/gst.h>
#include <QLibrary>

namespace rt::detail {

namespace {

int alive = 0;

// Counts a player out when it is deleted. A child, not a connection to the
// player's destroyed signal: letting go of a player disconnects all of its
// signals, and with them such a connection.
class AliveMark : public QObject {
  public:
    explicit AliveMark(QObject* player) : QObject(player) { ++alive; }
    ~AliveMark() override { --alive; }
};

void silenceAndDelete(QMediaPlayer* p) {
    QObject::disconnect(p, nullptr, p, nullptr);
    // Straight to the null state: no preroll to wait for, as a stop would,
    // and the medium's device is let go at once.
    p->setSource(QUrl());
    for (QIODevice* device : p->findChildren<QIODevice*>()) device->close();
    p->deleteLater();  // this may run inside one of the player's own signals
}

template <typename F>
F* resolved(QLibrary& library, const char* name) {
    return reinterpret_cast<F*>(library.resolve(name));
}

// The first player starts the media framework, which asks every device
// provider GStreamer knows for its devices. The Vulkan one (installed with
// the plugins that play MIDI) loads every Vulkan driver and with them a
// compiler library: some 50 MiB, held for the process's life, for a player
// that only ever plays sound. It is taken out of the registry first.
//
// GStreamer is opened here rather than linked: the media framework loads it
// with the first player anyway, and linked it would be mapped, with its
// GObject stack, into every start (about 1 MiB) for runs that never play a
// file.
void leaveOutUnusedDeviceProviders() {
    static const bool done = [] {
        QLibrary gst(QStringLiteral("gstreamer-1.0"), 0);
        const auto initCheck = resolved<decltype(gst_init_check)>(gst, "gst_init_check");
        const auto registryGet = resolved<decltype(gst_registry_get)>(gst, "gst_registry_get");
        const auto lookup =
            resolved<decltype(gst_registry_lookup_feature)>(gst, "gst_registry_lookup_feature");
        const auto remove =
            resolved<decltype(gst_registry_remove_feature)>(gst, "gst_registry_remove_feature");
        const auto unref = resolved<decltype(gst_object_unref)>(gst, "gst_object_unref");
        if (!initCheck || !registryGet || !lookup || !remove || !unref) return false;
        if (!initCheck(nullptr, nullptr, nullptr)) return false;
        GstRegistry* registry = registryGet();
        if (GstPluginFeature* f = lookup(registry, "vulkandeviceprovider")) {
            remove(registry, f);
            unref(f);
        }
        return true;
    }();
    Q_UNUSED(done);
}

}  // namespace

QMediaPlayer* makeMediaPlayer(QObject* parent) {
    leaveOutUnusedDeviceProviders();
    auto* player = new QMediaPlayer(parent);
    new AliveMark(player);
    // A child of the player, so that it goes after the player is done with it.
    player->setAudioOutput(new QAudioOutput(player));
    return player;
}

void setMediaDevice(QMediaPlayer* player, QIODevice* device, const QUrl& hint) {
    device->setParent(player);
    player->setSourceDevice(device, hint);
}

int mediaPlayersAlive() {
    return alive;
}

bool mediaPlayerSettled(const QMediaPlayer* p) {
    switch (p->mediaStatus()) {
        case QMediaPlayer::NoMedia:
        case QMediaPlayer::InvalidMedia:
        case QMediaPlayer::EndOfMedia:
            return true;
        default:
            return p->hasAudio() || p->error() != QMediaPlayer::NoError;
    }
}

void disposeMediaPlayer(QMediaPlayer* p) {
    p->disconnect();
    p->setParent(nullptr);
    if (mediaPlayerSettled(p)) {
        silenceAndDelete(p);
        return;
    }
    auto whenSettled = [p] {
        if (mediaPlayerSettled(p)) silenceAndDelete(p);
    };
    QObject::connect(p, &QMediaPlayer::hasAudioChanged, p, whenSettled);
    QObject::connect(p, &QMediaPlayer::mediaStatusChanged, p, whenSettled);
    QObject::connect(p, &QMediaPlayer::errorOccurred, p, whenSettled);
    // A pipeline that has connected nothing in this time is not doing so now.
    QTimer::singleShot(10000, p, [p] { p->deleteLater(); });
}

}  // namespace rt::detail
#endif
