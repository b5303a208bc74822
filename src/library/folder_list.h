#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtCore/qnamespace.h>

class QListWidget;

// The folder list `Dir1` drawn the classic way: the root, each folder down to
// the current one, indented one step a level, then the current folder's
// subfolders one step further in.
namespace folder_list
{

struct Entry {
    QString path;
    // The text shown: the folder's name, "/" for the root.
    QString name;
    int level = 0;
    // Open folders are the current one and those above it.
    bool open = false;
};

// The entries for folder (an absolute, clean path).
QList<Entry> entries(const QString &folder);
// The same with the folder's subfolders given, in the order to show.
QList<Entry> entries(const QString &folder, const QStringList &subfolders);

// Item data holding an entry's full path.
constexpr int PathRole = Qt::UserRole;

// Sets the list up for the entries (indentation, icons) once.
void prepare(QListWidget *list);
// Shows the entries of folder and makes the folder itself current.
void fill(QListWidget *list, const QString &folder);
void fill(QListWidget *list, const QString &folder, const QStringList &subfolders);

} // namespace folder_list
