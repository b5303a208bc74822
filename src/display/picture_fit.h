#pragma once

#include <QObject>
#include <QRect>

class CMovie;
class MainWindow;
class Settings;

// fit_video: places the picture inside the video area by the fit rule of the
// settings (stretched, or letterboxed when it keeps the aspect ratio) and lays
// the edge masks `clip_upper` and `clip_under` over the picture's top and
// bottom.  Runs whenever the video area changes size, the rule or a mask
// changes, and when a movie opens.
class PictureFit : public QObject
{
    Q_OBJECT
public:
    PictureFit(CMovie &movie, MainWindow &window, const Settings &settings,
               QObject *parent = nullptr);

    void fit_video();
    void update_masks();
    // The picture's place inside the video area, in pixels.
    QRect picture() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keepsAspect() const;
    QSize source() const;

    CMovie &movie_;
    MainWindow &window_;
    const Settings &settings_;
};
