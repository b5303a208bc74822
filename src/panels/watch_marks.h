#pragma once

#include "base/watched_places.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class OkiniView;
class PlaySource;
class QAbstractItemView;
class QPainter;
class QRect;
class QStyleOptionViewItem;

// How far each movie of a list was watched: a thin bar under its name, as
// long as the part watched is of the whole, and a small check beside a movie
// played to its end.  Drawn in the list's own text colour over its
// background, so the marks follow the list colours; only the rows on screen
// are looked up, so a list of any length costs nothing more to fill.
class WatchMarks : public QObject
{
    Q_OBJECT
public:
    using Query = std::function<WatchedPlaces::Mark(const QString &path)>;

    explicit WatchMarks(Query query, QObject *parent = nullptr);

    // Marks the rows of a plain list (the file list, the search results),
    // whose paths source gives by row.
    void attach(QAbstractItemView *list, const PlaySource &source);
    // Marks the favourites, in the grid and in the report.
    void attach(OkiniView *favourites, const PlaySource &source);
    // Shows the marks anew, after a change of what is kept or of the option.
    void refresh();

    // Paints mark on a row drawn in option, whose name was drawn in name.
    static void paint(QPainter *painter, const QStyleOptionViewItem &option, const QRect &name,
                      WatchedPlaces::Mark mark);

private:
    Query query_;
    QList<QPointer<QAbstractItemView>> lists_;
};
