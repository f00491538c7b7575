#include "media/media.h"

#include <QFileInfo>
#include <QPointer>

#include "media/media_player.h"
#include "runtime/runtime.h"

namespace rt {

namespace {

MediaPlayerControl* findPlayer(const QString& window, const QString& control) {
    return qobject_cast<MediaPlayerControl*>(controlObject(window, control));
}

}  // namespace

void mediaOpen(const QString& window, const QString& control, const QString& file, QObject* context,
               std::function<void(bool)> done) {
    QPointer<QObject> guard(context);
    auto reply = [guard, done = std::move(done)](bool ok) {
        if (guard && done) done(ok);
    };
    if (auto* player = findPlayer(window, control)) {
        player->open(file, std::move(reply));
        return;
    }
    if (context)
        QMetaObject::invokeMethod(
            context, [reply] { reply(false); }, Qt::QueuedConnection);
}

bool mediaPlay(const QString& window, const QString& control, int position) {
    auto* player = findPlayer(window, control);
    return player && player->play(position);
}

int mediaLength(const QString& window, const QString& control) {
    auto* player = findPlayer(window, control);
    return player ? player->lengthSeconds() : 0;
}

void mediaCloseIfOpen(const QString& window, const QString& control, const QString& file) {
    auto* player = findPlayer(window, control);
    if (player && !file.isEmpty() && player->file() == QFileInfo(file).absoluteFilePath())
        player->close();
}

}  // namespace rt
