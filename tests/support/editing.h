#pragma once

// The random runs of edits (tst_editing): the steps a user takes, written as the rows of its table
// read them, and the generator of random sequences of them.

#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "tests/support/testtext.h"
#include "window/pieceddocument.h"

#include <QKeySequence>
#include <QList>
#include <QPoint>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace Editing {

// One thing a user does, written as a row of shrunkSequencesRunClean reads it: "[Text3 ]verb args".
struct Step
{
    enum Verb {
        Type,
        Key,
        Click,
        ShiftClick,
        DoubleClick,
        TripleClick,
        Drag,
        MiddleClick,
        Drop,
        Commit,
        Replace,
        Query,
        Clipboard,
        Press,
        Prompt
    };
    Verb verb = Type;
    int field = 0; // 0 for Text1, 1 for Text3
    QString text; // typed, dropped, committed or copied elsewhere; a button's name; a key
    QKeySequence key;
    int at = 0; // offsets in the field's text, clamped to its length
    int to = 0;
    QPoint point; // for a middle click or a drop, a point of the viewport instead of at, if not null
    int length = 0; // what an input method's commit replaces: to (from the caret) and length
};

inline constexpr const char *VerbNames[]
    = {"type", "key",    "click",   "shift-click", "double-click", "triple-click", "drag",  "middle-click",
       "drop", "commit", "replace", "query",       "clipboard",    "press",        "prompt"};

// What field i of the window copies and reads back: the plain text, then the encoded one.
inline FieldText::CopyForm formOf(int i)
{
    return i ? FieldText::CopyForm::Encoded : FieldText::CopyForm::Plain;
}

// Texts in rows: printable ASCII as it is, anything else as \uXXXX, a run as X{n} or [XY]{n}.
inline QString escaped(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        // A word repeated, as prose is.
        if (const qsizetype word = text.indexOf(u' ', i) + 1 - i; word > 1 && word < 16) {
            qsizetype times = 1;
            while (QStringView(text).mid(i + times * word, word) == QStringView(text).mid(i, word))
                ++times;
            if (times > 3) {
                out += u'[' + escaped(text.mid(i, word)) + QStringLiteral("]{%1}").arg(times);
                i += times * word;
                continue;
            }
        }
        qsizetype run = 1;
        while (i + run < text.size() && text.at(i + run) == text.at(i))
            ++run;
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c < 0x7f && !QStringView(u";\\[]{}").contains(QChar(c)))
            out += QChar(c);
        else
            out += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
        if (run > 3) {
            out += QStringLiteral("{%1}").arg(run);
            i += run;
        } else {
            ++i;
        }
    }
    return out;
}

inline QString unescaped(QStringView text)
{
    QString out;
    QString last; // what a {n} repeats
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) == u'{') {
            const qsizetype close = text.indexOf(u'}', i);
            out += last.repeated(text.mid(i + 1, close - i - 1).toInt() - 1);
            i = close + 1;
        } else if (text.at(i) == u'[') {
            const qsizetype close = text.indexOf(u']', i);
            last = unescaped(text.mid(i + 1, close - i - 1));
            out += last;
            i = close + 1;
        } else if (text.at(i) == u'\\') {
            last = QChar(text.mid(i + 2, 4).toUShort(nullptr, 16));
            out += last;
            i += 6;
        } else {
            last = text.at(i++);
            out += last;
        }
    }
    return out;
}

// Where a step acts: an offset, or a point of the viewport as "@x,y".
inline QString place(const Step &step)
{
    return step.point.isNull() ? QString::number(step.at)
                               : QStringLiteral("@%1,%2").arg(step.point.x()).arg(step.point.y());
}

inline void setPlace(Step &step, const QString &word)
{
    if (word.startsWith(u'@'))
        step.point = QPoint(word.mid(1).section(u',', 0, 0).toInt(), word.section(u',', 1, 1).toInt());
    else
        step.at = word.toInt();
}

inline QString describe(const Step &step)
{
    QString row = step.field ? QStringLiteral("Text3 ") : QString();
    row += QLatin1String(VerbNames[step.verb]);
    switch (step.verb) {
    case Step::Key:
        return row + u' ' + step.key.toString(QKeySequence::PortableText);
    case Step::Click:
    case Step::ShiftClick:
    case Step::DoubleClick:
    case Step::TripleClick:
    case Step::MiddleClick:
        return row + u' ' + place(step);
    case Step::Drag:
        return row + QStringLiteral(" %1 %2").arg(step.at).arg(step.to);
    case Step::Drop:
        return row + u' ' + place(step) + u' ' + escaped(step.text);
    case Step::Replace:
        return row + QStringLiteral(" %1 %2 %3 ").arg(step.at).arg(step.to).arg(step.length)
            + escaped(step.text);
    case Step::Query:
        return row + u' ' + QString::number(step.at);
    default:
        return row + u' ' + escaped(step.text);
    }
}

inline QString describe(const QList<Step> &steps)
{
    QStringList rows;
    for (const Step &step : steps)
        rows += describe(step);
    return rows.join(QStringLiteral("; "));
}

