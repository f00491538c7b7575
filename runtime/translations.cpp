#include "runtime/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace rt {

bool loadQtTranslations() {
    static bool loaded = false;
    if (loaded || !QCoreApplication::instance()) return loaded;
    QStringList folders;
#ifdef Q_OS_WIN
    // A deployed copy carries its translations beside the executable.
    folders << QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
#endif
    folders << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : folders) {
        if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                             QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return loaded = true;
        }
    }
    delete translator;
    return false;
}

}  // namespace rt
