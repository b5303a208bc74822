#include "favourites/favourites_list.h"
#include "favourites/favourites_log.h"
#include "favourites/favourites_p.h"

#include "base/folder_reader.h"
#include "base/movie_ext.h"
#include "base/name_pattern.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"
#include "base/thumbnail_rules.h"
#include "favourites/image_picker.h"
#include "library/rename_prompt.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "playback/open_and_play.h"
#include "window/main_window.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <limits>

namespace
{

// Entries added at once (more than a screenful, even of the small list), and
// how long each later piece may take.
constexpr qsizetype kAddAtOnce = 200;
constexpr qint64 kAddBudgetMs = 12;

} // namespace

FavouritesList::Private::Private(FavouritesList &q, MainWindow &window, ListPanel &panel,
                                 CMovie &movie, OpenAndPlay &player)
    : q(q), window(window), panel(panel), movie(movie), player(player), view(panel.List_okini),
      source(q), AddMeter(new QProgressBar(window.list())),
      bt_msg_add(new QPushButton(window.list()))
{
    AddMeter->setObjectName("AddMeter");
    AddMeter->setTextVisible(false);
    AddMeter->hide();
    bt_msg_add->setObjectName("bt_msg_add");
    bt_msg_add->setFlat(true);
    bt_msg_add->setAutoFillBackground(true);
    bt_msg_add->setFocusPolicy(Qt::NoFocus);
    bt_msg_add->setStyleSheet(QStringLiteral("text-align: left"));
    bt_msg_add->hide();
    view->setModel(&model);
}

FavouritesList::FavouritesList(MainWindow &window, ListPanel &panel, CMovie &movie,
                               OpenAndPlay &player, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(*this, window, panel, movie, player))
{
    d->addPieces = new QTimer(this);
    d->addPieces->setInterval(0);
    connect(d->addPieces, &QTimer::timeout, this,
            [this] { d->addWaiting(std::numeric_limits<qsizetype>::max(), true); });
    d->buildMenu();
    d->connectView();
    connect(&d->grabs, &ThumbnailGrabs::finished, this, [this](const QString &target, bool) {
        d->model.forgetPicture(target);
        d->view->viewport()->update();
        d->updateProgress();
    });
    connect(&d->grabs, &ThumbnailGrabs::idle, this, [this] { d->updateProgress(); });
    // The refusal and its reason are in the log already, said where the
    // folder was looked at.
    connect(&d->grabs, &ThumbnailGrabs::refused, this, [this](const QString &folder) {
        // Once a session: a list of movies on a shared disk would say it for
        // every one of them.
        if (d->refusalTold)
            return;
        d->refusalTold = true;
        d->notice(native_path::displayName(folder) +
                  QString::fromUtf8("\nは安全に書き込めないため、サムネイルを保存しません"));
    });
}

FavouritesList::~FavouritesList()
{
    closePicker();
}

void FavouritesList::setHooks(Hooks hooks)
{
    d->hooks = std::move(hooks);
}

void FavouritesList::setProgramFolder(const QString &folder)
{
    d->programFolder = path::addbackslash(folder);
    d->store.setProgramFolder(folder);
}

QString FavouritesList::okiniPath() const
{
    return d->store.okiniPath();
}

const FavouritesStore &FavouritesList::store() const
{
    return d->store;
}

bool FavouritesList::isAdding() const
{
    return !d->waiting.isEmpty();
}

int FavouritesList::count() const
{
    return d->model.count();
}

OkiniView *FavouritesList::view() const
{
    return d->view;
}

FavouritesModel &FavouritesList::model() const
{
    return d->model;
}

QMenu *FavouritesList::menu() const
{
    return d->menu;
}

PlaySource &FavouritesList::playSource() const
{
    return d->source;
}

ThumbnailGrabs &FavouritesList::grabs() const
{
    return d->grabs;
}

// ---- Entries and their thumbnails ----

QString FavouritesList::Private::thumbnailOf(const QString &folder, const QString &name) const
{
    const bool beside = hooks.imageBesideMovie && hooks.imageBesideMovie();
    return thumbnail_rules::thumbnailPath(
        thumbnail_rules::imageFolder(programFolder, folder, beside), name);
}

