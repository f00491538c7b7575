// The file and folder dialogs: owned by their window, above it and modal
// to it alone, shown without waiting; the caller goes on from their answer.

#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>
#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "runtime/controls.h"
#include "runtime/registry.h"
#include "runtime/runtime.h"

using namespace Qt::StringLiterals;

namespace rt {
namespace {

QFileDialog* makeDialog(QWidget* owner, const QString& title, const QString& folder) {
    auto* dialog = new QFileDialog(owner, title, folder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
#ifndef Q_OS_WIN
    // Qt's own dialog: the desktop's would read the filters' ";" lists as
    // one pattern, and takes neither the program's colours nor its owner
    // the same way on every desktop.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
#endif
    return dialog;
}

void openThen(QFileDialog* dialog, std::function<void(const QString&)> done) {
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int result) {
        raiseIndependentBoxes();
        const QStringList chosen = dialog->selectedFiles();
        if (done)
            done(result == QDialog::Accepted && !chosen.isEmpty() ? chosen.first() : QString());
    });
    dialog->open();
}

// "description|patterns|description|patterns", the patterns of each
// separated by ";" as the description usually repeats them.
struct Filter {
    QString description;
    QStringList patterns;
};

QList<Filter> filtersOf(const QString& filter) {
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    QList<Filter> out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out.append({parts[i], parts[i + 1].split(u';', Qt::SkipEmptyParts)});
    return out;
}

// The list shows each description as it is written; the files it lets
// through are that description's patterns.
void applyFilters(QFileDialog* dialog, const QList<Filter>& filters) {
    if (filters.isEmpty()) return;
    QStringList descriptions;
    for (const Filter& f : filters) descriptions << f.description;
    dialog->setNameFilters(descriptions);
#ifndef Q_OS_WIN
    // Qt's own dialog takes the patterns from the description's brackets
    // and splits them at spaces only; the windows dialog splits at ";".
    auto* model = dialog->findChild<QFileSystemModel*>();
    if (!model) return;
    const auto use = [model, filters](const QString& shown) {
        for (const Filter& f : filters)
            if (f.description == shown) model->setNameFilters(f.patterns);
    };
    QObject::connect(dialog, &QFileDialog::filterSelected, model, use);
    use(descriptions.first());
#endif
}

#ifdef Q_OS_WIN
// The system's folder chooser runs on a thread of its own. Told to pick
// folders, Wine's gives itself its own title ("选择文件夹"), over the one Qt
// set just before; the title goes back on for as long as the chooser takes
// to show (a chooser that keeps it is left alone).
void keepChooserTitle(QFileDialog* dialog, const QString& title) {
    auto* timer = new QTimer(dialog);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, dialog, [timer, ticks, title] {
        const auto retitle = [](HWND window, LPARAM wanted) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t kind[16] = {}, shown[256] = {};
            GetClassNameW(window, kind, 16);
            GetWindowTextW(window, shown, 256);
            const auto* text = reinterpret_cast<const QString*>(wanted);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                QString::fromWCharArray(kind) == QLatin1String("#32770") &&
                QString::fromWCharArray(shown) != *text)
                SetWindowTextW(window, reinterpret_cast<LPCWSTR>(text->utf16()));
            return TRUE;
        };
        EnumWindows(retitle, reinterpret_cast<LPARAM>(&title));
        if (++*ticks >= 60) timer->stop();
    });
    timer->start(50);
}
#endif

}  // namespace

void chooseFolder(const QString& initialFolder, const QString& title, const QString& owner,
                  std::function<void(const QString&)> chosen) {
    onGuiThread([&] {
        QFileDialog* dialog = makeDialog(windowWidget(owner), title, initialFolder);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        dialog->setObjectName(u"zorvikFolderDialog"_s);
        openThen(dialog, std::move(chosen));
#ifdef Q_OS_WIN
        keepChooserTitle(dialog, title);
#endif
    });
}

void openCommonDialog(const QString& window, const QString& control,
                      std::function<void(bool)> done) {
    onGuiThread([&] {
        detail::ControlEntry* c = detail::requireControl(window, control, false);
        QPointer<CommonDialogControl> settings = qobject_cast<CommonDialogControl*>(c->obj);
        if (!settings) return;
        QFileDialog* dialog =
            makeDialog(windowWidget(window), settings->title, settings->initialFolder);
        dialog->setObjectName(u"zorvikFileDialog"_s);
        if (settings->type == 1) {
            dialog->setAcceptMode(QFileDialog::AcceptSave);
        } else {
            dialog->setFileMode(QFileDialog::ExistingFile);
        }
        applyFilters(dialog, filtersOf(settings->filter));
        openThen(dialog, [settings, done](const QString& chosen) {
            if (settings && !chosen.isEmpty()) settings->fileName = chosen;
            if (done) done(settings && !chosen.isEmpty());
        });
    });
}

}  // namespace rt
