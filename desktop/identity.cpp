#include "desktop/identity.h"

#include <QApplication>

// Resources of a static library reach the program only when registered,
// outside any namespace.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace zorvik::desktop {

void describeApplication() {
    // A renamed executable keeps finding the same per-user settings.
    QCoreApplication::setApplicationName(QStringLiteral("zorvik"));
    QCoreApplication::setApplicationVersion(QLatin1String(kVersion));
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopId));
}

QIcon applicationIcon() {
    // Every size here goes into each window's icon property on X11; larger
    // ones come from the installed icon theme.
    registerIconResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/zorvik/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace zorvik::desktop
