#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>

#include "runtime/runtime.h"
#include "runtime/window_host.h"

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

}  // namespace

namespace {

// Characters a box shows at most in its own face; the rest of a longer
// text is a scroll away, under the box's details.
constexpr qsizetype kMaxShownChars = 2000;

// The widest a box's text may be laid out, as the message box itself
// limits it on a screen of this width.
int textWidthLimit(int screenWidth) {
    return screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
}

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

QMessageBox* makeBox(const QString& message, int style, const QString& caption, QWidget* parent) {
    auto* box = new QMessageBox(iconFor(style), caption.isEmpty() ? u"信息："_s : caption,
                                QString(), buttonsFor(style), parent);
    // Texts come from the user's files and the interpreter: shown as they
    // are, never read as markup (a tag in a reminder is a tag, and deeply
    // nested ones would exhaust the stack of the rich text layout).
    box->setTextFormat(Qt::PlainText);
    box->setText(message);
    fitText(box, message, parent);
    if (!parent) box->setWindowFlag(Qt::WindowStaysOnTopHint, (style & 0x1000) != 0);
    return box;
}

// An independent top-level box: it holds neither the window thread nor
// the program's other windows, and any number of them may be open at once.
void showIndependent(QMessageBox* box) {
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    box->raise();
    box->activateWindow();
}

}  // namespace

int messageBox(const QString& message, int style, const QString& caption, const QString& owner) {
    if (detail::onGui()) {
        // On the window thread the box is the modal question the user sees
        // (the close question, the export notice): it runs its own loop.
        QWidget* parent = owner.isEmpty() ? nullptr : windowWidget(owner);
        QPointer<QMessageBox> box = makeBox(message, style, caption, parent);
        box->setObjectName(u"zorvikMessageBox"_s);
        const int result = codeFor(box->exec());
        delete box.data();  // unless its owner window went while it was open
        return result;
    }
    // A worker waits for its own box on its own semaphore; the window
    // thread never runs a loop for it, so boxes of several workers are
    // answered independently, in any order.
    struct Answer {
        QSemaphore given;
        int button = IdCancel;  // a box taken away unanswered (its owner went)
        bool done = false;
    };
    auto answer = std::make_shared<Answer>();
    auto give = [answer](int button) {
        if (answer->done) return;
        answer->done = true;
        answer->button = button;
        answer->given.release();
    };
    QMetaObject::invokeMethod(
        qApp,
        [=] {
            QWidget* parent = owner.isEmpty() ? nullptr : windowWidget(owner);
            QMessageBox* box = makeBox(message, style, caption, parent);
            box->setObjectName(u"zorvikWorkerBox"_s);
            QObject::connect(box, &QMessageBox::finished, box,
                             [give](int button) { give(codeFor(button)); });
            QObject::connect(box, &QObject::destroyed, qApp, [give] { give(IdCancel); });
            showIndependent(box);
        },
        Qt::QueuedConnection);
    answer->given.acquire();
    return answer->button;
}

QObject* showMessageBoxAsync(const QString& message, const QString& caption) {
    QObject* shown = nullptr;
    onGuiThread([&] {
        QMessageBox* box = makeBox(message, MbOk, caption, nullptr);
        box->setObjectName(u"zorvikReminderBox"_s);
        showIndependent(box);
        shown = box;
    });
    return shown;
}

QString chooseFolder(const QString& initialFolder, const QString& title) {
    QString chosen;
    onGuiThread([&] {
        chosen = QFileDialog::getExistingDirectory(nullptr, title, initialFolder,
                                                   QFileDialog::ShowDirsOnly);
    });
    return chosen;
}

void fatalError(int code, const QString& message) {
    const QString text = u"运行时出错!\n\n错误代码：%1\n错误信息：%2"_s.arg(code).arg(message);
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    // Without a screen to show it on (tests, offscreen runs) the box would
    // wait forever; the message on stderr is all anyone can see there.
    if (qApp && QGuiApplication::platformName() != u"offscreen"_s) {
        onGuiThread([&] {
            QMessageBox box(QMessageBox::Critical, u"运行时出错!"_s, text, QMessageBox::Ok);
            box.exec();
        });
    }
    std::_Exit(1);
}

}  // namespace rt
