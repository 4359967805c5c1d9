#include "window/textfield.h"

#include "window/pieceddocument.h"
#include "window/wholelines.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

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

// Whether the editor takes a key's text for typing, as it does: text that starts with no control
// code but a tab, from a key that is no command, without Ctrl alone (AltGr, which is Ctrl+Alt,
// types).
bool typesText(const QKeyEvent &event)
{
    const QString typed = event.text();
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return !typed.isEmpty() && (typed.front().category() != QChar::Other_Control || typed.front() == u'\t')
        && !WholeLines::isCommand(event) && modifiers != Qt::ControlModifier
        && modifiers != (Qt::ControlModifier | Qt::ShiftModifier);
}

// The text an input method reads before or after the caret, at offset at of its line, as the
// editor gives it: the caret's line up to or from the caret, with whole lines before or after it
// until 1024 characters are reached.
QString linesAround(const PiecedDocument &document, const PiecedDocument::Line &line, int at, bool after)
{
    constexpr int Enough = 1024;
    if (after) {
        QString text = line.text().mid(at);
        for (PiecedDocument::Line next = line; text.size() < Enough && !next.endsDocument();) {
            next = document.lineAt(next.end() + 1);
            text += QLatin1Char('\n') + next.text();
        }
        return text;
    }
    QStringList lines = {line.text().left(at)};
    int length = at;
    for (PiecedDocument::Line previous = line; length < Enough && previous.start() > 0;) {
        previous = document.lineAt(previous.start() - 1);
        lines.prepend(previous.text());
        length += previous.length() + 1;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TextField::TextField(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_document(new PiecedDocument(this))
{
    setDocument(m_document);
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

    connect(this, &QPlainTextEdit::selectionChanged, this, &TextField::keepSelectionOnText);
}

TextField::~TextField() = default;

QString TextField::text() const
{
    return FieldText::FromDisplay(m_document->shownText(0, m_document->characterCount() - 1));
}

void TextField::setText(const QString &text)
{
    m_document->replaceAll(FieldText::ToDisplay(text));
    // A new text is read from its start, as in an editor given a new text.
    setTextCursor(QTextCursor(m_document));
}

void TextField::setCopyForm(FieldText::CopyForm form)
{
    m_copyForm = form;
}

void TextField::insertAtCursor(QStringView shown)
{
    QTextCursor cursor = textCursor();
    m_document->insert(cursor, shown);
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
    if (const auto step = WholeLines::forKey(*m_document, textCursor(), *event);
        step && !(step->deletes && isReadOnly())) {
        QTextCursor cursor = step->cursor;
        if (step->deletes)
            m_document->remove(cursor);
        setTextCursor(cursor);
        ensureCursorVisible();
        offerSelection();
        event->accept();
        return;
    }
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    QString shown;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        shown = QStringLiteral("\n");
    else if (typesText(*event))
        shown = FieldText::Normalize(typed);
    const QTextCursor cursor = textCursor();
    // The editor's own typing, which undo takes back with the typing before it, where the text the
    // code page holds goes into a piece with room for it; anything else goes in as one edit that
    // the pieces are mended in.
    const bool editorsOwn = shown.isEmpty()
        || (shown == typed && !cursor.hasSelection() && m_document->hasRoomFor(cursor, int(shown.size())));
    if (editorsOwn) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    insertAtCursor(shown);
    event->accept();
}

QTextCursor TextField::cursorAt(const QPointF &point) const
{
    // The editor's own hit test for a click, step by step: the point in whole pixels, moved by the
    // view's offset and rounded to whole pixels again; from the top block down or up by whole
    // blocks, then by lines within the block.
    const QPointF moved = QPointF(point.toPoint()) - contentOffset();
    const QPointF inContents(qRound(moved.x()), qRound(moved.y()));
    const QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    QTextBlock block = firstVisibleBlock();
    qreal top = 0;
    QRectF box = layout->blockBoundingRect(block);
    while (block.next().isValid() && box.bottom() + top <= inContents.y()) {
        top += box.height();
        block = block.next();
        box = layout->blockBoundingRect(block);
    }
    while (block.previous().isValid() && box.top() + top > inContents.y()) {
        top -= box.height();
        block = block.previous();
        box = layout->blockBoundingRect(block);
    }
    const QPointF inBlock(inContents.x(), inContents.y() - top);
    int at = 0;
    const QTextLayout *lines = block.layout();
    for (int i = 0; lines && i < lines->lineCount(); ++i) {
        const QTextLine line = lines->lineAt(i);
        const QRectF rect = line.naturalTextRect();
        if (rect.top() > inBlock.y()) {
            at = std::min(at, line.textStart());
        } else if (rect.bottom() <= inBlock.y()) {
            at = std::max(at, line.textStart() + line.textLength());
        } else {
            at = line.xToCursor(inBlock.x());
            break;
        }
    }
    QTextCursor cursor(m_document);
    cursor.setPosition(block.position() + at);
    return cursor;
}

void TextField::selectInView(const QTextCursor &cursor)
{
    // The view keeps the line at its top. The scroll bar counts lines, and the count of the pieces
    // the selection makes the editor lay out may differ from their guessed count.
    QScrollBar *bar = verticalScrollBar();
    const QTextBlock top = firstVisibleBlock();
    const int lineInTop = bar->value() - top.firstLineNumber();
    setTextCursor(cursor);
    bar->setValue(top.firstLineNumber() + lineInTop);
    offerSelection();
}

void TextField::mousePressEvent(QMouseEvent *event)
{
    const bool afterDoubleClick = event->button() == Qt::LeftButton && m_afterDoubleClick.isActive();
    m_afterDoubleClick.stop();
    const int caret = textCursor().position();
    QPlainTextEdit::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The editor took the press for a triple click if it selected the block of the caret, which the
    // double click left at a word's end: the line is all of its pieces.
    if (afterDoubleClick && m_document->selectsPieceOf(textCursor(), caret)) {
        m_clickedLines = WholeLines::line(*m_document, caret);
        selectInView(m_clickedLines);
    } else if (event->modifiers() == Qt::ShiftModifier && m_clickedLines.hasSelection()) {
        selectInView(
            WholeLines::extendByLines(*m_document, m_clickedLines, cursorAt(event->position()).position()));
    } else if (event->modifiers() != Qt::ShiftModifier) {
        m_clickedLines = QTextCursor();
    }
}

void TextField::mouseMoveEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && m_clickedLines.hasSelection() && textCursor().hasSelection()) {
        setTextCursor(
            WholeLines::extendByLines(*m_document, m_clickedLines, cursorAt(event->position()).position()));
    }
}

void TextField::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int at = cursorAt(event->position()).position();
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // A triple click is timed as the editor times it.
    m_afterDoubleClick.start(QApplication::doubleClickInterval(), this);
    // The word of the whole line, in any line that is not empty; the editor found it in a piece.
    if (m_document->lineAt(at).length() > 0)
        selectInView(WholeLines::word(*m_document, at));
}

