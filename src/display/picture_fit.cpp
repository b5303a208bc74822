#include "display/picture_fit.h"

#include "base/window_geometry.h"
#include "media/cmovie.h"
#include "panels/window_options.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QEvent>
#include <QFrame>
#include <QRadioButton>
#include <QSlider>

PictureFit::PictureFit(CMovie &movie, MainWindow &window, WindowOptions &options, QObject *parent)
    : QObject(parent), movie_(movie), window_(window), options_(options)
{
    window.display()->installEventFilter(this);
    for (QRadioButton *rule : {options.Keep_Aspect, options.use_fullWindow})
        connect(rule, &QRadioButton::clicked, this, &PictureFit::fit_video);
    for (QSlider *mask : {options.Scroll_upper, options.scroll_under})
        connect(mask, &QSlider::valueChanged, this, &PictureFit::update_masks);
    // The pointer over a mask is the pointer over the video.
    for (QFrame *mask : {window.clipUpper(), window.clipUnder()})
        mask->setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool PictureFit::keepsAspect() const
{
    return movie_.playState() != PlayState::None && options_.Keep_Aspect->isChecked();
}

QSize PictureFit::source() const
{
    return QSize(movie_.sourceWidth(), movie_.sourceHeight());
}

QRect PictureFit::picture() const
{
    return window_geometry::fitPicture(window_.display()->size(), source(), keepsAspect());
}

void PictureFit::fit_video()
{
    const QRect place = picture();
    movie_.SetWindowPosition(place.x(), place.y(), place.width(), place.height());
    update_masks();
}

void PictureFit::update_masks()
{
    const QRect place = picture();
    const window_geometry::Masks masks =
        window_geometry::edgeMasks(window_.display()->width(), place.y(), place.height(),
                                   options_.Scroll_upper->value(), options_.scroll_under->value());
    const std::pair<QFrame *, QRect> placed[] = {{window_.clipUnder(), masks.under},
                                                 {window_.clipUpper(), masks.upper}};
    for (const auto &[mask, rect] : placed) {
        mask->setVisible(!rect.isNull());
        mask->setGeometry(rect);
        mask->raise();
    }
}

bool PictureFit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        fit_video();
    return QObject::eventFilter(watched, event);
}
