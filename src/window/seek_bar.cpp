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
    emit mouseDown(event->button(), event->modifiers(), pointerX(event));
}

void SeekBar::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
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

void SeekBar::paintEvent(QPaintEvent *event)
{
    QSlider::paintEvent(event);
    if (selLength_ == 0 || maximum() <= minimum())
        return;

    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // The band runs between the handle's centres at the section's two ends.
    const int span = qMax(0, groove.width() - handle.width());
    auto xOf = [&](int value) {
        return groove.left() + handle.width() / 2 +
               QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
    };
    const int from = xOf(qMax(minimum(), selStart_));
    const int to = xOf(qMin(maximum(), selStart_ + selLength_));
    QPainter painter(this);
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(140);
    painter.fillRect(QRect(QPoint(from, groove.top()), QPoint(to, groove.bottom())), band);
}
