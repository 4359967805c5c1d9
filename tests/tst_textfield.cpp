#include "module1.h"
#include "testtext.h"
#include "pieces.h"
#include "textfield.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace TestText;

namespace {

void type(QWidget *widget, const QString &typed)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
    QApplication::sendEvent(widget, &press);
}

} // namespace

class TestTextField : public QObject
{
    Q_OBJECT

private slots:
    void setTextReadsBackUnchanged_data();
    void setTextReadsBackUnchanged();
    void randomTextsRichInControlCodesReadBack();
    void controlCodesAreShownAsPictures();

    void typedCharactersOutsideTheCodePageBecomeQuestionMarks();
    void inputMethodTextIsBroughtIntoTheCodePage_data();
    void inputMethodTextIsBroughtIntoTheCodePage();
    void enterTypesALineBreak();
    void pastedPlainTextKeepsItsLines_data();
    void pastedPlainTextKeepsItsLines();
    void copyAndPasteReproduceTheExactText();
    void pasteCanBeUndone();
    void tabsAreTabs_data();
    void tabsAreTabs();
    void longLinesWrapWithoutAHorizontalScrollBar();

    void longLinesAreHeldInPiecesAndReadBackWhole_data();
    void longLinesAreHeldInPiecesAndReadBackWhole();
    void editingNextToASoftBreak_data();
    void editingNextToASoftBreak();
    void copyAcrossASoftBreakHasNoLineBreak();
    void caretCrossesASoftBreakInOneStep_data();
    void caretCrossesASoftBreakInOneStep();
    void homeAndEndStopAtAPieceBreakAsAtAWrap_data();
    void homeAndEndStopAtAPieceBreakAsAtAWrap();
    void linesCommittedByAnInputMethodAreRealLines();
};

// Puts the cursor at offset within block number block.
void placeCursor(TextField &field, int block, int offset)
{
    QTextCursor cursor(field.document()->findBlockByNumber(block));
    cursor.setPosition(cursor.position() + offset);
    field.setTextCursor(cursor);
}

void TestTextField::setTextReadsBackUnchanged_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("the empty text") << QString();
    QTest::newRow("every code in order") << AllCodes();
    QTest::newRow("NUL first, in the middle and last") << QStringLiteral("\0a\0b\0");
    QTest::newRow("only NULs") << QString(5, QChar(0));
    QTest::newRow("a lone CR") << QStringLiteral("a\rb");
    QTest::newRow("a lone LF") << QStringLiteral("a\nb");
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb");
    QTest::newRow("CR CR LF") << QStringLiteral("a\r\r\nb");
    QTest::newRow("CR LF LF") << QStringLiteral("a\r\n\nb");
    QTest::newRow("LF CR") << QStringLiteral("\n\r");
    QTest::newRow("empty lines and a final line break") << QStringLiteral("\r\n\r\nfin\r\n");
    QTest::newRow("a lone CR at the end") << QStringLiteral("fin\r");
    QTest::newRow("DEL and the five undefined codes") << QStringLiteral("\x7f\u0081\u008d\u008f\u0090\u009d");
    QTest::newRow("no-break spaces and a soft hyphen") << QStringLiteral("\u00a0 \u00a0\u00ad");
    QTest::newRow("tabs") << QStringLiteral("\ta\t\t");
    QTest::newRow("32766 codes") << AllCodes().repeated(128).left(Module1::MaxTextLength);
}

void TestTextField::setTextReadsBackUnchanged()
{
    QFETCH(QString, text);
    TextField field;
    field.setText(text);
    QCOMPARE(field.text(), text);
}

void TestTextField::randomTextsRichInControlCodesReadBack()
{
    QRandomGenerator random(5);
    TextField field;
    for (int round = 0; round < 300; ++round) {
        const QString text = RandomControlRich(random, 60);
        field.setText(text);
        QCOMPARE(field.text(), text);
    }
}

