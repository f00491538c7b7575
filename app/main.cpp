#include <QApplication>
#include <QMessageBox>
#include <cstring>

#include "app/program.h"
#include "desktop/command_line.h"
#include "desktop/desktop.h"
#include "desktop/history_report.h"
#include "runtime/runtime.h"
#include "runtime/translations.h"

using namespace Qt::StringLiterals;
namespace desktop = zorvik::desktop;

namespace {

// A copy that met a programming error ended at once and started this one
// to say so.
int showFatalError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, u"运行时出错!"_s, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool fatalError = argc == 3 && std::strcmp(argv[1], rt::kFatalErrorOption) == 0;
    // Read before any window system is reached: help, the version and a
    // command line that is not understood need no display.
    desktop::Invocation invocation;
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (!fatalError) invocation = desktop::parseArguments(arguments);
    switch (invocation.outcome) {
        case desktop::Invocation::Help:
            desktop::printOut(desktop::usageText());
            return 0;
        case desktop::Invocation::Version:
            desktop::printOut(desktop::versionText());
            return 0;
        case desktop::Invocation::Invalid:
            desktop::printError(u"zorvik: "_s + invocation.problem + u"\n\n"_s +
                                desktop::usageText());
            return 2;
        case desktop::Invocation::History:
            return desktop::printHistory(argc, argv);
        case desktop::Invocation::Run:
            break;
    }
    if (!fatalError && !desktop::displayAvailable(arguments)) {
        // A window system would end this start at once: the running copy,
        // reached without one, may still carry the command out.
        QCoreApplication app(argc, argv);
        return desktop::handOverWithoutDisplay(invocation.request);
    }
    QApplication app(argc, argv);
    rt::loadQtTranslations();
    if (fatalError) return showFatalError(QCoreApplication::arguments().value(2));
    // Another copy already runs on these settings (it was handed the
    // request), or they could not be kept: the event loop ends by itself.
    if (!desktop::settle(invocation.request)) return app.exec();
    desktop::integrate();
    return zorvik::startProgram();
}
