#include "window/video_area.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace
{

// Three ripples over the program's name.
QPixmap drawLogo()
{
    const QSize size(240, 120);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        QPainterPath wave;
        const double y = 28 + i * 14;
        wave.moveTo(20, y);
        for (int x = 20; x <= 220; x += 40) {
            wave.quadTo(x + 10, y - 9, x + 20, y);
            wave.quadTo(x + 30, y + 9, x + 40, y);
        }
        QColor colour = QColor(70, 150, 220);
        colour.setAlpha(255 - i * 60);
        p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(wave);
    }
    QFont font("Sans");
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(200, 220, 240));
    p.drawText(QRect(0, 70, size.width(), 40), Qt::AlignCenter, "Sazanami");
    return pixmap;
}

} // namespace

VideoArea::VideoArea(QWidget *parent) : QWidget(parent)
{
    setObjectName("display");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);

    logoShape_ = new QWidget(this);
    logoShape_->setObjectName("logoC");
    logo_ = new QLabel(this);
    logo_->setObjectName("logo");
    logo_->setPixmap(drawLogo());
    logo_->adjustSize();
    logoShape_->resize(logo_->size());
    logoShape_->lower();
    centreLogo();
}

void VideoArea::showLogo(bool visible)
{
    logo_->setVisible(visible);
    logoShape_->setVisible(visible);
    if (visible)
        logo_->raise();
}

void VideoArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    centreLogo();
}

void VideoArea::centreLogo()
{
    const QPoint topLeft((width() - logo_->width()) / 2, (height() - logo_->height()) / 2);
    logo_->move(topLeft);
    logoShape_->move(topLeft);
}
