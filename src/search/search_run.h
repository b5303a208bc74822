#pragma once

#include "base/folder_walk.h"
#include "search/search_results.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

// One search's walk on a thread of its own.  Results come back to the GUI
// thread in batches, in the walk's order, while the walk goes on: the walk
// leaves them in a shared tray that the GUI thread empties on a short timer,
// so what was found before a folder that hangs still shows.  A run that
// is cancelled or destroyed delivers nothing more; its thread is never waited
// for, so a walk stuck on a dead mount holds up neither a new search nor the
// end of the program (the thread ends with the walk, or with the process).
class SearchRun : public QObject
{
    Q_OBJECT
public:
    using Hit = SearchResults::Entry;

    explicit SearchRun(QObject *parent = nullptr);
    ~SearchRun() override;

    // Starts walking from base for text; a walk still running is cancelled.
    // moreFormats: mp4, mkv and the other types are found too.
    void start(const QString &base, const QString &text, bool moreFormats = false);
    void cancel();
    bool isRunning() const { return running_; }

signals:
    void found(const QList<SearchRun::Hit> &hits);
    void progress(const folder_walk::Progress &progress);
    // The walk reached its end (not sent for a cancelled one).
    void finished(const folder_walk::Progress &progress);

private:
    void collect();

    struct Channel;
    std::shared_ptr<Channel> channel_;
    QTimer collector_;
    bool running_ = false;
};