// The entry with its thumbnail; a missing thumbnail of a movie that can be
// grabbed is queued for grabbing and shows when it is written.
FavouritesModel::Entry FavouritesList::Private::makeEntry(const QString &folder,
                                                          const QString &name, bool markMissing)
{
    FavouritesModel::Entry entry;
    entry.folder = path::addbackslash(folder);
    entry.name = name;
    entry.thumbnail = thumbnailOf(entry.folder, name);
    const bool there = native_path::isFile(entry.path());
    entry.missing = markMissing && !there;
    if (there && thumbnail_rules::is_grabbable_file(name, moreFormats()) &&
        !native_path::exists(entry.thumbnail))
        grabs.request(entry.path(), entry.thumbnail, ThumbnailGrabs::Kind::NewThumbnail);
    return entry;
}

void FavouritesList::Private::append(const QList<list_file::Entry> &entries, bool markMissing)
{
    if (entries.isEmpty())
        return;
    const bool wasIdle = waiting.isEmpty();
    waiting.reserve(waiting.size() + entries.size());
    for (const list_file::Entry &entry : entries)
        waiting.append({entry, markMissing});
    if (!wasIdle)
        return;
    addWaiting(kAddAtOnce, false);
    if (!waiting.isEmpty())
        addPieces->start();
}

void FavouritesList::Private::addWaiting(qsizetype most, bool timed)
{
    QElapsedTimer budget;
    budget.start();
    QList<FavouritesModel::Entry> made;
    const qsizetype end = waitingNext + qMin(most, waiting.size() - waitingNext);
    made.reserve(end - waitingNext);
    while (waitingNext < end) {
        const Waiting &next = waiting.at(waitingNext++);
        made.append(makeEntry(next.entry.folder, next.entry.name, next.markMissing));
        if (timed && budget.elapsed() >= kAddBudgetMs)
            break;
    }
    if (waitingNext >= waiting.size()) {
        waiting.clear();
        waitingNext = 0;
        addPieces->stop();
    }
    if (!made.isEmpty())
        showProgress(made.last().name);
    model.append(made);
    updateProgress();
}

FavouritesStore::Entries FavouritesList::entries() const
{
    FavouritesStore::Entries entries = d->model.listEntries();
    entries.reserve(entries.size() + d->waiting.size() - d->waitingNext);
    for (qsizetype i = d->waitingNext; i < d->waiting.size(); ++i)
        entries.append(d->waiting.at(i).entry);
    return entries;
}

void FavouritesList::add_okini(const QString &folder, const QString &name)
{
    const list_file::Entry entry{path::addbackslash(folder), name};
    if (!state_file::fitsOnALine(entry.path())) {
        d->refuseLineBreaks(1);
        return;
    }
    d->append({entry}, false);
}

// ---- Loading and saving ----

int FavouritesList::load_okini(const QString &path, Missing missing)
{
    const std::optional<FavouritesStore::Entries> entries = FavouritesStore::read(path, missing);
    if (!entries)
        return -1;
    d->append(*entries, missing == Missing::Keep);
    return int(entries->size());
}

bool FavouritesList::save_okini(const QString &path)
{
    return FavouritesStore::write(path, entries(), d->relative());
}

// ---- Editing ----

void FavouritesList::remove_okini(int position)
{
    d->model.remove(position - 1);
}

QList<int> FavouritesList::Private::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes())
        if (index.column() == 0)
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FavouritesList::delete_selected_okini()
{
    const QList<int> rows = d->selectedRows();
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        d->model.remove(*row);
    if (rows.isEmpty()) {
        if (count() > 0)
            select_okini(1);
        return;
    }
    // The entry that moved into the lowest place emptied, if there is one.
    const int lowest = rows.first();
    if (lowest < count())
        select_okini(lowest + 1);
    else
        d->view->selectionModel()->clear();
}

void FavouritesList::delete_all_okini()
{
    d->waiting.clear();
    d->waitingNext = 0;
    d->addPieces->stop();
    d->model.clear();
}