void TestTextField::controlCodesAreShownAsPictures()
{
    TextField field;
    field.setText(QStringLiteral("a\0b\rc\r\nd"));
    QCOMPARE(field.document()->toPlainText(), QStringLiteral("a\u2400b\u240Dc\nd"));
    QCOMPARE(field.blockCount(), 2);
}

void TestTextField::typedCharactersOutsideTheCodePageBecomeQuestionMarks()
{
    TextField field;
    type(&field, QStringLiteral("a"));
    type(&field, QStringLiteral("ñ"));
    type(&field, QStringLiteral("中"));
    type(&field, QStringLiteral("😀"));
    type(&field, QStringLiteral("€"));
    QCOMPARE(field.text(), QStringLiteral("añ??€")); // the emoji is one character, so one ?
    QCOMPARE(field.document()->toPlainText(), QStringLiteral("añ??€"));
}

void TestTextField::inputMethodTextIsBroughtIntoTheCodePage_data()
{
    QTest::addColumn<QString>("committed");
    QTest::addColumn<QString>("text");

    QTest::newRow("characters outside the code page become ?")
        << QStringLiteral("日本é") << QStringLiteral("??é");
    QTest::newRow("a decomposed accent is composed") << QStringLiteral("e\u0301") << QStringLiteral("é");
    QTest::newRow("an emoji becomes one ?") << QStringLiteral("😀") << QStringLiteral("?");
}

void TestTextField::inputMethodTextIsBroughtIntoTheCodePage()
{
    QFETCH(QString, committed);
    QFETCH(QString, text);

    TextField field;
    QInputMethodEvent event;
    event.setCommitString(committed);
    QApplication::sendEvent(&field, &event);
    QCOMPARE(field.text(), text);
}

void TestTextField::enterTypesALineBreak()
{
    TextField field;
    field.setText(QStringLiteral("uno"));
    field.moveCursor(QTextCursor::End);
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClicks(&field, QStringLiteral("dos"));
    QCOMPARE(field.text(), QStringLiteral("uno\r\ndos"));
}

void TestTextField::pastedPlainTextKeepsItsLines_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");

    QTest::newRow("LF line breaks") << QStringLiteral("uno\ndos\n") << QStringLiteral("uno\r\ndos\r\n");
    QTest::newRow("CR LF line breaks") << QStringLiteral("uno\r\ndos") << QStringLiteral("uno\r\ndos");
    QTest::newRow("a tab stays a tab") << QStringLiteral("a\tb") << QStringLiteral("a\tb");
    QTest::newRow("characters outside the code page become ?")
        << QStringLiteral("Ωmega") << QStringLiteral("?mega");
    QTest::newRow("a pasted control picture gives its code")
        << QStringLiteral("x␀y") << QStringLiteral("x\0y");
    QTest::newRow("Windows line breaks keep a lone CR and a lone LF as codes")
        << QStringLiteral("uno\r\ndos\rtres\n") << QStringLiteral("uno\r\ndos\rtres\n");
    QTest::newRow("decomposed text is composed") << QStringLiteral("n\u0303u") << QStringLiteral("ñu");
    QTest::newRow("an emoji becomes one ?") << QStringLiteral("ok👍") << QStringLiteral("ok?");
}

void TestTextField::pastedPlainTextKeepsItsLines()
{
    QFETCH(QString, pasted);
    QFETCH(QString, text);

    TextField field;
    QApplication::clipboard()->setText(pasted);
    field.paste();
    QCOMPARE(field.text(), text);
}

void TestTextField::copyAndPasteReproduceTheExactText()
{
    const QString text = AllCodes() + QStringLiteral("\r\n\r\r\n\n\0fin");
    TextField source;
    source.setText(text);
    source.selectAll();
    source.copy();

    const QString onClipboard = QApplication::clipboard()->text();
    QVERIFY(!onClipboard.isEmpty());
    QVERIFY(!onClipboard.contains(QChar(0)));

    // Into another field, and into one that already holds text, at its cursor.
    TextField other;
    other.paste();
    QCOMPARE(other.text(), text);

    TextField third;
    third.setText(QStringLiteral("[]"));
    third.moveCursor(QTextCursor::Start);
    third.moveCursor(QTextCursor::NextCharacter);
    third.paste();
    QCOMPARE(third.text(), QStringLiteral("[") + text + QStringLiteral("]"));
}

