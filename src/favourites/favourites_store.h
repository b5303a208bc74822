#pragma once

#include "base/list_file.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The favourites on disk: the program's file okini.ini and M3U playlists,
// read into entries and written back from them.  No widgets and no state
// beyond where okini.ini is, so that any thread may use it.
class FavouritesStore
{
public:
    using Entries = QList<list_file::Entry>;

    // Whether entries whose movie is missing are kept (the program's own
    // favourites file) or left out (someone else's playlist).
    enum class Missing { Keep, Drop };

    // The program folder, with or without its trailing "/".
    void setProgramFolder(const QString &folder);
    QString okiniPath() const;

    // The entries of a list file, in file order: none for no file, nothing
    // when the file is there but cannot be read (or, with Keep, is not a
    // favourites file), so that it is never written over.
    static std::optional<Entries> read(const QString &path, Missing missing);
    // The text write puts in path: relative, folders near path's folder in
    // the "./" and "../" forms.
    static QByteArray text(const Entries &entries, const QString &path, bool relative);
    // Writes the whole file or, on failure, leaves it as it was (false; the
    // failure is logged).
    static bool write(const QString &path, const Entries &entries, bool relative);

private:
    QString okiniPath_;
};
