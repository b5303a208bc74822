#include "base/folder_walk.h"

#include "base/movie_ext.h"
#include "base/name_pattern.h"
#include "base/native_path.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace folder_walk
{

namespace
{

// Kernel views that hold no movies and can block or never end.
bool isSystemView(const QString &folder)
{
    return folder == u"/proc/" || folder == u"/sys/" || folder == u"/dev/";
}

// The text after the name's last dot is a movie extension: checked on the
// bytes, before anything is decoded, since most names are not movies.
bool hasMovieExtension(const char *name, bool moreFormats)
{
    const char *dot = std::strrchr(name, '.');
    if (!dot || std::strlen(dot + 1) > 4)
        return false;
    return is_movie_ext(QString::fromLatin1(dot + 1), moreFormats);
}

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

enum class EntryKind { File, Folder, Other };

// Links are followed, as a user expects of a link to a movie or a folder.
EntryKind kindOf(int folder, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return EntryKind::File;
    if (entry.d_type == DT_DIR)
        return EntryKind::Folder;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return EntryKind::Other;
    struct stat info;
    if (fstatat(folder, entry.d_name, &info, 0) != 0)
        return EntryKind::Other;
    if (S_ISREG(info.st_mode))
        return EntryKind::File;
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::Other;
}

class Walker
{
public:
    Walker(const QString &text, const FoundInFolder &found, const FolderDone &done,
           bool moreFormats)
        : pattern_(NamePattern::whole(patternFor(text))), found_(found), done_(done),
          moreFormats_(moreFormats)
    {
    }

    // Reads one folder: reports its matches and gives its subfolders' names
    // in the order of the listing.  An unreadable folder, or one already
    // entered through another link, gives nothing.
    QStringList search(const QString &folder)
    {
        QStringList subfolders;
        std::unique_ptr<DIR, DirCloser> dir(opendir(native_path::encode(folder).constData()));
        if (!dir)
            return subfolders;
        const int fd = dirfd(dir.get());
        struct stat self;
        if (fstat(fd, &self) != 0 || !visited_.insert({self.st_dev, self.st_ino}).second)
            return subfolders;
        QStringList names;
        while (const dirent *entry = readdir(dir.get())) {
            if (entry->d_name[0] == '.')
                continue;
            const bool movieName = hasMovieExtension(entry->d_name, moreFormats_);
            // Only a folder needs to be known whatever its name.
            if (!movieName && entry->d_type != DT_DIR && entry->d_type != DT_LNK &&
                entry->d_type != DT_UNKNOWN)
                continue;
            const EntryKind kind = kindOf(fd, *entry);
            const QString name = native_path::decode(QByteArray(entry->d_name));
            if (kind == EntryKind::Folder)
                subfolders.append(name);
            else if (kind == EntryKind::File && movieName && pattern_.matches(name))
                names.append(name);
        }
        ++progress_.foldersSearched;
        progress_.hits += names.size();
        if (!names.isEmpty() && found_)
            found_(folder, names);
        if (done_)
            done_(progress_);
        return subfolders;
    }

private:
    NamePattern pattern_;
    const FoundInFolder &found_;
    const FolderDone &done_;
    const bool moreFormats_;
    Progress progress_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

QString patternFor(const QString &text)
{
    return u'*' + text + u'*';
}

bool canSearchFrom(const QString &folder)
{
    return !folder.isEmpty() && native_path::isReadableDir(folder);
}

bool walk(const QString &base, const QString &text, const FoundInFolder &found,
          const FolderDone &done, const std::atomic<bool> &cancel, bool moreFormats)
{
    if (!canSearchFrom(base))
        return true;
    Walker walker(text, found, done, moreFormats);
    // Depth first without recursion: each level keeps its folder and the
    // subfolders still to enter.
    struct Level {
        QString folder;
        QStringList subfolders;
        qsizetype next = 0;
    };
    std::vector<Level> levels;
    const QString start = withSlash(base);
    levels.push_back({start, walker.search(start)});
    while (!levels.empty()) {
        if (cancel.load(std::memory_order_relaxed))
            return false;
        Level &level = levels.back();
        if (level.next >= level.subfolders.size()) {
            levels.pop_back();
            continue;
        }
        const QString sub = level.folder + level.subfolders[level.next++] + u'/';
        if (isSystemView(sub))
            continue;
        QStringList subfolders = walker.search(sub);
        levels.push_back({sub, std::move(subfolders)});
    }
    return true;
}

} // namespace folder_walk