void TestTextField::pasteCanBeUndone()
{
    TextField field;
    field.setText(QStringLiteral("antes"));
    field.moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral(" y después"));
    field.paste();
    QCOMPARE(field.text(), QStringLiteral("antes y después"));
    field.undo();
    QCOMPARE(field.text(), QStringLiteral("antes"));
}

void TestTextField::tabsAreTabs_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("set into the field") << "set";
    QTest::newRow("typed with Ctrl+Tab") << "typed";
    QTest::newRow("pasted from another program") << "pasted";
}

void TestTextField::tabsAreTabs()
{
    QFETCH(QString, how);

    TextField field;
    if (how == QLatin1String("set")) {
        field.setText(QStringLiteral("a\tb"));
    } else if (how == QLatin1String("typed")) {
        QTest::keyClicks(&field, QStringLiteral("a"));
        QTest::keyClick(&field, Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClicks(&field, QStringLiteral("b"));
    } else {
        QApplication::clipboard()->setText(QStringLiteral("a\tb"));
        field.paste();
    }
    QCOMPARE(field.text(), QStringLiteral("a\tb"));
    // Shown as a tab (white space to the next tab stop), not as a box.
    QCOMPARE(field.document()->toPlainText(), QStringLiteral("a\tb"));
    QVERIFY(field.tabStopDistance() > field.fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    // Copied as a tab, so another program gets its columns.
    field.selectAll();
    field.copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\tb"));
}

void TestTextField::longLinesWrapWithoutAHorizontalScrollBar()
{
    TextField field;
    field.resize(169, 169);
    field.show();
    field.setText(QString(2000, QChar(u'a')));
    QVERIFY(QTest::qWaitForWindowExposed(&field));

    QVERIFY(!field.horizontalScrollBar()->isVisible());
    QVERIFY(field.verticalScrollBar()->isVisible());
    QVERIFY(field.verticalScrollBar()->maximum() > 0);
    QVERIFY(field.document()->firstBlock().layout()->lineCount() > 1);
    QCOMPARE(field.text().size(), 2000); // wrapping adds nothing to the text
}

void TestTextField::longLinesAreHeldInPiecesAndReadBackWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("blocks");

    const qsizetype piece = Pieces::Length;
    QTest::newRow("a line of one piece") << QString(piece, QChar(u'x')) << 1;
    QTest::newRow("a line one character longer than a piece") << QString(piece + 1, QChar(u'x')) << 2;
    QTest::newRow("a line of letters without blanks") << QString(5 * piece, QChar(u'x')) << 5;
    QTest::newRow("prose, cut after blanks") << QStringLiteral("palabra ").repeated(piece) << 8;
    QTest::newRow("a long line between two short ones")
        << QStringLiteral("uno\r\n") + QString(3 * piece, QChar(u'x')) + QStringLiteral("\r\ntres") << 5;
    QTest::newRow("every code, the longest text")
        << AllCodes().repeated(128).left(Module1::MaxTextLength) << -1;
}

void TestTextField::longLinesAreHeldInPiecesAndReadBackWhole()
{
    QFETCH(QString, text);
    QFETCH(int, blocks);

    TextField field;
    field.setText(text);
    if (blocks > 0)
        QCOMPARE(field.blockCount(), blocks);
    QCOMPARE(field.text(), text);

    field.selectAll();
    field.copy();
    TextField other;
    other.paste();
    QCOMPARE(other.text(), text);
}

void TestTextField::editingNextToASoftBreak_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("tail"); // the text after all but 8 characters of the first piece

    // The first piece holds a's only, the second piece ten b's.
    QTest::newRow("Backspace after a soft break deletes the character before it")
        << 1 << 0 << int(Qt::Key_Backspace) << QStringLiteral("aaaaaaabbbbbbbbbb");
    QTest::newRow("Delete before a soft break deletes the character after it")
        << 0 << int(Pieces::Length) << int(Qt::Key_Delete) << QStringLiteral("aaaaaaaabbbbbbbbb");
    QTest::newRow("Enter after a soft break is a line break there")
        << 1 << 0 << int(Qt::Key_Return) << QStringLiteral("aaaaaaaa\r\nbbbbbbbbbb");
    QTest::newRow("Enter inside the second piece is a line break there")
        << 1 << 3 << int(Qt::Key_Enter) << QStringLiteral("aaaaaaaabbb\r\nbbbbbbb");
    QTest::newRow("Backspace inside a piece deletes as usual")
        << 1 << 3 << int(Qt::Key_Backspace) << QStringLiteral("aaaaaaaabbbbbbbbb");
}

