#pragma once

#include "fieldtext/fieldtext.h"

#include <QBasicTimer>
#include <QPlainTextEdit>
#include <QTextCursor>

class PiecedDocument;

// A multi-line field whose text is a string of code page 1252 characters with line breaks as
// CR LF. Every such string set into it reads back unchanged: control codes are shown as pictures,
// and whatever is typed, committed, pasted or dropped is brought into the code page at once
// (fieldtext/). Its document holds long lines in pieces (PiecedDocument), so every action costs
// the same on any length; the steps of WholeLines make a line in pieces act as one line. A text
// set into the field is an edit like any other: undo takes it back.
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

    // Where a point of the viewport is, as a click or a drop there finds it. The line at the top
    // may be scrolled by a fraction of a pixel, which the editor's clicks round and
    // cursorForPosition() drops: at a line's lower edge it names the line above the one a click
    // there finds.
    QTextCursor cursorAt(const QPointF &point) const;

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
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
    // Selects what a click selected without scrolling, as the editor's own clicks do.
    void selectInView(const QTextCursor &cursor);
    // A selection of nothing but a soft break holds no character: it is no selection.
    void keepSelectionOnText();
    // Offers a selection the field made itself to the X11 selection, as the editor does.
    void offerSelection();

    PiecedDocument *m_document;
    FieldText::CopyForm m_copyForm = FieldText::CopyForm::Plain;
    // A triple click follows a double click within the double-click interval.
    QBasicTimer m_afterDoubleClick;
    // The lines a triple click selected, which a Shift+click or a drag extends by whole lines.
    QTextCursor m_clickedLines;
};
