#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "runtime/runtime.h"
#include "runtime/window_host.h"
#include "text/commands.h"

using namespace Qt::StringLiterals;

namespace rt {
namespace {

// Windows message-box style bits -> Qt buttons.
QMessageBox::StandardButtons buttonsFor(int style) {
    switch (style & 0xF) {
        case 1:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case 2:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case 3:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case 4:
            return QMessageBox::Yes | QMessageBox::No;
        case 5:
            return QMessageBox::Retry | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

int codeFor(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return IdCancel;
        case QMessageBox::Abort:
            return IdAbort;
        case QMessageBox::Retry:
            return IdRetry;
        case QMessageBox::Ignore:
            return IdIgnore;
        case QMessageBox::Yes:
            return IdYes;
        case QMessageBox::No:
            return IdNo;
        default:
            return IdOk;
    }
}

QMessageBox::Icon iconFor(int style) {
    switch (style & 0xF0) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// Characters a box shows at most in its own face; the rest of a longer
// text is a scroll away, under the box's details.
constexpr qsizetype kMaxShownChars = 2000;
// What a window manager's frame takes from a box's width beside its title:
// the icon, three buttons and the margins, as the common themes draw them.
constexpr int kFrameBesideTitle = 130;

// The widest a box's text may be laid out, as the message box itself
// limits it on a screen of this width.
int textWidthLimit(int screenWidth) {
    return screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
}

// A message box that is never narrower than its title needs on a frame:
// the box sizes itself for its text, and a short text under a long title
// would have the title cut short.
class Box : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;
    // Runs once the box has its size, before it is on the screen.
    std::function<void(QWidget*)> place;

  protected:
    void showEvent(QShowEvent* e) override {
        makeRoomForTitle();
        QMessageBox::showEvent(e);
        if (place) place(this);
    }

  private:
    // The box takes its size from its layout whenever that changes; the
    // row of buttons, which spans the box, asks for the title's width, so
    // every such pass keeps it. (Widening the box after the layout had
    // sized it was undone by the next pass and redone once it showed, and
    // a window manager told both sizes at once at times put the box in the
    // screen's corner.)
    void makeRoomForTitle() {
        auto* buttons = findChild<QDialogButtonBox*>();
        if (!buttons || !layout()) return;
        QFont face = QApplication::font();
        face.setBold(true);
        if (face.pixelSize() > 0)
            face.setPixelSize(face.pixelSize() * 6 / 5);
        else
            face.setPointSizeF(face.pointSizeF() * 1.2);
        const int needed = QFontMetrics(face).horizontalAdvance(windowTitle()) + kFrameBesideTitle;
        const QMargins margins = layout()->contentsMargins();
        buttons->setMinimumWidth(needed - margins.left() - margins.right());
    }
};

// A text from a file can be any size. The box grows with its text and no
// screen is tall enough for all of them: what fits half the screen is
// shown, cut with an ellipsis, and the whole text is in the details, a
// plain text view of fixed height, so the buttons stay on the screen.
void fitText(QMessageBox* box, const QString& message, QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QFontMetrics metrics(box->font());
    const int flags = Qt::TextWordWrap | Qt::TextWrapAnywhere;
    const QRect bounds(0, 0, textWidthLimit(area.width()), area.height() * 4);
    const auto fits = [&](qsizetype length) {
        return metrics.boundingRect(bounds, flags, message.left(length)).height() <=
               area.height() / 2;
    };
    if (message.size() <= kMaxShownChars && fits(message.size())) return;
    qsizetype low = 0, high = std::min(message.size(), kMaxShownChars);
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fits(mid))
            low = mid;
        else
            high = mid - 1;
    }
    box->setText(message.left(low) + u'…');
    box->setDetailedText(message);
    // One word of tens of thousands of letters takes seconds to lay out
    // when the view looks for a word boundary before breaking it; in this
    // overflow view a break inside a word is the lesser harm.
    if (auto* details = box->findChild<QTextEdit*>())
        details->setWordWrapMode(QTextOption::WrapAnywhere);
}

Box* makeBox(const QString& stored, int style, const QString& caption, QWidget* parent) {
    const QString message = withDirectionMarksShown(stored);
    auto* box = new Box(iconFor(style), caption.isEmpty() ? u"信息："_s : caption, QString(),
                        buttonsFor(style), parent);
    // Texts come from the user's files and the interpreter: shown as they
    // are, never read as markup (a tag in a reminder is a tag, and deeply
    // nested ones would exhaust the stack of the rich text layout).
    box->setTextFormat(Qt::PlainText);
    box->setText(message);
    fitText(box, message, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

// The independent boxes on the screen, to be put back above the windows
// they belong over whenever a dialog closes (the window it leaves takes
// the focus, and with it the top of the stack).
QList<QPointer<QWidget>>& independentBoxes() {
    static QList<QPointer<QWidget>> boxes;
    return boxes;
}

// A new independent box opens a title bar's height below and right of the
// newest one still open, so that a pile of them shows as one; where that
// would leave the screen it goes back to the screen's left or top edge.
// The first opens where a box opens by itself.
void placeAmongOpenBoxes(QWidget* box) {
    const QList<QPointer<QWidget>>& boxes = independentBoxes();
    QWidget* newest = nullptr;
    for (auto it = boxes.crbegin(); it != boxes.crend() && !newest; ++it)
        if (*it && *it != box && (*it)->isVisible()) newest = *it;
    const QScreen* screen = newest ? newest->screen() : nullptr;
    if (!screen) return;
    // The frame the window manager drew around the newest box, when it has
    // told it (it may not have yet): a title bar above, thin edges beside.
    const QRect inside = newest->geometry(), frame = newest->frameGeometry();
    QMargins margins(inside.left() - frame.left(), inside.top() - frame.top(),
                     frame.right() - inside.right(), frame.bottom() - inside.bottom());
    const bool told = margins.left() >= 0 && margins.right() >= 0 && margins.bottom() >= 0 &&
                      margins.top() > margins.bottom();
    const int titleBar =
        told ? margins.top()
             : std::max(box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box),
                        box->fontMetrics().height() + 8);
    if (!told) margins = QMargins(0, titleBar, 0, 0);
    const QRect area = screen->availableGeometry();
    QPoint at = inside.topLeft() + QPoint(titleBar, titleBar);
    if (at.x() + box->width() + margins.right() > area.x() + area.width())
        at.setX(area.x() + margins.left());
    if (at.y() + box->height() + margins.bottom() > area.y() + area.height())
        at.setY(area.y() + margins.top());
    // The inside's place (a window's move() counts a frame, which a box
    // being shown does not have yet).
    box->setGeometry(QRect(at, box->size()));
}

}  // namespace

QObject* askUser(const QString& message, int style, const QString& caption, const QString& owner,
                 std::function<void(int)> answered) {
    QObject* shown = nullptr;
    onGuiThread([&] {
        // Owned by its window: above it whether or not that one stays on
        // top, and modal to it alone, so the program's other windows and
        // boxes go on answering.
        QWidget* parent = owner.isEmpty() ? nullptr : windowWidget(owner);
        QMessageBox* box = makeBox(message, style, caption, parent);
        box->setObjectName(u"zorvikMessageBox"_s);
        box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
        QObject::connect(box, &QMessageBox::finished, box, [answered](int button) {
            raiseIndependentBoxes();
            if (answered) answered(codeFor(button));
        });
        box->open();
        shown = box;
    });
    return shown;
}

QObject* showMessageBoxAsync(const QString& message, const QString& caption, const QString& above) {
    QObject* shown = nullptr;
    onGuiThread([&] {
        Box* box = makeBox(message, MbOk, caption, nullptr);
        box->setObjectName(u"zorvikReminderBox"_s);
        box->place = placeAmongOpenBoxes;
        // Independent of every window, and modal to none; above the window
        // it belongs over even where that one stays on top of the others.
        // (The modality first: setting it takes a dialog's flags back to
        // the dialog's own.)
        box->setWindowModality(Qt::NonModal);
        const QWidget* over = above.isEmpty() ? nullptr : windowWidget(above);
        box->setWindowFlag(Qt::WindowStaysOnTopHint,
                           over && over->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        box->show();
        box->raise();
        box->activateWindow();
        QList<QPointer<QWidget>>& boxes = independentBoxes();
        boxes.removeAll(nullptr);
        boxes.append(box);
        shown = box;
    });
    return shown;
}

void raiseIndependentBoxes() {
    for (const QPointer<QWidget>& box : std::as_const(independentBoxes()))
        if (box && box->isVisible()) box->raise();
}

const char kFatalErrorOption[] = "--runtime-error";

void fatalError(int code, const QString& message) {
    const QString text = u"运行时出错!\n\n错误代码：%1\n错误信息：%2"_s.arg(code).arg(message);
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    // The program ends here, at once: nothing that depended on what went
    // wrong runs on. Its box comes from a copy of the program started for
    // that alone. Without a screen (tests, offscreen runs) stderr is all
    // anyone can see.
    if (qApp && QGuiApplication::platformName() != u"offscreen"_s)
        QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                {QString::fromLatin1(kFatalErrorOption), text});
    std::_Exit(1);
}

}  // namespace rt
