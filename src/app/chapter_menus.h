#pragma once

#include "base/chapters.h"

#include <QList>
#include <QObject>

class CMovie;
class MainMenu;
class QActionGroup;
class SeekBar;

// The main menu's "チャプター" of the open movie and the chapter marks on
// both seek bars.  The menu stands at the end of the main menu only while
// the movie has chapters: one entry per chapter, the one playing checked;
// choosing one jumps to its start.  Everything follows mpv's reports of the
// chapters, never a question put to mpv.
class ChapterMenus : public QObject
{
    Q_OBJECT
public:
    ChapterMenus(CMovie &movie, MainMenu &menu, SeekBar &seekBar, SeekBar &fullscreenBar,
                 QObject *parent = nullptr);

    // "次のチャプター" and "前のチャプター": nothing without chapters, or
    // from the last chapter forward.
    static void jumpToNext(CMovie &movie);
    static void jumpToPrevious(CMovie &movie);

private:
    void refill();
    void showMarks();

    CMovie &movie_;
    MainMenu &menu_;
    SeekBar &seekBar_;
    SeekBar &fullscreenBar_;
    QActionGroup *group_;
    // The chapters the menu holds.
    QList<Chapter> shown_;
};
