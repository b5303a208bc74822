#include "playback/transport.h"

#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "playback/play_sequencing.h"
#include "playback/position_timer.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>

Transport::Transport(CMovie &movie, MainWindow &window, ListPanel &panel, FileBrowser &browser,
                     OpenAndPlay &player, PositionTimer &timer, PlaySequencer &sequencer,
                     QObject *parent)
    : QObject(parent), movie_(movie), window_(window), panel_(panel), browser_(browser),
      player_(player), timer_(timer), sequencer_(sequencer),
      blackShape_(new QWidget(window.display()->parentWidget()))
{
    blackShape_->setObjectName("blackShape");
    blackShape_->setAutoFillBackground(true);
    QPalette black = blackShape_->palette();
    black.setColor(QPalette::Window, Qt::black);
    blackShape_->setPalette(black);
    blackShape_->hide();
    connectToolbar();
}

void Transport::connectToolbar()
{
    connect(window_.button("play"), &QAction::triggered, this, &Transport::play_Click);
    connect(window_.button("stop"), &QAction::triggered, this, &Transport::stop_Click);
    connect(window_.button("pre"), &QAction::triggered, &sequencer_, &PlaySequencer::pre_Click);
    connect(window_.button("next"), &QAction::triggered, &sequencer_, &PlaySequencer::next_Click);
}

void Transport::play_Click()
{
    browser_.play_selection();
}

void Transport::stop_Click()
{
    movie_.MediaPlay(3);
    timer_.stop();
    window_.display()->showLogo(true);
    // Leaving full screen arrives with the display modes.
    movie_.MediaClose();
    window_.seekBar()->setValue(0);
}

QString Transport::selectedEntryPath() const
{
    switch (panel_.selectedTab()) {
    case ListPanel::FilePage: {
        const QListWidget *files = browser_.fileList();
        return browser_.fullPath(list_selection::currentRow(files));
    }
    case ListPanel::SearchPage: {
        const int row = list_selection::currentRow(panel_.List_Find);
        return PlaySequencer::searchResultPath(panel_.List_Find, row > 0 ? row : 0);
    }
    default:
        // The favourites give their selected entry once they are there.
        return QString();
    }
}

void Transport::show_first_frame()
{
    if (panel_.selectedTab() == ListPanel::OptionsPage)
        return;
    firstFrameReady_ = false;
    const QString path = selectedEntryPath();
    // Nothing selected: keep the movie that is open rather than close it.
    if (path.isEmpty()) {
        firstFrameReady_ = true;
        return;
    }
    // With nothing loaded there is nothing to hide first; the selected entry
    // is loaded all the same.
    if (!movie_.filename.isEmpty() && !QFileInfo::exists(movie_.filename)) {
        firstFrameReady_ = true;
        return;
    }

    QWidget *display = window_.display();
    blackShape_->setGeometry(display->geometry());
    blackShape_->show();
    blackShape_->raise();
    display->hide();

    player_.play_file(path, 0);
    browser_.play_selection();

    movie_.setCurrentPosition(0);
    display->show();
    blackShape_->hide();
    firstFrameReady_ = true;
}
