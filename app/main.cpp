#include <QApplication>

#include "app/program.h"
#include "runtime/translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rt::loadQtTranslations();
    return zorvik::startProgram();
}
