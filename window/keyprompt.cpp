#include "window/keyprompt.h"

#include "core/cipher.h"
#include "core/wording.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QValidator>

namespace {

// Shows what each key character counts as while it is typed or pasted, so the user sees that
// "Ωμέγα" and "?????" are the same key. Like the fields, the line composes what it receives:
// "n" and a combining tilde pasted in are "ñ", not "n?".
class KeyValidator final : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override
    {
        const QString composed = input.normalized(QString::NormalizationForm_C);
        if (composed != input) {
            position = int(input.left(position).normalized(QString::NormalizationForm_C).size());
            input = composed;
        }
        // One character for one from here: the cursor stays where it is.
        input = KeyAsCounted(input);
        return Acceptable;
    }
};

} // namespace

QString KeyAsCounted(QString key)
{
    Core::KeyAsCounted(reinterpret_cast<const char16_t *>(key.constData()), size_t(key.size()),
                       reinterpret_cast<char16_t *>(key.data()));
    return key;
}

QString AskKeyWithDialog(QWidget *parent)
{
    // Before the window is first shown it has no place on the screen to centre the prompt on.
    QInputDialog dialog(parent && parent->isVisible() ? parent : nullptr);
    dialog.setObjectName(QStringLiteral("KeyPrompt"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromUtf8(Wording::KeyTitle));
    dialog.setLabelText(QString::fromUtf8(Wording::KeyMessage));
    dialog.setOkButtonText(QString::fromUtf8(Wording::Accept));
    dialog.setCancelButtonText(QString::fromUtf8(Wording::Cancel));
    if (auto *line = dialog.findChild<QLineEdit *>()) {
        line->setObjectName(QStringLiteral("KeyLine"));
        line->setValidator(new KeyValidator(line));
    }
    // The current key is never shown: the line starts empty every time.
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}
