#include "wholelines.h"

#include "pieces.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// One line of the document, from its first piece to its last.
class Line
{
public:
    Line(const QTextDocument *document, int position)
        : m_first(Pieces::firstPiece(document->findBlock(position)))
        , m_last(Pieces::lastPiece(m_first))
    {
    }

    bool inPieces() const { return m_first != m_last; }
    int start() const { return m_first.position(); }
    int end() const { return m_last.position() + m_last.length() - 1; }
    bool endsDocument() const { return !m_last.next().isValid(); }
    int length() const { return offsetOf(end()); }

    QString text() const
    {
        QString text;
        for (QTextBlock block = m_first;; block = block.next()) {
            text += block.text();
            if (block == m_last)
                return text;
        }
    }

    // Each soft break takes a position in the document but is no character of the line.
    int offsetOf(int position) const
    {
        const QTextBlock block = m_first.document()->findBlock(position);
        return position - start() - (block.blockNumber() - m_first.blockNumber());
    }

    // Where a piece ends, the position of the offset is at the start of the next piece.
    int positionOf(int offset) const
    {
        for (QTextBlock block = m_first;; block = block.next()) {
            const int length = block.length() - 1;
            if (offset < length || block == m_last)
                return block.position() + offset;
            offset -= length;
        }
    }

    // A cursor on a plain document that holds the line as one paragraph, at offset.
    QTextCursor plainCursor(QTextDocument &plain, int offset) const
    {
        QTextCursor cursor(&plain);
        cursor.insertText(text());
        cursor.setPosition(offset);
        return cursor;
    }

private:
    QTextBlock m_first;
    QTextBlock m_last;
};

struct Step
{
    QKeySequence::StandardKey key;
    QTextCursor::MoveOperation operation;
    bool selects;
    bool deletes;
};

constexpr Step Steps[] = {
    {QKeySequence::MoveToNextChar, QTextCursor::NextCharacter, false, false},
    {QKeySequence::MoveToPreviousChar, QTextCursor::PreviousCharacter, false, false},
    {QKeySequence::SelectNextChar, QTextCursor::NextCharacter, true, false},
    {QKeySequence::SelectPreviousChar, QTextCursor::PreviousCharacter, true, false},
    {QKeySequence::Delete, QTextCursor::NextCharacter, true, true},
    {QKeySequence::MoveToNextWord, QTextCursor::NextWord, false, false},
    {QKeySequence::MoveToPreviousWord, QTextCursor::PreviousWord, false, false},
    {QKeySequence::SelectNextWord, QTextCursor::NextWord, true, false},
    {QKeySequence::SelectPreviousWord, QTextCursor::PreviousWord, true, false},
    {QKeySequence::DeleteEndOfWord, QTextCursor::NextWord, true, true},
    {QKeySequence::DeleteStartOfWord, QTextCursor::PreviousWord, true, true},
};
constexpr Step Backspace = {QKeySequence::UnknownKey, QTextCursor::PreviousCharacter, true, true};

const Step *stepFor(const QKeyEvent *event)
{
    // As the editor takes it: Backspace with or without Shift.
    if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier))
        return &Backspace;
    for (const Step &step : Steps) {
        if (event->matches(step.key))
            return &step;
    }
    return nullptr;
}

} // namespace

WholeLines::WholeLines(QPlainTextEdit *editor)
    : m_editor(editor)
{
}

bool WholeLines::keyPress(QKeyEvent *event)
{
    const Step *step = stepFor(event);
    QTextCursor cursor = m_editor->textCursor();
    if (!step || (step->deletes && m_editor->isReadOnly()))
        return false;
    // With a selection, the editor's own step (collapse it, delete it) is the same on pieces.
    const bool extends = step->selects && !step->deletes;
    if (cursor.hasSelection() && !extends)
        return false;
    const QTextDocument *document = m_editor->document();
    const int position = cursor.position();
    const bool forward
        = step->operation == QTextCursor::NextCharacter || step->operation == QTextCursor::NextWord;

    int target = -1;
    if (step->operation == QTextCursor::NextCharacter || step->operation == QTextCursor::PreviousCharacter) {
        // A character of code page text is one unit: a step crosses a soft break and one character.
        const int softBreak = forward ? position : position - 1;
        if (softBreak < 0 || !Pieces::isSoftBreakAt(document, softBreak))
            return false;
        target = forward ? position + 2 : position - 2;
    } else {
        const Line line(document, position);
        const int offset = line.offsetOf(position);
        // Across a real line break, the editor's own step.
        if (!line.inPieces() || (forward ? offset == line.length() : offset == 0))
            return false;
        QTextDocument plain;
        QTextCursor whole = line.plainCursor(plain, offset);
        whole.movePosition(step->operation);
        target = line.positionOf(whole.position());
    }

    cursor.setPosition(target, step->selects ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    if (step->deletes)
        cursor.removeSelectedText();
    m_editor->setTextCursor(cursor);
    return true;
}

bool WholeLines::doubleClicked(QPoint position)
{
    m_sinceDoubleClick.start();
    m_doubleClickAt = position;
    const int at = m_editor->cursorForPosition(position).position();
    const Line line(m_editor->document(), at);
    if (!line.inPieces())
        return false;
    QTextDocument plain;
    QTextCursor word = line.plainCursor(plain, line.offsetOf(at));
    word.select(QTextCursor::WordUnderCursor);
    QTextCursor cursor = m_editor->textCursor();
    cursor.setPosition(line.positionOf(word.anchor()));
    cursor.setPosition(line.positionOf(word.position()), QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
    return true;
}

bool WholeLines::pressed(QPoint position)
{
    const bool tripleClick = m_sinceDoubleClick.isValid()
        && m_sinceDoubleClick.elapsed() < QApplication::doubleClickInterval()
        && (position - m_doubleClickAt).manhattanLength() < QApplication::startDragDistance();
    m_sinceDoubleClick.invalidate();
    if (!tripleClick)
        return false;
    // The editor selected the piece and what follows it; the line is all of its pieces.
    const Line line(m_editor->document(), m_editor->cursorForPosition(position).position());
    if (!line.inPieces())
        return false;
    QTextCursor cursor = m_editor->textCursor();
    cursor.setPosition(line.start());
    cursor.setPosition(line.endsDocument() ? line.end() : line.end() + 1, QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
    return true;
}
