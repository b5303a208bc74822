#include "playback/play_sequencing.h"

#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"

#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>

namespace
{

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

PlaySequencer::PlaySequencer(CMovie &movie, ListPanel &panel, FileBrowser &browser,
                             OpenAndPlay &player, const PlayMode &mode, QObject *parent)
    : QObject(parent), movie_(movie), panel_(panel), browser_(browser), player_(player), mode_(mode)
{
}

void PlaySequencer::setFavourites(Favourites favourites)
{
    favourites_ = std::move(favourites);
}

void PlaySequencer::play_next()
{
    step(Direction::Next);
}

void PlaySequencer::play_prev()
{
    step(Direction::Previous);
}

// The list of the page shown is the one walked; the options page has none.
void PlaySequencer::step(Direction direction)
{
    switch (panel_.selectedTab()) {
    case ListPanel::FilePage:
        stepFileList(direction);
        break;
    case ListPanel::FavouritesPage:
        stepFavourites(direction);
        break;
    case ListPanel::SearchPage:
        stepSearchResults(direction);
        break;
    default:
        break;
    }
}

void PlaySequencer::moveInList(QListWidget *list, Direction direction)
{
    const int count = list->count();
    if (mode_.get_play_mode() == PlayMode::Random) {
        const int r = picker_.pick_random(count);
        if (r != -1) {
            list_selection::moveCurrent(list, r);
            list_selection::scrollToTop(list, r);
        }
        return;
    }
    const int current = list_selection::currentRow(list);
    if (direction == Direction::Next) {
        if (current < count - 1) {
            list_selection::moveCurrent(list, current + 1);
        } else {
            list_selection::moveCurrent(list, 0);
            list_selection::scrollToTop(list, 0);
        }
    } else {
        if (current > 0) {
            list_selection::moveCurrent(list, current - 1);
        } else {
            list_selection::moveCurrent(list, count - 1);
            list_selection::scrollToTop(list, count - 1);
        }
    }
}

void PlaySequencer::stepFileList(Direction direction)
{
    QListWidget *list = browser_.fileList();
    if (list->count() == 0)
        return;
    if (mode_.get_play_mode() != PlayMode::Random)
        movie_.MediaPlay(3);
    moveInList(list, direction);

    const QString path = browser_.fullPath(list_selection::currentRow(list));
    if (fileExists(path)) {
        player_.play_file(path, 0);
    } else if (direction == Direction::Next) {
        // The file went away behind our back: show the folder as it is now.
        browser_.refresh();
    }
}

void PlaySequencer::stepSearchResults(Direction direction)
{
    QListWidget *list = panel_.List_Find;
    if (list->count() == 0)
        return;
    // Going forward the movie is not stopped first, so a paused movie that
    // comes up again goes on where it was; going back restarts it.
    if (direction == Direction::Previous && mode_.get_play_mode() != PlayMode::Random)
        movie_.MediaPlay(3);
    moveInList(list, direction);

    const int row = list_selection::currentRow(list);
    const QString path = searchResultPath(list, row);
    if (row >= 0 && fileExists(path))
        player_.play_file(path, 0);
}

bool PlaySequencer::hasFavourites() const
{
    return favourites_.count && favourites_.get_okini_index && favourites_.select &&
           favourites_.path;
}

void PlaySequencer::stepFavourites(Direction direction)
{
    if (!hasFavourites())
        return;
    const int count = favourites_.count();
    if (count == 0)
        return;

    if (mode_.get_play_mode() == PlayMode::Random) {
        const int r = picker_.pick_random(count);
        if (r != -1)
            select_okini(r + 1);
    } else {
        movie_.MediaPlay(3);
        const int k = favourites_.get_okini_index();
        if (direction == Direction::Next)
            select_okini(k < count ? k + 1 : 1);
        else
            select_okini(k >= 2 ? k - 1 : count);
    }

    const int k = favourites_.get_okini_index();
    const QString path = k > 0 ? favourites_.path(k) : QString();
    if (k > 0 && fileExists(path))
        player_.play_file(path, 0);
    else if (direction == Direction::Next || k > 0)
        ask_remove_missing(path);
}

void PlaySequencer::select_okini(int k)
{
    if (favourites_.select)
        favourites_.select(k);
}

void PlaySequencer::ask_remove_missing(const QString &path)
{
    const auto answer = QMessageBox::question(
        nullptr, "Sazanami", path + QString::fromUtf8("が存在しません 削除しますか?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes && favourites_.removeSelected)
        favourites_.removeSelected();
}

QString PlaySequencer::searchResultPath(const QListWidget *results, int row)
{
    if (!results || row < 0 || row >= results->count())
        return QString();
    const QListWidgetItem *item = results->item(row);
    return item->data(Qt::UserRole).toString() + item->text();
}