inline QList<Step> parse(const QString &row)
{
    QList<Step> steps;
    for (const QString &part : row.split(QStringLiteral("; "))) {
        Step step;
        QString rest = part;
        if (rest.startsWith(QLatin1String("Text3 "))) {
            step.field = 1;
            rest = rest.mid(6);
        }
        const qsizetype space = rest.indexOf(u' ');
        const QString verb = rest.left(space);
        const QString args = space < 0 ? QString() : rest.mid(space + 1);
        step.verb = Step::Verb(std::find_if(std::begin(VerbNames), std::end(VerbNames),
                                            [&verb](const char *name) { return verb == QLatin1String(name); })
                               - std::begin(VerbNames));
        const QStringList words = args.split(u' ');
        switch (step.verb) {
        case Step::Key:
            step.key = QKeySequence::fromString(args, QKeySequence::PortableText);
            break;
        case Step::Drag:
            step.to = words.value(1).toInt();
            Q_FALLTHROUGH();
        case Step::Click:
        case Step::ShiftClick:
        case Step::DoubleClick:
        case Step::TripleClick:
        case Step::MiddleClick:
            setPlace(step, words.value(0));
            break;
        case Step::Drop:
            setPlace(step, words.value(0));
            step.text = unescaped(QStringView(args).mid(words.value(0).size() + 1));
            break;
        case Step::Replace:
            step.at = words.value(0).toInt();
            step.to = words.value(1).toInt();
            step.length = words.value(2).toInt();
            step.text = unescaped(words.mid(3).join(u' '));
            break;
        case Step::Query:
            step.at = words.value(0).toInt();
            break;
        default:
            step.text = unescaped(args);
        }
        steps += step;
    }
    return steps;
}

// ---- Random sequences -------------------------------------------------------------------------

// Keys a user presses in a field, as this platform's Qt binds them (Windows: Ctrl+Y redoes,
// Shift+Del cuts, Ctrl+Ins copies, Shift+Ins pastes, and there is no Ctrl+K), and the keys no
// binding names; the window's own keys (Tab) are left out. The common ones come twice.
inline const QList<QKeySequence> &keys()
{
    static const QList<QKeySequence> keys = [] {
        QList<QKeySequence> keys;
        for (const QString &name :
             QStringLiteral("Backspace, Backspace, Del, Del, Shift+Backspace, Return, Return, Ctrl+Tab, "
                            "Shift+Return, Left, Right, Ctrl+Z")
                 .split(QStringLiteral(", ")))
            keys += QKeySequence::fromString(name, QKeySequence::PortableText);
        for (QKeySequence::StandardKey key : {QKeySequence::MoveToNextChar,
                                              QKeySequence::MoveToPreviousChar,
                                              QKeySequence::MoveToNextWord,
                                              QKeySequence::MoveToPreviousWord,
                                              QKeySequence::MoveToNextLine,
                                              QKeySequence::MoveToPreviousLine,
                                              QKeySequence::MoveToNextPage,
                                              QKeySequence::MoveToPreviousPage,
                                              QKeySequence::MoveToStartOfLine,
                                              QKeySequence::MoveToEndOfLine,
                                              QKeySequence::MoveToStartOfDocument,
                                              QKeySequence::MoveToEndOfDocument,
                                              QKeySequence::SelectNextChar,
                                              QKeySequence::SelectPreviousChar,
                                              QKeySequence::SelectNextWord,
                                              QKeySequence::SelectPreviousWord,
                                              QKeySequence::SelectNextLine,
                                              QKeySequence::SelectPreviousLine,
                                              QKeySequence::SelectNextPage,
                                              QKeySequence::SelectStartOfLine,
                                              QKeySequence::SelectEndOfLine,
                                              QKeySequence::SelectStartOfDocument,
                                              QKeySequence::SelectEndOfDocument,
                                              QKeySequence::SelectAll,
                                              QKeySequence::Copy,
                                              QKeySequence::Cut,
                                              QKeySequence::Paste,
                                              QKeySequence::Paste,
                                              QKeySequence::Undo,
                                              QKeySequence::Redo,
                                              QKeySequence::Delete,
                                              QKeySequence::DeleteStartOfWord,
                                              QKeySequence::DeleteEndOfWord,
                                              QKeySequence::DeleteEndOfLine,
                                              QKeySequence::DeleteCompleteLine}) {
            for (const QKeySequence &binding : QKeySequence::keyBindings(key)) {
                // Only single keys: Qt's Emacs-like two-stroke bindings are no user's in a form.
                // Ctrl+Shift+Ins pastes X11's selection, as the middle-click steps do.
                if (binding.count() == 1 && binding != QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Insert))
                    keys += binding;
            }
        }
        return keys;
    }();
    return keys;
}

class Generator
{
public:
    explicit Generator(quint32 seed)
        : m_random(seed)
    {
    }

