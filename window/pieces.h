#pragma once

#include <QObject>
#include <QPlainTextDocumentLayout>
#include <QStringView>
#include <QTextBlock>

class QKeyEvent;
class QTextCursor;
class QTextDocument;

// The editor lays out a paragraph as a whole, and again after every change in it, so a long line
// (an encoded text rarely has a line break) is held as pieces of at most Length characters
// joined by soft breaks: block breaks that are no line break of the text.
//
// The rule lives here: every text a field inserts goes in through insert(), already in pieces,
// and whatever else changes a document that Pieces holds (typing that grows a piece, a deletion
// that joins two blocks, an input method) is mended as soon as the change is done, in the same
// undo step: cut into pieces, its soft breaks marked again. No road into a field lays out a
// paragraph longer than Length.
class Pieces final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Pieces)

public:
    static constexpr int Length = 1024;

    explicit Pieces(QObject *parent = nullptr);

    // A new empty document whose lines are kept in pieces from now on.
    QTextDocument *newDocument(QObject *owner);

    // Inserts shown text (line breaks as LF) at cursor, in place of its selection, as one edit.
    static void insert(QTextCursor &cursor, QStringView shown);
    // Whether the editor's own handling of key at cursor may need the pieces mended: typing into
    // a full piece, or Backspace or Delete joining two blocks. Such an edit must be made an edit
    // block, so that the mending that follows it joins its undo step.
    static bool changesPieces(const QTextCursor &cursor, const QKeyEvent *key);

    // Whether block continues the line of the block before it.
    static bool continuesLine(const QTextBlock &block);
    // The first and the last piece of the line that holds block.
    static QTextBlock firstPiece(QTextBlock block);
    static QTextBlock lastPiece(QTextBlock block);
    // Whether position is the soft break at the end of a piece.
    static bool isSoftBreakAt(const QTextDocument *document, int position);
    // The shown text from position from to position to, soft breaks left out.
    static QString shownText(const QTextDocument *document, int from, int to);

private:
    void keepInPieces(QTextDocument *document, int from, int to);
};

// The plain layout, with the line count of every piece not laid out yet guessed from its length,
// so that the scroll bar's thumb follows the position in the text and not the count of pieces.
class PieceLayout final : public QPlainTextDocumentLayout
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PieceLayout)

public:
    explicit PieceLayout(QTextDocument *document);

    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    // Guesses again after the width or the font changed, which forgets every layout.
    void guessLineCounts();

private:
    void guess(QTextBlock from, const QTextBlock &to);
};