void FavouritesList::refresh_okini(int position)
{
    const int row = position - 1;
    if (row < 0 || row >= count())
        return;
    const FavouritesModel::Entry &entry = d->model.entry(row);
    d->model.setThumbnail(row, d->thumbnailOf(entry.folder, entry.name));
    select_okini(position);
}

int FavouritesList::okini_index() const
{
    return d->okiniIndex;
}

void FavouritesList::noteMovieRequested()
{
    if (d->panel.selectedTab() == ListPanel::FavouritesPage)
        d->okiniIndex = get_okini_index();
}

int FavouritesList::get_okini_index() const
{
    const QItemSelectionModel *selection = d->view->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isSelected(current.siblingAtColumn(0)))
        return current.row() + 1;
    const QList<int> rows = d->selectedRows();
    return rows.isEmpty() ? 0 : rows.first() + 1;
}

QString FavouritesList::thumbnailFileOf(const QString &moviePath) const
{
    const FavouritesModel &model = d->model;
    for (int row = 0; row < model.count(); ++row) {
        const FavouritesModel::Entry &entry = model.entry(row);
        if (entry.path() == moviePath)
            return native_path::isFile(entry.thumbnail) ? entry.thumbnail : QString();
    }
    return QString();
}

void FavouritesList::select_okini(int position)
{
    if (position < 1 || position > count())
        return;
    const QModelIndex index = d->model.index(position - 1, 0);
    d->view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    d->view->scrollTo(index);
}

void FavouritesList::moveFavourite(int from, int to)
{
    if (from < 1 || from > count() || to < 1 || to > count() || from == to)
        return;
    const FavouritesModel::Entry entry = d->model.entry(from - 1);
    d->model.remove(from - 1);
    d->model.insert(to - 1, entry);
    select_okini(to);
}

QSet<QString> FavouritesList::Private::paths() const
{
    QSet<QString> known;
    known.reserve(model.count() + waiting.size());
    for (int row = 0; row < model.count(); ++row)
        known.insert(model.entry(row).path());
    for (qsizetype i = waitingNext; i < waiting.size(); ++i)
        known.insert(path::addbackslash(waiting.at(i).entry.folder) + waiting.at(i).entry.name);
    return known;
}

QList<list_file::Entry> FavouritesList::Private::newEntries(const QStringList &paths,
                                                            QSet<QString> &known)
{
    QList<list_file::Entry> entries;
    for (const QString &path : paths) {
        const std::optional<list_file::Entry> entry = list_file::split(path);
        if (!entry || !entry->name.contains(u'.') || known.contains(path) ||
            !native_path::isFile(path))
            continue;
        if (!state_file::fitsOnALine(path)) {
            ++lineBreaksRefused;
            continue;
        }
        known.insert(path);
        entries.append(*entry);
    }
    return entries;
}

bool FavouritesList::addPath(const QString &fullPath)
{
    QSet<QString> known = d->paths();
    const QList<list_file::Entry> added = d->newEntries({fullPath}, known);
    d->append(added, false);
    d->tellRefused();
    return !added.isEmpty();
}

void FavouritesList::addSelection(const QStringList &paths)
{
    QSet<QString> known = d->paths();
    d->append(d->newEntries(paths, known), false);
    d->tellRefused();
}

void FavouritesList::Private::refuseLineBreaks(int count)
{
    lineBreaksRefused += count;
    tellRefused();
}

// One message for all the names of one addition, however many.
void FavouritesList::Private::tellRefused()
{
    if (lineBreaksRefused == 0)
        return;
    qCInfo(lcFavourites) << lineBreaksRefused << "names with a line break not added";
    lineBreaksRefused = 0;
    notice(QString::fromUtf8("改行を含む名前はお気に入りに追加できません"));
}

void FavouritesList::addSearchSelection()
{
    if (d->hooks.selectedSearchResults)
        addSelection(d->hooks.selectedSearchResults());
}

void FavouritesList::addLoadedMovie()
{
    if (!d->movie.filename().isEmpty())
        addPath(d->movie.filename());
}

