#pragma once

#include <QString>

class QWidget;

// Asks for the key in a modal dialog. Returns the typed text, or the empty text when the user
// cancels or closes the dialog.
QString AskKeyWithDialog(QWidget *parent);
