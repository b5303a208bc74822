#pragma once

#include "panels/list_widget_source.h"

class FileBrowser;
class QListWidget;

// The file list `File` as a play source: the movies of the browser's folder.
class FileListSource final : public ListWidgetSource
{
public:
    FileListSource(QListWidget *files, FileBrowser &browser);

    QString pathAt(int index) const override;
    bool complete() const override;
    // Going forward onto a file that went away behind our back shows the
    // folder as it is now; nothing is played.
    void missing(int index, Direction direction) override;

private:
    FileBrowser &browser_;
};
