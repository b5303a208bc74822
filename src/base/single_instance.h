#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One running program per program folder.  The lock lives in the runtime
// folder, keyed by the program folder, so that a second start can tell it is
// second without writing anything.  The program folder itself is locked as
// well (a lock on the folder, no file in it), so that two starts whose
// runtime folders differ (one from the desktop, one from an ssh or su shell,
// or one whose runtime folder another user planted) still find each other
// before either saves over the other's state.
//
// The runtime folder must be this user's alone: another user who could put a
// lock there would keep the program from starting, and one who could put a
// listening socket there would receive every movie handed over.  It is
// $XDG_RUNTIME_DIR when that is a folder of this user's with no access for
// others, else "sazanami-<uid>" in the temporary folder, made 0700 and checked
// the same way.  When neither passes, the program folder's own lock alone
// keeps a second instance out rather than trust a folder someone else may
// control.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &programFolder);
    ~SingleInstance();

    // True when no other instance holds the program folder; this instance
    // then holds it until it ends.  Without a private runtime folder only the
    // folder's own lock counts; a folder that other users can write (where
    // nothing is saved) is not locked.
    bool acquire();

    // The private runtime folder, made when missing; "" when there is none
    // that only this user can reach.
    static QString runtimeFolder();
    // "" when there is no private runtime folder.
    static QString lockPathFor(const QString &programFolder);
    // Where the instance listens for a second start's movie.
    static QString socketPathFor(const QString &programFolder);

private:
    // The runtime-folder path, without an ending, of what belongs to one
    // program folder.
    static QString pathFor(const QString &programFolder);
    bool lockRuntime();
    bool lockFolder();

    QString programFolder_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    // The program folder, open and locked while this instance holds it.
    int folderLock_ = -1;
};
