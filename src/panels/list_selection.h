#pragma once

class QAbstractItemView;

// Moving the current entry of a list the way the program's lists do it: the
// old current entry loses its selection, the new one becomes selected and
// current.  Out-of-range rows are ignored.  For list widgets and for list
// views over a model alike, one entry a row.
namespace list_selection
{

void moveCurrent(QAbstractItemView *list, int row);
// A right click over `row`: an entry that is not selected becomes the only
// selected and current one; over a selected entry the selection stays.
void selectForMenu(QAbstractItemView *list, int row);
// Scrolls so that `row` is the list's top line.
void scrollToTop(QAbstractItemView *list, int row);
// The current row, -1 when there is none.
int currentRow(const QAbstractItemView *list);
// The number of rows, 0 for a list without a model.
int rowCount(const QAbstractItemView *list);

// The left button in the lists the user picks files from (the file list,
// the search results): a press toggles the entry under it, except that
// unselecting an entry waits for the release (the press may start a drag of
// the selection).  Releasing on another entry inverts every entry from there
// towards the pressed one, not including it.  A double click leaves its
// entry selected and current.  The list's own selection rules stay out: it
// gets these events instead of its own.
class ToggleClicks
{
public:
    explicit ToggleClicks(QAbstractItemView *list) : list_(list) {}

    // A left press over `row` (-1 off the entries).
    void press(int row);
    // The left release over `row`.  True when it ended a press on an entry
    // (not the second release of a double click, nor one a drag took).
    bool release(int row);
    // The press of a double click over `row`.
    void doubleClick(int row);
    // A drag took the button's release.
    void cancel();

    bool isDown() const { return down_; }
    int pressedRow() const { return pressRow_; }

private:
    QAbstractItemView *list_;
    bool down_ = false;
    // The row the button went down on and whether it was selected already.
    int pressRow_ = -1;
    bool pressedWasSelected_ = false;
    bool afterDoubleClick_ = false;
};

} // namespace list_selection
