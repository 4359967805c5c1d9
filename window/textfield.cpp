#include "textfield.h"

#include "fieldtext.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>

TextField::TextField(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

QString TextField::text() const
{
    // toRawText keeps no-break spaces, which toPlainText turns into blanks.
    return FieldText::FromDisplay(document()->toRawText());
}

void TextField::setText(const QString &text)
{
    setPlainText(FieldText::ToDisplay(text));
}

void TextField::keyPressEvent(QKeyEvent *event)
{
    // Printable text that the code page cannot hold is typed as what it becomes. Keys without
    // text, Enter and the shortcuts go their usual way.
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().category() != QChar::Other_Control && !isReadOnly()) {
        const QString shown = FieldText::Normalize(typed);
        if (shown != typed) {
            insertPlainText(shown);
            ensureCursorVisible();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextField::inputMethodEvent(QInputMethodEvent *event)
{
    const QString shown = FieldText::Normalize(event->commitString());
    if (shown == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent normalized(event->preeditString(), event->attributes());
    normalized.setCommitString(shown, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&normalized);
}

bool TextField::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void TextField::insertFromMimeData(const QMimeData *source)
{
    // Plain text only: a pasted line break of any kind becomes a line break, a pasted control
    // picture the code it stands for.
    if (source->hasText())
        insertPlainText(FieldText::Normalize(source->text()));
}

QMimeData *TextField::createMimeDataFromSelection() const
{
    // The shown form: control codes as pictures, so no raw NUL reaches the clipboard, and line
    // breaks as line breaks, so other programs get the lines.
    QString shown = textCursor().selectedText();
    shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    auto *data = new QMimeData;
    data->setText(shown);
    return data;
}