// The movies of a folder, not of its subfolders, grouped by kind.
QList<list_file::Entry> FavouritesList::Private::folderEntries(const QString &folder,
                                                               QSet<QString> &known)
{
    const bool more = moreFormats();
    QStringList movies;
    for (const QString &ext : movie_extensions(more)) {
        for (const QString &name :
             folder_reader::files(folder, NamePattern::whole(QStringLiteral("*.") + ext))) {
            if (is_movie_ext(path::getextension(name), more))
                movies.append(path::addbackslash(folder) + name);
        }
    }
    return newEntries(movies, known);
}

void FavouritesList::dropData(const QMimeData *data)
{
    if (!data)
        return;
    if (!data->hasUrls()) {
        addSearchSelection();
        return;
    }
    QSet<QString> known = d->paths();
    QList<list_file::Entry> added;
    for (const QUrl &url : data->urls()) {
        const QString dropped = native_path::fromFileUrl(url);
        if (dropped.isEmpty())
            continue;
        // Every path is judged by its own extension.
        const QString ext = dropped.mid(dropped.lastIndexOf(u'.') + 1);
        const bool file = native_path::isFile(dropped);
        if (is_movie_ext(ext, d->moreFormats()) && file) {
            added += d->newEntries({dropped}, known);
        } else if (file && (ext.compare(QLatin1String("m3u"), Qt::CaseInsensitive) == 0 ||
                            ext.compare(QLatin1String("m3u8"), Qt::CaseInsensitive) == 0)) {
            d->append(added, false);
            d->tellRefused();
            if (count() > 0 &&
                d->askYesNo(
                    QString::fromUtf8("m3uファイルをロード"),
                    QString::fromUtf8("m3uファイルを追加します。現在のリストをクリアしますか？")))
                delete_all_okini();
            load_okini(dropped, Missing::Drop);
            return;
        } else if (native_path::isDir(dropped)) {
            added += d->folderEntries(dropped, known);
        }
    }
    d->append(added, false);
    d->tellRefused();
}

void FavouritesList::setViewMode(bool thumbnails)
{
    d->view->setThumbnailView(thumbnails);
    if (!thumbnails && d->hooks.focusVideo)
        d->hooks.focusVideo();
}

// ---- M3U ----

bool FavouritesList::importM3u(const QString &path)
{
    // Read first: a playlist without usable entries leaves the list alone.
    const FavouritesStore::Entries entries =
        FavouritesStore::read(path, Missing::Drop).value_or(FavouritesStore::Entries());
    if (entries.isEmpty()) {
        d->message(QString::fromUtf8("m3uファイルに追加できる動画がありません"));
        return false;
    }
    delete_all_okini();
    d->append(entries, false);
    return true;
}

bool FavouritesList::exportM3u(const QString &path)
{
    if (save_okini(path))
        return true;
    d->message(QString::fromUtf8("m3uファイルを保存できませんでした"));
    return false;
}

// ---- Missing movies, rename, capture, picker ----

void FavouritesList::ask_remove_missing(const QString &path)
{
    const QString text = path + QString::fromUtf8("が存在しません") + QStringLiteral(" ") +
                         QString::fromUtf8("削除しますか?");
    if (!d->askYesNo(QStringLiteral("Sazanami"), text))
        return;
    const int row = d->rowOf(path, get_okini_index() - 1);
    if (row >= 0)
        remove_okini(row + 1);
}

int FavouritesList::Private::rowOf(const QString &path, int hint) const
{
    if (hint >= 0 && hint < model.count() && model.entry(hint).path() == path)
        return hint;
    for (int row = 0; row < model.count(); ++row)
        if (model.entry(row).path() == path)
            return row;
    return -1;
}

