#include "app/seek_preview.h"

#include "base/settings.h"
#include "media/cmovie.h"
#include "media/preview_frames.h"
#include "playback/seek_control.h"
#include "window/seek_bar.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace
{

// The picture's width; its height follows the movie's shape, within limits
// a tall phone movie and a very wide one both fit.
constexpr int kPictureWidth = 160;
constexpr int kMinHeight = 60;
constexpr int kMaxHeight = 160;
constexpr int kPadding = 3;
// Between the popup and the bar's top edge.
constexpr int kGap = 4;

QSize pictureSize(const MediaState &state)
{
    const int width = state.shownWidth();
    const int height = state.shownHeight();
    if (width <= 0 || height <= 0)
        return {};
    return {kPictureWidth, std::clamp(int(std::lround(double(kPictureWidth) * height / width)),
                                      kMinHeight, kMaxHeight)};
}

} // namespace

// A window of its own over everything, the picture above the time; the
// pointer goes through it to the bar.
class SeekPreview::Popup : public QWidget
{
public:
    Popup() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    {
        setObjectName("SeekPreview");
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        // Its window is made now rather than at the first hover.
        winId();
    }

    // Only what changed is redrawn: most moves of the pointer change the
    // place of the popup and nothing else.
    void set(const QImage &picture, QSize pictureSize, const QString &time)
    {
        if (picture.cacheKey() == picture_.cacheKey() && pictureSize == pictureSize_ &&
            time == time_)
            return;
        picture_ = picture;
        time_ = time;
        if (pictureSize != pictureSize_) {
            pictureSize_ = pictureSize;
            resize(pictureSize.width() + 2 * kPadding,
                   pictureSize.height() + fontMetrics().height() + 3 * kPadding);
        }
        update();
    }

    bool hasPicture() const { return !picture_.isNull(); }

    void setPicture(const QImage &picture)
    {
        picture_ = picture;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(20, 20, 20));
        const QRect pictureRect(QPoint(kPadding, kPadding), pictureSize_);
        if (picture_.isNull())
            painter.fillRect(pictureRect, Qt::black);
        else
            painter.drawImage(pictureRect, picture_);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, pictureRect.bottom() + kPadding, width(),
                               height() - pictureRect.bottom() - kPadding),
                         Qt::AlignCenter, time_);
    }

private:
    QImage picture_;
    QSize pictureSize_;
    QString time_;
};

SeekPreview::SeekPreview(CMovie &movie, const SeekControl &seek, SeekBar &seekBar,
                         SeekBar &fullscreenBar, const Settings &settings,
                         std::function<bool()> smallMode, QObject *parent)
    : QObject(parent), movie_(movie), seek_(seek), settings_(settings),
      smallMode_(std::move(smallMode)), frames_(new PreviewFrames(this)), popup_(new Popup)
{
    for (SeekBar *bar : {&seekBar, &fullscreenBar}) {
        connect(bar, &SeekBar::hovered, this, [this, bar](int x) { showAt(bar, x); });
        connect(bar, &SeekBar::hoverEnded, this, &SeekPreview::hide);
    }
    connect(frames_, &PreviewFrames::ready, this, &SeekPreview::onReady);
    // The pictures kept are of the movie playing, and go with it.
    connect(&movie_, &CMovie::stateChanged, this, [this] {
        if (movie_.filename() != frames_->movie())
            frames_->setMovie(QString(), {});
        if (!movie_.isOpen())
            hide();
    });
}

SeekPreview::~SeekPreview()
{
    delete popup_;
}

QWidget *SeekPreview::popup() const
{
    return popup_;
}

bool SeekPreview::pictureShown() const
{
    return popup_->isVisible() && popup_->hasPicture();
}

bool SeekPreview::wanted() const
{
    return settings_.seekPreview() && !(smallMode_ && smallMode_()) && movie_.isOpen();
}

void SeekPreview::showAt(SeekBar *bar, int x)
{
    const std::optional<int> value = seek_.valueUnder(bar, x);
    double duration = 0;
    if (!wanted() || !value || !movie_.duration(&duration) || duration <= 0) {
        hide();
        return;
    }
    const double seconds = std::clamp(*value / 100.0, 0.0, duration);
    const double step = std::max(1.0, duration / kPlaces);
    const double place = std::min(std::round(seconds / step) * step, duration);
    const QSize size = pictureSize(movie_.state());
    frames_->setMovie(size.isEmpty() ? QString() : movie_.filename(), size);

    shownSeconds_ = place;
    popup_->set(frames_->request(place), size.isEmpty() ? QSize(kPictureWidth, 0) : size,
                CMovie::secondsToString(qint32(std::floor(seconds))));

    // Centred over the pointer, above the bar, inside the bar's screen.
    const QPoint barTop = bar->mapToGlobal(QPoint(x, 0));
    QPoint at(barTop.x() - popup_->width() / 2, barTop.y() - popup_->height() - kGap);
    if (const QScreen *screen = bar->screen()) {
        const QRect area = screen->geometry();
        at.setX(std::clamp(at.x(), area.left(),
                           std::max(area.left(), area.right() + 1 - popup_->width())));
        at.setY(std::max(at.y(), area.top()));
    }
    if (popup_->pos() != at)
        popup_->move(at);
    if (!popup_->isVisible()) {
        popup_->show();
        popup_->raise();
    }
}

void SeekPreview::hide()
{
    shownSeconds_ = -1;
    popup_->hide();
}

void SeekPreview::onReady(double seconds)
{
    if (!popup_->isVisible() || seconds != shownSeconds_)
        return;
    const QImage picture = frames_->request(seconds);
    if (!picture.isNull())
        popup_->setPicture(picture);
}
