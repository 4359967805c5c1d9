#include "textfield.h"

#include "fieldtext.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Marks a block that continues the line of the block before it.
constexpr int SoftBreakProperty = QTextFormat::UserProperty + 1;

bool startsWithSoftBreak(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(SoftBreakProperty);
}

QTextBlockFormat softBreak()
{
    QTextBlockFormat format;
    format.setProperty(SoftBreakProperty, true);
    return format;
}

// Where to end a piece of a long line: after a blank shortly before the limit if there is one,
// so the soft break falls where a word wrap might have, otherwise at the limit.
qsizetype pieceEnd(QStringView line, qsizetype limit)
{
    const qsizetype blank = line.left(limit).lastIndexOf(QLatin1Char(' '));
    return blank >= limit - 64 ? blank + 1 : limit;
}

// The font built into the program that draws the codes without a glyph of their own, so they
// look alike on every system, whatever fonts it has.
QString codesFontFamily()
{
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/ZentolarCodigos.ttf"));
        return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    return family;
}

} // namespace

TextField::TextField(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);

    // Code page text needs no shaping; without it a long text is laid out twice as fast.
    QFont plain = font();
    plain.setStyleStrategy(QFont::PreferNoShaping);
    // The codes' font has nothing but those codes; every other character keeps the usual font.
    plain.setFamilies({plain.family(), codesFontFamily()});
    setFont(plain);
}

QString TextField::text() const
{
    return FieldText::FromDisplay(shownText(0, document()->characterCount() - 1));
}

void TextField::setText(const QString &text)
{
    const QString shown = FieldText::ToDisplay(text);

    // Like setPlainText: the new text cannot be undone, and it starts the undo history afresh.
    QTextDocument *document = this->document();
    document->setUndoRedoEnabled(false);
    setPlainText(QString());
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    bool firstBlock = true;
    for (QStringView line : QStringView(shown).tokenize(QLatin1Char('\n'))) {
        bool continues = false;
        do {
            const qsizetype end = line.size() > PieceLength ? pieceEnd(line, PieceLength) : line.size();
            if (!firstBlock)
                cursor.insertBlock(continues ? softBreak() : QTextBlockFormat());
            cursor.insertText(line.left(end).toString());
            line = line.mid(end);
            firstBlock = false;
            continues = true;
        } while (!line.isEmpty());
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(true);
}

QString TextField::shownText(int from, int to) const
{
    QString shown;
    shown.reserve(to - from);
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        if (block.position() > from && !startsWithSoftBreak(block))
            shown += QLatin1Char('\n');
        // QTextBlock::text keeps no-break spaces, which toPlainText would turn into blanks.
        shown += QStringView(block.text()).mid(start - block.position(), to - start);
    }
    return shown;
}

void TextField::insertShown(QTextCursor &cursor, QStringView shown)
{
    cursor.beginEditBlock();
    bool firstLine = true;
    for (QStringView line : shown.tokenize(QLatin1Char('\n'))) {
        // A clean format: the new block must not take over a soft break from the block it splits.
        if (!firstLine)
            cursor.insertBlock(QTextBlockFormat(), cursor.charFormat());
        cursor.insertText(line.toString());
        firstLine = false;
    }
    cursor.endEditBlock();
}

bool TextField::deleteAcrossSoftBreak(QKeyEvent *event)
{
    // A soft break is no character: Backspace and Delete next to one act on the character
    // beyond it, as if the line had only wrapped there.
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection() || event->modifiers() != Qt::NoModifier)
        return false;
    const auto softBefore = [&] { return cursor.atBlockStart() && startsWithSoftBreak(cursor.block()); };
    const auto softAfter = [&] { return cursor.atBlockEnd() && startsWithSoftBreak(cursor.block().next()); };
    const bool back = event->key() == Qt::Key_Backspace;
    if (!(back ? softBefore() : event->key() == Qt::Key_Delete && softAfter()))
        return false;

    cursor.beginEditBlock();
    if (back) {
        while (softBefore())
            cursor.deletePreviousChar();
        cursor.deletePreviousChar();
    } else {
        while (softAfter())
            cursor.deleteChar();
        cursor.deleteChar();
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    return true;
}

void TextField::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (deleteAcrossSoftBreak(event)) {
        event->accept();
        return;
    }
    const QString typed = event->text();
    QString shown;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        shown = QStringLiteral("\n");
    else if (!typed.isEmpty() && typed.front().category() != QChar::Other_Control)
        shown = FieldText::Normalize(typed);
    // Keys without text, the shortcuts and typed text the code page holds go their usual way.
    if (shown.isEmpty() || shown == typed) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    QTextCursor cursor = textCursor();
    insertShown(cursor, shown);
    setTextCursor(cursor);
    ensureCursorVisible();
    event->accept();
}

void TextField::inputMethodEvent(QInputMethodEvent *event)
{
    const QString shown = FieldText::Normalize(event->commitString());
    if (shown == event->commitString() && !shown.contains(QLatin1Char('\n'))) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    if (!shown.contains(QLatin1Char('\n'))) {
        QInputMethodEvent normalized(event->preeditString(), event->attributes());
        normalized.setCommitString(shown, event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&normalized);
        return;
    }
    // Committed lines: the editor would give the new blocks the format of the block they split.
    QInputMethodEvent withoutCommit;
    withoutCommit.setCommitString(QString(), event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&withoutCommit);
    QTextCursor cursor = textCursor();
    insertShown(cursor, shown);
    setTextCursor(cursor);
}

bool TextField::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void TextField::insertFromMimeData(const QMimeData *source)
{
    // Plain text only: a pasted line break of any kind becomes a line break, a pasted control
    // picture the code it stands for.
    if (!source->hasText())
        return;
    QTextCursor cursor = textCursor();
    insertShown(cursor, FieldText::Normalize(source->text()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *TextField::createMimeDataFromSelection() const
{
    // The shown form: control codes as pictures, so no raw NUL reaches the clipboard, and line
    // breaks as line breaks, so other programs get the lines.
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(shownText(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}
