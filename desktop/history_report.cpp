#include "desktop/history_report.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include "desktop/command_line.h"
#include "desktop/identity.h"
#include "settings/run_log.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

int printHistory(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    describeApplication();  // the window's own settings folder
    const RunLogSummary& s = runLogSummary();
    const QDate today = QDate::currentDate();
    printOut(u"today      %1\nthis week  %2\nall        %3\n"_s.arg(
        durationText(s.day(today)), durationText(s.week(today)), durationText(s.allSeconds)));
    if (s.skipped > 0)
        printError(u"zorvik: lines that could not be read, left out: %1 (%2)\n"_s.arg(
            QString::number(s.skipped), QDir::toNativeSeparators(runLogPath())));
    return 0;
}

}  // namespace zorvik::desktop
