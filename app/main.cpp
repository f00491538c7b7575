#include <QApplication>

#include "app/program.h"
#include "desktop/desktop.h"
#include "runtime/translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rt::loadQtTranslations();
    // Another copy already runs on these settings (it was asked to show
    // itself), or they could not be kept: the event loop ends by itself.
    if (!zorvik::desktop::settle()) return app.exec();
    zorvik::desktop::integrate();
    return zorvik::startProgram();
}
