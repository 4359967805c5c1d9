#pragma once

#include <QStringList>

class QApplication;
class QLocale;
class QTranslator;

// Where Qt's own translations are looked for, in order: the running Qt's folder, then the copy
// compiled into the program.
QStringList QtTranslationFolders();

// Loads Qt's own texts for locale into translator from the first of folders that has them,
// under the catalog name "qt" before "qtbase". Returns whether one was found.
bool LoadQtTranslation(QTranslator &translator, const QLocale &locale,
                       const QStringList &folders = QtTranslationFolders());

// Gives the application its name, version and icon, and makes Qt's own texts (context menus,
// standard dialogs) Spanish.
// Returns the translator it installed, owned by app, or nullptr when no Spanish translation of
// Qt's texts was found.
QTranslator *SetUpApplication(QApplication &app);
