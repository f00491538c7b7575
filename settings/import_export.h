#pragma once
// Import of a configuration folder, and the export notice. Import copies
// nothing: it points both file paths at the chosen folder and applies the
// settings and the table from there until the program ends.

#include <QString>
#include <functional>

namespace zorvik {

// Asks the user for a folder: (initial folder, title) -> the chosen
// folder's full path, or "" when none was chosen.
using FolderChooser = std::function<QString(const QString&, const QString&)>;

// Replaces the folder dialog (tests cannot click a modal system dialog);
// an empty chooser restores the dialog.
void setFolderChooser(FolderChooser chooser);

// The folder dialog, owned by the main window and opening on
// initialFolder; an empty title is "请选择一个文件夹". chosen runs with the
// folder, or "" when none was chosen.
void browseForFolder(const QString& initialFolder, const QString& title,
                     std::function<void(const QString&)> chosen);

// Imports the folder the user chooses, when allowed() says so both as the
// dialog opens and as it closes (a run may start meanwhile). A cancelled
// dialog changes nothing.
void importSettings(std::function<bool()> allowed);
// Export is not provided: a notice, nothing else.
void exportSettings();

}  // namespace zorvik
