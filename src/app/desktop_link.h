#pragma once

#include <QObject>
#include <QString>
#include <functional>

class InstanceHandover;
class MediaControls;
class Player;
class ScreenSaver;

// The program as a citizen of the desktop: its media controls (MPRIS2), the
// screen saver kept off while a movie plays, and the movie a second start
// hands over.  Wires those desktop services to the player's parts.
class DesktopLink : public QObject
{
    Q_OBJECT
public:
    explicit DesktopLink(Player &player);
    ~DesktopLink() override;

    // Listens for second starts of programFolder and goes on the bus.
    void start(const QString &programFolder);
    // Gives the screen saver back and leaves the bus; for the end of the
    // program.
    void shutdown();

    // The picture shown for a movie in the desktop's media controls (a
    // favourite's thumbnail); "" for none, which is the default.
    void setArtLookup(std::function<QString(const QString &moviePath)> artFor);

private:
    void connectPlayer();
    void connectControls();
    void refresh();
    void play();
    void playPause();
    void setRate(double rate);

    Player &player_;
    MediaControls *controls_;
    ScreenSaver *screenSaver_;
    InstanceHandover *handover_;
    std::function<QString(const QString &)> artFor_;
    int trackNumber_ = 0;
};
