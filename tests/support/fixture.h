#pragma once

#include "cipher/module1.h"
#include "window/form1.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QStringList>
#include <QTest>

// What every suite of the window calls around each test function, from its init() and cleanup():
// the program's global strings start empty and the clipboards hold nothing a test copied, so that
// no test sees what another left.
namespace Fixture {

inline void clear()
{
    Module1::ResultText.clear();
    Module1::PlainText.clear();
    Module1::CipherText.clear();
    Module1::CipherKey.clear();
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    if (clipboard->supportsSelection())
        clipboard->clear(QClipboard::Selection);
}

// Saves a picture for the eye where the suites leave theirs; its path, or an empty one when it
// could not be saved.
inline QString saveScreenshot(const QImage &shot, const QString &name)
{
    const QDir folder(QStringLiteral(ZENTOLAR_SCREENSHOT_DIR));
    const QString path = folder.filePath(name);
    if (!folder.mkpath(QStringLiteral(".")) || !shot.save(path))
        return {};
    qInfo("Screenshot: %s", qPrintable(path));
    return path;
}

} // namespace Fixture

// Plays the user: answers the key prompt from a script (an exhausted script cancels) and
// collects the failures the window reports.
struct ScriptedUser
{
    explicit ScriptedUser(QStringList answers = {})
        : keys(std::move(answers))
    {
    }

    QStringList keys;
    int prompts = 0;
    bool windowVisibleAtFirstPrompt = true;
    QStringList errors;

    Form1::KeyPrompt prompt()
    {
        return [this](QWidget *window) {
            if (prompts++ == 0)
                windowVisibleAtFirstPrompt = window->isVisible();
            return keys.isEmpty() ? QString() : keys.takeFirst();
        };
    }
    Form1::ErrorReport report()
    {
        return [this](QWidget *, const QString &message) { errors << message; };
    }
};

inline void press(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}
