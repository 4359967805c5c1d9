#include "window/pieceddocument.h"

#include <QFontMetricsF>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// A soft break is marked on both of its sides: the block after it continues the line of the block
// before it, and the block before it goes on in the next. When an edit joins two blocks, Qt keeps
// the format of one of them; the side that no edit touched tells what the other side must say.
constexpr int ContinuesLine = QTextFormat::UserProperty + 1;
constexpr int GoesOn = QTextFormat::UserProperty + 2;

bool goesOn(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(GoesOn);
}

// The format of a piece after a soft break; goingOn when another soft break ends it.
QTextBlockFormat softBreak(bool goingOn)
{
    QTextBlockFormat format;
    format.setProperty(ContinuesLine, true);
    format.setProperty(GoesOn, goingOn);
    return format;
}

void mark(const QTextBlock &block, int property, bool value)
{
    QTextBlockFormat format;
    format.setProperty(property, value);
    QTextCursor(block).mergeBlockFormat(format);
}

// Where to end a piece of a long line: after a blank shortly before the limit if there is one, so
// the soft break falls where a word wrap might have, otherwise at the limit.
qsizetype pieceEnd(QStringView line, qsizetype limit = PiecedDocument::PieceLength)
{
    const qsizetype blank = line.left(limit).lastIndexOf(QLatin1Char(' '));
    return blank >= limit - 64 ? blank + 1 : limit;
}

// The plain layout, with the line count of every piece not laid out yet guessed from its length.
class PieceLayout final : public QPlainTextDocumentLayout
{
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    void documentChanged(int from, int charsRemoved, int charsAdded) override
    {
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        guess(document()->findBlock(from), document()->findBlock(from + charsAdded));
    }

    void guessAll() { guess(document()->firstBlock(), document()->lastBlock()); }

private:
    void guess(QTextBlock block, const QTextBlock &to)
    {
        // The width the editor gave the layout (it is at least that wide).
        const qreal width = frameBoundingRect(nullptr).width() - 2 * document()->documentMargin();
        if (width <= 0)
            return;
        const int lines = document()->lineCount();
        const qreal perLine
            = std::max<qreal>(1, width / QFontMetricsF(document()->defaultFont()).averageCharWidth());
        for (; block.isValid(); block = block.next()) {
            // A block laid out knows its line count; the others count one line each.
            if (block.isVisible() && block.layout()->lineCount() == 0)
                block.setLineCount(std::max(1, int(std::ceil((block.length() - 1) / perLine))));
            if (block == to)
                break;
        }
        if (document()->lineCount() != lines)
            emit documentSizeChanged(documentSize());
    }
};

} // namespace

PiecedDocument::Line::Line(const QTextBlock &block)
    : m_first(block)
    , m_last(block)
{
    while (continuesLine(m_first))
        m_first = m_first.previous();
    while (continuesLine(m_last.next()))
        m_last = m_last.next();
}

QString PiecedDocument::Line::text() const
{
    QString text;
    for (QTextBlock block = m_first;; block = block.next()) {
        text += block.text();
        if (block == m_last)
            return text;
    }
}

int PiecedDocument::Line::offsetOf(int position) const
{
    const QTextBlock block = m_first.document()->findBlock(position);
    return position - start() - (block.blockNumber() - m_first.blockNumber());
}

int PiecedDocument::Line::positionOf(int offset) const
{
    for (QTextBlock block = m_first;; block = block.next()) {
        const int length = block.length() - 1;
        if (offset < length || block == m_last)
            return block.position() + offset;
        offset -= length;
    }
}

PiecedDocument::PiecedDocument(QObject *parent)
    : QTextDocument(parent)
{
    setDocumentLayout(new PieceLayout(this));
    // The range a change touched is known at contentsChange, but the document may be edited again
    // only once the change is done.
    auto changed = std::make_shared<std::pair<int, int>>(-1, -1);
    const auto noteChange = [changed](int from, int, int added) { *changed = {from, from + added}; };
    connect(this, &QTextDocument::contentsChange, this, noteChange);
    connect(this, &QTextDocument::contentsChanged, this, [this, changed] {
        const auto [from, to] = *changed;
        *changed = {-1, -1};
        if (from >= 0)
            mend(from, to);
    });
}

bool PiecedDocument::continuesLine(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(ContinuesLine);
}

bool PiecedDocument::inPieces(const QTextBlock &block) const
{
    return continuesLine(block) || continuesLine(block.next());
}

bool PiecedDocument::isSoftBreakAt(int position) const
{
    const QTextBlock block = findBlock(position);
    return position == block.position() + block.length() - 1 && continuesLine(block.next());
}

int PiecedDocument::shownOffset(int position) const
{
    int softBreaks = 0;
    for (QTextBlock block = findBlock(position); block.isValid(); block = block.previous())
        softBreaks += continuesLine(block) ? 1 : 0;
    return position - softBreaks;
}

int PiecedDocument::positionAt(int shownOffset) const
{
    int position = shownOffset;
    for (QTextBlock block = firstBlock(); block.isValid(); block = block.next()) {
        const int end = block.position() + block.length() - 1;
        if (position <= end)
            return position;
        if (continuesLine(block.next()))
            ++position;
    }
    return position;
}

