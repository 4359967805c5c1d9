#include "keyprompt.h"

#include <QInputDialog>

QString AskKeyWithDialog(QWidget *parent)
{
    // Before the window is first shown it has no place on the screen to centre the prompt on.
    QInputDialog dialog(parent && parent->isVisible() ? parent : nullptr);
    dialog.setObjectName(QStringLiteral("KeyPrompt"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QStringLiteral("Clave"));
    dialog.setLabelText(QStringLiteral("Ingrese la clave de codificación: "));
    dialog.setOkButtonText(QStringLiteral("Aceptar"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    // The current key is never shown: the line starts empty every time.
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}
