#pragma once

#include <QByteArray>
#include <QString>

// Files the program writes into folders it does not own by itself alone: the
// thumbnails, which may go into an "image" folder beside the movies on a
// shared disk.  Another user who can write there could plant a symbolic link
// under a thumbnail's name (image/clip.bmp -> ~/.ssh/authorized_keys) or make
// "image" itself a link; a write that follows either creates or replaces a
// file of the link's choosing with bytes chosen through a movie's pixels.
//
// So the folder is opened without following a link and must be a folder of
// this user's own; the file is made new inside it under a temporary name that
// no one else can have taken (O_EXCL, O_NOFOLLOW), written, synced and renamed
// over the name, which replaces whatever entry is there (a link included)
// rather than what it points to.  Paths go to the system through
// native_path::encode().
namespace folder_file
{

enum class Result {
    Written,
    // Not safe to write there: the folder or the name is a symbolic link, the
    // folder belongs to another user, or the name is taken by something that
    // is not this user's regular file.  Nothing was written.
    Refused,
    // Any other failure (a full disk, no folder, no permission); nothing was
    // written.
    Failed,
};

// What a write asks of the folder and of the file's permissions.
struct Rules {
    // Of a new file, before the umask: the user's only, unless asked
    // otherwise.
    unsigned mode = 0600;
    // A file replaced keeps its permissions exactly; a new one gets mode
    // exactly, whatever the umask.
    bool exactMode = false;
    // The folder must be closed to other users too (see isClosedToOthers()),
    // as the program's own state folder must be.
    bool closedFolder = false;
};

// A folder opened once and written into by its handle: the files land in the
// folder that was opened, even when its path is made to lead elsewhere
// meanwhile (the movie's folder replaced by a link while its thumbnail is
// decoded).
class Folder
{
public:
    enum class Missing { Fail, Make };

    Folder() = default;
    ~Folder();
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    // Opens path for writing into, after making it (its last part only,
    // mode 0700: what it will hold is the user's own) when asked to.  With
    // closedFolder, a folder other users can write is refused.
    Result open(const QString &path, Missing missing = Missing::Fail, bool closedFolder = false);
    // Writes content as the file `name`, replacing the file of that name
    // whole, under a temporary name of temporaryNameFor() first.
    Result write(const QString &name, const QByteArray &content, const Rules &rules) const;
    Result write(const QString &name, const QByteArray &content, unsigned mode = 0600) const
    {
        return write(name, content, Rules{mode});
    }
    // Takes group and other users' permissions away from the folder itself.
    bool makePrivate() const;

private:
    int fd_ = -1;
    QString path_;
};

// Makes folder (its last part only, mode 0700) when it is missing, then says
// whether files may be written into it.
Result prepareFolder(const QString &folder);

// Folder::write() into folder, opened for this one write.
Result write(const QString &folder, const QString &name, const QByteArray &content,
             const Rules &rules);
inline Result write(const QString &folder, const QString &name, const QByteArray &content,
                    unsigned mode = 0600)
{
    return write(folder, name, content, Rules{mode});
}
// write() to the folder and name of a full path.
Result writePath(const QString &path, const QByteArray &content, const Rules &rules);
inline Result writePath(const QString &path, const QByteArray &content, unsigned mode = 0600)
{
    return writePath(path, content, Rules{mode});
}

// True when folder (links followed) is a folder of this user's that no other
// user can write: neither writable by all, nor by a group that has anyone
// else in it (the user's own private group is fine).
bool isClosedToOthers(const QString &folder);

// The name a write is made under before it is renamed over `name`: a prefix
// no user gives a file of their own, so that what a crash leaves behind can be
// told from anything else in the folder.
QString temporaryNameFor(const QString &name);
// The name a temporary name of temporaryNameFor() stands for; "" for any
// other name.
QString savedNameOf(const QString &temporaryName);

} // namespace folder_file
