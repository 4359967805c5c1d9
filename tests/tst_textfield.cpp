#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "tests/support/fixture.h"
#include "tests/support/input.h"
#include "tests/support/testtext.h"
#include "window/pieceddocument.h"
#include "window/textfield.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGlyphRun>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <cmath>
#include <memory>

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
    void init();
    void cleanup();

    void setTextReadsBackUnchanged_data();
    void setTextReadsBackUnchanged();
    void randomTextsRichInControlCodesReadBack();
    void controlCodesAreShownAsPictures();

    void textComingInIsBroughtIntoTheCodePage_data();
    void textComingInIsBroughtIntoTheCodePage();
    void enterTypesALineBreak();
    void copyAndPasteReproduceTheExactText();
    void pasteCanBeUndone();
    void tabsAreTabs_data();
    void tabsAreTabs();
    void longLinesWrapWithoutAHorizontalScrollBar();
    void aPointIsWhereAClickThereFindsIt_data();
    void aPointIsWhereAClickThereFindsIt();

    void longLinesReadBackWholeThroughTheClipboard_data();
    void longLinesReadBackWholeThroughTheClipboard();
    void editingNextToASoftBreak_data();
    void editingNextToASoftBreak();
    void copyAcrossASoftBreakHasNoLineBreak();
    void aLongLineActsAsOneLine_data();
    void aLongLineActsAsOneLine();
    void everyRoadHoldsLongLinesInPieces_data();
    void everyRoadHoldsLongLinesInPieces();
    void scrollBarFollowsThePositionInTheText();
    void removingFromALineStartIntoAPieceKeepsTheLineBreak_data();
    void removingFromALineStartIntoAPieceKeepsTheLineBreak();
    void homeAndEndStopAtAPieceBreakAsAtAWrap_data();
    void homeAndEndStopAtAPieceBreakAsAtAWrap();
    void linesCommittedByAnInputMethodAreRealLines();
    void everyCodeWithoutAGlyphIsABoxOfItsOwn();
};

// Puts the cursor at offset within block number block.
void placeCursor(TextField &field, int block, int offset)
{
    QTextCursor cursor(field.document()->findBlockByNumber(block));
    cursor.setPosition(cursor.position() + offset);
    field.setTextCursor(cursor);
}

void TestTextField::init()
{
    Fixture::clear();
}

