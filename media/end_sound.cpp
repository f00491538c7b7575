#include "media/end_sound.h"

#include <QFile>

// Resources in a static library are dropped by the linker unless something
// registers them; this must happen outside any namespace.
static void registerSoundResources() {
    Q_INIT_RESOURCE(resources);
}

namespace rt {

QByteArray endSoundClip() {
    static const QByteArray clip = [] {
        registerSoundResources();
        QFile file(QStringLiteral(":/sounds/end_sound.wav"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return clip;
}

}  // namespace rt
