#pragma once

#include <QString>

class QWidget;

// Asks for the key in a modal dialog. Returns the typed text, or the empty text when the user
// cancels or closes the dialog.
QString AskKeyWithDialog(QWidget *parent);

// The key as the prompt's line shows it: every character whose capital code page 1252 cannot
// hold (the key is upper-cased before use) becomes the '?' it counts as, each half of a
// character UTF-16 needs two units for included; every other character stays as typed, letter
// case included. Encoding under the key and under KeyAsCounted(key) gives the same text.
QString KeyAsCounted(QString key);
