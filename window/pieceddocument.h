#pragma once

#include <QStringView>
#include <QTextBlock>
#include <QTextDocument>

class QTextCursor;

// A text field's document. The editor lays out a paragraph as a whole, and again after every
// change in it, so a long line (an encoded text rarely has a line break) is held as pieces of at
// most PieceLength characters joined by soft breaks: block breaks that are no line break of the
// text. Whatever knows about pieces lives here:
//   - the rule: however the document changes (an edit of the field's, the editor's own, an input
//     method, undo), it is mended as soon as the change is done, in the same undo step: no piece
//     is longer than PieceLength, no piece of a line in pieces is empty, and each soft break is
//     marked on both of its sides;
//   - Line, the mapping between the offsets of a line of the text and the document's positions;
//   - its layout, which guesses the line count of each piece not laid out yet, so that the scroll
//     bar's thumb follows the position in the text and not the count of pieces.
//
// The rule mends an edit in the edit's own undo step only when the edit was made in an edit block:
// an edit that may need mending (one that joins two blocks, empties a piece or overfills one) is
// made through remove() and insert(), never left to the editor's own single steps.
class PiecedDocument final : public QTextDocument
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PiecedDocument)

public:
    static constexpr int PieceLength = 1024;

    // One line of the text, from its first piece to its last.
    class Line
    {
    public:
        explicit Line(const QTextBlock &block);

        int start() const { return m_first.position(); }
        int end() const { return m_last.position() + m_last.length() - 1; }
        bool endsDocument() const { return !m_last.next().isValid(); }
        int length() const { return offsetOf(end()); }
        QString text() const;
        // Each soft break takes a position in the document but is no character of the line.
        int offsetOf(int position) const;
        // Where a piece ends, the position of the offset is at the start of the next piece.
        int positionOf(int offset) const;

    private:
        QTextBlock m_first;
        QTextBlock m_last;
    };

    explicit PiecedDocument(QObject *parent = nullptr);

    Line lineAt(int position) const { return Line(findBlock(position)); }
    // The offset in the shown text of a position, and the position of an offset (where a piece
    // ends, its end): what a plain editor holding the text calls the same place.
    int shownOffset(int position) const;
    int positionAt(int shownOffset) const;
    // The shown text (line breaks as LF) from position from to position to, soft breaks left out.
    QString shownText(int from, int to) const;
    bool isSoftBreakAt(int position) const;
    static bool continuesLine(const QTextBlock &block);

    // Whether count characters typed at cursor, which selects nothing, fit in its piece, so that
    // the editor may type them itself.
    bool hasRoomFor(const QTextCursor &cursor, int count) const;
    // Whether shown text goes into one piece: no line break and no more than a piece holds.
    static bool fitsOnePiece(QStringView shown);
    // Whether cursor selects the piece of position whole, as the editor's triple click selects a
    // block.
    bool selectsPieceOf(const QTextCursor &cursor, int position) const;
    // What breaks the rule, if anything; empty when the document keeps it.
    QString checkRules() const;

    // Replaces the whole text with shown text, as one step that can be undone.
    void replaceAll(QStringView shown);
    // Inserts shown text at cursor, in place of its selection, as one step that can be undone.
    void insert(QTextCursor &cursor, QStringView shown);
    // Removes the selection of cursor. One character inside a piece goes as the editor's own
    // Backspace or Delete does, so that deletions one after another are undone together.
    void remove(QTextCursor &cursor);

    // Lays the text out again after the width or the font changed, which forgets every layout.
    void relayout();

private:
    void mend(int from, int to);
    bool inPieces(const QTextBlock &block) const;
};
