#pragma once

#include <QElapsedTimer>
#include <QPoint>

class QKeyEvent;
class QPlainTextEdit;

// A line held in pieces acts as one line wherever the user moves, selects or deletes by a unit
// of it: a character, a word (arrows, Ctrl+arrows and their Shift forms, Ctrl+Backspace,
// Ctrl+Delete, a double click) or the whole line (a triple click). Each step inside such a line
// is worked out on a plain document that holds the line as one paragraph, exactly as the editor
// would work it out there, and set back on the pieces. Steps across a real line break, and every
// step in a line of one piece, are the editor's own.
class WholeLines final
{
    Q_DISABLE_COPY_MOVE(WholeLines)

public:
    explicit WholeLines(QPlainTextEdit *editor);

    // Handles a key that moves or deletes by a character or a word; false leaves it to the editor.
    bool keyPress(QKeyEvent *event);
    // After the editor's own double click at position: selects the word of the whole line.
    // Both return whether they selected anything.
    bool doubleClicked(QPoint position);
    // After the editor's own mouse press at position: a triple click selects the whole line.
    bool pressed(QPoint position);

private:
    QPlainTextEdit *m_editor;
    QElapsedTimer m_sinceDoubleClick;
    QPoint m_doubleClickAt;
};