void TestTextField::cleanup()
{
    Fixture::clear();
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

void TestTextField::textComingInIsBroughtIntoTheCodePage_data()
{
    QTest::addColumn<QString>("road"); // "typed" a character at a time, "committed" or "pasted"
    QTest::addColumn<QString>("arriving");
    QTest::addColumn<QString>("text");

    QTest::newRow("typed characters outside the code page become ?, an emoji one ?")
        << "typed" << QStringLiteral("añ中😀€") << QStringLiteral("añ??€");
    QTest::newRow("committed characters outside the code page become ?")
        << "committed" << QStringLiteral("日本é") << QStringLiteral("??é");
    QTest::newRow("a committed decomposed accent is composed")
        << "committed" << QStringLiteral("e\u0301") << QStringLiteral("é");
    QTest::newRow("a committed emoji becomes one ?")
        << "committed" << QStringLiteral("😀") << QStringLiteral("?");
    QTest::newRow("pasted LF line breaks are the field's")
        << "pasted" << QStringLiteral("uno\ndos\n") << QStringLiteral("uno\r\ndos\r\n");
    QTest::newRow("pasted CR LF line breaks stay")
        << "pasted" << QStringLiteral("uno\r\ndos") << QStringLiteral("uno\r\ndos");
    QTest::newRow("a pasted tab stays a tab") << "pasted" << QStringLiteral("a\tb") << QStringLiteral("a\tb");
    QTest::newRow("pasted characters outside the code page become ?")
        << "pasted" << QStringLiteral("Ωmega") << QStringLiteral("?mega");
    QTest::newRow("a pasted control picture gives its code")
        << "pasted" << QStringLiteral("x␀y") << QStringLiteral("x\0y");
    QTest::newRow("pasted Windows line breaks keep a lone CR and a lone LF as codes")
        << "pasted" << QStringLiteral("uno\r\ndos\rtres\n") << QStringLiteral("uno\r\ndos\rtres\n");
    QTest::newRow("pasted decomposed text is composed")
        << "pasted" << QStringLiteral("n\u0303u") << QStringLiteral("ñu");
    QTest::newRow("a pasted emoji becomes one ?")
        << "pasted" << QStringLiteral("ok👍") << QStringLiteral("ok?");
}

void TestTextField::textComingInIsBroughtIntoTheCodePage()
{
    QFETCH(QString, road);
    QFETCH(QString, arriving);
    QFETCH(QString, text);

    TextField field;
    if (road == QLatin1String("typed")) {
        for (const char32_t c : arriving.toUcs4())
            type(&field, QString::fromUcs4(&c, 1));
    } else if (road == QLatin1String("committed")) {
        Input::commit(&field, arriving);
    } else {
        QApplication::clipboard()->setText(arriving);
        field.paste();
    }
    QCOMPARE(field.text(), text);
    QCOMPARE(FieldText::FromDisplay(field.document()->toPlainText()), text);
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

void TestTextField::aPointIsWhereAClickThereFindsIt_data()
{
    QTest::addColumn<int>("deletedTo");

    // Deleting from 90 brings the caret into view, with the top line scrolled by a fraction of a
    // pixel (the editor keeps the line's lower edge in view).
    QTest::newRow("the view at the text's start") << 0;
    QTest::newRow("the top line scrolled by a fraction of a pixel") << 914;
    QTest::newRow("the top line scrolled by another fraction") << 600;
}

void TestTextField::aPointIsWhereAClickThereFindsIt()
{
    QFETCH(int, deletedTo);
    TextField field;
    field.resize(169, 169);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    const QString words = QStringLiteral("abcdefghij ");
    field.setText(words.repeated(8) + QStringLiteral("abc\r\n") + words.repeated(93) + QStringLiteral("ab"));
    if (deletedTo > 0) {
        QTextCursor selected(field.document());
        selected.setPosition(90);
        selected.setPosition(deletedTo, QTextCursor::KeepAnchor);
        field.setTextCursor(selected);
        QTest::keyClick(&field, Qt::Key_Delete);
    }

    // Every pixel row, the lines' edges among them.
    QWidget *view = field.viewport();
    for (int y = 0; y < view->height(); ++y) {
        const QPoint point(77, y);
        const int expected = field.cursorAt(point).position();
        QTest::mouseClick(view, Qt::LeftButton, {}, point);
        QVERIFY2(field.textCursor().position() == expected,
                 qPrintable(QStringLiteral("a click at row %1 puts the caret at %2, the field maps it to %3")
                                .arg(y)
                                .arg(field.textCursor().position())
                                .arg(expected)));
    }
}

void TestTextField::longLinesReadBackWholeThroughTheClipboard_data()
{
    // How they are held in pieces is the document's rule (tst_pieceddocument).
    QTest::addColumn<QString>("text");

    const qsizetype piece = PiecedDocument::PieceLength;
    QTest::newRow("a line of letters without blanks") << QString(5 * piece, QChar(u'x'));
    QTest::newRow("prose, cut after blanks") << QStringLiteral("palabra ").repeated(piece);
    QTest::newRow("a long line between two short ones")
        << QStringLiteral("uno\r\n") + QString(3 * piece, QChar(u'x')) + QStringLiteral("\r\ntres");
    QTest::newRow("every code, the longest text") << AllCodes().repeated(128).left(Module1::MaxTextLength);
}

void TestTextField::longLinesReadBackWholeThroughTheClipboard()
{
    QFETCH(QString, text);

    TextField field;
    field.setText(text);
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
        << 0 << int(PiecedDocument::PieceLength) << int(Qt::Key_Delete)
        << QStringLiteral("aaaaaaaabbbbbbbbb");
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

    const QString head(PiecedDocument::PieceLength - 8, QChar(u'a'));
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
    const QString piece(PiecedDocument::PieceLength, QChar(u'a'));
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

// The offset in the text shown as one paragraph a line of a document position in a field, and
// back: a soft break takes a position in the document but is no character of the text.
const PiecedDocument &pieced(const TextField &field)
{
    return *qobject_cast<const PiecedDocument *>(field.document());
}

int textOffset(const TextField &field, int position)
{
    return pieced(field).shownOffset(position);
}

int documentPosition(const TextField &field, int offset)
{
    return pieced(field).positionAt(offset);
}

void TestTextField::aLongLineActsAsOneLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start"); // text offset
    QTest::addColumn<QString>("action"); // "keys", "double-click" or "triple-click" at start
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("presses");

    const int piece = PiecedDocument::PieceLength;
    // The break falls inside a word: a's fill the first piece, b's begin the second.
    const QString word = QString(piece, QChar(u'a')) + QStringLiteral("bbbb cc dd");
    // The break falls after a blank, where a word starts.
    const QString prose = QStringLiteral("palabra ").repeated(piece / 8 + 4);
    // An encoded text: one word of five pieces, then a short second line.
    QString encoded = QString(5000, QChar(u'x')) + QStringLiteral("\nfin");
    for (int i = 0; i < 5000; i += 7)
        encoded[i] = QChar(u'k');
    const int ctrl = int(Qt::ControlModifier);
    const int shift = int(Qt::ShiftModifier);
    const QString keys = QStringLiteral("keys");
    const int right = int(Qt::Key_Right);
    const int left = int(Qt::Key_Left);

    QTest::newRow("Right crosses the break with one press a character")
        << word << piece - 1 << keys << right << 0 << 3;
    QTest::newRow("Left crosses back the same way") << word << piece + 2 << keys << left << 0 << 3;
    QTest::newRow("Shift+Right selects across the break a character a press")
        << word << piece - 2 << keys << right << shift << 4;
    QTest::newRow("Shift+Left selects back across the break")
        << word << piece + 2 << keys << left << shift << 4;
    QTest::newRow("Ctrl+Right goes past a break inside a word to the next word")
        << word << piece - 20 << keys << right << ctrl << 1;
    QTest::newRow("Ctrl+Right from the break itself goes to the next word")
        << word << piece << keys << right << ctrl << 2;
    QTest::newRow("Ctrl+Left goes back past a break inside a word to its start")
        << word << piece + 2 << keys << left << ctrl << 1;
    QTest::newRow("Ctrl+Shift+Right selects a word across the break")
        << word << piece - 3 << keys << right << (ctrl | shift) << 1;
    QTest::newRow("Ctrl+Shift+Left selects back to the word's start across the break")
        << word << piece + 6 << keys << left << (ctrl | shift) << 2;
    QTest::newRow("Ctrl+Right stops at a word that starts a piece")
        << prose << piece - 5 << keys << right << ctrl << 2;
    QTest::newRow("Ctrl+Left stops at a word that starts a piece")
        << prose << piece + 3 << keys << left << ctrl << 2;
    QTest::newRow("Right across a break after a blank") << prose << piece - 1 << keys << right << 0 << 2;
    QTest::newRow("Ctrl+Shift+Right from the start selects a word of five pieces")
        << encoded << 0 << keys << right << (ctrl | shift) << 1;
    QTest::newRow("Ctrl+Right twice goes to the end of that word and on to the next line")
        << encoded << 0 << keys << right << ctrl << 2;
    QTest::newRow("Ctrl+Shift+Left from the end selects the word back to its start")
        << encoded << 5000 << keys << left << (ctrl | shift) << 1;
    QTest::newRow("Ctrl+Backspace deletes back to the start of the word")
        << encoded << 1030 << keys << int(Qt::Key_Backspace) << ctrl << 1;
    QTest::newRow("Ctrl+Delete at a break deletes to the end of the word")
        << encoded << piece << keys << int(Qt::Key_Delete) << ctrl << 1;
    QTest::newRow("Backspace and Delete across breaks delete one character a press")
        << encoded << 2 * piece + 1 << keys << int(Qt::Key_Backspace) << 0 << 3;
    QTest::newRow("a double click selects the whole word")
        << encoded << 2500 << QStringLiteral("double-click") << 0 << 0 << 1;
    QTest::newRow("a double click near a break selects the whole word")
        << encoded << piece + 1 << QStringLiteral("double-click") << 0 << 0 << 1;
    QTest::newRow("a triple click selects the whole line and its line break")
        << encoded << 3100 << QStringLiteral("triple-click") << 0 << 0 << 1;
}

void TestTextField::aLongLineActsAsOneLine()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(QString, action);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, presses);

    // The same action in an editor that holds the text as one paragraph is what the field must
    // do on its pieces.
    QPlainTextEdit whole;
    whole.setPlainText(text);
    TextField field;
    field.setText(FieldText::FromDisplay(text));
    QVERIFY(field.blockCount() > 1);
    for (QPlainTextEdit *editor : {&whole, static_cast<QPlainTextEdit *>(&field)}) {
        editor->resize(300, 300);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QTextCursor cursor(editor->document());
        cursor.setPosition(editor == &whole ? start : documentPosition(field, start));
        editor->setTextCursor(cursor);
    }

    const auto act = [&](QPlainTextEdit *editor) {
        if (action == QLatin1String("keys")) {
            QTest::keyClick(editor, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            return;
        }
        const QPoint at = editor->cursorRect().center();
        QTest::mouseDClick(editor->viewport(), Qt::LeftButton, {}, at);
        if (action == QLatin1String("triple-click"))
            QTest::mousePress(editor->viewport(), Qt::LeftButton, {}, at);
    };
    for (int i = 0; i < presses; ++i) {
        act(&whole);
        QApplication::clipboard()->clear(QClipboard::Selection); // what the field offers, not the editor
        act(&field);
        QCOMPARE(field.text(), FieldText::FromDisplay(whole.document()->toPlainText()));
        QCOMPARE(textOffset(field, field.textCursor().position()), whole.textCursor().position());
        QCOMPARE(textOffset(field, field.textCursor().anchor()), whole.textCursor().anchor());
    }
    // On X11 the middle button pastes what was selected last, here by the field.
    QClipboard *clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection() && field.textCursor().hasSelection())
        QCOMPARE(FieldText::FromPasted(clipboard->text(QClipboard::Selection)),
                 FieldText::FromDisplay(whole.textCursor().selectedText()));
}

