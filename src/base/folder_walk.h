#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

// The search's walk below a folder: every regular movie file whose name holds
// a text (wildcards `*` and `?` work, case is ignored), a folder's own
// matches before those of its subfolders, depth first, names and subfolders
// in the name order (base/name_order.h).  Hidden (dot) entries are left out,
// as the file browser leaves them out.  The walk never enters /proc, /sys or
// /dev, enters a folder reached twice through symbolic links only once (so a
// link loop ends), and skips folders it cannot read or that vanish meanwhile.
// Several folders are read at once on threads of the walk's own; the
// callbacks are called on the caller's thread, in the order above.
namespace folder_walk
{

// The pattern a search text stands for: open at both ends.
QString patternFor(const QString &text);

// A folder the search may start from: an existing folder whose entries can
// be listed.
bool canSearchFrom(const QString &folder);

struct Progress {
    qint64 foldersSearched = 0;
    qint64 hits = 0;
};

// Called once per folder that holds matches: the folder with its trailing
// "/" and the matching names, in the name order.
using FoundInFolder = std::function<void(const QString &folder, const QStringList &names)>;
// Called after each folder searched.
using FolderDone = std::function<void(const Progress &progress)>;

// Walks from base; returns false when cancel became true before the end.
// A cancelled walk returns within a few milliseconds and reports nothing
// more, even while a folder's reading hangs (the reader is left to end on its
// own).
// moreFormats: mp4, mkv and the other types are movies too (see movie_ext.h).
bool walk(const QString &base, const QString &text, const FoundInFolder &found,
          const FolderDone &done, const std::atomic<bool> &cancel, bool moreFormats = false);

} // namespace folder_walk
