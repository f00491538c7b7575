#pragma once
// Qt's own texts (standard buttons, file dialogs) in Chinese, as the rest
// of the program reads.

namespace rt {

// Loads Qt's Chinese translation into the application once; false when no
// translation file was found (Qt's English texts stay).
bool loadQtTranslations();

}  // namespace rt