void TextField::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_afterDoubleClick.timerId())
        m_afterDoubleClick.stop();
    QPlainTextEdit::timerEvent(event);
}

void TextField::dropEvent(QDropEvent *event)
{
    // The editor inserts a drop inside an edit block of its own and scrolls to it there, before
    // the pieces are mended: the field inserts it as one edit of its own.
    QDragLeaveEvent leave; // takes the drop caret away
    QPlainTextEdit::dragLeaveEvent(&leave);
    if (isReadOnly() || !canInsertFromMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    QTextCursor target = cursorAt(event->position());
    QTextCursor moved = textCursor();
    target.beginEditBlock();
    // Text dragged within the field leaves its place.
    if (event->dropAction() == Qt::MoveAction && event->source() == viewport())
        moved.removeSelectedText();
    m_document->insert(target, FieldText::NormalizePasted(event->mimeData()->text()));
    target.endEditBlock();
    setTextCursor(target);
    ensureCursorVisible();
    event->acceptProposedAction();
}

void TextField::inputMethodEvent(QInputMethodEvent *event)
{
    const QString shown = FieldText::Normalize(event->commitString());
    // Lines and long texts go in as pastes do; the editor would put a long one in one paragraph.
    const bool asPasted = !PiecedDocument::fitsOnePiece(shown);
    const bool replaces = event->replacementStart() != 0 || event->replacementLength() != 0;
    if (shown == event->commitString() && !asPasted && !replaces) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    if (!replaces && asPasted) {
        // The editor would give new blocks the format of the block they split.
        QInputMethodEvent endPreedit;
        QPlainTextEdit::inputMethodEvent(&endPreedit);
        insertAtCursor(shown);
        return;
    }
    if (!replaces) {
        QInputMethodEvent normalized(event->preeditString(), event->attributes());
        normalized.setCommitString(shown);
        QPlainTextEdit::inputMethodEvent(&normalized);
        return;
    }
    // As in the editor: the selection goes, and what the input method replaces is counted from the
    // caret then, in the line the input method reads (inputMethodQuery); in the document a soft
    // break is a place too.
    QTextCursor cursor = textCursor();
    const bool takesSelection = cursor.hasSelection() && (!shown.isEmpty() || event->replacementLength() > 0);
    const auto replaced = [&](int shownStart) {
        const int from = shownStart + event->replacementStart();
        return std::pair(m_document->positionAt(std::max(0, from)),
                         m_document->positionAt(std::max(0, from + event->replacementLength())));
    };
    if (!takesSelection && !asPasted) {
        const auto [from, to] = replaced(m_document->shownOffset(cursor.position()));
        QInputMethodEvent mapped(event->preeditString(), event->attributes());
        mapped.setCommitString(shown, from - cursor.position(), to - from);
        QPlainTextEdit::inputMethodEvent(&mapped);
        return;
    }
    // The editor would make the two one change, which the rule mends from the first place it
    // touched: the selection goes as an edit of its own, so that its pieces are mended before the
    // replacement is placed, and the two are one step.
    QInputMethodEvent endPreedit;
    QPlainTextEdit::inputMethodEvent(&endPreedit);
    const int shownStart
        = m_document->shownOffset(takesSelection ? cursor.selectionStart() : cursor.position());
    QTextCursor target(m_document);
    if (takesSelection) {
        cursor.beginEditBlock();
        m_document->remove(cursor);
        cursor.endEditBlock();
        target.joinPreviousEditBlock();
    } else {
        target.beginEditBlock();
    }
    // The caret moves on with what goes in before it or at it, as the editor's does.
    const auto [from, to] = replaced(shownStart);
    target.setPosition(from);
    target.setPosition(to, QTextCursor::KeepAnchor);
    m_document->insert(target, shown);
    target.endEditBlock();
    if (!event->preeditString().isEmpty()) {
        QInputMethodEvent preedit(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&preedit);
    }
    ensureCursorVisible();
}

QVariant TextField::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // An input method reads the line around the caret and counts in it, as in a plain editor,
    // which holds the line in one block: the editor would give it the piece and count in that.
    const QTextCursor cursor = textCursor();
    const PiecedDocument::Line line = m_document->lineAt(cursor.position());
    const int at = line.offsetOf(cursor.position());
    switch (query) {
    case Qt::ImSurroundingText:
        return line.text();
    case Qt::ImCursorPosition:
        return at;
    case Qt::ImAnchorPosition:
        return cursor.anchor() >= line.start() && cursor.anchor() <= line.end()
            ? line.offsetOf(cursor.anchor())
            : m_document->shownOffset(cursor.anchor()) - m_document->shownOffset(line.start());
    case Qt::ImCurrentSelection:
        // As QTextCursor::selectedText has it.
        return m_document->shownText(cursor.selectionStart(), cursor.selectionEnd())
            .replace(QLatin1Char('\n'), QChar::ParagraphSeparator);
    case Qt::ImTextBeforeCursor:
    case Qt::ImTextAfterCursor:
        return linesAround(*m_document, line, at, query == Qt::ImTextAfterCursor);
    default:
        return QPlainTextEdit::inputMethodQuery(query);
    }
}

