#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "tests/support/controls.h"
#include "tests/support/input.h"
#include "tests/support/testtext.h"
#include "window/form1.h"
#include "window/textfield.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QString Key = QStringLiteral("Secreto");

// The same longest text for both benchmarks.
QString benchText()
{
    QRandomGenerator random(1);
    return TestText::RandomCodePage(random, Module1::MaxTextLength);
}

// Done when the editor has laid out and painted what it shows.
void settle(QPlainTextEdit *editor)
{
    editor->viewport()->repaint();
    QCoreApplication::processEvents();
}

// A shown window with a key, its controls found.
struct Window : TestWindow
{
    Window()
        : TestWindow([](QWidget *) { return Key; }, [](QWidget *, const QString &) {})
    {
        form.show();
    }
};

// "Encriptar =>" with the longest text, until the encoded field has laid out the result.
void BM_PressEncrypt(benchmark::State &state)
{
    Window window;
    window.text1->setText(benchText());
    settle(window.text1);

    for (auto _ : state) {
        window.command1->click();
        settle(window.text3);
    }
    if (window.text3->text() != Module1::EncryptText(window.text1->text(), Key))
        state.SkipWithError("wrong result");
    state.SetItemsProcessed(state.iterations() * Module1::MaxTextLength);
}

// The floor: the same result set into a plain Qt editor of the same size.
void BM_BareEditorSetText(benchmark::State &state)
{
    QPlainTextEdit editor;
    editor.resize(169, 169);
    editor.show();
    const QString result = Module1::EncryptText(benchText(), Key);

    for (auto _ : state) {
        editor.setPlainText(result);
        settle(&editor);
    }
    state.SetItemsProcessed(state.iterations() * Module1::MaxTextLength);
}

