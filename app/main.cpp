#include <QApplication>
#include <QMessageBox>

#include "app/program.h"
#include "desktop/desktop.h"
#include "runtime/runtime.h"
#include "runtime/translations.h"

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rt::loadQtTranslations();
    // A copy that met a programming error ended at once and started this
    // one to say so.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String(rt::kFatalErrorOption)) {
        QMessageBox box(QMessageBox::Critical, u"运行时出错!"_s, arguments[2], QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return 1;
    }
    // Another copy already runs on these settings (it was asked to show
    // itself), or they could not be kept: the event loop ends by itself.
    if (!zorvik::desktop::settle()) return app.exec();
    zorvik::desktop::integrate();
    return zorvik::startProgram();
}
