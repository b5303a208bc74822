#pragma once

#include "base/watched_places.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

class CMovie;

// Each movie resumes where it was left, while the option is on: the place of
// the movie loaded is noted as it plays, and kept once the movie is stopped,
// changed or closed, or once it ends; a movie opened from its start starts
// there.  The places are kept in positions.ini in the program folder, read
// the first time the option is on.
class MoviePlaces : public QObject
{
    Q_OBJECT
public:
    MoviePlaces(CMovie &movie, const QString &programFolder, QObject *parent = nullptr);

    QString statePath() const { return programFolder_ + "positions.ini"; }

    // Off, nothing is noted, every movie starts where it is asked to and no
    // marks show; the places kept stay as they are.
    void setOn(bool on);
    bool isOn() const { return on_; }

    // Where a movie asked for from its start starts: where it was left, or
    // 0.  The place of the movie loaded is kept first, so a movie opened
    // again while it plays goes on where it is.
    double startFor(const QString &path);
    // The same without keeping anything: for the movie prepared to follow
    // the one playing, which starts from 0 when it is that one again.
    double startAfter(const QString &path) const;
    WatchedPlaces::Mark markOf(const QString &path) const;

    // Notes where the movie loaded is now (at every tick of the position
    // timer).
    void notePlace();
    // Keeps the place of the movie loaded as if it were left now: before
    // the state is saved at the end.
    void keepLoadedPlace();

    // Whether positions.ini was read (or found missing): only then is it
    // written.
    bool fileMayBeWritten() const { return read_; }
    QByteArray text() const { return places_.text(); }

signals:
    // What is kept changed: the file is to be saved, the marks shown anew.
    void changed();
    // The marks are to be shown anew (the option was turned on or off).
    void marksChanged();

private:
    struct Place {
        QString path;
        double position = 0;
        double length = 0;
    };
    void load();
    void onStateChanged();
    void onEnd();
    void keep(const Place &place);

    CMovie &movie_;
    QString programFolder_;
    WatchedPlaces places_;
    bool on_ = false;
    bool read_ = false;
    // Where the movie loaded was last seen playing or paused.
    std::optional<Place> last_;
};
