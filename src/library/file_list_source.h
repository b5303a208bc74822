#pragma once

#include "panels/list_widget_source.h"

class FileBrowser;
class QListWidget;

// The file list `File` as a play source: the movies of the browser's folder.
//
// While a large folder is still being listed, the list has one more entry
// than its rows: the rest of the folder, not listed yet, without a path.  A
// step that lands there, or that goes from a file still to be listed, is
// taken again once the folder is listed, rather than ending continuous play
// or jumping to the first file.
class FileListSource final : public ListWidgetSource
{
public:
    FileListSource(QListWidget *files, FileBrowser &browser);

    int count() const override;
    int currentIndex() const override;
    void select(int index, bool toTop) override;
    QString pathAt(int index) const override;
    bool complete() const override;
    // Not while the step may have to wait for the folder's listing.
    bool stopsBeforeStep(Direction direction) const override;
    // Going forward onto a file that went away behind our back shows the
    // folder as it is now; nothing is played.
    void missing(int index, Direction direction) override;

private:
    int rows() const;
    bool isRest(int index) const;

    FileBrowser &browser_;
    // The last step landed on the rest of the folder.
    bool onRest_ = false;
};