void FavouritesList::rename()
{
    const int row = get_okini_index() - 1;
    if (row < 0)
        return;
    // Fixed before the box opens: the timer may move the selection meanwhile.
    const FavouritesModel::Entry entry = d->model.entry(row);
    rename_prompt::Hooks renameHooks;
    bool wasLoaded = false;
    renameHooks.beforeRename = [this, &wasLoaded](const QString &oldPath) {
        wasLoaded = d->movie.filename() == oldPath;
        if (wasLoaded && d->hooks.stop)
            d->hooks.stop();
    };
    renameHooks.afterRename = [this, &wasLoaded](const QString &oldPath, const QString &newPath) {
        if (d->hooks.renamed)
            d->hooks.renamed(oldPath, newPath, wasLoaded);
    };
    const std::optional<QString> answer =
        rename_prompt::askAndRename(d->window, entry.folder, entry.name, entry.name, renameHooks);
    if (!answer)
        return;
    const int now = d->rowOf(entry.path(), row);
    d->model.setName(now, *answer);
    // Its thumbnail went along with the file.
    d->model.setThumbnail(now, d->thumbnailOf(entry.folder, *answer));
}

void FavouritesList::capture()
{
    if (d->panel.selectedTab() != ListPanel::FavouritesPage)
        return;
    const int position = d->okiniIndex;
    if (position < 1 || position > count())
        return;
    const FavouritesModel::Entry entry = d->model.entry(position - 1);
    // Only the favourite that is really playing.
    if (entry.path() != d->movie.filename() ||
        !thumbnail_rules::is_grabbable_file(entry.name, d->moreFormats()) ||
        !native_path::isFile(entry.path()))
        return;
    double seconds = 0;
    if (!d->movie.currentPosition(&seconds))
        return;
    refresh_okini(position);
    d->grabs.request(entry.path(), d->model.entry(position - 1).thumbnail,
                     ThumbnailGrabs::Kind::Capture, seconds);
}

void FavouritesList::openPicker()
{
    const int row = get_okini_index() - 1;
    if (row < 0)
        return;
    closePicker();
    const FavouritesModel::Entry entry = d->model.entry(row);
    const QString target = d->thumbnailOf(entry.folder, entry.name);
    auto *picker = new ImagePicker(&d->window, target, OpenImagePath, d->programFolder);
    d->picker = picker;
    connect(picker, &ImagePicker::folderLeft, this,
            [this](const QString &folder) { OpenImagePath = folder; });
    connect(picker, &ImagePicker::saved, this, [this, path = entry.path(), row, target] {
        const int now = d->rowOf(path, row);
        if (now >= 0)
            refresh_okini(now + 1);
        d->model.forgetPicture(target);
        d->view->viewport()->update();
    });
    picker->show();
}

void FavouritesList::closePicker()
{
    if (d->picker)
        d->picker->close();
}

// ---- Progress ----

void FavouritesList::Private::showProgress(const QString &name)
{
    bt_msg_add->setText(name + QString::fromUtf8("を追加しています・・・"));
}

void FavouritesList::Private::updateProgress()
{
    const bool busy = grabs.pending() > 0;
    if (busy) {
        placeProgress();
        AddMeter->setMaximum(grabs.total());
        AddMeter->setValue(grabs.done());
    }
    AddMeter->setVisible(busy);
    bt_msg_add->setVisible(busy);
    if (busy) {
        AddMeter->raise();
        bt_msg_add->raise();
    }
}

void FavouritesList::Private::placeProgress()
{
    // At the foot of the panel: the tabs and the list stay usable while the
    // thumbnails of many new favourites are grabbed.
    const QWidget *frame = window.list();
    const int width = frame->width();
    const int captionHeight = bt_msg_add->sizeHint().height();
    const int meterHeight = 14;
    bt_msg_add->setGeometry(0, frame->height() - meterHeight - captionHeight, width, captionHeight);
    AddMeter->setGeometry(0, frame->height() - meterHeight, width, meterHeight);
}

// ---- Dialogs ----

bool FavouritesList::Private::askYesNo(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    &window);
    box.setObjectName("okiniQuestion");
    return box.exec() == QMessageBox::Yes;
}

void FavouritesList::Private::message(const QString &text)
{
    rename_prompt::message(window, text);
}

void FavouritesList::Private::notice(const QString &text)
{
    rename_prompt::notice(window, text);
}
