#include "pieces.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// A soft break is marked on both of its sides: the block after it continues the line of the
// block before it, and the block before it goes on in the next. When an edit joins two blocks,
// Qt keeps the format of one of them, the first or the last depending on where the edit began;
// the side that no edit touched tells what the other side must say.
constexpr int ContinuesLine = QTextFormat::UserProperty + 1;
constexpr int GoesOn = QTextFormat::UserProperty + 2;

bool goesOn(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(GoesOn);
}

// The format of a piece after a soft break; goingOn when another soft break ends it.
QTextBlockFormat softBreak(bool goingOn)
{
    QTextBlockFormat format;
    format.setProperty(ContinuesLine, true);
    format.setProperty(GoesOn, goingOn);
    return format;
}

// Sets a side of block's soft break marks.
void mark(const QTextBlock &block, int property, bool value)
{
    QTextBlockFormat format;
    format.setProperty(property, value);
    QTextCursor(block).mergeBlockFormat(format);
}

// Where to end a piece of a long line: after a blank shortly before the limit if there is one,
// so the soft break falls where a word wrap might have, otherwise at the limit.
qsizetype pieceEnd(QStringView line, qsizetype limit = Pieces::Length)
{
    const qsizetype blank = line.left(limit).lastIndexOf(QLatin1Char(' '));
    return blank >= limit - 64 ? blank + 1 : limit;
}

} // namespace

Pieces::Pieces(QObject *parent)
    : QObject(parent)
{
}

QTextDocument *Pieces::newDocument(QObject *owner)
{
    auto *document = new QTextDocument(owner);
    document->setDocumentLayout(new PieceLayout(document));
    // The range a change touched is known at contentsChange, but the document may be edited
    // again only once the change is done.
    auto changed = std::make_shared<std::pair<int, int>>(-1, -1);
    connect(document, &QTextDocument::contentsChange, this, [changed](int from, int, int added) {
        *changed = {from, from + added};
    });
    connect(document, &QTextDocument::contentsChanged, this, [this, document, changed] {
        const auto [from, to] = *changed;
        *changed = {-1, -1};
        if (from >= 0)
            keepInPieces(document, from, to);
    });
    return document;
}

void Pieces::keepInPieces(QTextDocument *document, int from, int to)
{
    // After an undo the document is as it was before an edit, in pieces; editing it now would
    // throw away what there is to redo.
    if (document->isRedoAvailable())
        return;
    QTextCursor cursor(document);
    bool editing = false;
    const auto edit = [&] {
        // In the undo step of the change, so undo brings back what was there before it.
        if (!editing)
            cursor.joinPreviousEditBlock();
        editing = true;
    };
    const auto setMark = [&](const QTextBlock &block, int property, bool value) {
        if (block.blockFormat().boolProperty(property) != value) {
            edit();
            mark(block, property, value);
        }
    };

    QTextBlock block = document->findBlock(from);
    // Before the change, the block before it says whether a soft break ends it.
    setMark(block, ContinuesLine, goesOn(block.previous()));
    while (block.isValid() && block.position() <= to) {
        if (continuesLine(block) && block.length() == 1) {
            // A piece emptied by a deletion: the caret would need two steps across its breaks.
            edit();
            cursor.setPosition(block.position() - 1);
            cursor.deleteChar();
            --to;
            block = cursor.block();
        } else if (block.length() - 1 > Length) {
            edit();
            // A piece that grew a little (typing, a join) is cut in half, so that typing on at
            // its end does not cut it again at every key.
            const QString text = block.text();
            const qsizetype limit = text.size() <= 2 * Length ? text.size() / 2 : Length;
            const bool wentOn = goesOn(block);
            cursor.setPosition(block.position() + int(pieceEnd(text, limit)));
            cursor.insertBlock(softBreak(wentOn), cursor.charFormat());
            ++to;
            block = cursor.block().previous();
        }
        // Inside the change, and after it, the block after a soft break says it is there.
        setMark(block, GoesOn, continuesLine(block.next()));
        block = block.next();
    }
    if (editing)
        cursor.endEditBlock();
}