void TestTextField::editingNextToASoftBreak()
{
    QFETCH(int, block);
    QFETCH(int, offset);
    QFETCH(int, key);
    QFETCH(QString, tail);

    const QString head(Pieces::Length - 8, QChar(u'a'));
    TextField field;
    field.setText(head + QStringLiteral("aaaaaaaabbbbbbbbbb"));
    QCOMPARE(field.blockCount(), 2);
    placeCursor(field, block, offset);
    QTest::keyClick(&field, Qt::Key(key));
    QCOMPARE(field.text(), head + tail);

    // A line break typed there stays one after more editing around it.
    QTest::keyClicks(&field, QStringLiteral("z"));
    field.undo();
    QCOMPARE(field.text(), head + tail);
    field.undo();
    QCOMPARE(field.text(), head + QStringLiteral("aaaaaaaabbbbbbbbbb"));
}

void TestTextField::copyAcrossASoftBreakHasNoLineBreak()
{
    TextField field;
    const QString piece(Pieces::Length, QChar(u'a'));
    field.setText(piece + QStringLiteral("bbbb"));
    QTextCursor cursor(field.document());
    cursor.setPosition(piece.size() - 4);
    cursor.setPosition(piece.size() + 3, QTextCursor::KeepAnchor); // 4 a's, the soft break, 2 b's
    field.setTextCursor(cursor);
    field.copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("aaaabb"));

    // Pasted into the second piece, the lines of the pasted text are real lines.
    QApplication::clipboard()->setText(QStringLiteral("X\nY"));
    placeCursor(field, 1, 1);
    field.paste();
    QCOMPARE(field.text(), piece + QStringLiteral("bX\r\nYbbb"));
}

// The text offset of a document position in a field whose text has no line break: every block
// but the first starts after a soft break, which is no character of the text.
int textOffset(const TextField &field, int position)
{
    return position - field.document()->findBlock(position).blockNumber();
}

int documentPosition(const TextField &field, int offset)
{
    int position = offset;
    while (textOffset(field, position) < offset)
        ++position;
    return position;
}

