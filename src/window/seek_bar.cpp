#include "window/seek_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

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

void SeekBar::paintEvent(QPaintEvent *event)
{
    QSlider::paintEvent(event);
    if (selLength_ == 0 || maximum() <= minimum())
        return;

    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const int span = groove.width();
    auto xOf = [&](int value) {
        return groove.left() + QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
    };
    const int from = xOf(qMax(minimum(), selStart_));
    const int to = xOf(qMin(maximum(), selStart_ + selLength_));
    QPainter painter(this);
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(140);
    painter.fillRect(QRect(QPoint(from, groove.top()), QPoint(to, groove.bottom())), band);
}
