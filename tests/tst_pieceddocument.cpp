// The rules of a field's document on their own: how a long line is held in pieces, how a line's
// offsets map to the document's positions, how an edit is mended in its own undo step, and how a
// line in pieces acts as one for a word and a line. The field's tests (tst_textfield) try the same
// through the keys, the mouse and the clipboard.
#include "window/pieceddocument.h"
#include "window/wholelines.h"

#include <QTest>
#include <QTextCursor>

namespace {

constexpr int Piece = PiecedDocument::PieceLength;

QString xs(int count)
{
    return QString(count, QChar(u'x'));
}

// The document's text as the field shows it, soft breaks left out.
QString shown(const PiecedDocument &document)
{
    return document.shownText(0, document.characterCount() - 1);
}

} // namespace

class TestPiecedDocument : public QObject
{
    Q_OBJECT

private slots:
    void aTextIsHeldInPiecesByTheRule_data();
    void aTextIsHeldInPiecesByTheRule();
    void aLineMapsItsOffsetsToPositions_data();
    void aLineMapsItsOffsetsToPositions();
    void aShownOffsetIsWhereAPlainEditorHasIt_data();
    void aShownOffsetIsWhereAPlainEditorHasIt();
    void anEditIsMendedInItsOwnUndoStep_data();
    void anEditIsMendedInItsOwnUndoStep();
    void aWordOrALineInPiecesIsSelectedWhole_data();
    void aWordOrALineInPiecesIsSelectedWhole();
};

void TestPiecedDocument::aTextIsHeldInPiecesByTheRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("blocks");

    QTest::newRow("a line of one piece is one block") << xs(Piece) << 1;
    QTest::newRow("one character more makes a second piece") << xs(Piece + 1) << 2;
    QTest::newRow("letters without blanks are cut every piece's length") << xs(5 * Piece) << 5;
    // 128 words of 8 characters fill a piece exactly, and each piece ends after a blank.
    QTest::newRow("prose is cut after blanks") << QStringLiteral("palabra ").repeated(Piece) << 8;
    QTest::newRow("a long line between two short ones keeps its line breaks")
        << QStringLiteral("uno\n") + xs(3 * Piece) + QStringLiteral("\ntres") << 5;
    QTest::newRow("empty lines stay empty blocks")
        << QStringLiteral("\n\n") + xs(Piece + 1) + QStringLiteral("\n") << 5;
}

void TestPiecedDocument::aTextIsHeldInPiecesByTheRule()
{
    QFETCH(QString, text);
    QFETCH(int, blocks);

    PiecedDocument document;
    document.replaceAll(text);
    QCOMPARE(document.blockCount(), blocks);
    QCOMPARE(shown(document), text);
    QCOMPARE(document.checkRules(), QString());
}

void TestPiecedDocument::aLineMapsItsOffsetsToPositions_data()
{
    // A line of 2500 x's: pieces of 1024, 1024 and 452 characters. The first piece holds
    // positions 0 to 1023 and its soft break 1024; the second starts at 1025 and its soft break is
    // 2049; the third starts at 2050 and ends at 2502.
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("offsetBack"); // the offset of that position

    QTest::newRow("the line's start") << 0 << 0 << 0;
    QTest::newRow("the first piece's last character") << 1023 << 1023 << 1023;
    QTest::newRow("the offset after a piece is at the next piece's start") << 1024 << 1025 << 1024;
    QTest::newRow("the second piece's last character") << 2047 << 2048 << 2047;
    QTest::newRow("the third piece's start") << 2048 << 2050 << 2048;
    QTest::newRow("the line's end") << 2500 << 2502 << 2500;
}

void TestPiecedDocument::aLineMapsItsOffsetsToPositions()
{
    QFETCH(int, offset);
    QFETCH(int, position);
    QFETCH(int, offsetBack);

    PiecedDocument document;
    document.replaceAll(xs(2500));
    QCOMPARE(document.blockCount(), 3);
    const PiecedDocument::Line line = document.lineAt(position);
    QCOMPARE(line.start(), 0);
    QCOMPARE(line.end(), 2502);
    QCOMPARE(line.length(), 2500);
    QCOMPARE(line.positionOf(offset), position);
    QCOMPARE(line.offsetOf(position), offsetBack);
    // A soft break's own position is the end of its piece: the offset after that piece.
    QCOMPARE(line.offsetOf(1024), 1024);
}

