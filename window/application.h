#pragma once

class QApplication;
class QTranslator;

// Gives the application its name, version and icon, and makes Qt's own texts (context menus,
// standard dialogs) Spanish.
// Returns the translator it installed, owned by app, or nullptr when Qt's Spanish translations
// are not installed.
QTranslator *SetUpApplication(QApplication &app);
