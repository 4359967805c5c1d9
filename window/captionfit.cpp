#include "window/captionfit.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace {

QString caption(const QWidget *control)
{
    if (auto *button = qobject_cast<const QPushButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    return {};
}

// The room the control has for its caption.
QSize room(QWidget *control)
{
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).size();
    }
    return control->contentsRect().size();
}

// The width the caption takes, the overhang of its first and last letters included.
int widthOf(const QString &text, const QFont &font)
{
    const QFontMetrics metrics(font);
    return std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width());
}

} // namespace

bool CaptionFit::fits(QWidget *control, const QFont &font)
{
    const QSize space = room(control);
    return widthOf(caption(control), font) <= space.width() && QFontMetrics(font).height() <= space.height();
}

CaptionFit::CaptionFit(QList<QWidget *> controls, QObject *parent)
    : QObject(parent)
    , m_controls(std::move(controls))
{
    for (QWidget *control : std::as_const(m_controls))
        control->installEventFilter(this);
}

bool CaptionFit::eventFilter(QObject *watched, QEvent *event)
{
    // Fitted once the style has given the controls their font (at polish), and again whenever
    // the font or the style changes.
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
    case QEvent::StyleChange:
        if (!m_fitting) {
            m_fitting = true;
            fit();
            m_fitting = false;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CaptionFit::fit()
{
    QFont font = QApplication::font(m_controls.first());
    const auto allFit = [this](const QFont &candidate) {
        return std::all_of(m_controls.cbegin(), m_controls.cend(),
                           [&candidate](QWidget *control) { return fits(control, candidate); });
    };
    if (allFit(font)) {
        for (QWidget *control : std::as_const(m_controls)) {
            if (control->testAttribute(Qt::WA_SetFont))
                control->setFont(QFont());
        }
        return;
    }
    // Condensed as far as the widest caption needs, then smaller, half a point at a time.
    int stretch = 100;
    for (QWidget *control : std::as_const(m_controls)) {
        const int needed = widthOf(caption(control), font);
        stretch = std::min(stretch, needed > 0 ? 100 * room(control).width() / needed : 100);
    }
    font.setStretch(std::max<int>(QFont::ExtraCondensed, stretch));
    while (!allFit(font) && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (QWidget *control : std::as_const(m_controls))
        control->setFont(font);
}