void TestPiecedDocument::aShownOffsetIsWhereAPlainEditorHasIt_data()
{
    // "ab", a line break, then 1030 x's: "ab" at positions 0 and 1 and its line break 2; the long
    // line's first piece from 3 to 1026, its soft break 1027; its second piece from 1028 to 1033.
    // A plain editor holding the text has the long line from offset 3.
    QTest::addColumn<int>("shownOffset");
    QTest::addColumn<int>("position");

    QTest::newRow("the first line's end, before its line break") << 2 << 2;
    QTest::newRow("the long line's start, after the line break") << 3 << 3;
    QTest::newRow("where a piece ends, the position is its end") << 1027 << 1027;
    QTest::newRow("one further, the second character of the next piece") << 1028 << 1029;
    QTest::newRow("the text's end") << 1033 << 1034;
}

void TestPiecedDocument::aShownOffsetIsWhereAPlainEditorHasIt()
{
    QFETCH(int, shownOffset);
    QFETCH(int, position);

    PiecedDocument document;
    document.replaceAll(QStringLiteral("ab\n") + xs(1030));
    QCOMPARE(document.blockCount(), 3);
    QCOMPARE(document.positionAt(shownOffset), position);
    QCOMPARE(document.shownOffset(position), shownOffset);
}

void TestPiecedDocument::anEditIsMendedInItsOwnUndoStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from"); // shown offsets of what the edit replaces
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("inserted");

    QTest::newRow("a letter typed into a full piece") << xs(Piece) << 500 << 500 << QStringLiteral("y");
    QTest::newRow("a removal across a soft break") << xs(Piece + 6) << 1020 << 1026 << QString();
    QTest::newRow("a whole piece removed leaves no empty piece")
        << xs(2 * Piece + 3) << Piece << 2 * Piece << QString();
    QTest::newRow("a line break put into a long line")
        << xs(3 * Piece) << 1500 << 1500 << QStringLiteral("\n");
    QTest::newRow("a line break between two long lines taken away")
        << xs(Piece + 1) + QStringLiteral("\n") + xs(Piece) << Piece + 1 << Piece + 2 << QString();
    QTest::newRow("a long text pasted over a short one")
        << QStringLiteral("uno dos") << 4 << 7 << QStringLiteral("palabra ").repeated(300);
}

void TestPiecedDocument::anEditIsMendedInItsOwnUndoStep()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, inserted);

    PiecedDocument document;
    document.replaceAll(text);
    document.clearUndoRedoStacks();
    QTextCursor cursor(&document);
    cursor.setPosition(document.positionAt(from));
    cursor.setPosition(document.positionAt(to), QTextCursor::KeepAnchor);
    if (inserted.isEmpty())
        document.remove(cursor);
    else
        document.insert(cursor, inserted);
    QCOMPARE(shown(document), text.left(from) + inserted + text.mid(to));
    QCOMPARE(document.checkRules(), QString());

    // One undo takes back the edit and its mending together, and nothing is left to undo.
    document.undo();
    QCOMPARE(shown(document), text);
    QCOMPARE(document.checkRules(), QString());
    QVERIFY(!document.isUndoAvailable());
}

void TestPiecedDocument::aWordOrALineInPiecesIsSelectedWhole_data()
{
    // "uno", a line break, then a word of 1020 a's and "bcdefgh" with no blank before the first
    // piece's end, so that it runs on across the soft break, then " fin".
    QTest::addColumn<bool>("wholeLine");
    QTest::addColumn<int>("shownOffset");
    QTest::addColumn<QString>("selected");

    const QString word = QString(1020, QChar(u'a')) + QStringLiteral("bcdefgh");
    QTest::newRow("a double click selects a word across a soft break") << false << 10 << word;
    QTest::newRow("a double click in the word's second piece selects it too") << false << 4 + 1025 << word;
    QTest::newRow("a double click on the last word")
        << false << 4 + int(word.size()) + 2 << QStringLiteral("fin");
    QTest::newRow("a triple click selects the line in pieces and its line break")
        << true << 10 << word + QStringLiteral(" fin");
    QTest::newRow("a triple click on the short line takes its line break")
        << true << 1 << QStringLiteral("uno\n");
}

void TestPiecedDocument::aWordOrALineInPiecesIsSelectedWhole()
{
    QFETCH(bool, wholeLine);
    QFETCH(int, shownOffset);
    QFETCH(QString, selected);

    PiecedDocument document;
    document.replaceAll(QStringLiteral("uno\n") + QString(1020, QChar(u'a')) + QStringLiteral("bcdefgh fin"));
    QCOMPARE(document.blockCount(), 3);
    const int position = document.positionAt(shownOffset);
    const QTextCursor cursor
        = wholeLine ? WholeLines::line(document, position) : WholeLines::word(document, position);
    QCOMPARE(document.shownText(cursor.selectionStart(), cursor.selectionEnd()), selected);
}

QTEST_MAIN(TestPiecedDocument)
#include "tst_pieceddocument.moc"
