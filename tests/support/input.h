#pragma once

#include <QApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPoint>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QWidget>

// What a user's hands bring a widget that a test cannot send as a key or a click: an input
// method's text, a drop from elsewhere, and a real pointer on X11.
namespace Input {

// An input method commits text to `target`, replacing `replaced` units from `from` units after the
// caret first, as a correction does.
inline void commit(QObject *target, const QString &text, int from = 0, int replaced = 0)
{
    QInputMethodEvent event;
    event.setCommitString(text, from, replaced);
    QApplication::sendEvent(target, &event);
}

// Drops text at point `at` of `target` (a view's viewport): the events a real drop brings, sent to
// it, so that no drag waits in the platform's own drag loop (QDrag::exec waits there, Windows' for a
// real pointer, until a drop). With `moved`, the drag moves over the point before it drops.
inline void drop(QWidget *target, QPointF at, const QString &text, bool moved = false)
{
    QMimeData data;
    data.setText(text);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (moved) {
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// A real pointer on an X server, moved and pressed by xdotool: only a real server gives a real
// drag or a real triple click. Check `available()` first and skip without one.
class Pointer final
{
public:
    Pointer()
        : m_xdotool(QStandardPaths::findExecutable(QStringLiteral("xdotool")))
    {
    }
    Q_DISABLE_COPY_MOVE(Pointer)
    ~Pointer() { m_process.waitForFinished(); }

    bool available() const
    {
        return QGuiApplication::platformName() == QLatin1String("xcb") && !m_xdotool.isEmpty();
    }

    // Starts xdotool's commands, given as words, with the points as screen coordinates; the test
    // waits for what they do, and the pointer for xdotool to end.
    void run(const QStringList &commands) { m_process.start(m_xdotool, commands); }

    static QStringList moveTo(QPoint point)
    {
        return {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())};
    }

private:
    QString m_xdotool;
    QProcess m_process;
};

} // namespace Input
