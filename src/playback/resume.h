#pragma once

#include "base/play_source.h"
#include "base/quoted_records.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class CMovie;
class OpenAndPlay;

// resume.ini: at shut-down, the movie playing or paused and where; at the
// next start, its entry is selected in the list shown and, when it was
// playing, it plays on from there.  A record read at start that went unused
// (it was paused, or its movie cannot be opened now) is written back as it
// was when nothing else was played, so a disk that is not mounted does not
// lose the place.
class Resume : public QObject
{
    Q_OBJECT
public:
    struct Record {
        QString path;
        double position = 0;
        int state = 0; // 1 playing, 2 paused, 4 nothing to resume
    };

    Resume(CMovie &movie, OpenAndPlay &player, const QString &programFolder,
           ActivePlaySource source, std::function<bool()> relativePaths, QObject *parent = nullptr);

    // Tells whether play is on its way from one movie to the next (the next
    // movie's file is being looked for): the place is then still the last
    // movie's.
    void setSteppingQuery(std::function<bool()> stepping) { stepping_ = std::move(stepping); }

    QString statePath() const { return programFolder_ + "resume.ini"; }

    // The record in the file; nothing when the file is missing.  Fields that
    // cannot be read keep their defaults (an unread state is 0).
    static std::optional<Record> read(const QString &path);

    void load_resume();
    bool save_resume() const;
    // What save_resume writes, for the movie as it is now.
    QByteArray resumeText() const;
    // Whether resume.ini may be written: not when it is there but could not
    // be read.
    bool fileMayBeWritten() const;

private:
    CMovie &movie_;
    OpenAndPlay &player_;
    QString programFolder_;
    ActivePlaySource source_;
    std::function<bool()> relativePaths_;
    QList<quoted_records::Record> recordOf(const QString &path, double position, int state) const;
    void selectWhenListed(const QString &moviePath, int attempt);

    // The file as read at start while its record is still unused.
    std::optional<QByteArray> unused_;
    std::function<bool()> stepping_;
    // What was written last while a movie played or was paused.
    mutable std::optional<QByteArray> lastPlace_;
    mutable bool fileLookedAt_ = false;
    mutable bool fileUnreadable_ = false;
};
