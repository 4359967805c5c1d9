#pragma once

#include <QList>
#include <QObject>

class QFont;
class QWidget;

// Keeps the captions of a group of controls whole at a fixed layout, whatever the platform's font
// or style: where one of them would be cut at the font the style gives them, the whole group
// takes the largest font (condensed first, then smaller) at which every caption fits, so that
// they keep one common size. Where all fit, the controls keep the style's font and follow it.
// Refits when a control is polished or its font or style changes.
class CaptionFit final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CaptionFit)

public:
    // controls: push buttons and labels; the group is owned by parent.
    CaptionFit(QList<QWidget *> controls, QObject *parent);

    // Whether control's caption is whole at font, the edges of its first and last letters included.
    static bool fits(QWidget *control, const QFont &font);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();

    QList<QWidget *> m_controls;
    bool m_fitting = false;
};
