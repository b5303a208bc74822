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
    // mode 0700: what it will hold is the user's own) when asked to.
    Result open(const QString &path, Missing missing = Missing::Fail);
    // Writes content as the file `name`, replacing the file of that name
    // whole.  The new file gets mode (before the umask): the user's only,
    // unless asked otherwise.
    Result write(const QString &name, const QByteArray &content, unsigned mode = 0600) const;
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
             unsigned mode = 0600);
// write() to the folder and name of a full path.
Result writePath(const QString &path, const QByteArray &content, unsigned mode = 0600);

} // namespace folder_file
