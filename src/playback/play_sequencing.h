#pragma once

#include "base/play_source.h"
#include "base/random_picker.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

// Chooses the movie after (or before) the current one in the play source of
// the page shown, by the play mode, and asks for it to be played.  The
// position timer calls play_next at the end of a movie.  The movie that the
// end of the playing one would lead to is known ahead (planNext), so that it
// can be prepared before it is needed.
class PlaySequencer : public QObject
{
    Q_OBJECT
public:
    // playMode gives the PlayMode::Mode in force.
    PlaySequencer(ActivePlaySource source, std::function<int()> playMode,
                  QObject *parent = nullptr);

    RandomPicker &randomPicker() { return picker_; }

    void play_next();
    void play_prev();
    // The same in a list named by the caller (the one that plays, which the
    // desktop's media controls step through whatever page is shown).
    void play_next_in(PlaySource *source);
    void play_prev_in(PlaySource *source);
    void next_Click() { play_next(); }
    void pre_Click() { play_prev(); }
    // A step whose file is still being looked for plays nothing after all
    // (the user stopped meanwhile).
    void cancelPending();
    // A step waits for the answer whether its file is there.
    bool stepPending() const { return pending_; }

    int pick_random(int n) { return picker_.pick_random(n); }

    // The entry play_next would play now, without moving the selection: the
    // next in order, or the random pick made ahead and kept until it is
    // played or the list changes.  Nothing for a page without a list, an
    // empty list or one still being filled.
    struct Plan {
        PlaySource *source = nullptr;
        int index = -1;
        QString path;
    };
    std::optional<Plan> planNext();
    // The media session went on to path, prepared ahead, at the end of the
    // last movie: when it is still the plan, the selection moves to it as
    // play_next would have moved it, and true comes back.
    bool followPrepared(const QString &path);

    // The outcome of opening a movie.  In continuous and random play a movie
    // this sequencer asked for that would not open is stepped over, so that
    // one broken file does not end the evening's play; once round the list
    // at most, so that a list of broken files ends quietly.
    void openFailed(const QString &path);
    void opened();

signals:
    // The playing movie is to stop on its first frame before a step.
    void stopWanted();
    // The chosen entry is to be played from its start.
    void playWanted(const QString &path);

private:
    using Direction = PlaySource::Direction;

    void step(Direction direction, PlaySource *source);
    // Moves the current entry by the mode.
    void move(PlaySource &source, Direction direction);
    int nextInOrder(const PlaySource &source, Direction direction) const;
    int randomPick(PlaySource &source);
    void selectAsStep(PlaySource &source, int index, Direction direction);
    void playIfThere(PlaySource &source, int index, Direction direction);

    bool stepsOverFailures() const;

    ActivePlaySource source_;
    std::function<int()> playMode_;
    RandomPicker picker_;
    // The last movie asked for, the way there, and how many failed to open
    // one after another.
    QString wanted_;
    // The list that step went through last.
    PlaySource *stepped_ = nullptr;
    Direction lastDirection_ = Direction::Next;
    int failedInARow_ = 0;
    // Tells the step asked for last from earlier ones whose file is still
    // being looked for.
    quint64 stepSerial_ = 0;
    bool pending_ = false;
    // The random pick made ahead, for the list and size it was made for.
    struct Pick {
        const PlaySource *source = nullptr;
        int count = 0;
        int index = -1;
    };
    std::optional<Pick> pick_;
};
