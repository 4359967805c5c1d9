#include "documenthistory.h"

#include "pieces.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextDocument>

DocumentHistory::DocumentHistory(QPlainTextEdit *editor, Pieces *pieces)
    : QObject(editor)
    , m_editor(editor)
    , m_pieces(pieces)
{
    // The documents are kept here, not by the editor, which would delete the one it replaces.
    QTextDocument *first = newDocument();
    m_documents.append(first);
    show(first);
}

QTextDocument *DocumentHistory::newDocument()
{
    QTextDocument *document = m_pieces->newDocument(this);
    // A new edit in an earlier document, like a new text, leaves nothing to redo past it.
    connect(document, &QTextDocument::undoCommandAdded, this, [this, document] {
        if (document == m_editor->document())
            forgetLaterDocuments();
    });
    return document;
}

QTextDocument *DocumentHistory::replace()
{
    QTextDocument *next = newDocument();
    forgetLaterDocuments();
    m_documents.append(next);
    while (m_documents.size() > MaxDocuments)
        delete m_documents.takeFirst();
    m_current = m_documents.size() - 1;
    show(next);
    return next;
}

void DocumentHistory::show(QTextDocument *next)
{
    // The font, the wrapping and the tab stops live in the document.
    const QTextDocument *shown = m_editor->document();
    next->setDefaultFont(shown->defaultFont());
    next->setDefaultTextOption(shown->defaultTextOption());
    m_editor->setDocument(next);
    // Shown at the editor's width, which forgets the layout and the guessed line counts.
    if (auto *layout = qobject_cast<PieceLayout *>(next->documentLayout()))
        layout->guessLineCounts();
}

void DocumentHistory::forgetLaterDocuments()
{
    while (m_documents.size() > m_current + 1)
        delete m_documents.takeLast();
}

bool DocumentHistory::canUndo() const
{
    return m_editor->document()->isUndoAvailable() || m_current > 0;
}

bool DocumentHistory::canRedo() const
{
    return m_editor->document()->isRedoAvailable() || m_current + 1 < m_documents.size();
}

void DocumentHistory::undo()
{
    if (m_editor->document()->isUndoAvailable())
        m_editor->undo();
    else if (m_current > 0)
        show(m_documents.at(--m_current));
}

void DocumentHistory::redo()
{
    if (m_editor->document()->isRedoAvailable())
        m_editor->redo();
    else if (m_current + 1 < m_documents.size())
        show(m_documents.at(++m_current));
}

void DocumentHistory::takeOverUndoActions(QMenu *menu)
{
    const auto reroute = [this, menu](const char *name, void (DocumentHistory::*step)(), bool enabled) {
        if (auto *action = menu->findChild<QAction *>(QLatin1String(name))) {
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, step);
            action->setEnabled(enabled && !m_editor->isReadOnly());
        }
    };
    reroute("edit-undo", &DocumentHistory::undo, canUndo());
    reroute("edit-redo", &DocumentHistory::redo, canRedo());
}
