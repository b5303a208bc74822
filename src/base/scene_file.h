#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// One slot of a movie's scenes: the caption its menu entries show and the
// position in seconds as text, empty when the slot holds no scene.
struct SceneSlot {
    QString caption;
    QString position;

    bool hasScene() const { return !position.isEmpty(); }
    bool operator==(const SceneSlot &other) const = default;
};

// The ten scene slots of a movie, kept in a file of the scene folder named by
// the movie's base name, so that movies of the same name share their scenes.
// An object holds the slots as last read; each edit writes the whole file and
// reads it back, and a failed edit leaves both file and slots as they were.
class SceneFile
{
public:
    static constexpr int kSlotCount = 10;
    using Slots = std::array<SceneSlot, kSlotCount>;

    // The menus that list the slots.  View entries jump to a scene; the other
    // three edit the open movie's scenes and add a hint to a used slot.
    enum class Menu { View, Register, Rename, Delete };

    // "----": a slot whose scene was deleted.
    static QString deletedCaption();

    // "<scene folder>/<base name>.txt"; empty without a movie.
    static QString pathFor(const QString &sceneFolder, const QString &moviePath);
    // "[4] -----": a slot never written.
    static QString emptyCaption(int slot);
    // "[3] 1:23": a slot registered with the seek bar at `seekBarValue`
    // hundredths of a second.
    static QString registeredCaption(int slot, int seekBarValue);
    // The position as stored: the shortest text that reads back exactly.
    static QString positionText(double seconds);
    // Where a jump to a stored position goes: whole seconds, a half rounded
    // to the even neighbour.  Nothing for text that is not a number.
    static std::optional<double> jumpTarget(const QString &position);

    // The slots of a file's content (records past the tenth are ignored,
    // missing ones leave their slots free) and the content that stores them.
    static Slots parse(const QByteArray &bytes);
    static QByteArray serialise(const Slots &table);

    SceneFile(); // no movie: no file, every slot free
    explicit SceneFile(const QString &path);
    static SceneFile forMovie(const QString &sceneFolder, const QString &moviePath);

    const QString &path() const { return path_; }
    // Whether the file was there when last read; the scene menus are enabled
    // only then.
    bool exists() const { return exists_; }
    const Slots &allSlots() const { return slots_; }
    const SceneSlot &slot(int n) const;
    bool hasScene(int n) const { return slot(n).hasScene(); }
    QString menuCaption(int n, Menu menu) const;
    std::optional<double> jumpTarget(int n) const;

    void reload();
    // The edits of the scene menus.  False when nothing changed: no movie, a
    // slot out of range, an empty new name or a file that cannot be written.
    bool registerScene(int n, double position, int seekBarValue);
    bool rename(int n, const QString &caption);
    // Frees slot n; the file goes when no scene is left in it.
    bool remove(int n);

private:
    bool store(const Slots &table);

    QString path_;
    bool exists_ = false;
    bool unreadable_ = false; // there, but not read: never written over
    Slots slots_;
};