void TestTextField::everyRoadHoldsLongLinesInPieces_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<int>("length");

    QTest::newRow("a pasted 5000-character line without blanks is held in pieces and reads back unchanged")
        << "paste" << 5000;
    QTest::newRow("the longest line pasted from the context menu") << "menu" << 32766;
    QTest::newRow("a line pasted with the middle button from the selection") << "selection" << 5000;
    QTest::newRow("a line dropped from another program") << "drop" << 5000;
    QTest::newRow("a line moved with the mouse within the field") << "move" << 2500;
    QTest::newRow("a line committed by an input method") << "input method" << 5000;
    QTest::newRow("a line typed a key at a time past several pieces") << "typed" << 2500;
    QTest::newRow("a pasted line after undo and redo") << "undo and redo" << 5000;
    QTest::newRow("a line set by a result") << "set" << 32766;
    QTest::newRow("200000 pasted characters, more than a key takes") << "paste" << 200000;
}

void TestTextField::everyRoadHoldsLongLinesInPieces()
{
    QFETCH(QString, road);
    QFETCH(int, length);

    // An encoded text as it arrives: one line of letters and digits, no blank.
    QString line(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        line[i] = QLatin1Char("0123456789abcdefghijklmnopqrstuvwxyz"[(i * 7) % 36]);
    const QString before = QStringLiteral("uno\r\ndos");
    // Moved with the mouse, the line starts the text and goes to its end.
    const bool moving = road == QLatin1String("move");
    const QString start = moving ? line + before : before;
    TextField field;
    field.resize(moving ? QSize(800, 800) : QSize(169, 169));
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    field.setText(start);
    field.moveCursor(QTextCursor::End);
    QClipboard *clipboard = QApplication::clipboard();

    if (road == QLatin1String("paste")) {
        clipboard->setText(line);
        QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    } else if (road == QLatin1String("menu")) {
        clipboard->setText(line);
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu(field.cursorRect().center()));
        auto *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"));
        QVERIFY(paste);
        paste->trigger();
    } else if (road == QLatin1String("selection")) {
        if (!clipboard->supportsSelection())
            QSKIP("this platform has no selection to paste from");
        clipboard->setText(line, QClipboard::Selection);
        QTest::mouseClick(field.viewport(), Qt::MiddleButton, {}, field.cursorRect().center());
    } else if (road == QLatin1String("drop")) {
        Input::drop(field.viewport(), field.cursorRect().center(), line);
    } else if (moving) {
        // A real drag with a real pointer: only a real X server gives both.
        Input::Pointer pointer;
        if (!pointer.available())
            QSKIP("moving text with the mouse needs an X server and xdotool");
        QTextCursor selection(field.document());
        selection.setPosition(documentPosition(field, length), QTextCursor::KeepAnchor);
        field.setTextCursor(selection);
        const auto screen = [&field](int offset) {
            QTextCursor at(field.document());
            at.setPosition(offset);
            return field.viewport()->mapToGlobal(field.cursorRect(at).center());
        };
        const QPoint from = screen(documentPosition(field, 10));
        const QPoint to = screen(field.document()->characterCount() - 1) + QPoint(4, 0);
        const QStringList pause {QStringLiteral("sleep"), QStringLiteral("0.3")};
        pointer.run(Input::Pointer::moveTo(from)
                    + QStringList {QStringLiteral("mousedown"), QStringLiteral("1")} + pause
                    + Input::Pointer::moveTo(from + QPoint(30, 30)) + pause + Input::Pointer::moveTo(to)
                    + pause + QStringList {QStringLiteral("mouseup"), QStringLiteral("1")});
        QTRY_COMPARE_WITH_TIMEOUT(field.text(), before + line, 15000);
    } else if (road == QLatin1String("input method")) {
        Input::commit(&field, line);
    } else if (road == QLatin1String("typed")) {
        QTest::keyClicks(&field, line);
    } else if (road == QLatin1String("undo and redo")) {
        clipboard->setText(line);
        field.paste();
        field.undo();
        QCOMPARE(field.text(), before);
        field.redo();
    } else {
        field.setText(before + line);
    }

    QCOMPARE(field.text(), before + line);
    const QString broken = static_cast<const PiecedDocument *>(field.document())->checkRules();
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    if (road != QLatin1String("set") && road != QLatin1String("typed")) {
        // One step takes back the whole insertion.
        field.undo();
        QCOMPARE(field.text(), start);
    }
}

