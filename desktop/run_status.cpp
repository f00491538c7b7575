#include "desktop/run_status.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "settings/run_log.h"
#include "timer/engine.h"
#include "timer/run_history.h"

using namespace Qt::StringLiterals;

namespace zorvik::desktop {

RunStatus currentStatus() {
    const TimerCore& c = core();
    RunStatus s{c.state, clockText(), c.mode == RunMode::Countdown};
    s.todaySeconds = secondsCountedToday();
    if (c.runActive()) {
        const double done = s.countdown
                                ? c.elapsedSeconds
                                : c.clockHours * 3600.0 + c.clockMinutes * 60.0 + c.clockSeconds;
        s.fraction = c.totalSeconds > 0 ? std::clamp(done / c.totalSeconds, 0.0, 1.0) : 0.0;
    } else if (c.state == RunState::Ended) {
        s.fraction = 1;
    }
    return s;
}

QString statusText(const RunStatus& s) {
    QString line;
    switch (s.state) {
        case RunState::Idle:
            line = s.shown + u" · 未开始"_s;
            break;
        case RunState::Ended:
            line = s.shown + u" · 时间到"_s;
            break;
        case RunState::Running:
        case RunState::Paused:
            line = (s.countdown ? u"剩余 "_s : u"已计 "_s) + s.shown +
                   (s.state == RunState::Running ? u" · 计时中"_s : u" · 已暂停"_s);
            break;
    }
    return u"ZorvikV1.0\n"_s + line + u"\n今日计时 "_s + durationText(s.todaySeconds);
}

int ringStep(const RunStatus& s) {
    if (s.state == RunState::Idle) return -1;  // the plain dial
    return int(s.fraction * kRingSteps);
}

QIcon progressIcon(int step) {
    constexpr int kSize = 64;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF ring(6, 6, kSize - 12, kSize - 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.drawEllipse(ring);
    p.setPen(QPen(QColor(0x1e, 0x88, 0xe5), 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(ring);
    if (step >= 0) {
        // Clockwise from twelve, as a dial is read.
        p.setPen(QPen(QColor(0xff, 0x8f, 0x00), 10, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(ring, 90 * 16, -int(5760.0 * std::min(step, kRingSteps) / kRingSteps));
    }
    p.setPen(QPen(QColor(0xd8, 0x43, 0x15), 6, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = ring.center();
    p.drawLine(centre, centre - QPointF(0, 18));
    p.drawLine(centre, centre + QPointF(14, 0));
    p.end();
    return QIcon(pixmap);
}

}  // namespace zorvik::desktop