QString PiecedDocument::shownText(int from, int to) const
{
    QString shown;
    shown.reserve(to - from);
    for (QTextBlock block = findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        if (block.position() > from && !continuesLine(block))
            shown += QLatin1Char('\n');
        // QTextBlock::text keeps no-break spaces, which toPlainText would turn into blanks.
        shown += QStringView(block.text()).mid(start - block.position(), to - start);
    }
    return shown;
}

bool PiecedDocument::hasRoomFor(const QTextCursor &cursor, int count) const
{
    return findBlock(cursor.position()).length() - 1 + count <= PieceLength;
}

bool PiecedDocument::fitsOnePiece(QStringView shown)
{
    return shown.size() <= PieceLength && !shown.contains(QLatin1Char('\n'));
}

bool PiecedDocument::selectsPieceOf(const QTextCursor &cursor, int position) const
{
    const QTextBlock block = findBlock(position);
    return cursor.hasSelection() && cursor.selectionStart() == block.position()
        && cursor.selectionEnd() == std::min(block.position() + block.length(), characterCount() - 1);
}

QString PiecedDocument::checkRules() const
{
    for (QTextBlock block = firstBlock(); block.isValid(); block = block.next()) {
        QString broken;
        if (block.length() - 1 > PieceLength)
            broken = QStringLiteral("a piece of %1 characters").arg(block.length() - 1);
        else if (block.length() == 1 && inPieces(block))
            broken = QStringLiteral("an empty piece of a line in pieces");
        else if (continuesLine(block) != goesOn(block.previous()))
            broken = QStringLiteral("a soft break marked on one side only");
        if (!broken.isEmpty())
            return broken + QStringLiteral(" (piece %1)").arg(block.blockNumber());
    }
    return {};
}

void PiecedDocument::replaceAll(QStringView shown)
{
    QTextCursor cursor(this);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    // The first block would keep the marks of the text it held.
    cursor.setBlockFormat(QTextBlockFormat());
    insert(cursor, shown);
    cursor.endEditBlock();
}

void PiecedDocument::insert(QTextCursor &cursor, QStringView shown)
{
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    bool firstLine = true;
    for (QStringView line : shown.tokenize(QLatin1Char('\n'))) {
        // A clean format: the new block must not take over a soft break from the block it splits.
        if (!firstLine)
            cursor.insertBlock(QTextBlockFormat(), cursor.charFormat());
        firstLine = false;
        // Already in pieces, so the editor never lays the whole line out; where the pieces meet the
        // text around the cursor, the rule mends them once the edit is done.
        qsizetype end = line.size() > PieceLength ? pieceEnd(line) : line.size();
        cursor.insertText(line.left(end).toString());
        if (end < line.size())
            mark(cursor.block(), GoesOn, true);
        while (end < line.size()) {
            line = line.mid(end);
            end = line.size() > PieceLength ? pieceEnd(line) : line.size();
            cursor.insertBlock(softBreak(end < line.size()), cursor.charFormat());
            cursor.insertText(line.left(end).toString());
        }
    }
    cursor.endEditBlock();
}

void PiecedDocument::remove(QTextCursor &cursor)
{
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    if (from == to)
        return;
    const QTextBlock block = findBlock(from);
    const bool inOnePiece = to < block.position() + block.length();
    if (to - from == 1 && inOnePiece && !(block.length() == 2 && inPieces(block))) {
        cursor.setPosition(from);
        cursor.deleteChar();
        return;
    }
    // Joins blocks or empties a piece: the rule mends it within this step.
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.endEditBlock();
}

void PiecedDocument::relayout()
{
    static_cast<PieceLayout *>(documentLayout())->guessAll();
}

void PiecedDocument::mend(int from, int to)
{
    // After an undo the document is as it was before an edit, in pieces; editing it now would
    // throw away what there is to redo.
    if (isRedoAvailable())
        return;
    QTextCursor cursor(this);
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

    QTextBlock block = findBlock(from);
    // Before the change, the block before it says whether a soft break ends it.
    setMark(block, ContinuesLine, goesOn(block.previous()));
    while (block.isValid() && block.position() <= to) {
        if (block.length() == 1 && inPieces(block)) {
            // An empty piece: the caret would need two steps across its breaks. One of its soft
            // breaks goes; the block left is marked as the outer sides of the two were.
            edit();
            const bool after = !continuesLine(block);
            const QTextBlock first = after ? block : block.previous();
            const bool continuing = continuesLine(first);
            const bool goingOn = goesOn(first.next());
            cursor.setPosition(first.position() + first.length() - 1);
            cursor.deleteChar();
            --to;
            block = cursor.block();
            setMark(block, ContinuesLine, continuing);
            setMark(block, GoesOn, goingOn);
            continue;
        }
        if (block.length() - 1 > PieceLength) {
            edit();
            // A piece that grew a little (typing, a join) is cut in half, so that typing on at its
            // end does not cut it again at every key.
            const QString text = block.text();
            const qsizetype limit = text.size() <= 2 * PieceLength ? text.size() / 2 : PieceLength;
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