void TestTextField::removingFromALineStartIntoAPieceKeepsTheLineBreak_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("put"); // what takes the selection's place

    QTest::newRow("Delete") << "delete" << QString();
    QTest::newRow("Backspace") << "backspace" << QString();
    QTest::newRow("cut") << "cut" << QString();
    QTest::newRow("typing over it") << "type" << QStringLiteral("z");
    QTest::newRow("pasting over it") << "paste" << QStringLiteral("pegado");
}

void TestTextField::removingFromALineStartIntoAPieceKeepsTheLineBreak()
{
    QFETCH(QString, how);
    QFETCH(QString, put);

    // The selection runs from the start of the second line over its first piece into its second.
    const QString line(2000, QChar(u'x'));
    TextField field;
    field.setText(QStringLiteral("uno\r\n") + line);
    const QTextBlock second = field.document()->findBlockByNumber(1);
    QTextCursor cursor(second);
    cursor.setPosition(second.next().position() + 5, QTextCursor::KeepAnchor);
    field.setTextCursor(cursor);
    const int removed = textOffset(field, cursor.position()) - textOffset(field, cursor.anchor());

    if (how == QLatin1String("delete"))
        QTest::keyClick(&field, Qt::Key_Delete);
    else if (how == QLatin1String("backspace"))
        QTest::keyClick(&field, Qt::Key_Backspace);
    else if (how == QLatin1String("cut"))
        field.cut();
    else if (how == QLatin1String("type"))
        QTest::keyClicks(&field, put);
    else {
        QApplication::clipboard()->setText(put);
        field.paste();
    }
    QCOMPARE(field.text(), QStringLiteral("uno\r\n") + put + line.mid(removed));
    field.undo();
    QCOMPARE(field.text(), QStringLiteral("uno\r\n") + line);
}

