#pragma once

#include "base/play_source.h"

#include <QObject>
#include <QString>
#include <functional>

class CMovie;
class InstanceHandover;
class MediaControls;
class PlaySequencer;
class PlaySpeed;
class QSlider;
class ScreenSaver;
class Transport;

// The program as a citizen of the desktop: its media controls (MPRIS2), the
// screen saver kept off while a movie plays, and the movie a second start
// hands over.  The desktop's requests go to the parts it is given; what it
// shows is told it through the slots below.
class DesktopLink : public QObject
{
    Q_OBJECT
public:
    // What the desktop shows and what its requests reach.
    struct Parts {
        CMovie &movie;
        PlaySpeed &speed;
        // The movie's volume, which the desktop shows and sets.
        const QSlider &volume;
        Transport &transport;
        PlaySequencer &sequencer;
        // The list that plays, which the desktop's next and previous step
        // through whatever page is shown; null when there is none.
        ActivePlaySource playingSource;
        // The play mode (PlayMode::Mode), which the desktop shows as its
        // loop and shuffle.
        std::function<int()> playMode;
        // The picture shown for a movie (a favourite's thumbnail); "" for
        // none.
        std::function<QString(const QString &moviePath)> artFor;
        // Plays a command line's movie, as a second start or the desktop's
        // "open" asks.
        std::function<void(const QString &commandLine)> playCommandLine;
        std::function<void()> raiseWindow;
        // Sets the volume bars and the movie to a volume of 0..100.
        std::function<void(int volume)> setVolume;
        // Ends the program the way the exit command does.
        std::function<void()> exit;
    };

    explicit DesktopLink(Parts parts);
    ~DesktopLink() override;

    // Listens for second starts of programFolder and goes on the bus.
    void start(const QString &programFolder);
    // Gives the screen saver back and leaves the bus; for the end of the
    // program.
    void shutdown();
    // The media controls offer mp4, mkv and the others besides the six.
    void setMoreFormats(bool on);

signals:
    // The desktop set its loop or shuffle: the play mode (PlayMode::Mode)
    // that stands for it.
    void playModeWanted(int mode);

public slots:
    // Something the desktop shows changed: the volume, the speed, the list,
    // the play mode.
    void refresh();
    // Entries came or went in a list: told once the changes of this turn of
    // the event loop are over, however many rows a folder brings.
    void listChanged();
    // The movie's state changed: told on the desktop when that changes its
    // status (a stop while paused changes nothing else it shows).
    void movieStateChanged();
    // The movie started or stopped playing.
    void playingChanged(bool playing);
    // A movie was opened: a new track.
    void movieOpened();
    // The position jumped to seconds.
    void seeked(double seconds);

private:
    void connectControls();
    void play();
    void playPause();
    void setRate(double rate);
    void step(bool next);
    int playMode() const;

    Parts p_;
    MediaControls *controls_;
    ScreenSaver *screenSaver_;
    InstanceHandover *handover_;
    int trackNumber_ = 0;
    bool refreshQueued_ = false;
    // The picture of the movie last shown, kept once found: finding it reads
    // the disk, and the state is refreshed at every change.
    QString artOf_;
    QString art_;
};
