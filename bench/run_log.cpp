// Reading "计时记录.csv" for its totals: a file of 100,000 runs (one in a
// thousand lines damaged) read and summed, target under 100 ms; a look
// when nothing changed (the tray's, once a second); and one run appended
// to that file.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "runtime/runtime.h"
#include "settings/run_log.h"

using namespace Qt::StringLiterals;

namespace {

// Twenty runs a day, going back as far as 100,000 runs reach.
QByteArray runs(int count) {
    QByteArray bytes = "\xEF\xBB\xBF" + zorvik::runLogHeader().toUtf8() + "\r\n";
    const QDateTime first(QDate::currentDate().addDays(-count / 20), QTime(6, 0));
    for (int i = 0; i < count; ++i) {
        if (i % 1000 == 999) {
            bytes += "2024-01-01 08:00:00,damaged\r\n";
            continue;
        }
        const QDateTime start = first.addDays(i / 20).addSecs((i % 20) * 1800);
        const zorvik::LoggedRun run{start,          start.addSecs(1500), 1500,
                                    1500 - i % 300, i % 3 != 0,          zorvik::RunOutcome(i % 3)};
        bytes += zorvik::runLogLine(run) + "\r\n";
    }
    return bytes;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    rt::setProgramDirectory(dir.path());
    const QString path = zorvik::runLogPath();
    const int count = 100000;
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(runs(count)) < 0) return 1;
    }

    std::vector<double> read, cached, append;
    qint64 all = 0;
    qsizetype skipped = 0;
    for (int round = 0; round < 9; ++round) {
        QFile touched(path);  // changed on disk: read again
        if (!touched.open(QIODevice::ReadWrite) ||
            !touched.setFileTime(QDateTime::currentDateTime().addSecs(round + 1),
                                 QFileDevice::FileModificationTime))
            return 1;
        touched.close();
        QElapsedTimer t;
        t.start();
        const zorvik::RunLogSummary& s = zorvik::runLogSummary();
        read.push_back(ms(t));
        all = s.allSeconds;
        skipped = s.skipped;
        t.restart();
        zorvik::runLogSummary();
        cached.push_back(ms(t));
    }
    for (int round = 0; round < 9; ++round) {
        const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
        QElapsedTimer t;
        t.start();
        zorvik::appendRun({now, now, 60, 60, true, zorvik::RunOutcome::Finished});
        append.push_back(ms(t));
    }
    std::printf("runs %d, file %lld bytes, %lld lines skipped, %lld s counted\n", count,
                QFile(path).size(), qlonglong(skipped), qlonglong(all));
    std::printf("%-34s %8.2f ms (target 100)\n", "read and sum, median of 9", median(read));
    std::printf("%-34s %8.3f ms\n", "look with nothing changed", median(cached));
    std::printf("%-34s %8.3f ms\n", "append one run", median(append));
    return 0;
}
