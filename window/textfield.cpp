#include "textfield.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdlib>

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
    // The documents this field has shown are kept here, not by the editor, which would delete
    // the one it replaces.
    m_documentOwner = new QObject(this);
    document()->setParent(m_documentOwner);
    m_documents.append(document());
    watchEdits(document());

    // Code page text needs no shaping; without it a long text is laid out twice as fast.
    QFont plain = font();
    plain.setStyleStrategy(QFont::PreferNoShaping);
    // The codes' font has nothing but those codes; every other character keeps the usual font.
    plain.setFamilies({plain.family(), codesFontFamily()});
    setFont(plain);
    // Tab stops every eight blanks, as in a Windows text box.
    setTabStopDistance(8 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
}

QString TextField::text() const
{
    return FieldText::FromDisplay(shownText(0, document()->characterCount() - 1));
}

void TextField::setText(const QString &text)
{
    const QString shown = FieldText::ToDisplay(text);

    // The text goes into a new document, and the one it replaces is kept with its own undo
    // history: Ctrl+Z brings back what a result or a clearing replaced, and what came before it.
    auto *next = new QTextDocument(m_documentOwner);
    next->setDocumentLayout(new QPlainTextDocumentLayout(next));
    watchEdits(next);
    forgetLaterDocuments();
    m_documents.append(next);
    while (m_documents.size() > MaxDocuments)
        delete m_documents.takeFirst();
    m_current = m_documents.size() - 1;
    showDocument(next);
    // Filled once shown: the editor then lays out only what comes into view.
    next->setUndoRedoEnabled(false);
    QTextCursor cursor(next);
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
    next->setUndoRedoEnabled(true);
}

void TextField::setCopyForm(FieldText::CopyForm form)
{
    m_copyForm = form;
}

void TextField::showDocument(QTextDocument *next)
{
    // The font, the wrapping and the tab stops live in the document.
    next->setDefaultFont(document()->defaultFont());
    next->setDefaultTextOption(document()->defaultTextOption());
    setDocument(next);
}

void TextField::watchEdits(QTextDocument *watched)
{
    // A new edit in an earlier document, like a new text, leaves nothing to redo past it.
    connect(watched, &QTextDocument::undoCommandAdded, this, [this, watched] {
        if (watched == document())
            forgetLaterDocuments();
    });
}

void TextField::forgetLaterDocuments()
{
    while (m_documents.size() > m_current + 1)
        delete m_documents.takeLast();
}

bool TextField::canUndo() const
{
    return document()->isUndoAvailable() || m_current > 0;
}

bool TextField::canRedo() const
{
    return document()->isRedoAvailable() || m_current + 1 < m_documents.size();
}

void TextField::undo()
{
    if (document()->isUndoAvailable())
        QPlainTextEdit::undo();
    else if (m_current > 0)
        showDocument(m_documents.at(--m_current));
}

void TextField::redo()
{
    if (document()->isRedoAvailable())
        QPlainTextEdit::redo();
    else if (m_current + 1 < m_documents.size())
        showDocument(m_documents.at(++m_current));
}

QMenu *TextField::createContextMenu(const QPoint &position)
{
    QMenu *menu = createStandardContextMenu(position);
    // Undo and redo reach past a replaced text too.
    const auto reroute = [this, menu](const char *name, void (TextField::*slot)(), bool enabled) {
        if (auto *action = menu->findChild<QAction *>(QLatin1String(name))) {
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, slot);
            action->setEnabled(enabled && !isReadOnly());
        }
    };
    reroute("edit-undo", &TextField::undo, canUndo());
    reroute("edit-redo", &TextField::redo, canRedo());
    return menu;
}

void TextField::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
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

