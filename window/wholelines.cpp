#include "window/wholelines.h"

#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>

namespace WholeLines {

namespace {

using Line = PiecedDocument::Line;

enum class Unit {
    Character,
    Word,
    LineEdge,
    // Ctrl+K: to the line's end, where nothing is left to delete at its end.
    RestOfLine,
};

enum class Kind {
    Editor, // the editor's own step, by a visual line, a page or the document
    Move,
    Select,
    Delete,
};

struct KeyStep
{
    QKeySequence::StandardKey key;
    Kind kind;
    Unit unit;
    bool forward;
};

// The keys the editor takes for moves, in the order in which it tries them.
constexpr KeyStep Moves[] = {
    {QKeySequence::SelectAll, Kind::Editor, Unit::Character, false},
    {QKeySequence::Copy, Kind::Editor, Unit::Character, false},
    {QKeySequence::MoveToNextChar, Kind::Move, Unit::Character, true},
    {QKeySequence::MoveToPreviousChar, Kind::Move, Unit::Character, false},
    {QKeySequence::SelectNextChar, Kind::Select, Unit::Character, true},
    {QKeySequence::SelectPreviousChar, Kind::Select, Unit::Character, false},
    {QKeySequence::SelectNextWord, Kind::Select, Unit::Word, true},
    {QKeySequence::SelectPreviousWord, Kind::Select, Unit::Word, false},
    {QKeySequence::SelectStartOfLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::SelectEndOfLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::SelectStartOfBlock, Kind::Select, Unit::LineEdge, false},
    {QKeySequence::SelectEndOfBlock, Kind::Select, Unit::LineEdge, true},
    {QKeySequence::SelectStartOfDocument, Kind::Editor, Unit::Character, false},
    {QKeySequence::SelectEndOfDocument, Kind::Editor, Unit::Character, false},
    {QKeySequence::SelectPreviousLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::SelectNextLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::MoveToNextWord, Kind::Move, Unit::Word, true},
    {QKeySequence::MoveToPreviousWord, Kind::Move, Unit::Word, false},
    {QKeySequence::MoveToEndOfBlock, Kind::Move, Unit::LineEdge, true},
    {QKeySequence::MoveToStartOfBlock, Kind::Move, Unit::LineEdge, false},
    {QKeySequence::MoveToNextLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::MoveToPreviousLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::MoveToStartOfLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::MoveToEndOfLine, Kind::Editor, Unit::Character, false},
    {QKeySequence::MoveToStartOfDocument, Kind::Editor, Unit::Character, false},
    {QKeySequence::MoveToEndOfDocument, Kind::Editor, Unit::Character, false},
};
// Then Backspace, then the keys that edit, in the editor's order.
constexpr KeyStep Backspace = {QKeySequence::UnknownKey, Kind::Delete, Unit::Character, false};
constexpr KeyStep Edits[] = {
    {QKeySequence::InsertParagraphSeparator, Kind::Editor, Unit::Character, false},
    {QKeySequence::InsertLineSeparator, Kind::Editor, Unit::Character, false},
    {QKeySequence::Undo, Kind::Editor, Unit::Character, false},
    {QKeySequence::Redo, Kind::Editor, Unit::Character, false},
    {QKeySequence::Cut, Kind::Editor, Unit::Character, false},
    {QKeySequence::Paste, Kind::Editor, Unit::Character, false},
    {QKeySequence::Delete, Kind::Delete, Unit::Character, true},
    {QKeySequence::DeleteEndOfWord, Kind::Delete, Unit::Word, true},
    {QKeySequence::DeleteStartOfWord, Kind::Delete, Unit::Word, false},
    {QKeySequence::DeleteEndOfLine, Kind::Delete, Unit::RestOfLine, true},
};

const KeyStep *commandFor(const QKeyEvent &event)
{
    const auto first = [&event](const auto &steps) -> const KeyStep * {
        for (const KeyStep &step : steps) {
            if (event.matches(step.key))
                return &step;
        }
        return nullptr;
    };
    const KeyStep *step = first(Moves);
    // As the editor takes it: Backspace with or without Shift.
    if (!step && event.key() == Qt::Key_Backspace && !(event.modifiers() & ~Qt::ShiftModifier))
        step = &Backspace;
    if (!step)
        step = first(Edits);
    return step;
}

const KeyStep *stepFor(const QKeyEvent &event)
{
    const KeyStep *step = commandFor(event);
    return step && step->kind != Kind::Editor ? step : nullptr;
}

// A cursor at offset on a plain document that holds the line as one paragraph, where the editor
// works out words as it would in a plain editor.
QTextCursor plainCursor(QTextDocument &plain, const Line &line, int offset)
{
    QTextCursor cursor(&plain);
    cursor.insertText(line.text());
    cursor.setPosition(offset);
    return cursor;
}

// Where a step by unit from position goes; the position itself where there is nowhere to go.
int target(PiecedDocument &document, int position, Unit unit, bool forward)
{
    const Line line = document.lineAt(position);
    const int offset = line.offsetOf(position);
    // From a line's end or start every unit but the line's own crosses the line break.
    if (unit != Unit::LineEdge && (forward ? offset == line.length() : offset == 0)) {
        if (unit == Unit::RestOfLine)
            return position;
        if (forward)
            return line.endsDocument() ? position : line.end() + 1;
        return line.start() == 0 ? position : line.start() - 1;
    }
    switch (unit) {
    case Unit::Character:
        return line.positionOf(forward ? offset + 1 : offset - 1);
    case Unit::LineEdge:
        return forward ? line.end() : line.start();
    case Unit::RestOfLine:
        return line.end();
    case Unit::Word:
        break;
    }
    QTextDocument plain;
    QTextCursor whole = plainCursor(plain, line, offset);
    whole.movePosition(forward ? QTextCursor::NextWord : QTextCursor::PreviousWord);
    return line.positionOf(whole.position());
}

QTextCursor selection(PiecedDocument &document, int anchor, int position)
{
    QTextCursor cursor(&document);
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

bool isCommand(const QKeyEvent &key)
{
    return commandFor(key) != nullptr;
}

std::optional<Step> forKey(PiecedDocument &document, const QTextCursor &cursor, const QKeyEvent &key)
{
    const KeyStep *step = stepFor(key);
    if (!step)
        return std::nullopt;
    const int anchor = cursor.anchor();
    const int position = cursor.position();
    const bool selected = cursor.hasSelection();

    switch (step->kind) {
    case Kind::Move: {
        // A character's step collapses a selection to its end on that side, as the editor's does.
        const int to = !selected || step->unit != Unit::Character
            ? target(document, position, step->unit, step->forward)
            : step->forward ? std::max(anchor, position)
                            : std::min(anchor, position);
        return Step {selection(document, to, to)};
    }
    case Kind::Select:
        return Step {selection(document, anchor, target(document, position, step->unit, step->forward))};
    case Kind::Delete:
    case Kind::Editor:
        break;
    }
    if (selected && step->unit != Unit::RestOfLine)
        return Step {cursor, true};
    // Ctrl+K deletes from the anchor of a selection, as the editor's does.
    return Step {selection(document, anchor, target(document, position, step->unit, step->forward)), true};
}

QTextCursor word(PiecedDocument &document, int position)
{
    const Line line = document.lineAt(position);
    QTextDocument plain;
    QTextCursor whole = plainCursor(plain, line, line.offsetOf(position));
    whole.select(QTextCursor::WordUnderCursor);
    return selection(document, line.positionOf(whole.anchor()), line.positionOf(whole.position()));
}

QTextCursor line(PiecedDocument &document, int position)
{
    const Line line = document.lineAt(position);
    return selection(document, line.start(), line.endsDocument() ? line.end() : line.end() + 1);
}

QTextCursor extendByLines(PiecedDocument &document, const QTextCursor &clicked, int position)
{
    if (position >= clicked.selectionStart() && position <= clicked.selectionEnd())
        return clicked;
    const Line line = document.lineAt(position);
    if (position < clicked.selectionStart())
        return selection(document, clicked.selectionEnd(), line.start());
    return selection(document, clicked.selectionStart(), line.endsDocument() ? line.end() : line.end() + 1);
}

} // namespace WholeLines
