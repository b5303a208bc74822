#include "favourites/favourites_source.h"

#include "favourites/favourites_list.h"
#include "favourites/favourites_model.h"
#include "panels/okini_view.h"

#include <QFileInfo>

int FavouritesSource::count() const
{
    return list_.count();
}

QString FavouritesSource::pathAt(int index) const
{
    if (index < 0 || index >= list_.count())
        return QString();
    return list_.model().entry(index).path();
}

bool FavouritesSource::complete() const
{
    return !list_.isAdding();
}

int FavouritesSource::currentIndex() const
{
    return list_.get_okini_index() - 1;
}

void FavouritesSource::select(int index, bool toTop)
{
    if (index < 0 || index >= list_.count())
        return;
    list_.select_okini(index + 1);
    if (toTop)
        list_.view()->scrollTo(list_.model().index(index, 0), QAbstractItemView::PositionAtTop);
}

void FavouritesSource::askExists(int index, QObject *context, std::function<void(bool)> then)
{
    PlaySource::askExists(index, context,
                          [this, index, path = pathAt(index), then = std::move(then)](bool there) {
                              // A disk that was not mounted at start may be
                              // back.
                              if (there && pathAt(index) == path)
                                  list_.model().setMissing(index, false);
                              then(there);
                          });
}

// Asked from the event loop: a step may come from the end of a movie or from
// the desktop's media keys, which must not wait on a question.
void FavouritesSource::missing(int index, Direction)
{
    if (index < 0)
        return;
    QMetaObject::invokeMethod(
        &list_, [&list = list_, path = pathAt(index)] { list.ask_remove_missing(path); },
        Qt::QueuedConnection);
}
