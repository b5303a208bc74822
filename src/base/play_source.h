#pragma once

#include <QString>
#include <functional>

class QObject;

// A list that can be played through: the file list, the favourites or the
// search results.  Indexes run from 0; -1 stands for "no entry".
class PlaySource
{
public:
    enum class Direction { Next, Previous };

    virtual ~PlaySource() = default;

    virtual int count() const = 0;
    // The full path of an entry; "" for an index out of range.
    virtual QString pathAt(int index) const = 0;
    // The current entry, -1 when there is none.
    virtual int currentIndex() const = 0;
    // Makes an entry the only selected and current one; with toTop the list
    // also scrolls it to its top line.  An index out of range is ignored.
    virtual void select(int index, bool toTop) = 0;
    // Asks whether the entry's file is still there, without waiting on the
    // disk: `then` gets the answer later, from context's event loop (or at
    // once, where the answer needs no disk).  A file on a share that gives no
    // answer in time counts as gone.
    virtual void askExists(int index, QObject *context, std::function<void(bool)> then);
    // Whether every entry is in the list: a large folder or favourites file
    // is added in pieces.
    virtual bool complete() const { return true; }
    // The path of the selected entry, "" when none is: what the first frame
    // is shown of.
    virtual QString selectedPath() const { return pathAt(currentIndex()); }

    // How the lists differ when stepping through them.
    // Whether the playing movie is stopped before a step in order (random
    // play never stops it first).
    virtual bool stopsBeforeStep(Direction) const { return true; }
    // A step landed on an entry whose file is gone.
    virtual void missing(int /*index*/, Direction) {}

    // The path of the current entry; the first entry becomes current when
    // none is.  "" for an empty list.
    QString currentOrFirstPath();
};

// The source of the page shown, or null when that page has none.
using ActivePlaySource = std::function<PlaySource *()>;