void TestTextField::scrollBarFollowsThePositionInTheText()
{
    // The longest encoded text, in a plain editor holding it as one paragraph and in the field.
    const QString text = AllCodes().mid(33, 94).repeated(400).left(Module1::MaxTextLength);
    QPlainTextEdit whole;
    whole.setPlainText(text);
    TextField field;
    field.setText(text);
    for (QPlainTextEdit *editor : {&whole, static_cast<QPlainTextEdit *>(&field)}) {
        editor->resize(169, 169);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
    }
    // The thumb dragged to the middle shows the middle of the text, as in the plain editor.
    for (QPlainTextEdit *editor : {&whole, static_cast<QPlainTextEdit *>(&field)}) {
        QScrollBar *bar = editor->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        QCoreApplication::processEvents();
    }
    const auto shown
        = [](const QPlainTextEdit &editor) { return editor.cursorForPosition(QPoint(0, 0)).position(); };
    const double wholeAt = double(shown(whole)) / text.size();
    const double fieldAt = double(textOffset(field, shown(field))) / text.size();
    QVERIFY2(std::abs(fieldAt - wholeAt) < 0.1,
             qPrintable(QStringLiteral("%1 against %2").arg(fieldAt).arg(wholeAt)));
}

void TestTextField::homeAndEndStopAtAPieceBreakAsAtAWrap_data()
{
    QTest::addColumn<int>("start"); // text offsets, the break being at PieceLength
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");

    const int piece = int(PiecedDocument::PieceLength);
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
    field.setText(QString(PiecedDocument::PieceLength, QChar(u'a')) + QStringLiteral("bbbbbbbbbb"));
    QTextCursor cursor(field.document());
    cursor.setPosition(documentPosition(field, start));
    field.setTextCursor(cursor);
    QTest::keyClick(&field, Qt::Key(key));
    QCOMPARE(textOffset(field, field.textCursor().position()), expected);
}

