#include "shell/table_command.h"

#include <QCoreApplication>
#include <QPointer>

#include "names/main_window.h"
#include "runtime/runtime.h"
#include "runtime/settings_folder.h"

namespace zorvik {

CommandShell& commandShell() {
    // Parented to the application so the process is ended while Qt is still
    // there to wait for it.
    static QPointer<CommandShell> shell;
    if (!shell) shell = new CommandShell(QCoreApplication::instance());
    return *shell;
}

void launchCommandShell() {
    CommandShell& shell = commandShell();
    shell.setSink([](const QString& text) {
        // Output that outlives the window has nowhere to go.
        if (rt::isLoaded(kMainWindow)) rt::appendEditText(kMainWindow, ctl::kCommandOutput, text);
    });
    shell.launch(CommandShell::defaultInterpreter(), rt::settingsDirectory());
}

void shutdownCommandShell() {
    commandShell().shutdown();
}

void runTableCommand(int row, const QString& command) {
    const QString crlf = QStringLiteral("\r\n");
    commandShell().showText(crlf + crlf + crlf + QStringLiteral("    任务") + QString::number(row) +
                            QStringLiteral("：") + crlf);
    commandShell().sendLine(command);
}

}  // namespace zorvik
