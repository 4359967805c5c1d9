#include "application.h"

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
    if (!translator->load(spanish, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QApplication::installTranslator(translator);
    return translator;
}
