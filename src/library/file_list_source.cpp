#include "library/file_list_source.h"

#include "base/path.h"
#include "library/file_browser.h"
#include "panels/list_selection.h"

#include <QListWidget>

FileListSource::FileListSource(QListWidget *files, FileBrowser &browser)
    : ListWidgetSource(files), browser_(browser)
{
}

int FileListSource::rows() const
{
    return list_selection::rowCount(list_);
}

bool FileListSource::complete() const
{
    return !browser_.isListing();
}

bool FileListSource::isRest(int index) const
{
    return browser_.isPartlyListed() && index == rows();
}

int FileListSource::count() const
{
    return rows() + (browser_.isPartlyListed() ? 1 : 0);
}

int FileListSource::currentIndex() const
{
    if (onRest_ && browser_.isPartlyListed())
        return rows();
    return ListWidgetSource::currentIndex();
}

void FileListSource::select(int index, bool toTop)
{
    onRest_ = false;
    // While the play cursor is a file still to be listed, only that file
    // can be chosen; any other step waits for the listing.
    const QString waiting = browser_.waitingCursor();
    if (isRest(index) ||
        (!waiting.isEmpty() && browser_.isPartlyListed() &&
         browser_.fullPath(index) != path::addbackslash(browser_.folder()) + waiting)) {
        onRest_ = true;
        return;
    }
    ListWidgetSource::select(index, toTop);
}

QString FileListSource::pathAt(int index) const
{
    return isRest(index) ? QString() : browser_.fullPath(index);
}

bool FileListSource::stopsBeforeStep(Direction) const
{
    return !browser_.isPartlyListed();
}

void FileListSource::missing(int index, Direction direction)
{
    if (isRest(index) || onRest_) {
        onRest_ = false;
        browser_.stepWhenListed(direction);
        return;
    }
    if (direction == Direction::Next)
        browser_.refresh();
}