// An encoded text as a user receives it by mail or chat: one line of letters and digits.
QString receivedLine(qsizetype length)
{
    static const QString alphabet
        = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    QString line(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        line[i] = alphabet.at((i * 7) % alphabet.size());
    return line;
}

// Pasting the clipboard's text into the empty encoded field, until it is laid out.
void pasteIntoEmpty(benchmark::State &state, TextField *field)
{
    for (auto _ : state) {
        state.PauseTiming();
        field->setText(QString());
        settle(field);
        state.ResumeTiming();
        field->paste();
        settle(field);
    }
}

// Pasting the longest line into the empty encoded field.
void BM_PasteLongestLine(benchmark::State &state)
{
    Window window;
    QApplication::clipboard()->setText(receivedLine(state.range(0)));
    pasteIntoEmpty(state, window.text3);
    if (window.text3->text().size() != state.range(0))
        state.SkipWithError("wrong text");
}

// The longest encoded text as it comes back by mail: the encoded field's copy of it, wrapped into
// lines of 76 characters, with blank lines around it.
QString mailedCopy()
{
    const QString copy
        = FieldText::ToClipboard(Module1::EncryptText(benchText(), Key), FieldText::CopyForm::Encoded);
    QString mailed = QStringLiteral("\r\n\r\n");
    for (qsizetype i = 0; i < copy.size(); i += 76)
        mailed += copy.mid(i, 76) + QStringLiteral("\r\n");
    return mailed + QStringLiteral("\r\n");
}

// Pasting that into the empty encoded field.
void BM_PasteMailedCopy(benchmark::State &state)
{
    Window window;
    QApplication::clipboard()->setText(mailedCopy());
    pasteIntoEmpty(state, window.text3);
    if (window.text3->text() != Module1::EncryptText(benchText(), Key))
        state.SkipWithError("wrong text");
}

// The floor for the paste: "Encriptar =>" filling the same field with as many characters.
void BM_PressEncryptLongestLine(benchmark::State &state)
{
    Window window;
    window.text1->setText(receivedLine(Module1::MaxTextLength));
    for (auto _ : state) {
        window.command1->click();
        settle(window.text3);
    }
}

// One character typed in the middle of a pasted line of range(0) characters (and taken back
// outside the timing, so the line keeps its length).
void BM_TypeInPastedLine(benchmark::State &state)
{
    Window window;
    QApplication::clipboard()->setText(receivedLine(state.range(0)));
    window.text3->paste();
    QTextCursor cursor = window.text3->textCursor();
    cursor.setPosition(window.text3->document()->characterCount() / 2);
    window.text3->setTextCursor(cursor);
    settle(window.text3);
    for (auto _ : state) {
        QTest::keyClick(window.text3, Qt::Key_X);
        settle(window.text3);
        state.PauseTiming();
        QTest::keyClick(window.text3, Qt::Key_Backspace);
        settle(window.text3);
        state.ResumeTiming();
    }
    if (window.text3->text().size() != state.range(0))
        state.SkipWithError("wrong text");
}

// Dropping the longest line from another program into the empty encoded field.
void BM_DropLongestLine(benchmark::State &state)
{
    Window window;
    const QString line = receivedLine(Module1::MaxTextLength);
    QWidget *viewport = window.text3->viewport();
    const QPointF middle = viewport->rect().center();
    for (auto _ : state) {
        state.PauseTiming();
        window.text3->setText(QString());
        settle(window.text3);
        state.ResumeTiming();
        Input::drop(viewport, middle, line);
        settle(window.text3);
    }
    if (window.text3->text().size() != Module1::MaxTextLength)
        state.SkipWithError("nothing was dropped");
}

// Ctrl+Z after pasting the longest line.
void BM_UndoPaste(benchmark::State &state)
{
    Window window;
    QApplication::clipboard()->setText(receivedLine(Module1::MaxTextLength));
    for (auto _ : state) {
        state.PauseTiming();
        window.text3->paste();
        settle(window.text3);
        state.ResumeTiming();
        QTest::keyClick(window.text3, Qt::Key_Z, Qt::ControlModifier);
        settle(window.text3);
    }
    if (!window.text3->text().isEmpty())
        state.SkipWithError("the paste was not undone");
}

// What a user does in the encoded field after pasting a line of range(1) characters, with the
// caret in its middle; range(0) names the action. Whatever the action changed is put back
// outside the timing.
enum Action { Backspace, Delete, SelectAllAndCopy, CutAll, RedoPaste, Clear, Decrypt, MoveToEnd };

void BM_ActionOnPastedLine(benchmark::State &state)
{
    Window window;
    TextField *field = window.text3;
    const auto placeCaret = [field] {
        QTextCursor cursor = field->textCursor();
        cursor.setPosition(field->document()->characterCount() / 2 + 100);
        field->setTextCursor(cursor);
    };
    const auto pasteInto = [field, &placeCaret](qsizetype length) {
        field->setText(QString());
        QApplication::clipboard()->setText(receivedLine(length));
        field->paste();
        placeCaret();
        settle(field);
    };
    pasteInto(state.range(1));
    for (auto _ : state) {
        switch (Action(state.range(0))) {
        case Backspace:
        case Delete:
            QTest::keyClick(field, state.range(0) == Backspace ? Qt::Key_Backspace : Qt::Key_Delete);
            settle(field);
            state.PauseTiming();
            QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
            // Undo leaves the caret after what it brought back.
            placeCaret();
            break;
        case SelectAllAndCopy:
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
            settle(field);
            state.PauseTiming();
            break;
        case CutAll:
            state.PauseTiming();
            field->selectAll();
            state.ResumeTiming();
            QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
            settle(field);
            state.PauseTiming();
            field->undo();
            break;
        case RedoPaste:
            state.PauseTiming();
            field->undo();
            settle(field);
            state.ResumeTiming();
            field->redo();
            settle(field);
            state.PauseTiming();
            break;
        case Clear:
            window.command3->click();
            settle(field);
            state.PauseTiming();
            pasteInto(state.range(1));
            break;
        case Decrypt:
            window.command2->click();
            settle(window.text1);
            state.PauseTiming();
            break;
        case MoveToEnd:
            QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
            settle(field);
            state.PauseTiming();
            QTest::keyClick(field, Qt::Key_Home, Qt::ControlModifier);
            break;
        }
        settle(field);
        state.ResumeTiming();
    }
    if (field->text().size() != state.range(1))
        state.SkipWithError("the field does not hold the line");
}

// A double click in the middle of a pasted line of range(1) characters, in the encoded field
// (range(0) 1) or in a bare Qt editor of the same size (0): the slowest step the random sequences
// of the suite meet is a double click in a long line.
void BM_DoubleClickInLine(benchmark::State &state)
{
    Window window;
    QPlainTextEdit bare;
    bare.resize(window.text3->size());
    bare.show();
    QPlainTextEdit *editor = state.range(0) ? static_cast<QPlainTextEdit *>(window.text3) : &bare;
    QApplication::clipboard()->setText(receivedLine(state.range(1)));
    editor->paste();
    QTextCursor middle = editor->textCursor();
    middle.setPosition(editor->document()->characterCount() / 2);
    editor->setTextCursor(middle);
    settle(editor);
    const QPoint at = editor->cursorRect().center();
    for (auto _ : state) {
        QTest::mouseDClick(editor->viewport(), Qt::LeftButton, {}, at);
        settle(editor);
        state.PauseTiming();
        editor->setTextCursor(middle);
        settle(editor);
        state.ResumeTiming();
    }
    if (editor->textCursor().hasSelection() || editor->toPlainText().size() < state.range(1))
        state.SkipWithError("the line is not there");
}

// A bare Qt editor pasting the same longest line.
void BM_BareEditorPaste(benchmark::State &state)
{
    QPlainTextEdit editor;
    editor.resize(169, 169);
    editor.show();
    QApplication::clipboard()->setText(receivedLine(Module1::MaxTextLength));
    for (auto _ : state) {
        state.PauseTiming();
        editor.clear();
        settle(&editor);
        state.ResumeTiming();
        editor.paste();
        settle(&editor);
    }
}

// The longest texts of the shapes a user meets, as the program holds them (line breaks CR LF).
enum Shape { LongestLine, LineBreaks, ProseLines };

QString shapeText(Shape shape)
{
    switch (shape) {
    case LongestLine:
        return receivedLine(Module1::MaxTextLength);
    case LineBreaks:
        return QStringLiteral("\r\n").repeated(Module1::MaxTextLength / 2);
    case ProseLines: {
        // 700 lines of a Spanish letter's paragraphs, within the limit.
        QFile file(QStringLiteral(ZENTOLAR_PROSE));
        file.open(QIODevice::ReadOnly);
        const QStringList paragraphs = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QStringList lines;
        for (int i = 0; i < 700; ++i)
            lines += paragraphs.at(i % paragraphs.size());
        return FieldText::FromPasted(lines.join(QStringLiteral("\r\n"))).left(Module1::MaxTextLength);
    }
    }
    return {};
}

// What a user does with such a text, in the window's fields (range(2) 1) or in bare Qt editors of
// the same size doing the same (0), until laid out and painted: range(0) is the shape, range(1)
// the action. Whatever an action changed is put back outside the timing.
enum class Does { Paste, Encrypt, Decrypt, UndoResult, TypeKey, CopyAll };

void BM_Shape(benchmark::State &state)
{
    const QString text = shapeText(Shape(state.range(0)));
    const QString encoded = Module1::EncryptText(text, Key);
    using enum Does;
    const auto action = Does(state.range(1));
    Window window;
    QPlainTextEdit bare[2];
    for (QPlainTextEdit &editor : bare) {
        editor.resize(window.text1->size());
        editor.show();
    }
    const bool field = state.range(2);
    QPlainTextEdit *plain = field ? static_cast<QPlainTextEdit *>(window.text1) : &bare[0];
    // A text set into an editor as a result sets it.
    const auto setText = [&](int i, const QString &value) {
        if (field) {
            (i ? window.text3 : window.text1)->setText(value);
        } else {
            QTextCursor all(bare[i].document());
            all.select(QTextCursor::Document);
            all.insertText(FieldText::ToDisplay(value));
        }
        settle(i ? window.text3 : window.text1);
        settle(&bare[i]);
    };
    const auto placeCaret = [plain] {
        QTextCursor cursor = plain->textCursor();
        cursor.setPosition(plain->document()->characterCount() / 2);
        plain->setTextCursor(cursor);
        settle(plain);
    };
    QApplication::clipboard()->setText(FieldText::ToClipboard(text, FieldText::CopyForm::Plain));
    setText(0, action == Paste || action == Decrypt || action == UndoResult ? QString() : text);
    setText(1, encoded);
    placeCaret();
    for (auto _ : state) {
        switch (action) {
        case Paste:
            plain->paste();
            settle(plain);
            state.PauseTiming();
            setText(0, QString());
            break;
        case Encrypt:
            if (field)
                window.command1->click();
            else
                setText(1, encoded);
            settle(window.text3);
            state.PauseTiming();
            break;
        case Decrypt:
            if (field)
                window.command2->click();
            else
                setText(0, text);
            settle(plain);
            state.PauseTiming();
            setText(0, QString());
            break;
        case UndoResult:
            state.PauseTiming();
            if (field)
                window.command2->click();
            else
                setText(0, text);
            settle(plain);
            state.ResumeTiming();
            QTest::keyClick(plain, Qt::Key_Z, Qt::ControlModifier);
            settle(plain);
            state.PauseTiming();
            break;
        case TypeKey:
            QTest::keyClick(plain, Qt::Key_X);
            settle(plain);
            state.PauseTiming();
            QTest::keyClick(plain, Qt::Key_Backspace);
            placeCaret();
            break;
        case CopyAll:
            QTest::keyClick(plain, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(plain, Qt::Key_C, Qt::ControlModifier);
            settle(plain);
            state.PauseTiming();
            placeCaret();
            break;
        }
        state.ResumeTiming();
    }
    const QString held = field ? window.text1->text() : FieldText::FromDisplay(plain->toPlainText());
    if (held != (action == Paste || action == Decrypt || action == UndoResult ? QString() : text))
        state.SkipWithError("the editor does not hold the text");
}

} // namespace

BENCHMARK(BM_PressEncrypt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareEditorSetText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PressEncryptLongestLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteLongestLine)->Arg(Module1::MaxTextLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteMailedCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareEditorPaste)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TypeInPastedLine)
    ->Arg(100)
    ->Arg(2000)
    ->Arg(Module1::MaxTextLength)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DropLongestLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ActionOnPastedLine)
    ->ArgsProduct({{Backspace, Delete, SelectAllAndCopy, CutAll, RedoPaste, Clear, Decrypt, MoveToEnd},
                   {2000, Module1::MaxTextLength}})
    ->ArgNames({"action", "length"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoPaste)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Shape)
    ->ArgsProduct({{LongestLine, LineBreaks, ProseLines},
                   // Does: Paste, Encrypt, Decrypt, UndoResult, TypeKey, CopyAll
                   {0, 1, 2, 3, 4, 5},
                   {0, 1}})
    ->ArgNames({"shape", "does", "field"})
    // What is put back outside the timing can cost far more than the action timed.
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleClickInLine)
    ->ArgsProduct({{0, 1}, {2000, Module1::MaxTextLength}})
    ->ArgNames({"field", "length"})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