    QList<Step> sequence()
    {
        QList<Step> steps;
        if (m_random.bounded(4) == 0) {
            Step prompt;
            prompt.verb = Step::Prompt;
            prompt.text = key();
            steps += prompt;
        }
        for (int i = 20 + m_random.bounded(180); i > 0; --i)
            steps += step();
        return steps;
    }

private:
    int bounded(int n) { return int(m_random.bounded(n)); }

    QString key()
    {
        static const QStringList keys = {QString(), QStringLiteral("Clave"), QStringLiteral("k"),
                                         QStringLiteral("Ñandú 7"), QStringLiteral("Ωμέγα")};
        return keys.at(bounded(keys.size()));
    }

    // What a keyboard types: mostly letters and blanks, some Spanish, now and then a character
    // outside the code page or a decomposed accent.
    QString typed()
    {
        static const QStringList rare
            = QStringLiteral("ñ|¿|€|Ω|\U0001F600|e\u0301|\u00a0|\t").split(QLatin1Char('|'));
        QString text;
        for (int i = 1 + bounded(6); i > 0; --i) {
            const int kind = bounded(20);
            if (kind < 3)
                text += u' ';
            else if (kind == 3)
                text += rare.at(bounded(rare.size()));
            else
                text += QChar(u'a' + bounded(26));
        }
        return text;
    }

    // What another program puts on the clipboard or drops: words, long lines without blanks of
    // lengths around the pieces', prose, Windows and Unix lines, and every code.
    QString text()
    {
        static const int lengths[] = {300, 1000, 1023, 1024, 1025, 1030, 2047, 2048, 2049, 3000, 5000};
        switch (bounded(12)) {
        case 0:
        case 1:
        case 2:
            return typed();
        case 3:
        case 4:
        case 5: {
            const int length
                = bounded(40) == 0 ? (bounded(2) ? 32766 : 40000) : lengths[bounded(std::size(lengths))];
            return QString(length, QChar(u'a' + bounded(3)));
        }
        case 6:
            return QStringLiteral("palabra ").repeated(1 + bounded(300));
        case 7:
            return QStringLiteral("uno\r\ndos\r\n") + QString(bounded(1500), QChar(u'x'))
                + QStringLiteral("\r\n");
        case 8:
            return QStringLiteral("a\nb\n\nc");
        case 9:
            return QStringLiteral("x\ry\tz");
        default: {
            const QString codes = TestText::RandomControlRich(m_random, 1 + bounded(60));
            return FieldText::ToClipboard(
                codes, bounded(2) ? FieldText::CopyForm::Plain : FieldText::CopyForm::Encoded);
        }
        }
    }

    // A place: anywhere, or near a piece's end, where the faults hide.
    int place()
    {
        if (bounded(2))
            return bounded(6000);
        return PiecedDocument::PieceLength * (1 + bounded(4)) + bounded(7) - 3;
    }

    Step step()
    {
        Step step;
        step.field = bounded(2);
        const int kind = bounded(100);
        if (kind < 22) {
            step.verb = Step::Type;
            step.text = typed();
        } else if (kind < 62) {
            step.verb = Step::Key;
            step.key = keys().at(bounded(keys().size()));
        } else if (kind < 68) {
            step.verb = Step::Click;
        } else if (kind < 71) {
            step.verb = Step::ShiftClick;
        } else if (kind < 74) {
            step.verb = Step::DoubleClick;
        } else if (kind < 76) {
            step.verb = Step::TripleClick;
        } else if (kind < 78) {
            step.verb = Step::Drag;
        } else if (kind < 79) {
            step.verb = Step::MiddleClick;
        } else if (kind < 81) {
            step.verb = Step::Drop;
            step.text = text();
        } else if (kind < 83) {
            step.verb = Step::Commit;
            step.text = bounded(3) ? typed() : text();
        } else if (kind < 85) {
            // An input method's commit that replaces text around the caret, or what it reads there,
            // mostly at a piece's start or end.
            step.verb = bounded(2) ? Step::Replace : Step::Query;
            step.text = bounded(4) ? typed() : text();
            // At a place, or where the steps before left the caret (-1): where typing cut a piece,
            // at the next piece's start.
            step.at = bounded(3) ? PiecedDocument::PieceLength * (1 + bounded(3)) + bounded(3) - 1 : -1;
            step.to = bounded(5) - 3;
            step.length = bounded(4);
            return step;
        } else if (kind < 89) {
            step.verb = Step::Clipboard;
            step.text = text();
        } else if (kind < 98) {
            step.verb = Step::Press;
            step.text = QStringLiteral("Command%1").arg(1 + bounded(4));
        } else {
            step.verb = Step::Prompt;
            step.text = key();
            return step;
        }
        step.at = place();
        step.to = place();
        // Half the middle clicks and drops at any point of the view, the lines' edges among them.
        if ((step.verb == Step::MiddleClick || step.verb == Step::Drop) && bounded(2))
            step.point = QPoint(1 + bounded(140), 1 + bounded(150));
        return step;
    }

    QRandomGenerator m_random;
};

} // namespace Editing
