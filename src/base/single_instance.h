#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One running program per program folder.  The lock lives in the runtime
// folder, keyed by the program folder, so that a second start can tell it is
// second without writing anything.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &programFolder);
    ~SingleInstance();

    // True when no other instance holds the program folder; this instance
    // then holds it until it ends.
    bool acquire();

    static QString lockPathFor(const QString &programFolder);
    // Where the instance listens for a second start's movie.
    static QString socketPathFor(const QString &programFolder);

private:
    // The runtime-folder path, without an ending, of what belongs to one
    // program folder.
    static QString pathFor(const QString &programFolder);

    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
};
