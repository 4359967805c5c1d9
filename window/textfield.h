#pragma once

#include "fieldtext.h"

#include <QPlainTextEdit>

class QMenu;
class QTextCursor;
class QTextDocument;

// A multi-line field whose text is a string of code page 1252 characters with line breaks as
// CR LF. Every such string set into it reads back unchanged: control codes are shown as
// pictures, and whatever is typed or pasted is brought into the code page at once.
//
// The editor lays out a paragraph as a whole, so a long line (an encoded text rarely has a line
// break) is held as several pieces joined by soft breaks: block breaks that are no line break of
// the text. Only the pieces in view are laid out.
class TextField : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Length at which setText cuts a line into pieces.
    static constexpr qsizetype PieceLength = 1024;

    explicit TextField(QWidget *parent = nullptr);

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
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
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

    // The shown text from position from to position to, soft breaks left out.
    QString shownText(int from, int to) const;
    // Inserts shown text at cursor; its line breaks become real ones.
    void insertShown(QTextCursor &cursor, QStringView shown);
    bool deleteAcrossSoftBreak(QKeyEvent *event);
    bool moveAcrossSoftBreak(QKeyEvent *event);
    void showDocument(QTextDocument *next);
    void watchEdits(QTextDocument *watched);
    void forgetLaterDocuments();

    // Every document the field has shown, oldest first, and the one it shows now.
    static constexpr qsizetype MaxDocuments = 16;
    QObject *m_documentOwner;
    QList<QTextDocument *> m_documents;
    qsizetype m_current = 0;
    FieldText::CopyForm m_copyForm = FieldText::CopyForm::Plain;
};
