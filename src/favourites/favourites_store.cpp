#include "favourites/favourites_store.h"
#include "favourites/favourites_log.h"

#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"

void FavouritesStore::setProgramFolder(const QString &folder)
{
    okiniPath_ = path::addbackslash(folder) + QStringLiteral("okini.ini");
}

QString FavouritesStore::okiniPath() const
{
    return okiniPath_;
}

std::optional<FavouritesStore::Entries> FavouritesStore::read(const QString &path, Missing missing)
{
    Entries entries;
    // The favourites file must be one; a playlist of another player need not.
    const state_file::ReadResult file =
        state_file::read(path, state_file::kDefaultReadLimit,
                         missing == Missing::Keep ? list_file::isListFormat : nullptr);
    // No file is an empty list; a file that is there and cannot be read (a
    // loop of links too) is not.
    if (file.found == state_file::Found::Missing)
        return entries;
    if (file.found == state_file::Found::Unreadable) {
        qCWarning(lcFavourites) << "cannot read" << path;
        return std::nullopt;
    }
    for (const QString &moviePath : list_file::paths(file.content, path::getfiledir(path))) {
        // Only regular files are taken from a playlist (a pipe would hang).
        if (missing == Missing::Drop && !native_path::isFile(moviePath))
            continue;
        if (const std::optional<list_file::Entry> entry = list_file::split(moviePath))
            entries.append(*entry);
    }
    return entries;
}

QByteArray FavouritesStore::text(const Entries &entries, const QString &path, bool relative)
{
    return list_file::write(entries, path::getfiledir(path), relative);
}

bool FavouritesStore::write(const QString &path, const Entries &entries, bool relative)
{
    // A failure is logged where the file is written.
    return state_file::writeWhole(path, text(entries, path, relative));
}
