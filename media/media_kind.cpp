#include "media/media_kind.h"

#include <QWidget>
#include "media/media_player.h"

#include "runtime/control_kinds.h"

namespace rt {

void registerMediaPlayerKind() {
    ControlKind kind;
    kind.visual = false;
    kind.make = [](const QString&, const ControlDesc&, QWidget* host) -> QObject* {
        return new MediaPlayerControl(host);
    };
    kind.windowGoing = [](QObject* control) {
        static_cast<MediaPlayerControl*>(control)->abandon();
    };
    registerControlKind(Kind::MediaPlayer, std::move(kind));
}

}  // namespace rt
