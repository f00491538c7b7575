// What the windows draw, rendered offscreen with the real fonts: every
// caption and the widest value a user can enter fits its control, and the
// main window shows exactly the panels its size opens.

#include <QComboBox>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

#include "common/program_fixture.h"
#include "grid/grid_control.h"
#include "runtime/controls.h"
#include "runtime/fonts.h"
#include "runtime/line_edit.h"
#include "ui/help_window.h"
#include "ui/history_window.h"
#include "ui/hotkey_window.h"
#include "ui/window_descriptions.h"

namespace zorvik::testing {
namespace {

// Other captions the program writes into its controls while it runs.
const std::multimap<QString, QString> kLaterCaptions = {
    {u"开始"_s, u"暂停"_s},
    {u"设置"_s, u"设置<"_s},
    {u"自定义提醒_按钮"_s, u"配置↑"_s},
    {u"按钮_收起cmd信息"_s, u"收起<"_s},
    {u"选择音频_按钮"_s, u"切换音频"_s},
    {u"记录1"_s, u"始于：2028年12月28日23时58分58秒"_s},
    {u"记录2"_s, u"终于：2028年12月28日23时58分58秒"_s},
    {u"透明标签_时间显示"_s, u"88:88:88"_s},
};

int advance(const QFont& f, const QString& text) {
    return int(std::ceil(QFontMetricsF(f).horizontalAdvance(text)));
}

// The columns of a rendering that hold ink darker than the background.
std::pair<int, int> inkColumns(const QImage& img, const QRect& area) {
    int first = -1, last = -1;
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (qGray(img.pixel(x, y)) < 128) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

// A value in an edit box is shown whole: its ink is as wide as the same
// text drawn freely, and lies inside the text rectangle.
void expectEditShows(rt::LineEdit* e, const QString& value, const std::string& where) {
    const QString before = e->text();
    e->clearFocus();  // no cursor in the picture
    e->setProgramText(value);
    const QImage box = e->grab().toImage();
    QImage free(400, 80, QImage::Format_RGB32);
    free.fill(Qt::white);
    QPainter p(&free);
    p.setFont(e->font());
    p.setPen(Qt::black);
    p.drawText(QPoint(20, 50), value);
    p.end();
    const auto [left, right] = inkColumns(box, e->textRect());
    const auto [freeLeft, freeRight] = inkColumns(free, free.rect());
    EXPECT_EQ(right - left, freeRight - freeLeft) << where << " shows " << value.toStdString();
    EXPECT_GE(left, e->textRect().left()) << where;
    EXPECT_LE(right, e->textRect().right()) << where;
    EXPECT_LE(advance(e->font(), value) + 1, e->textRect().width()) << where;
    if (!e->fitSample().isEmpty()) {  // with a pixel to spare on each side
        EXPECT_GT(left, e->textRect().left()) << where;
        EXPECT_LT(right, e->textRect().right()) << where;
    }
    e->setProgramText(before);
}

void expectFits(QWidget* w, const QString& name, const QString& caption) {
    const std::string where = name.toStdString() + " \"" + caption.toStdString() + "\"";
    if (auto* label = qobject_cast<rt::TransparentLabel*>(w)) {
        const QString was = label->caption();
        label->setCaption(caption);
        const QStringList lines = label->lines();
        EXPECT_EQ(lines.join(QString()).remove(u' '), QString(caption).remove(u' ')) << where;
        for (const QString& line : lines)
            EXPECT_LE(rt::inkWidth(label->paintFont(), line), w->width()) << where;
        EXPECT_GE(label->linePitch(), w->font().pixelSize()) << where;
        EXPECT_LE(label->linePitch() * lines.size(), w->height()) << where;
        label->setCaption(was);
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (!button) return;
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = caption;
    const QStyle::SubElement part = qobject_cast<QPushButton*>(w) ? QStyle::SE_PushButtonContents
                                    : qobject_cast<QRadioButton*>(w)
                                        ? QStyle::SE_RadioButtonContents
                                        : QStyle::SE_CheckBoxContents;
    const QRect room = w->style()->subElementRect(part, &opt, w);
    EXPECT_LE(advance(w->font(), caption), room.width()) << where;
    EXPECT_LE(w->font().pixelSize(), room.height()) << where;
}

void expectControlsFit(const rt::WindowDesc& desc) {
    for (const rt::ControlDesc& d : desc.controls) {
        auto* w = qobject_cast<QWidget*>(rt::controlObject(desc.name, d.name));
        if (!w) continue;
        expectFits(w, d.name, d.caption);
        for (auto [it, end] = kLaterCaptions.equal_range(d.name); it != end; ++it)
            expectFits(w, d.name, it->second);
        if (auto* e = qobject_cast<rt::LineEdit*>(w); e && !e->fitSample().isEmpty())
            expectEditShows(e, e->fitSample(), d.name.toStdString());
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox opt;
            opt.initFrom(combo);
            opt.frame = true;
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                               QStyle::SC_ComboBoxEditField, combo);
            for (int i = 0; i < combo->count(); ++i)
                EXPECT_LE(advance(combo->font(), combo->itemText(i)), field.width())
                    << d.name.toStdString() << " " << combo->itemText(i).toStdString();
        }
    }
}

using LayoutTest = ProgramTest;

TEST_F(LayoutTest, EveryCaptionAndEnteredValueFitsItsControl) {
    loadMain();
    expectControlsFit(mainWindowDescription());
    // The menu bar is as tall as on Windows and shows every entry whole.
    auto* bar = rt::windowWidget(kMain)->findChild<QMenuBar*>();
    EXPECT_EQ(bar->height(), 20);
    for (QAction* a : bar->actions()) {
        EXPECT_TRUE(bar->rect().contains(bar->actionGeometry(a))) << a->text().toStdString();
        EXPECT_LE(advance(bar->font(), a->text()), bar->actionGeometry(a).width());
    }
    // Header texts show on one line in the table's face of 20 pixels,
    // narrowed in a narrow column, clear of the lines around their cells.
    auto* grid = qobject_cast<rt::GridControl*>(rt::controlObject(kMain, u"高级表格1"_s));
    for (int c = 0; c < grid->columns(); ++c) {
        const QString text = grid->cellText(0, c);
        const QFont font = rt::fixedRowFont(grid->cellFont(0, c), text, grid->columnWidth(c));
        const QRect room(0, 0, grid->columnWidth(c) - 4, grid->gridRowHeight(0));
        int pitch = 0;
        EXPECT_EQ(rt::fitLines(font, text, room, &pitch), QStringList{text}) << c;
        EXPECT_EQ(font.pixelSize(), 20) << c;
        EXPECT_LE(QFontMetricsF(font).horizontalAdvance(text), room.width()) << c;
        EXPECT_LE(QFontMetricsF(font).tightBoundingRect(text).height(), room.height() - 4) << c;
    }

    menuItem(u"热键"_s)->trigger();
    expectControlsFit(hotkeyWindowDescription());
    auto* field = qobject_cast<rt::LineEdit*>(rt::controlObject(kHotkey, u"编辑框_开始运行"_s));
    for (int code = 0; code < 256; ++code)
        if (!keyDisplayName(code).isEmpty()) expectEditShows(field, keyDisplayName(code), "hotkey");
    menuItem(u"关于"_s)->trigger();
    expectControlsFit(helpWindowDescription());
    menuItem(u"计时记录"_s)->trigger();
    expectControlsFit(historyWindowDescription());
}

// The controls that make up each panel but the always-open timer panel.
const std::map<QString, QStringList> kPanels = {
    {u"settings"_s, {u"分组框1"_s}},
    {u"table"_s, {u"分组框4"_s, u"透明标签4"_s}},
    {u"output"_s, {u"编辑框_CMD输出"_s}},
};

TEST_F(LayoutTest, ClientAreaShowsExactlyThePanelsOfItsSize) {
    loadMain();
    const struct {
        int width, height;
        QStringList open;
    } states[] = {{265, 300, {}},
                  {560, 300, {u"settings"_s}},
                  {560, 580, {u"settings"_s, u"table"_s}},
                  {878, 580, {u"settings"_s, u"table"_s, u"output"_s}}};
    QWidget* window = rt::windowWidget(kMain);
    auto widget = [](const QString& name) {
        return qobject_cast<QWidget*>(rt::controlObject(kMain, name));
    };
    auto shownWithout = [&](const QStringList& names) {
        for (const QString& n : names) widget(n)->hide();
        const QImage img = window->grab().toImage();
        for (const QString& n : names) widget(n)->show();
        return img;
    };
    for (const auto& s : states) {
        rt::setProperty(kMain, kMain, rt::slot::Width, s.width);
        rt::setProperty(kMain, kMain, rt::slot::Height, s.height);
        // The client area is the outer size less a Windows frame and menu bar.
        EXPECT_EQ(window->size(), QSize(s.width - 6, s.height - 29));
        const QImage shown = window->grab().toImage();
        const std::string state = std::to_string(s.width) + " x " + std::to_string(s.height);
        // The rule under the menu runs on over the open panels' frames.
        const int barHeight = 20, ruleEnd = std::min(837, window->width());
        for (int x = 0; x < ruleEnd; x += 7)
            EXPECT_EQ(qGray(shown.pixel(x, barHeight)), 0) << "rule at x " << x << ", " << state;
        // Where the settings panel's foot overlaps the open table panel,
        // its frames stay whole.
        for (const QString& box : {u"分组框5"_s, u"分组框1"_s}) {
            if (s.height != 580) continue;
            const QWidget* w = widget(box);
            const QPoint foot = w->mapTo(window, QPoint(w->width() / 2, w->height() - 1));
            EXPECT_LT(qGray(shown.pixel(foot)), 0xE0) << box.toStdString() << " at " << state;
        }
        for (const auto& [panel, controls] : kPanels) {
            // Taking a closed panel away changes no pixel; an open one shows.
            EXPECT_EQ(shown == shownWithout(controls), !s.open.contains(panel))
                << panel.toStdString() << " at " << state;
        }
    }
}

}  // namespace
}  // namespace zorvik::testing
