#pragma once

#include <QPlainTextEdit>

// A multi-line field whose text is a string of code page 1252 characters with line breaks as
// CR LF. Every such string set into it reads back unchanged: control codes are shown as
// pictures, and whatever is typed or pasted is brought into the code page at once.
class TextField : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextField(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
};
