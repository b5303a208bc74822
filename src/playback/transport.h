#pragma once

#include <QObject>

#include "base/play_source.h"

class CMovie;
class MainWindow;
class OpenAndPlay;
class PlaySequencer;
class PositionTimer;
class QWidget;

// The transport commands: play or pause, stop, and showing the first frame of
// the selected entry.  The toolbar's play, stop, previous and next buttons
// come here too.
class Transport : public QObject
{
    Q_OBJECT
public:
    Transport(CMovie &movie, MainWindow &window, ActivePlaySource source, OpenAndPlay &player,
              PositionTimer &timer, PlaySequencer &sequencer, QObject *parent = nullptr);

    void play_Click();
    void stop_Click();
    void mTopSeek_Click() { show_first_frame(); }
    // Loads the selected entry and shows it paused on its first frame,
    // without a visible flash of playback.
    void show_first_frame();
    // False while show_first_frame is at work.
    bool firstFrameReady() const { return firstFrameReady_; }

    QWidget *blackShape() const { return blackShape_; }

signals:
    // Stop is under way and the logo shows: a window in full screen goes
    // back to its normal place before the movie is closed.
    void leavingPicture();

private:
    void connectToolbar();
    void showFirstFrameOf(const QString &path);

    CMovie &movie_;
    MainWindow &window_;
    ActivePlaySource source_;
    OpenAndPlay &player_;
    PositionTimer &timer_;
    PlaySequencer &sequencer_;
    QWidget *blackShape_;
    bool firstFrameReady_ = true;
};
