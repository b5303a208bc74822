#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program as the handler of the movie types in the user's freedesktop
// MIME settings: its desktop entry in $XDG_DATA_HOME/applications and its
// lines in $XDG_CONFIG_HOME/mimeapps.list.  Extensions are looked up as MIME
// types; extensions that share a type (mpg and mpeg) share their state.
// Writes replace the files whole (never half-written); a mimeapps.list that
// is a symbolic link is written through to its target.
class FileAssociations
{
public:
    static constexpr const char *kDesktopId = "sazanami.desktop";

    // programPath is what the desktop entry runs.
    explicit FileAssociations(QString programPath);

    // The MIME type of extension; "" when the system knows none.
    static QString mimeTypeOf(const QString &extension);

    // The types the desktop entry offers to open: the six, and with the
    // option for them mp4, mkv and the others too.
    void setMoreFormats(bool on) { moreFormats_ = on; }

    bool isAssociated(const QString &extension) const;
    bool isDefault(const QString &extension) const;

    // Each returns false when nothing could be written (the state stays as
    // it was); doing what is already done writes nothing.
    bool associate(const QString &extension);
    bool dissociate(const QString &extension);
    bool makeDefault(const QString &extension);
    bool giveBackDefault(const QString &extension);

    // While any type is associated, rewrites the desktop entry if it no
    // longer runs this program (a portable copy that was moved).
    void refreshDesktopEntry() const;

    static QString mimeAppsPath();
    static QString desktopEntryPath();

private:
    bool writeDesktopEntry() const;
    // The user's mimeapps.list; nothing when it is there but cannot be read,
    // and must then be left alone: writing ours would lose the others.
    std::optional<QByteArray> mimeApps() const;
    bool saveMimeApps(const QByteArray &before, const QByteArray &after) const;
    // Says why nothing changed; false.
    static bool leftAlone();

    QString programPath_;
    bool moreFormats_ = false;
};
