#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class TextField;

// The program's window: the plain text on the left, the encoded text on the right and the four
// buttons between them.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // Asks the user for a key; returns the empty text when the user cancels.
    using KeyPrompt = std::function<QString(QWidget *parent)>;
    // Tells the user that an action failed.
    using ErrorReport = std::function<void(QWidget *parent, const QString &message)>;

    explicit Form1(KeyPrompt prompt, ErrorReport report, QWidget *parent = nullptr);
    explicit Form1(QWidget *parent = nullptr);

    // The actions. They do not catch their own failures: the buttons' bindings report them.
    void OnWindowLoad();
    void OnEncrypt();
    void OnDecrypt();
    void OnClear();
    void OnChangeKey();
    void AskForKey();

    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Tells, in the fields and to screen readers, whether texts are encoded or only copied.
    void showKeyState();
    void bind(QPushButton *button, void (Form1::*action)());
    void run(void (Form1::*action)());

    KeyPrompt m_prompt;
    ErrorReport m_report;
    bool m_loaded = false;

    QLabel *m_label1;
    TextField *m_text1;
    QPushButton *m_command1;
    QPushButton *m_command2;
    QPushButton *m_command3;
    QPushButton *m_command4;
    QLabel *m_label2;
    TextField *m_text3;
};