bool TextField::moveAcrossSoftBreak(QKeyEvent *event)
{
    // A soft break is no character: the caret crosses it in the same step as the character
    // beyond it, and a word move goes on where a piece ends inside a word.
    struct Move
    {
        QKeySequence::StandardKey key;
        QTextCursor::MoveOperation operation;
        QTextCursor::MoveMode mode;
    };
    static constexpr Move Moves[] = {
        {QKeySequence::MoveToNextChar, QTextCursor::NextCharacter, QTextCursor::MoveAnchor},
        {QKeySequence::MoveToPreviousChar, QTextCursor::PreviousCharacter, QTextCursor::MoveAnchor},
        {QKeySequence::SelectNextChar, QTextCursor::NextCharacter, QTextCursor::KeepAnchor},
        {QKeySequence::SelectPreviousChar, QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor},
        {QKeySequence::MoveToNextWord, QTextCursor::NextWord, QTextCursor::MoveAnchor},
        {QKeySequence::MoveToPreviousWord, QTextCursor::PreviousWord, QTextCursor::MoveAnchor},
        {QKeySequence::SelectNextWord, QTextCursor::NextWord, QTextCursor::KeepAnchor},
        {QKeySequence::SelectPreviousWord, QTextCursor::PreviousWord, QTextCursor::KeepAnchor},
    };
    const Move *move = nullptr;
    for (const Move &candidate : Moves) {
        if (event->matches(candidate.key))
            move = &candidate;
    }
    if (!move)
        return false;

    const int before = textCursor().position();
    QPlainTextEdit::keyPressEvent(event);
    QTextCursor cursor = textCursor();
    const int after = cursor.position();
    const bool forward = after > before;
    if (after == before)
        return true;

    const auto isSoftBreakAt = [this](int position) {
        // position is the block separator at the end of a piece
        const QTextBlock block = document()->findBlock(position);
        return position == block.position() + block.length() - 1 && startsWithSoftBreak(block.next());
    };
    const bool word
        = move->operation == QTextCursor::NextWord || move->operation == QTextCursor::PreviousWord;
    if (std::abs(after - before) == 1 && isSoftBreakAt(std::min(before, after))) {
        // Only the soft break was crossed: take the step the user asked for.
        cursor.movePosition(move->operation, move->mode);
    } else if (word && isSoftBreakAt(forward ? after : after - 1)) {
        // The word move stopped at a piece's edge; inside a piece it stops there only where a
        // word starts.
        const QChar previous = document()->characterAt(forward ? after - 1 : after - 2);
        const QChar next = document()->characterAt(forward ? after + 1 : after);
        cursor.setPosition(forward ? after + 1 : after - 1, move->mode);
        if (!previous.isSpace() && !next.isSpace())
            cursor.movePosition(move->operation, move->mode);
    }
    setTextCursor(cursor);
    return true;
}

bool TextField::event(QEvent *event)
{
    // Tab moves the focus on; Ctrl+Tab types a tab, as in a multi-line box of a dialog. The
    // editor would take Ctrl+Tab for focus handling before it reaches keyPressEvent.
    if (event->type() == QEvent::KeyPress && !isReadOnly()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            QTextCursor cursor = textCursor();
            insertShown(cursor, u"\t");
            setTextCursor(cursor);
            ensureCursorVisible();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void TextField::keyPressEvent(QKeyEvent *event)
{
    if (moveAcrossSoftBreak(event)) {
        event->accept();
        return;
    }
    if (!isReadOnly() && (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))) {
        event->matches(QKeySequence::Undo) ? undo() : redo();
        event->accept();
        return;
    }
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
    // Plain text only: pasted line breaks become line breaks (only CR LF where the text has
    // Windows line breaks), a pasted control picture the code it stands for.
    if (!source->hasText())
        return;
    QTextCursor cursor = textCursor();
    insertShown(cursor, FieldText::NormalizePasted(source->text()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *TextField::createMimeDataFromSelection() const
{
    // Control codes as pictures, so no raw NUL reaches the clipboard; line breaks and tabs as
    // themselves, so other programs get the lines and columns.
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(FieldText::ToClipboard(
        FieldText::FromDisplay(shownText(cursor.selectionStart(), cursor.selectionEnd())), m_copyForm));
    return data;
}
