#pragma once

#include <QPlainTextEdit>

// A multi-line text field whose text holds line breaks as carriage return + line feed.
class TextField : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextField(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
};
