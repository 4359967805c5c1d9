#pragma once

#include <QList>
#include <QObject>

class Pieces;
class QMenu;
class QPlainTextEdit;
class QTextDocument;

// Every document a field has shown, oldest first. A text set into a field (a result, "Limpiar")
// goes into a new document, and the one it replaces is kept with its own undo history, so undo
// steps back past a replaced text as well as through the edits of each document.
class DocumentHistory final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentHistory)

public:
    // Shows a first, empty document in editor.
    DocumentHistory(QPlainTextEdit *editor, Pieces *pieces);

    // Shows a new empty document in place of the current one, which is kept, and returns it.
    QTextDocument *replace();

    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;

    // Makes the undo and redo actions of the editor's standard context menu reach past replaced
    // documents too.
    void takeOverUndoActions(QMenu *menu);

private:
    QTextDocument *newDocument();
    void show(QTextDocument *next);
    void forgetLaterDocuments();

    static constexpr qsizetype MaxDocuments = 16;
    QPlainTextEdit *m_editor;
    Pieces *m_pieces;
    QList<QTextDocument *> m_documents;
    qsizetype m_current = 0;
};
