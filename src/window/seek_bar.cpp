#include "window/seek_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <cmath>

namespace
{

int pointerX(const QMouseEvent *event)
{
    return int(std::floor(event->position().x()));
}

} // namespace

SeekBar::SeekBar(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 0);
    setFocusPolicy(Qt::NoFocus);
    // The picture over the bar follows the pointer without a button.
    setMouseTracking(true);
}

void SeekBar::setChapterMarks(const QList<int> &values)
{
    if (chapterMarks_ == values)
        return;
    chapterMarks_ = values;
    update();
}

void SeekBar::setSelStart(int value)
{
    if (selStart_ == value)
        return;
    selStart_ = value;
    update();
}

void SeekBar::setSelLength(int value)
{
    if (selLength_ == value)
        return;
    selLength_ = value;
    update();
}

void SeekBar::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit hoverEnded();
    emit mouseDown(event->button(), event->modifiers(), pointerX(event));
}

void SeekBar::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (event->buttons() == Qt::NoButton) {
        emit hovered(pointerX(event));
        return;
    }
    emit mouseMove(event->buttons(), event->modifiers(), pointerX(event));
}

void SeekBar::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseUp(event->button(), event->modifiers(), pointerX(event));
}

void SeekBar::wheelEvent(QWheelEvent *event)
{
    // The wheel would move the handle away from the playing position without
    // seeking; leave the wheel to the window instead.
    event->ignore();
}

void SeekBar::focusInEvent(QFocusEvent *event)
{
    QSlider::focusInEvent(event);
    emit gotFocus();
}

void SeekBar::leaveEvent(QEvent *event)
{
    QSlider::leaveEvent(event);
    emit hoverEnded();
}

int SeekBar::xOfValue(int value) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = qMax(0, groove.width() - handle.width());
    return groove.left() + handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
}

// One pixel wide across the groove, in the text colour so that they show on
// the groove and on the section band alike.
void SeekBar::paintChapterMarks(QPainter &painter) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    QColor ink = palette().color(QPalette::WindowText);
    ink.setAlpha(200);
    for (const int value : chapterMarks_) {
        if (value <= minimum() || value >= maximum())
            continue;
        const int x = xOfValue(value);
        painter.fillRect(QRect(x, groove.top() - 2, 1, groove.height() + 4), ink);
    }
}

void SeekBar::paintEvent(QPaintEvent *event)
{
    QSlider::paintEvent(event);
    if (maximum() <= minimum())
        return;
    QPainter painter(this);
    paintChapterMarks(painter);
    if (selLength_ == 0)
        return;

    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    // The band runs between the handle's centres at the section's two ends.
    const int from = xOfValue(qMax(minimum(), selStart_));
    const int to = xOfValue(qMin(maximum(), selStart_ + selLength_));
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(140);
    painter.fillRect(QRect(QPoint(from, groove.top()), QPoint(to, groove.bottom())), band);
}
