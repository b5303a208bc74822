#pragma once

#include <QObject>

class CMovie;
class MainWindow;
class PlayMode;
class QTimer;

// The heartbeat of playback `tmrPosition`.  Every tick moves the seek bars to
// the playing position, shows the elapsed time, keeps playback inside the seek
// bar's section, acts on the end of the movie by the play mode and carries out
// fast winding.
class PositionTimer : public QObject
{
    Q_OBJECT
public:
    static constexpr int kNormalInterval = 500;
    static constexpr int kWindingInterval = 100;

    PositionTimer(CMovie &movie, MainWindow &window, const PlayMode &mode,
                  QObject *parent = nullptr);

    QTimer *tmrPosition() const { return timer_; }
    void start();
    void stop();
    bool isActive() const;

    // The winding step in seconds of media time per tick, kept as decimal
    // text in the timer's `Tag`; 0 when not winding.
    void setTag(double secondsPerTick);
    double tag() const;

    void tmrPosition_Timer();
    // Keeps the full-screen time in step with the elapsed-time label.
    void lblMedia_Change(int index);

signals:
    // Continuous and random play want the next item.
    void nextItemWanted();

private:
    void keepInsideSection();
    void actOnEndOfMedia();
    void wind();
    void setElapsedText(const QString &text);

    CMovie &movie_;
    MainWindow &window_;
    const PlayMode &mode_;
    QTimer *timer_;
    // The sound was turned off for winding and is still off.
    bool silenced_ = false;
};
