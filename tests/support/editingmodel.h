#pragma once

// The random runs of edits (tst_editing): the real window's two fields and a plain Qt editor beside
// each of them, given the same steps and compared after every one.

#include "tests/support/controls.h"
#include "tests/support/editing.h"
#include "tests/support/fixture.h"
#include "tests/support/input.h"
#include "window/pieceddocument.h"
#include "window/textfield.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <csignal>
#include <cstdio>

namespace Editing {

// ---- The window and the plain editors beside its fields --------------------------------------

// Qt's warnings fail a step.
inline QStringList g_warnings;
inline QtMessageHandler g_previousHandler = nullptr;
inline void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_warnings += message;
    g_previousHandler(type, context, message);
}

// What a crash prints: the seed and the steps so far.
inline QByteArray g_running;
inline void printRunning(int signal)
{
    std::fputs(g_running.constData(), stderr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

inline int g_stepBoundMs = 500;

// The field's text as undo and redo may bring it back: every text it held, in order; the entry of
// an edit that Qt joins to the step before it (typing on) replaces that step's.
struct History
{
    QStringList texts;
    qsizetype at = 0;
};

class Model
{
public:
    Model()
        : m_window([this](QWidget *) { return m_answer; },
                   [this](QWidget *, const QString &message) { m_reported = message; })
    {
        Fixture::clear();
        for (int i = 0; i < 2; ++i) {
            TextField *field = fieldAt(i);
            QPlainTextEdit &plain = m_plain[i];
            plain.setFont(field->font());
            plain.setTabStopDistance(field->tabStopDistance());
            plain.setWordWrapMode(field->wordWrapMode());
            plain.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            plain.resize(field->size());
            m_history[i].texts = {QString()};
            QObject::connect(field->document(), &QTextDocument::undoCommandAdded, field,
                             [this, i] { m_undoSteps[i] = true; });
        }
    }

    // The slowest step the field took, and what it was.
    qint64 slowest = 0;
    QString slowestStep;

    // Runs a step on the window and on the plain editors; the fault found, if any.
    QString run(const Step &step)
    {
        if (step.verb == Step::Prompt) {
            m_answer = step.text;
            return {};
        }
        if (!m_shown) {
            m_window.form.show();
            for (QPlainTextEdit &plain : m_plain)
                plain.show();
            m_shown = true;
        }
        g_warnings.clear();
        m_undoSteps[0] = m_undoSteps[1] = false;
        const QString before[] = {m_window.text1->text(), m_window.text3->text()};
        if (const QString fault = act(step); !fault.isEmpty())
            return fault;
        for (int i = 0; i < 2; ++i) {
            const QString fault = compare(i, before[i]);
            if (!fault.isEmpty())
                return QStringLiteral("%1: %2").arg(fieldAt(i)->objectName(), fault);
        }
        if (!g_warnings.isEmpty())
            return QStringLiteral("Qt warned: ") + g_warnings.join(QStringLiteral(" | "));
        return {};
    }

private:
    TextField *fieldAt(int i) const { return i ? m_window.text3 : m_window.text1; }
    static const PiecedDocument &pieced(const TextField *field)
    {
        return *qobject_cast<const PiecedDocument *>(field->document());
    }
    static QString plainText(const QPlainTextEdit &plain)
    {
        return FieldText::FromDisplay(plain.document()->toRawText());
    }

    // The field's selection in the plain editor, as offsets of the shown text.
    void followSelection(int i)
    {
        const QTextCursor cursor = fieldAt(i)->textCursor();
        const PiecedDocument &document = pieced(fieldAt(i));
        QTextCursor plain(m_plain[i].document());
        plain.setPosition(document.shownOffset(cursor.anchor()));
        plain.setPosition(document.shownOffset(cursor.position()), QTextCursor::KeepAnchor);
        m_plain[i].setTextCursor(plain);
    }

    // A point on screen where offset (clamped) is shown, scrolled into view, in the field or the
    // plain editor; the offset given back is the one the editor finds there.
    static QPoint pointOf(QPlainTextEdit *editor, int position)
    {
        QTextCursor at(editor->document());
        at.setPosition(position);
        const QTextCursor kept = editor->textCursor();
        QScrollBar *bar = editor->verticalScrollBar();
        editor->setTextCursor(at);
        // Well inside the view, where a click makes the editor scroll no further.
        editor->centerCursor();
        // As a user sees it: painted, so that what shows is laid out, and with it its line count.
        editor->viewport()->repaint();
        const QTextBlock top = editor->cursorForPosition(QPoint(0, 0)).block();
        const int lineInTop = bar->value() - top.firstLineNumber();
        editor->setTextCursor(kept);
        bar->setValue(top.firstLineNumber() + lineInTop);
        editor->viewport()->repaint();
        return editor->cursorRect(at).center();
    }
    QPoint fieldPoint(int i, int offset, int *found = nullptr) const
    {
        TextField *field = fieldAt(i);
        const PiecedDocument &document = pieced(field);
        const int length = document.shownOffset(document.characterCount() - 1);
        const QPoint point = pointOf(field, document.positionAt(std::clamp(offset, 0, length)));
        if (found)
            *found = document.shownOffset(field->cursorForPosition(point).position());
        return point;
    }

    // Where a middle click or a drop acts, in field i's viewport, and the offset found there: the
    // field's own, as a click there finds it (cursorForPosition() is not, at a line's lower edge).
    QPoint placeOf(int i, const Step &step, int *offset)
    {
        if (step.point.isNull())
            return fieldPoint(i, step.at, offset);
        const TextField *field = fieldAt(i);
        *offset = pieced(field).shownOffset(field->cursorAt(step.point).position());
        return step.point;
    }

    // The caret at offset (clamped) of field i's shown text, and in its plain editor.
    void placeCaret(int i, int offset)
    {
        TextField *field = fieldAt(i);
        const PiecedDocument &document = pieced(field);
        const int length = document.shownOffset(document.characterCount() - 1);
        QTextCursor cursor(field->document());
        cursor.setPosition(document.positionAt(std::clamp(offset, 0, length)));
        field->setTextCursor(cursor);
        followSelection(i);
    }

    // What an input method reads around the caret, in field i and in its plain editor alike, asked
    // as the platform's input method asks.
    QString readAround(int i)
    {
        const auto read = [](QWidget *editor, Qt::InputMethodQuery query) {
            QInputMethodQueryEvent event(query);
            QApplication::sendEvent(editor, &event);
            return event.value(query);
        };
        for (Qt::InputMethodQuery query :
             {Qt::ImSurroundingText, Qt::ImCursorPosition, Qt::ImAnchorPosition, Qt::ImCurrentSelection,
              Qt::ImTextBeforeCursor, Qt::ImTextAfterCursor}) {
            const QVariant field = read(fieldAt(i), query);
            const QVariant plain = read(&m_plain[i], query);
            if (field != plain)
                return QStringLiteral("an input method reads \"%1\" (query %2), in a plain editor \"%3\"")
                    .arg(escaped(field.toString()))
                    .arg(int(query))
                    .arg(escaped(plain.toString()));
        }
        return {};
    }

    static void sendKey(QWidget *widget, const QKeySequence &key)
    {
        const QKeyCombination combination = key[0];
        QTest::keyClick(widget, combination.key(), combination.keyboardModifiers());
    }
    static void sendText(QWidget *widget, const QString &text)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &release);
    }
    static void insertPlain(QPlainTextEdit &plain, const QString &shown)
    {
        QTextCursor cursor = plain.textCursor();
        cursor.insertText(shown);
        plain.setTextCursor(cursor);
    }
    static void setPlain(QPlainTextEdit &plain, const QString &text)
    {
        plain.setPlainText(FieldText::ToDisplay(text));
    }

    QString act(const Step &step)
    {
        const int i = step.field;
        TextField *field = fieldAt(i);
        QPlainTextEdit &plain = m_plain[i];
        QWidget *view = field->viewport();
        QClipboard *clipboard = QApplication::clipboard();
        m_undone = 0;
        m_undoneIn = -1;
        QElapsedTimer timer;
        // What the field offered to the X11 selection, before the plain editor offers its own.
        QString offered;
        const auto timed = [&](auto &&action) {
            timer.start();
            action();
            if (clipboard->supportsSelection())
                offered = clipboard->text(QClipboard::Selection);
            if (const qint64 took = timer.elapsed(); took > slowest) {
                slowest = took;
                slowestStep = describe(step) + QStringLiteral(" (%1 characters)").arg(field->text().size());
            }
        };

        switch (step.verb) {
        case Step::Type:
            timed([&] { sendText(field, step.text); });
            sendText(&plain, FieldText::Normalize(step.text));
            break;
        case Step::Key: {
            const QKeyCombination combination = step.key[0];
            const QKeyEvent event(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
            const bool copies = event.matches(QKeySequence::Copy) || event.matches(QKeySequence::Cut);
            const QString sentinel = QStringLiteral("(lo que había)");
            if (copies)
                clipboard->setText(sentinel);
            const QMimeData *offered = clipboard->mimeData();
            const std::optional<QString> pasted
                = offered && offered->hasText() ? std::optional(clipboard->text()) : std::nullopt;
            const bool couldUndo = field->document()->isUndoAvailable();
            const bool couldRedo = field->document()->isRedoAvailable();
            timed([&] { sendKey(field, step.key); });
            if (copies) {
                // Copy and cut put exactly the selection there, or leave the clipboard alone.
                const QString selected = plain.textCursor().selectedText();
                const QString expected = selected.isEmpty()
                    ? sentinel
                    : FieldText::ToClipboard(FieldText::FromDisplay(selected), formOf(i));
                if (clipboard->text() != expected)
                    return QStringLiteral("copied \"%1\" for \"%2\"")
                        .arg(escaped(clipboard->text()), escaped(expected));
                if (event.matches(QKeySequence::Cut))
                    plain.textCursor().removeSelectedText();
            } else if (event.matches(QKeySequence::Paste)) {
                if (pasted)
                    insertPlain(plain, FieldText::NormalizePasted(*pasted));
            } else if (event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo)) {
                // Undo steps may be larger than the plain editor's: checked against the history.
                m_undone = event.matches(QKeySequence::Undo) ? (couldUndo ? -1 : 0) : (couldRedo ? 1 : 0);
                m_undoneIn = i;
                setPlain(plain, field->text());
                followSelection(i);
            } else if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Tab)) {
                insertPlain(plain, QStringLiteral("\t"));
            } else if (combination.key() == Qt::Key_Return) {
                sendKey(&plain, QKeySequence(Qt::Key_Return));
            } else if (isVisual(event)) {
                // A piece ends a visual line as a wrap does: the caret may land elsewhere.
                followSelection(i);
            } else {
                sendKey(&plain, step.key);
            }
            break;
        }
        case Step::Click:
        case Step::ShiftClick: {
            const QPoint at = fieldPoint(i, step.at);
            const auto modifiers = step.verb == Step::ShiftClick ? Qt::ShiftModifier : Qt::NoModifier;
            timed([&] { QTest::mouseClick(view, Qt::LeftButton, modifiers, at); });
            followSelection(i); // pixels of two layouts: the caret may land elsewhere
            break;
        }
        case Step::DoubleClick:
        case Step::TripleClick: {
            int offset = 0;
            const QPoint at = fieldPoint(i, step.at, &offset);
            const QPoint plainAt = pointOf(&plain, offset);
            // Steps come faster than a hand: a double click soon after one would count as a triple
            // click, in one editor and not in the other. The editors time it with timers that only
            // the event loop stops.
            if (m_sinceClicks.isValid()) {
                const qint64 left = 2 * QApplication::doubleClickInterval() - m_sinceClicks.elapsed();
                if (left > 0)
                    QTest::qWait(int(left));
                QCoreApplication::processEvents();
                m_sinceClicks.invalidate();
            }
            for (QWidget *widget : {view, plain.viewport()}) {
                const QPoint point = widget == view ? at : plainAt;
                const auto click = [&] {
                    QTest::mousePress(widget, Qt::LeftButton, {}, point);
                    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
                    QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
                    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
                    if (step.verb == Step::TripleClick) {
                        QTest::mousePress(widget, Qt::LeftButton, {}, point);
                        QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
                    }
                };
                if (widget == view)
                    timed(click);
                else
                    click();
            }
            // The word or the line of the whole line, where both found the same place.
            if (plain.cursorForPosition(plainAt).position() != offset)
                followSelection(i);
            m_sinceClicks.start();
            break;
        }
        case Step::Drag: {
            // A press inside the selection would drag the text: it is moved by the test of roads.
            QTextCursor cursor = field->textCursor();
            cursor.clearSelection();
            field->setTextCursor(cursor);
            const QPoint a = fieldPoint(i, step.at);
            const QPoint b = fieldPoint(i, step.to);
            timed([&] {
                QTest::mousePress(view, Qt::LeftButton, {}, a);
                QTest::mouseMove(view, (a + b) / 2);
                QTest::mouseMove(view, b);
                QTest::mouseRelease(view, Qt::LeftButton, {}, b);
            });
            followSelection(i);
            break;
        }
        case Step::MiddleClick: {
            if (!clipboard->supportsSelection())
                return {};
            int offset = 0;
            const QPoint at = placeOf(i, step, &offset);
            const QString selected = clipboard->text(QClipboard::Selection);
            timed([&] { QTest::mouseClick(view, Qt::MiddleButton, {}, at); });
            QTextCursor cursor(plain.document());
            cursor.setPosition(offset);
            plain.setTextCursor(cursor);
            if (!selected.isEmpty())
                insertPlain(plain, FieldText::NormalizePasted(selected));
            break;
        }
        case Step::Drop: {
            int offset = 0;
            const QPoint at = placeOf(i, step, &offset);
            timed([&] { Input::drop(view, at, step.text, true); });
            QTextCursor cursor(plain.document());
            cursor.setPosition(offset);
            plain.setTextCursor(cursor);
            insertPlain(plain, FieldText::NormalizePasted(step.text));
            break;
        }
        case Step::Commit: {
            timed([&] { Input::commit(field, step.text); });
            Input::commit(&plain, FieldText::Normalize(step.text));
            break;
        }
        case Step::Replace:
        case Step::Query: {
            if (step.at >= 0)
                placeCaret(i, step.at);
            if (step.verb == Step::Query)
                return readAround(i);
            // A replacement reaches no further than the text, as an input method reads it: the text
            // without the selection, which the editor takes away first.
            const QTextCursor selected = m_plain[i].textCursor();
            const int caret = selected.selectionStart();
            const int length = plain.document()->characterCount() - 1 - int(selected.selectedText().size());
            const int from = std::clamp(caret + step.to, 0, length);
            const int replaced = std::clamp(from + step.length, from, length) - from;
            timed([&] { Input::commit(field, step.text, from - caret, replaced); });
            Input::commit(&plain, FieldText::Normalize(step.text), from - caret, replaced);
            break;
        }
        case Step::Clipboard:
            clipboard->setText(step.text);
            return {};
        case Step::Press:
            return press(step, timed);
        case Step::Prompt:
            break;
        }
        // On X11 what the mouse selected is offered to the middle button of other programs.
        const QTextCursor selected = field->textCursor();
        if (step.verb >= Step::Click && step.verb <= Step::Drag && selected.hasSelection()
            && clipboard->supportsSelection()) {
            const QString expected
                = FieldText::ToClipboard(FieldText::FromDisplay(pieced(field).shownText(
                                             selected.selectionStart(), selected.selectionEnd())),
                                         formOf(i));
            if (offered != expected)
                return QStringLiteral("offered \"%1\" for \"%2\" to the X11 selection")
                    .arg(escaped(offered), escaped(expected));
        }
        return {};
    }

    template<typename Timed>
    QString press(const Step &step, Timed &&timed)
    {
        QPushButton *button = m_window.button(step.text);
        const QString text1 = plainText(m_plain[0]);
        const QString text3 = plainText(m_plain[1]);
        m_reported.clear();
        timed([&] { button->click(); });
        const QString &key = Module1::CipherKey;
        const bool codes = button == m_window.command1 || button == m_window.command2;
        const bool overflows = codes && !key.isEmpty()
            && (button == m_window.command1 ? text1 : text3).size() > Module1::MaxTextLength;
        if (button == m_window.command3) {
            setPlain(m_plain[0], QString());
            setPlain(m_plain[1], QString());
        } else if (overflows) {
            if (!m_reported.contains(QLatin1String("desbordamiento")))
                return QStringLiteral("no overflow reported but \"%1\"").arg(m_reported);
        } else if (button == m_window.command1) {
            setPlain(m_plain[1], Module1::EncryptText(text1, key));
        } else if (button == m_window.command2) {
            setPlain(m_plain[0], Module1::DecryptText(text3, key));
        }
        return {};
    }

    static bool isVisual(const QKeyEvent &event)
    {
        for (QKeySequence::StandardKey key :
             {QKeySequence::MoveToNextLine, QKeySequence::MoveToPreviousLine, QKeySequence::MoveToNextPage,
              QKeySequence::MoveToPreviousPage, QKeySequence::MoveToStartOfLine,
              QKeySequence::MoveToEndOfLine, QKeySequence::SelectNextLine, QKeySequence::SelectPreviousLine,
              QKeySequence::SelectNextPage, QKeySequence::SelectPreviousPage, QKeySequence::SelectStartOfLine,
              QKeySequence::SelectEndOfLine}) {
            if (event.matches(key))
                return true;
        }
        return false;
    }

    QString compare(int i, const QString &before)
    {
        TextField *field = fieldAt(i);
        const QString text = field->text();
        if (text != plainText(m_plain[i]))
            return QStringLiteral("the field holds \"%1\", a plain editor \"%2\"")
                .arg(escaped(text), escaped(plainText(m_plain[i])));
        if (const QString broken = pieced(field).checkRules(); !broken.isEmpty())
            return broken;
        if (const QString fault = followHistory(i, before, text); !fault.isEmpty())
            return fault;
        const QTextCursor cursor = field->textCursor();
        const QTextCursor plain = m_plain[i].textCursor();
        const PiecedDocument &document = pieced(field);
        if (document.shownOffset(cursor.anchor()) != plain.anchor()
            || document.shownOffset(cursor.position()) != plain.position())
            return QStringLiteral("selected %1..%2, a plain editor %3..%4")
                .arg(document.shownOffset(cursor.anchor()))
                .arg(document.shownOffset(cursor.position()))
                .arg(plain.anchor())
                .arg(plain.position());
        return {};
    }

    QString followHistory(int i, const QString &before, const QString &text)
    {
        History &history = m_history[i];
        if (m_undoneIn == i) {
            if (m_undone == 0)
                return text == before
                    ? QString()
                    : QStringLiteral("undo or redo with nothing to undo or redo changed the text");
            // Undo lands on an earlier text, redo on a later one that undo left.
            for (qsizetype at = history.at + m_undone; at >= 0 && at < history.texts.size(); at += m_undone) {
                if (history.texts.at(at) == text) {
                    history.at = at;
                    return {};
                }
            }
            return QStringLiteral("%1 brought \"%2\", which was never there")
                .arg(m_undone < 0 ? QStringLiteral("undo") : QStringLiteral("redo"), escaped(text));
        }
        if (m_undoSteps[i]) {
            history.texts.resize(history.at + 1);
            history.texts += text;
            ++history.at;
        } else if (text != before) {
            // Typing on joins the step before it, as in any editor.
            history.texts[history.at] = text;
        }
        return {};
    }

    TestWindow m_window;
    QPlainTextEdit m_plain[2];
    History m_history[2];
    bool m_undoSteps[2] = {false, false};
    int m_undone = 0; // -1 after an undo, 1 after a redo, 0 after anything else
    int m_undoneIn = -1; // the field undone or redone in
    bool m_shown = false;
    QElapsedTimer m_sinceClicks;
    QString m_answer = QStringLiteral("Clave");
    QString m_reported;
};

} // namespace Editing
