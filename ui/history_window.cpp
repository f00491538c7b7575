#include "ui/history_window.h"

#include <QDate>
#include <QStringList>

#include "runtime/runtime.h"
#include "settings/run_log.h"
#include "timer/engine.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

const QString kHistory = u"计时记录窗口"_s;
const QString kToday = u"今天_标签"_s, kWeek = u"本周_标签"_s, kAll = u"全部_标签"_s;
const QString kRuns = u"记录_编辑框"_s;
const QString kFace = u"Microsoft YaHei UI"_s;

rt::ControlDesc label(const QString& name, int left, int top, int width, const QString& caption) {
    return {name,
            rt::Kind::Label,
            {},
            left,
            top,
            width,
            24,
            caption,
            {{u"fontFace"_s, kFace}, {u"fontPx"_s, 14}, {u"name"_s, name.section(u'_', 0, 0)}},
            {}};
}

QString runText(const LoggedRun& run) {
    const QString end = run.end.toString(
        run.end.date() == run.start.date() ? u"HH:mm:ss"_s : u"yyyy-MM-dd HH:mm:ss"_s);
    return u"%1 – %2  %3  %4  计时 %5 / 设定 %6"_s.arg(
        run.start.toString(u"yyyy-MM-dd HH:mm:ss"_s), end, runModeText(run.countdown),
        runOutcomeText(run.outcome), durationText(run.countedSeconds),
        durationText(run.setSeconds));
}

void showHistory() {
    const RunLogSummary& s = runLogSummary();
    const QDate today = QDate::currentDate();
    const auto caption = [](const QString& control, const QString& text) {
        rt::setProperty(kHistory, control, rt::slot::LabelCaption, text);
    };
    caption(kToday, u"今天："_s + durationText(s.day(today)));
    caption(kWeek, u"本周："_s + durationText(s.week(today)));
    caption(kAll, u"全部："_s + durationText(s.allSeconds));
    QStringList lines;
    for (auto run = s.recent.crbegin(); run != s.recent.crend(); ++run) lines << runText(*run);
    if (lines.isEmpty()) lines << u"还没有计时记录。"_s;
    // A hand-edited line that no longer reads is left out, not fatal.
    if (s.skipped > 0) lines << u"另有 %1 行无法读取，未计入。"_s.arg(s.skipped);
    rt::setProperty(kHistory, kRuns, rt::slot::EditContent, lines.join(u"\r\n"_s));
}

}  // namespace

rt::WindowDesc historyWindowDescription() {
    rt::WindowDesc d;
    d.name = kHistory;
    d.caption = u"ZorvikV1.0——计时记录"_s;
    d.width = 560;
    d.height = 420;
    d.centred = true;
    d.fixedBorder = true;
    d.minimizeButton = true;
    d.maximizeButton = false;
    d.events = {{rt::ev::Created, u"onHistoryWindowCreated"_s}};
    d.controls = {
        label(kToday, 16, 12, 168, u"今天：00:00:00"_s),
        label(kWeek, 184, 12, 168, u"本周：00:00:00"_s),
        label(kAll, 352, 12, 168, u"全部：00:00:00"_s),
        label(u"最近_标签"_s, 16, 44, 300, u"最近的计时（新的在前）："_s),
        {kRuns,
         rt::Kind::EditBox,
         {},
         16,
         72,
         512,
         290,
         {},
         {{u"border"_s, u"single"_s},
          {u"fg"_s, u"#000000"_s},
          {u"bg"_s, u"#FFFFFF"_s},
          {u"multiLine"_s, true},
          {u"vScroll"_s, true},
          {u"input"_s, u"readonly"_s},
          {u"fontFace"_s, kFace},
          {u"fontPx"_s, 14},
          {u"name"_s, u"最近的计时"_s}},
         {}},
    };
    return d;
}

void registerHistoryHandlers() {
    rt::bindAction(u"openHistoryWindow"_s, [] { rt::loadWindow(kHistory); });
    rt::bindAction(u"onHistoryWindowCreated"_s, showHistory);
    // A run that stops has just gone into the file.
    QObject::connect(&runNotifier(), &RunNotifier::runChanged, &runNotifier(), [](RunEvent e) {
        if ((e == RunEvent::Ended || e == RunEvent::Stopped) && rt::isLoaded(kHistory))
            showHistory();
    });
}

}  // namespace zorvik
