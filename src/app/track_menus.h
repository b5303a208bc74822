#pragma once

#include <QObject>

class CMovie;
class MainMenu;
class QActionGroup;
struct MediaTrack;

// The main menu's "音声トラック" and "字幕" of the open movie: one entry per
// track as mpv names it, the one playing checked, "字幕なし" first among the
// subtitles.  Choosing an entry switches at once.  A menu stands in the main
// menu only while there is a choice in it: two sound tracks or more, one
// subtitle or more.  Nothing of the choice is kept past the movie.
class TrackMenus : public QObject
{
    Q_OBJECT
public:
    TrackMenus(CMovie &movie, MainMenu &menu, QObject *parent = nullptr);

    // What an entry says: the language and the title as mpv reports them,
    // after the track's number.
    static QString caption(const MediaTrack &track);

private:
    void refill();

    CMovie &movie_;
    MainMenu &menu_;
    // One entry checked in each menu.
    QActionGroup *audioGroup_;
    QActionGroup *subtitleGroup_;
};
