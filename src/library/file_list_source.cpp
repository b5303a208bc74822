#include "library/file_list_source.h"

#include "library/file_browser.h"

#include <QListWidget>

FileListSource::FileListSource(QListWidget *files, FileBrowser &browser)
    : ListWidgetSource(files), browser_(browser)
{
}

QString FileListSource::pathAt(int index) const
{
    return browser_.fullPath(index);
}

bool FileListSource::complete() const
{
    return !browser_.isListing();
}

void FileListSource::missing(int, Direction direction)
{
    if (direction == Direction::Next)
        browser_.refresh();
}
