#pragma once

#include <QObject>
#include <cstdint>

class CMovie;
class MainWindow;
class OpenAndPlay;
class QMouseEvent;
class QSlider;

// The movie volume: the bars `vol` and `volForFullscreen` (0..100, always
// the same value), a left click or drag that sets it, a right click that
// mutes and restores, and the volume keys.
class MovieVolume : public QObject
{
    Q_OBJECT
public:
    MovieVolume(CMovie &movie, MainWindow &window, OpenAndPlay &player, QObject *parent = nullptr);

    // Both bars show v; the playing movie takes it unless the session is in
    // the middle of a command (the next movie or winding applies it).
    void set_movie_volume(int v);
    // The volume keys: up or down by step.
    void changeBy(int step);
    // The right button: mute, or restore the volume from before the mute.
    void toggleMute();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pointerAt(int x);

    CMovie &movie_;
    MainWindow &window_;
    OpenAndPlay &player_;
    std::int16_t muted_ = 0;
};