void Pieces::insert(QTextCursor &cursor, QStringView shown)
{
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    bool firstLine = true;
    for (QStringView line : shown.tokenize(QLatin1Char('\n'))) {
        // A clean format: the new block must not take over a soft break from the block it splits.
        if (!firstLine)
            cursor.insertBlock(QTextBlockFormat(), cursor.charFormat());
        firstLine = false;
        // Already in pieces, so the editor never lays the whole line out; where the pieces meet
        // the text around the cursor, the rule mends them once the edit is done.
        qsizetype end = line.size() > Length ? pieceEnd(line) : line.size();
        cursor.insertText(line.left(end).toString());
        if (end < line.size())
            mark(cursor.block(), GoesOn, true);
        while (end < line.size()) {
            line = line.mid(end);
            end = line.size() > Length ? pieceEnd(line) : line.size();
            cursor.insertBlock(softBreak(end < line.size()), cursor.charFormat());
            cursor.insertText(line.left(end).toString());
        }
    }
    cursor.endEditBlock();
}

bool Pieces::changesPieces(const QTextCursor &cursor, const QKeyEvent *key)
{
    if (cursor.hasSelection())
        return false; // the editor removes a selection in an edit block of its own
    const QTextBlock block = cursor.block();
    if (key->key() == Qt::Key_Backspace)
        return cursor.atBlockStart() && block.previous().isValid();
    if (key->key() == Qt::Key_Delete)
        return cursor.atBlockEnd() && block.next().isValid();
    return !key->text().isEmpty() && block.length() - 1 + key->text().size() > Length;
}

bool Pieces::continuesLine(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(ContinuesLine);
}

QTextBlock Pieces::firstPiece(QTextBlock block)
{
    while (continuesLine(block))
        block = block.previous();
    return block;
}

QTextBlock Pieces::lastPiece(QTextBlock block)
{
    while (continuesLine(block.next()))
        block = block.next();
    return block;
}

bool Pieces::isSoftBreakAt(const QTextDocument *document, int position)
{
    const QTextBlock block = document->findBlock(position);
    return position == block.position() + block.length() - 1 && continuesLine(block.next());
}

QString Pieces::shownText(const QTextDocument *document, int from, int to)
{
    QString shown;
    shown.reserve(to - from);
    for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        if (block.position() > from && !continuesLine(block))
            shown += QLatin1Char('\n');
        // QTextBlock::text keeps no-break spaces, which toPlainText would turn into blanks.
        shown += QStringView(block.text()).mid(start - block.position(), to - start);
    }
    return shown;
}

PieceLayout::PieceLayout(QTextDocument *document)
    : QPlainTextDocumentLayout(document)
{
}

void PieceLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    const int lines = document()->lineCount();
    guess(document()->findBlock(from), document()->findBlock(from + charsAdded));
    if (document()->lineCount() != lines)
        emit documentSizeChanged(documentSize());
}

void PieceLayout::guessLineCounts()
{
    const int lines = document()->lineCount();
    guess(document()->firstBlock(), document()->lastBlock());
    if (document()->lineCount() != lines)
        emit documentSizeChanged(documentSize());
}

void PieceLayout::guess(QTextBlock block, const QTextBlock &to)
{
    // The width the editor gave the layout (it is at least that wide).
    const qreal width = frameBoundingRect(nullptr).width() - 2 * document()->documentMargin();
    if (width <= 0)
        return;
    const qreal perLine
        = std::max<qreal>(1, width / QFontMetricsF(document()->defaultFont()).averageCharWidth());
    for (; block.isValid(); block = block.next()) {
        // A block laid out knows its line count; the others count one line each.
        if (block.isVisible() && block.layout()->lineCount() == 0)
            block.setLineCount(std::max(1, int(std::ceil((block.length() - 1) / perLine))));
        if (block == to)
            break;
    }
}
