// The time display while a run counts: it changes at the due second, not
// before, and each pass repaints the display's own rectangle and nothing
// beyond it.

#include <QPaintEvent>
#include <QWidget>

#include "common/program_fixture.h"

using namespace std::chrono_literals;

namespace zorvik::testing {
namespace {

// Every paint of the main window's widgets, as a rectangle of the window.
class PaintLog : public QObject {
  public:
    QList<QRect> painted;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(watched);
        if (e->type() == QEvent::Paint && w && w->window() == rt::windowWidget(kMain)) {
            const QRect r = static_cast<QPaintEvent*>(e)->rect();
            painted.append(r.translated(w->mapTo(w->window(), QPoint())));
        }
        return false;
    }
};

using DisplayTest = ProgramTest;

TEST_F(DisplayTest, EachDueSecondRepaintsTheDisplayAndNothingElse) {
    loadMain();
    for (auto [box, value] :
         {std::pair{u"输入_时"_s, u"0"_s}, {u"输入_分"_s, u"0"_s}, {u"输入_秒"_s, u"3"_s}})
        rt::setProperty(kMain, box, rt::slot::EditContent, value);
    press(kMain, u"开始"_s);
    auto* display = qobject_cast<QWidget*>(rt::controlObject(kMain, u"透明标签_时间显示"_s));
    const QRect area(display->mapTo(display->window(), QPoint()), display->size());
    PaintLog log;
    qApp->installEventFilter(&log);
    QTest::qWait(50);  // what the start itself changed is painted
    for (const QString& shown : {u"00:00:02"_s, u"00:00:01"_s}) {
        log.painted.clear();
        clock.advance(999ms);
        QTest::qWait(20);
        EXPECT_TRUE(log.painted.isEmpty()) << "nothing before the due second";
        clock.advance(1ms);
        EXPECT_EQ(text(kMain, u"透明标签_时间显示"_s, rt::slot::LabelCaption), shown);
        QTRY_VERIFY(!log.painted.isEmpty());
        for (const QRect& r : log.painted)
            EXPECT_TRUE(area.contains(r)) << shown.toStdString() << " painted " << r.x() << ','
                                          << r.y() << ' ' << r.width() << 'x' << r.height();
    }
    qApp->removeEventFilter(&log);
}

}  // namespace
}  // namespace zorvik::testing
