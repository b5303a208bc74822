#include "display/picture_fit.h"

#include "base/settings.h"
#include "base/window_geometry.h"
#include "media/cmovie.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QEvent>
#include <QFrame>

PictureFit::PictureFit(CMovie &movie, MainWindow &window, const Settings &settings, QObject *parent)
    : QObject(parent), movie_(movie), window_(window), settings_(settings)
{
    window.display()->installEventFilter(this);
    connect(&settings, &Settings::changed, this, [this](Settings::Option option) {
        if (option == Settings::AutoAdjust)
            fit_video();
        else if (option == Settings::UpperClip || option == Settings::UnderClip)
            update_masks();
    });
    // The pointer over a mask is the pointer over the video.
    for (QFrame *mask : {window.clipUpper(), window.clipUnder()})
        mask->setAttribute(Qt::WA_TransparentForMouseEvents);
}

// Fitting the window to the movie cannot change the screen's shape, so in
// full screen only the rule that asks for it stretches the picture; nor can
// it make the video area narrower than the controls under it.
bool PictureFit::keepsAspect() const
{
    if (movie_.playState() == PlayState::None)
        return false;
    if (window_.fullScreenLayout())
        return !settings_.stretchesPicture();
    // The video area kept wide for the controls is not the movie's shape.
    if (!window_.smallLayout() && window_.display()->width() <= window_.leastVideoWidth())
        return true;
    return settings_.keepsAspect();
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
                                   settings_.upperClip(), settings_.underClip());
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