void TestTextField::caretCrossesASoftBreakInOneStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start"); // text offset
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("presses");

    const int piece = int(Pieces::Length);
    // The break falls inside a word: a's fill the first piece, b's begin the second.
    const QString word = QString(piece, QChar(u'a')) + QStringLiteral("bbbb cc dd");
    // The break falls after a blank, where a word starts.
    const QString prose = QStringLiteral("palabra ").repeated(piece / 8 + 4);
    const int ctrl = int(Qt::ControlModifier);
    const int shift = int(Qt::ShiftModifier);

    QTest::newRow("Right crosses the break with one press a character")
        << word << piece - 1 << int(Qt::Key_Right) << 0 << 3;
    QTest::newRow("Left crosses back the same way") << word << piece + 2 << int(Qt::Key_Left) << 0 << 3;
    QTest::newRow("Shift+Right selects across the break a character a press")
        << word << piece - 2 << int(Qt::Key_Right) << shift << 4;
    QTest::newRow("Shift+Left selects back across the break")
        << word << piece + 2 << int(Qt::Key_Left) << shift << 4;
    QTest::newRow("Ctrl+Right goes past a break inside a word to the next word")
        << word << piece - 20 << int(Qt::Key_Right) << ctrl << 1;
    QTest::newRow("Ctrl+Right from the break itself goes to the next word")
        << word << piece << int(Qt::Key_Right) << ctrl << 2;
    QTest::newRow("Ctrl+Left goes back past a break inside a word to its start")
        << word << piece + 2 << int(Qt::Key_Left) << ctrl << 1;
    QTest::newRow("Ctrl+Shift+Right selects a word across the break")
        << word << piece - 3 << int(Qt::Key_Right) << (ctrl | shift) << 1;
    QTest::newRow("Ctrl+Shift+Left selects back to the word's start across the break")
        << word << piece + 6 << int(Qt::Key_Left) << (ctrl | shift) << 2;
    QTest::newRow("Ctrl+Right stops at a word that starts a piece")
        << prose << piece - 5 << int(Qt::Key_Right) << ctrl << 2;
    QTest::newRow("Ctrl+Left stops at a word that starts a piece")
        << prose << piece + 3 << int(Qt::Key_Left) << ctrl << 2;
    QTest::newRow("Right across a break after a blank") << prose << piece - 1 << int(Qt::Key_Right) << 0 << 2;
}

void TestTextField::caretCrossesASoftBreakInOneStep()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, presses);

    // The same keys in an editor that holds the text as one paragraph tell where the caret
    // belongs inside a piece.
    QPlainTextEdit whole;
    whole.setPlainText(text);
    QTextCursor expected(whole.document());
    expected.setPosition(start);
    whole.setTextCursor(expected);

    TextField field;
    field.setText(text);
    QVERIFY(field.blockCount() > 1);
    QTextCursor cursor(field.document());
    cursor.setPosition(documentPosition(field, start));
    field.setTextCursor(cursor);

    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(&whole, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTest::keyClick(&field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(textOffset(field, field.textCursor().position()), whole.textCursor().position());
        QCOMPARE(textOffset(field, field.textCursor().anchor()), whole.textCursor().anchor());
    }
    QCOMPARE(field.text(), text); // moving changed nothing
}

void TestTextField::homeAndEndStopAtAPieceBreakAsAtAWrap_data()
{
    QTest::addColumn<int>("start"); // text offsets, the break being at PieceLength
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");

    const int piece = int(Pieces::Length);
    QTest::newRow("Home on the line after the break goes to the break")
        << piece + 3 << int(Qt::Key_Home) << piece;
    QTest::newRow("End on the line before the break goes to the break")
        << piece - 3 << int(Qt::Key_End) << piece;
    QTest::newRow("End at the break stays there") << piece << int(Qt::Key_End) << piece;
}

void TestTextField::homeAndEndStopAtAPieceBreakAsAtAWrap()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);

    // A piece break ends a visual line, as a wrap does: Home and End go to where the line shows
    // its ends, and nothing there is a character of the text.
    TextField field;
    field.resize(300, 200);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    field.setText(QString(Pieces::Length, QChar(u'a')) + QStringLiteral("bbbbbbbbbb"));
    QTextCursor cursor(field.document());
    cursor.setPosition(documentPosition(field, start));
    field.setTextCursor(cursor);
    QTest::keyClick(&field, Qt::Key(key));
    QCOMPARE(textOffset(field, field.textCursor().position()), expected);
}

void TestTextField::linesCommittedByAnInputMethodAreRealLines()
{
    const QString piece(Pieces::Length, QChar(u'a'));
    TextField field;
    field.setText(piece + QStringLiteral("bbbb"));
    placeCursor(field, 1, 2);

    QInputMethodEvent event;
    event.setCommitString(QStringLiteral("X\nY中"));
    QApplication::sendEvent(&field, &event);
    QCOMPARE(field.text(), piece + QStringLiteral("bbX\r\nY?bb"));
}

QTEST_MAIN(TestTextField)
#include "tst_textfield.moc"
