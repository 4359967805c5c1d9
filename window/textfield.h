#pragma once

#include "fieldtext.h"

#include <QPlainTextEdit>

#include <memory>

class DocumentHistory;
class Pieces;
class QMenu;
class WholeLines;

// A multi-line field whose text is a string of code page 1252 characters with line breaks as
// CR LF. Every such string set into it reads back unchanged: control codes are shown as
// pictures, and whatever is typed, committed, pasted or dropped is brought into the code page at
// once (fieldtext/). The field is made of parts, each with one job:
//   Pieces           long lines held in pieces, so every action costs the same on any length;
//   WholeLines       a line in pieces acts as one line for the caret, deletions and selections;
//   DocumentHistory  undo reaches past a text set into the field.
class TextField final : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextField)

public:
    explicit TextField(QWidget *parent = nullptr);
    ~TextField() override;

    QString text() const;
    // Sets the text as one step that can be undone.
    void setText(const QString &text);

    // The form in which the field copies and drags its text; plain unless told otherwise.
    void setCopyForm(FieldText::CopyForm form);

    // Undo and redo edits, and past a text that setText replaced.
    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;

    // The context menu the field shows at position.
    QMenu *createContextMenu(const QPoint &position);

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    // The editor's own plain-text access would bypass the mapping: text() and setText() do it.
    using QPlainTextEdit::appendHtml;
    using QPlainTextEdit::appendPlainText;
    using QPlainTextEdit::insertPlainText;
    using QPlainTextEdit::setPlainText;
    using QPlainTextEdit::toPlainText;

    // Inserts shown text (line breaks as LF) at the caret, in place of the selection.
    void insertAtCursor(QStringView shown);
    void guessLineCounts();
    // Offers a selection the field made itself to the X11 selection, as the editor does.
    void offerSelection();

    Pieces *m_pieces;
    DocumentHistory *m_history;
    std::unique_ptr<WholeLines> m_wholeLines;
    FieldText::CopyForm m_copyForm = FieldText::CopyForm::Plain;
};
