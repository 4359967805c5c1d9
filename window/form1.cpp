#include "window/form1.h"

#include "cipher/module1.h"
#include "config-zentolar.h"
#include "core/wording.h"
#include "window/captionfit.h"
#include "window/errorreport.h"
#include "window/keyprompt.h"
#include "window/textfield.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

const QString NoKeyNotice = QString::fromUtf8(Wording::NoKeyNotice);
const QString EncryptDescription = QString::fromUtf8(Wording::EncryptDescription);
const QString DecryptDescription = QString::fromUtf8(Wording::DecryptDescription);

// Screen readers announce the program's window as a window (a plain widget is a "client").
QAccessibleInterface *accessibleWindow(const QString &className, QObject *object)
{
    if (className == QLatin1String("Form1") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

Form1::Form1(QWidget *parent)
    : Form1(AskKeyWithDialog, ShowErrorBox, parent)
{
}

Form1::Form1(KeyPrompt prompt, ErrorReport report, QWidget *parent)
    : QWidget(parent)
    , m_prompt(std::move(prompt))
    , m_report(std::move(report))
    , m_label1(named(new QLabel(QString::fromUtf8(Wording::Label1), this), "Label1"))
    , m_text1(named(new TextField(this), "Text1"))
    , m_command1(named(new QPushButton(QString::fromUtf8(Wording::Command1), this), "Command1"))
    , m_command2(named(new QPushButton(QString::fromUtf8(Wording::Command2), this), "Command2"))
    , m_command3(named(new QPushButton(QString::fromUtf8(Wording::Command3), this), "Command3"))
    , m_command4(named(new QPushButton(QString::fromUtf8(Wording::Command4), this), "Command4"))
    , m_label2(named(new QLabel(QString::fromUtf8(Wording::Label2), this), "Label2"))
    , m_text3(named(new TextField(this), "Text3"))
{
    static const bool announced = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(announced);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(ZENTOLAR_NAME));
    setFixedSize(486, 214);

    m_label1->setGeometry(16, 8, 169, 17);
    m_text1->setGeometry(16, 32, 169, 169);
    m_command1->setGeometry(192, 32, 97, 25);
    m_command2->setGeometry(192, 80, 97, 25);
    m_command3->setGeometry(192, 128, 97, 25);
    m_command4->setGeometry(192, 176, 97, 25);
    m_label2->setGeometry(296, 8, 169, 17);
    m_text3->setGeometry(296, 32, 169, 169);
    m_label1->setAlignment(Qt::AlignCenter);
    m_label2->setAlignment(Qt::AlignCenter);
    // The fields are known to screen readers by the captions above them, which label them.
    m_text1->setAccessibleName(m_label1->text());
    m_text3->setAccessibleName(m_label2->text());
    m_label1->setBuddy(m_text1);
    m_label2->setBuddy(m_text3);
    // The plain text is copied as it is, for the letter or document it goes into; the encoded
    // text in the form that comes back exactly from the mail or chat it is sent by.
    m_text3->setCopyForm(FieldText::CopyForm::Encoded);
    // Read aloud, the captions' arrows are only symbols: each button says what it does
    // ("Encriptar =>" and "<= Desenciptar " in showKeyState, as that depends on the key).
    m_command3->setAccessibleDescription(QString::fromUtf8(Wording::ClearDescription));
    m_command4->setAccessibleDescription(QString::fromUtf8(Wording::ChangeKeyDescription));
    showKeyState();

    // The controls keep their size whatever the platform's font: the captions are fitted to them.
    new CaptionFit({m_command1, m_command2, m_command3, m_command4}, this);
    new CaptionFit({m_label1, m_label2}, this);

    // Enter in a field is a line break, so no button may take it as the default button.
    for (QPushButton *button : {m_command1, m_command2, m_command3, m_command4}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(this);
    }

    setTabOrder(m_command1, m_text1);
    setTabOrder(m_text1, m_command2);
    setTabOrder(m_command2, m_text3);
    setTabOrder(m_text3, m_command3);
    setTabOrder(m_command3, m_command4);
    m_command1->setFocus();

    bind(m_command1, &Form1::OnEncrypt);
    bind(m_command2, &Form1::OnDecrypt);
    bind(m_command3, &Form1::OnClear);
    bind(m_command4, &Form1::OnChangeKey);
}

void Form1::setVisible(bool visible)
{
    // The key is asked for before the window first appears.
    if (visible && !m_loaded) {
        m_loaded = true;
        run(&Form1::OnWindowLoad);
    }
    QWidget::setVisible(visible);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // A focused button is pressed with Enter as well as with Space.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *button = qobject_cast<QPushButton *>(watched);
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::OnWindowLoad()
{
    AskForKey();
}

void Form1::OnEncrypt()
{
    Module1::PlainText = m_text1->text();
    Module1::ResultText = Module1::EncryptText(Module1::PlainText, Module1::CipherKey);
    m_text3->setText(Module1::ResultText);
}

void Form1::OnDecrypt()
{
    Module1::CipherText = m_text3->text();
    Module1::ResultText = Module1::DecryptText(Module1::CipherText, Module1::CipherKey);
    m_text1->setText(Module1::ResultText);
}

void Form1::OnClear()
{
    m_text1->setText(QString());
    m_text3->setText(QString());
    Module1::ResultText.clear();
}

void Form1::OnChangeKey()
{
    Module1::CipherKey.clear();
    AskForKey();
}

void Form1::AskForKey()
{
    Module1::CipherKey = m_prompt(this);
    showKeyState();
}

void Form1::showKeyState()
{
    // Without a key the buttons copy texts unchanged: nobody should take such a copy for an
    // encoded text.
    const bool keyless = Module1::CipherKey.isEmpty();
    const QString notice = keyless ? NoKeyNotice : QString();
    for (TextField *field : {m_text1, m_text3}) {
        field->setPlaceholderText(notice);
        field->setAccessibleDescription(notice);
    }
    const QString separator = keyless ? QStringLiteral(" ") : QString();
    m_command1->setAccessibleDescription(notice + separator + EncryptDescription);
    m_command2->setAccessibleDescription(notice + separator + DecryptDescription);
}

void Form1::bind(QPushButton *button, void (Form1::*action)())
{
    connect(button, &QPushButton::clicked, this, [this, action] { run(action); });
}

void Form1::run(void (Form1::*action)())
{
    // Failures end the action here and are told to the user; they never reach the event loop.
    try {
        (this->*action)();
    } catch (...) {
        try {
            m_report(this, ErrorMessage(std::current_exception()));
        } catch (...) {
            // Not even the report could be made (out of memory): the fields are as they were.
            qCritical("Zentolar: an action failed and could not be reported");
        }
    }
}