void TestTextField::linesCommittedByAnInputMethodAreRealLines()
{
    const QString piece(PiecedDocument::PieceLength, QChar(u'a'));
    TextField field;
    field.setText(piece + QStringLiteral("bbbb"));
    placeCursor(field, 1, 2);

    Input::commit(&field, QStringLiteral("X\nY中"));
    QCOMPARE(field.text(), piece + QStringLiteral("bbX\r\nY?bb"));
}

void TestTextField::everyCodeWithoutAGlyphIsABoxOfItsOwn()
{
    // All 256 codes, sixteen to a line, at the fields' own font and size.
    QString text;
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column)
            text += Module1::CodeToChar(std::uint8_t(16 * row + column));
        text += QStringLiteral("\r\n");
    }
    TextField field;
    field.setObjectName(QStringLiteral("Codes"));
    field.resize(420, 400);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    field.setText(text);
    QCOMPARE(field.text(), text);

    // Each code without a glyph of its own is drawn by the codes' font, each with a glyph of its own.
    QSet<quint32> glyphs;
    int boxes = 0;
    for (QTextBlock block = field.document()->firstBlock(); block.isValid(); block = block.next()) {
        QTextLayout line(block.text(), field.font());
        line.beginLayout();
        line.createLine();
        line.endLayout();
        for (const QGlyphRun &run : line.glyphRuns()) {
            if (run.rawFont().familyName() != QLatin1String("Zentolar Codigos"))
                continue;
            for (quint32 glyph : run.glyphIndexes()) {
                glyphs.insert(glyph);
                ++boxes;
            }
        }
    }
    // 0..31 but the tab, 127, the five undefined codes, 160 and 173.
    QCOMPARE(boxes, 31 + 1 + 5 + 2);
    QCOMPARE(glyphs.size(), boxes);

    // Three times the size, for the eye.
    const QImage shot = field.grab().toImage();
    const QImage zoomed = shot.scaled(shot.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QVERIFY(!Fixture::saveScreenshot(zoomed, QStringLiteral("codes.png")).isEmpty());
}

QTEST_MAIN(TestTextField)
#include "tst_textfield.moc"
