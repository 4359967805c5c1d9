#pragma once

#include "cipher/module1.h"
#include "tests/support/fixture.h"
#include "window/form1.h"
#include "window/textfield.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The window's named controls, found once: a test checks QVERIFY(controls.find(form)) before it
// touches any of them, so a missing control fails the test instead of crashing it.
struct Controls
{
    TextField *text1 = nullptr;
    TextField *text3 = nullptr;
    QPushButton *command1 = nullptr;
    QPushButton *command2 = nullptr;
    QPushButton *command3 = nullptr;
    QPushButton *command4 = nullptr;
    QLabel *label1 = nullptr;
    QLabel *label2 = nullptr;

    bool find(const Form1 &form)
    {
        const auto get = [&form](auto *&control, const char *name) {
            control = form.findChild<std::remove_reference_t<decltype(*control)> *>(QLatin1String(name));
            if (!control)
                qWarning("no control named %s", name);
            return control != nullptr;
        };
        // Every lookup runs, so the warnings name every missing control.
        const bool found[] = {get(text1, "Text1"),       get(text3, "Text3"),       get(command1, "Command1"),
                              get(command2, "Command2"), get(command3, "Command3"), get(command4, "Command4"),
                              get(label1, "Label1"),     get(label2, "Label2")};
        return std::all_of(std::begin(found), std::end(found), [](bool f) { return f; });
    }

    // The control of that name, for data-driven tests; nullptr for a name the window lacks.
    QWidget *named(const QString &name) const
    {
        for (QWidget *control : std::initializer_list<QWidget *> {text1, text3, command1, command2, command3,
                                                                  command4, label1, label2}) {
            if (control && control->objectName() == name)
                return control;
        }
        return nullptr;
    }
    TextField *field(const QString &name) const { return qobject_cast<TextField *>(named(name)); }
    QPushButton *button(const QString &name) const { return qobject_cast<QPushButton *>(named(name)); }
};

// The window a test drives, built with the test's own key prompt and error report, with its
// controls found once: a test checks QVERIFY(found) before it touches any of them.
struct TestWindow : Controls
{
    TestWindow(Form1::KeyPrompt prompt, Form1::ErrorReport report)
        : form(std::move(prompt), std::move(report))
        , found(find(form))
    {
    }

    Form1 form;
    const bool found;
};

// The window as a user meets it: started by a user who answers the key prompt from a script, and
// shown. A test checks QVERIFY(found) before it touches a control.
struct UserWindow : ScriptedUser, TestWindow
{
    explicit UserWindow(QStringList answers = {})
        : ScriptedUser(std::move(answers))
        , TestWindow(prompt(), report())
    {
        form.show();
    }
};
