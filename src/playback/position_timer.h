#pragma once

#include <QObject>
#include <functional>

class CMovie;
class MainWindow;
class PlayMode;
class QTimer;

// The heartbeat of playback `tmrPosition`.  Every tick moves the seek bars to
// the playing position, shows the elapsed time, keeps playback inside the seek
// bar's section and carries out fast winding.  At the end of the movie, which
// the media session tells, it acts by the play mode.
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
    // The times read as with no movie.
    void clearTimes();
    bool isActive() const;

    // The winding step in seconds of media time per tick (the timer's
    // `Tag`); 0 when not winding.
    void setTag(double secondsPerTick) { windStep_ = secondsPerTick; }
    double tag() const { return windStep_; }

    void tmrPosition_Timer();
    // Tells whether the window is in full screen, where the full-screen seek
    // bar follows the movie too.
    void setFullScreenQuery(std::function<bool()> fullScreen)
    {
        fullScreen_ = std::move(fullScreen);
    }
    // Keeps the full-screen time in step with the elapsed-time label.
    void lblMedia_Change(int index);
    // Tells whether the list of the page shown has an entry to step to.
    void setStepQuery(std::function<bool()> canStep) { canStep_ = std::move(canStep); }
    // A movie left at its end without a next one (nothing to step to then,
    // or play stopped in normal mode) is followed by the next once there is
    // one and the mode steps on: checked at every tick and whenever the mode
    // or the page changes.
    void followEnd();

signals:
    // Continuous and random play want the next item.
    void nextItemWanted();

private:
    void showPosition();
    void keepInsideSection();
    void backToSectionStart();
    void actOnEndOfMedia();
    bool stepsOn() const;
    void wind();
    void setElapsedText(const QString &text);

    CMovie &movie_;
    MainWindow &window_;
    const PlayMode &mode_;
    QTimer *timer_;
    double windStep_ = 0;
    std::function<bool()> fullScreen_;
    // The sound was turned off for winding and is still off.
    bool silenced_ = false;
    std::function<bool()> canStep_;
    // The last movie reached its end and nothing followed it yet.
    bool leftAtEnd_ = false;
};
