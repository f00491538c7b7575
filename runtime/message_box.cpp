#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSemaphore>
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

QMessageBox* makeBox(const QString& message, int style, const QString& caption, QWidget* parent) {
    auto* box = new QMessageBox(iconFor(style), caption.isEmpty() ? u"信息："_s : caption, message,
                                buttonsFor(style), parent);
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
        auto* box = new QMessageBox(QMessageBox::NoIcon, caption, message, QMessageBox::Ok);
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
