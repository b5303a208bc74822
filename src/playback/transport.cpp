#include "playback/transport.h"

#include "media/cmovie.h"
#include "playback/open_and_play.h"
#include "playback/play_sequencing.h"
#include "playback/position_timer.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include "base/file_probe.h"
#include <QAction>

Transport::Transport(CMovie &movie, MainWindow &window, ActivePlaySource source,
                     OpenAndPlay &player, PositionTimer &timer, PlaySequencer &sequencer,
                     QObject *parent)
    : QObject(parent), movie_(movie), window_(window), source_(std::move(source)), player_(player),
      timer_(timer), sequencer_(sequencer),
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
    connect(window_.button(MainWindow::Button::Play), &QAction::triggered, this,
            &Transport::play_Click);
    connect(window_.button(MainWindow::Button::Stop), &QAction::triggered, this,
            &Transport::stop_Click);
    connect(window_.button(MainWindow::Button::Pre), &QAction::triggered, &sequencer_,
            &PlaySequencer::pre_Click);
    connect(window_.button(MainWindow::Button::Next), &QAction::triggered, &sequencer_,
            &PlaySequencer::next_Click);
}

void Transport::play_Click()
{
    player_.play_selection(source_());
}

void Transport::stop_Click()
{
    // A step still looking for its file plays nothing after the stop.
    sequencer_.cancelPending();
    movie_.MediaPlay(PlayCommand::Stop);
    timer_.stop();
    window_.display()->showLogo(true);
    emit leavingPicture();
    movie_.MediaClose();
    window_.seekBar()->setValue(0);
    // The times read as the seek bar does, not as the movie was left.
    timer_.clearTimes();
}

void Transport::show_first_frame()
{
    PlaySource *source = source_();
    if (!source)
        return;
    const QString path = source->selectedPath();
    // Nothing selected: keep the movie that is open rather than close it.
    if (path.isEmpty())
        return;
    // With nothing loaded there is nothing to hide first; the selected entry
    // is loaded all the same.
    if (movie_.filename().isEmpty()) {
        showFirstFrameOf(path);
        return;
    }
    // The loaded movie's file is looked for off the window's thread: it may
    // be on a share that stopped answering.
    firstFrameReady_ = false;
    file_probe::isFile(movie_.filename(), this, [this, path](file_probe::Answer answer) {
        if (answer == file_probe::Answer::File)
            showFirstFrameOf(path);
        else
            firstFrameReady_ = true;
    });
}

void Transport::showFirstFrameOf(const QString &path)
{
    firstFrameReady_ = false;
    // The picture stays hidden behind a black shape until the movie is open
    // and paused on its first frame.
    QWidget *display = window_.display();
    blackShape_->setGeometry(display->geometry());
    blackShape_->show();
    blackShape_->raise();
    display->hide();

    player_.play_file(path, 0, [this, display](bool playing) {
        if (playing) {
            // Where play will go on from: its start, or where it was left.
            movie_.MediaPlay(PlayCommand::Pause);
            movie_.setCurrentPosition(player_.lastStart());
        }
        display->show();
        blackShape_->hide();
        firstFrameReady_ = true;
    });
}