bool TextField::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void TextField::insertFromMimeData(const QMimeData *source)
{
    // Plain text only: pasted line breaks become line breaks (only CR LF where the text has
    // Windows line breaks), a pasted control picture the code it stands for, an encoded copy the
    // text without what mail or chat added to it.
    if (source->hasText())
        insertAtCursor(FieldText::NormalizePasted(source->text()));
}

QMimeData *TextField::createMimeDataFromSelection() const
{
    // Control codes as pictures, so no raw NUL reaches the clipboard; the plain field's line
    // breaks and tabs as themselves, so other programs get the lines and columns.
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(FieldText::ToClipboard(
        FieldText::FromDisplay(m_document->shownText(cursor.selectionStart(), cursor.selectionEnd())),
        m_copyForm));
    return data;
}

void TextField::keepSelectionOnText()
{
    // Pieces are never empty, so such a selection is one soft break long.
    QTextCursor cursor = textCursor();
    if (cursor.selectionEnd() - cursor.selectionStart() == 1
        && m_document->isSoftBreakAt(cursor.selectionStart())) {
        cursor.clearSelection();
        setTextCursor(cursor);
    }
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
    m_document->relayout();
}

void TextField::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    // A new font forgets every layout.
    if (event->type() == QEvent::FontChange)
        m_document->relayout();
}
