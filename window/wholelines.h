#pragma once

#include "window/pieceddocument.h"

#include <QTextCursor>

#include <optional>

class QKeyEvent;

// A line held in pieces acts as one line wherever the user moves, selects or deletes by a unit of
// it: a character, a word or the line (arrows, Ctrl+arrows and their Shift forms, Backspace,
// Delete, Ctrl+Backspace, Ctrl+Delete, Ctrl+K, a double and a triple click). Each step is worked
// out on the line's offsets, or for a word on a plain document that holds the line as one
// paragraph, exactly as the editor works it out there, and set back on the pieces. A step from one
// end of a line goes across the line break as in any editor.
namespace WholeLines {

// What a key does to cursor: where the cursor goes, or what it deletes (the cursor's selection).
struct Step
{
    QTextCursor cursor;
    bool deletes = false;
};

// The step of a key that moves or deletes by a character, a word or to the line's end or start;
// nothing for any other key, which is the editor's own.
std::optional<Step> forKey(PiecedDocument &document, const QTextCursor &cursor, const QKeyEvent &key);

// Whether the editor takes key for a command (a move, a deletion, the clipboard, undo) before it
// takes its text for typing.
bool isCommand(const QKeyEvent &key);

// The word at position, as a double click selects it.
QTextCursor word(PiecedDocument &document, int position);
// The line at position and its line break, as a triple click selects it.
QTextCursor line(PiecedDocument &document, int position);
// A selection of whole lines from the lines a triple click selected to the line at position, as a
// Shift+click or a drag after the triple click extends it.
QTextCursor extendByLines(PiecedDocument &document, const QTextCursor &clicked, int position);

} // namespace WholeLines
