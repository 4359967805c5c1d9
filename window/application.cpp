#include "window/application.h"

#include "config-zentolar.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QTranslator *SetUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral(ZENTOLAR_NAME));
    QApplication::setApplicationVersion(QStringLiteral(ZENTOLAR_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(ZENTOLAR_APP_ID));
    QIcon icon;
    for (const QString &file : QDir(QStringLiteral(":/icons")).entryList())
        icon.addFile(QStringLiteral(":/icons/") + file);
    QApplication::setWindowIcon(icon);

    // The program speaks Spanish whatever the system's language.
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    QLocale::setDefault(spanish);
    auto *translator = new QTranslator(&app);
    if (!LoadQtTranslation(*translator, spanish)) {
        delete translator;
        return nullptr;
    }
    QApplication::installTranslator(translator);
    return translator;
}

bool LoadQtTranslation(QTranslator &translator, const QLocale &locale, const QStringList &folders)
{
    // Qt's Windows deployments carry the combined "qt" catalog, Linux distributions "qtbase" too.
    for (const QString &folder : folders) {
        for (const QString &catalog : {QStringLiteral("qt"), QStringLiteral("qtbase")}) {
            if (translator.load(locale, catalog, QStringLiteral("_"), folder))
                return true;
        }
    }
    return false;
}

QStringList QtTranslationFolders()
{
    // Those of the Qt the program runs with first, as they match it; then the copy built in.
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath), QStringLiteral(":/i18n")};
}
