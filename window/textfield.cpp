#include "textfield.h"

#include "documenthistory.h"
#include "pieces.h"
#include "wholelines.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

namespace {

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
    , m_pieces(new Pieces(this))
    , m_history(new DocumentHistory(this, m_pieces))
    , m_wholeLines(std::make_unique<WholeLines>(this))
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
    // Tab stops every eight blanks, as in a Windows text box.
    setTabStopDistance(8 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
}

TextField::~TextField() = default;

QString TextField::text() const
{
    return FieldText::FromDisplay(Pieces::shownText(document(), 0, document()->characterCount() - 1));
}

void TextField::setText(const QString &text)
{
    const QString shown = FieldText::ToDisplay(text);
    QTextDocument *next = m_history->replace();
    // Filled once shown: the editor then lays out only what comes into view.
    next->setUndoRedoEnabled(false);
    QTextCursor cursor(next);
    Pieces::insert(cursor, shown);
    next->setUndoRedoEnabled(true);
}

void TextField::setCopyForm(FieldText::CopyForm form)
{
    m_copyForm = form;
}

bool TextField::canUndo() const
{
    return m_history->canUndo();
}

bool TextField::canRedo() const
{
    return m_history->canRedo();
}

void TextField::undo()
{
    m_history->undo();
}

void TextField::redo()
{
    m_history->redo();
}

QMenu *TextField::createContextMenu(const QPoint &position)
{
    QMenu *menu = createStandardContextMenu(position);
    m_history->takeOverUndoActions(menu);
    return menu;
}

void TextField::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TextField::insertAtCursor(QStringView shown)
{
    QTextCursor cursor = textCursor();
    Pieces::insert(cursor, shown);
    setTextCursor(cursor);
    ensureCursorVisible();
}

bool TextField::event(QEvent *event)
{
    // Tab moves the focus on; Ctrl+Tab types a tab, as in a multi-line box of a dialog. The
    // editor would take Ctrl+Tab for focus handling before it reaches keyPressEvent.
    if (event->type() == QEvent::KeyPress && !isReadOnly()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            insertAtCursor(u"\t");
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void TextField::keyPressEvent(QKeyEvent *event)
{
    if (m_wholeLines->keyPress(event)) {
        offerSelection();
        event->accept();
        return;
    }
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        event->matches(QKeySequence::Undo) ? undo() : redo();
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
        QTextCursor edit = textCursor();
        const bool block = Pieces::changesPieces(edit, event);
        if (block)
            edit.beginEditBlock();
        QPlainTextEdit::keyPressEvent(event);
        if (block)
            edit.endEditBlock();
        return;
    }
    insertAtCursor(shown);
    event->accept();
}

void TextField::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && m_wholeLines->pressed(event->position().toPoint()))
        offerSelection();
}

void TextField::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && m_wholeLines->doubleClicked(event->position().toPoint()))
        offerSelection();
}

void TextField::inputMethodEvent(QInputMethodEvent *event)
{
    const QString shown = FieldText::Normalize(event->commitString());
    // Lines and long texts go in as pastes do; the editor would put a long one in one paragraph.
    const bool asPasted = shown.contains(QLatin1Char('\n')) || shown.size() > Pieces::Length;
    if (shown == event->commitString() && !asPasted) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    if (!asPasted) {
        QInputMethodEvent normalized(event->preeditString(), event->attributes());
        normalized.setCommitString(shown, event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&normalized);
        return;
    }
    // The editor would give new blocks the format of the block they split.
    QInputMethodEvent withoutCommit;
    withoutCommit.setCommitString(QString(), event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&withoutCommit);
    insertAtCursor(shown);
}

bool TextField::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void TextField::insertFromMimeData(const QMimeData *source)
{
    // Plain text only: pasted line breaks become line breaks (only CR LF where the text has
    // Windows line breaks), a pasted control picture the code it stands for.
    if (source->hasText())
        insertAtCursor(FieldText::NormalizePasted(source->text()));
}

QMimeData *TextField::createMimeDataFromSelection() const
{
    // Control codes as pictures, so no raw NUL reaches the clipboard; line breaks and tabs as
    // themselves, so other programs get the lines and columns.
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(FieldText::ToClipboard(
        FieldText::FromDisplay(Pieces::shownText(document(), cursor.selectionStart(), cursor.selectionEnd())),
        m_copyForm));
    return data;
}

void TextField::offerSelection()
{
    // On X11 the selection is what the middle button pastes elsewhere, as the editor's own
    // selecting steps offer it.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (textCursor().hasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(createMimeDataFromSelection(), QClipboard::Selection);
}

void TextField::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    guessLineCounts();
}

void TextField::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        guessLineCounts();
}

void TextField::guessLineCounts()
{
    // A new width or font forgets every layout, and with it the guessed line counts.
    if (auto *layout = qobject_cast<PieceLayout *>(document()->documentLayout()))
        layout->guessLineCounts();
}
