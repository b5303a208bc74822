#include "library/file_browser.h"
#include "library/library_log.h"

#include "base/background_priority.h"
#include "base/file_probe.h"
#include "base/folder_reader.h"
#include "base/movie_ext.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/selection_info.h"
#include "desktop/file_manager.h"
#include "input/window_key_filter.h"
#include "library/drive_list.h"
#include "library/file_browser_p.h"
#include "library/folder_list.h"
#include "library/rename_prompt.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "window/main_window.h"
#include "window/named_menu.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <mutex>
#include <thread>

namespace
{

// An absolute folder without "." or ".." parts and without a trailing "/"
// except at the root.
QString cleanFolder(const QString &folder)
{
    if (folder.isEmpty())
        return QString();
    return QDir::cleanPath(QDir(folder).absolutePath());
}

// A name whose bytes are not UTF-8 is shown as it reads and kept, as it is
// on disk, beside the text.
constexpr int NativeNameRole = Qt::UserRole + 1;

QString fileNameOf(const QListWidgetItem *item)
{
    const QVariant native = item->data(NativeNameRole);
    return native.isValid() ? native.toString() : item->text();
}

// A folder of at most this many entries is listed at once: read, matched
// and sorted in a few milliseconds.
constexpr qsizetype kListAtOnce = 2000;
// A larger one is added in pieces of this many rows, as many pieces a pass
// of the event loop as fit in its time.
constexpr qsizetype kPieceRows = 1000;
constexpr qint64 kPieceBudgetMs = 12;
// How often the window looks whether a large folder has been read.
constexpr int kReadingPollMs = 4;
// A large folder's first names, shown while the rest are sorted: more than
// the tallest list shows.
constexpr qsizetype kFirstScreenRows = 200;
// A refresh's readability check must answer in this time (the first page
// of a large folder's listing on a slow share can take a few seconds, and
// the list stays in use meanwhile); the reading itself, in the longer one.
constexpr int kRefreshAnswerMs = 5000;
constexpr int kReadingAnswerMs = 60000;

QString parentOf(const QString &folder)
{
    const qsizetype slash = folder.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

} // namespace

FileBrowser::Private::Private(FileBrowser &q, MainWindow &window, ListPanel &panel, CMovie &movie,
                              OpenAndPlay &player)
    : q(q), window(window), panel(panel), movie(movie), player(player),
      pattern(movie_list_pattern(false))
{
}

// A large folder read on its own thread.  The thread holds this, not the
// browser, so the browser may go on to another folder (or away) meanwhile.
struct FileBrowser::Private::Reading {
    QString folder;
    std::mutex mutex;
    QStringList firstFiles;
    bool done = false;
    folder_reader::Contents contents;
};

FileBrowser::FileBrowser(MainWindow &window, ListPanel &panel, CMovie &movie, OpenAndPlay &player,
                         QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(*this, window, panel, movie, player))
{
    d->readingPoll = new QTimer(this);
    d->readingPoll->setInterval(kReadingPollMs);
    connect(d->readingPoll, &QTimer::timeout, this, [this] { d->takeWhatWasRead(); });
    d->changing = new QTimer(this);
    d->changing->setInterval(0);
    connect(d->changing, &QTimer::timeout, this, [this] {
        if (d->applyPiece())
            return;
        d->changing->stop();
        d->refreshDone();
    });
    d->pieces = new QTimer(this);
    d->pieces->setInterval(0);
    connect(d->pieces, &QTimer::timeout, this, [this] {
        if (d->addPiece())
            return;
        d->pieces->stop();
        d->filled();
    });

    d->directory = window.directory();
    d->drives = window.drives();
    d->folders = window.folders();
    d->files = panel.File;
    d->fileManager = new FileManager(this);
    d->source = std::make_unique<FileListSource>(d->files, *this);

    QListWidget *files = d->files;
    // A press toggles the entry under it; dragging inverts a range (see the
    // events file), so Qt's own drag start stays off.
    files->setSelectionMode(QAbstractItemView::MultiSelection);
    d->clicks = std::make_unique<list_selection::ToggleClicks>(files);
    files->setUniformItemSizes(true);
    files->setDragEnabled(false);
    files->setAcceptDrops(true);
    files->viewport()->setAcceptDrops(true);
    files->setContextMenuPolicy(Qt::PreventContextMenu);
    files->viewport()->installEventFilter(this);
    // The user (or a play source) choosing an entry ends a wait to make
    // another one current.
    connect(files, &QListWidget::currentRowChanged, this, [this] {
        if (!d->changingRows)
            d->waitingCursor.clear();
    });

    folder_list::prepare(d->folders);
    d->folders->setContextMenuPolicy(Qt::PreventContextMenu);
    d->folders->installEventFilter(this);
    d->folders->viewport()->installEventFilter(this);
    // Enter opens the folder and Backspace goes up, in the list; the other
    // keys are the window's.
    WindowKeyFilter::keepOwnKeys(d->folders, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace});
    // Queued: the list is refilled, and the activated entry must not be
    // deleted while its own signal is being delivered.
    connect(d->folders, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const QString target = item->data(folder_list::PathRole).toString();
        QMetaObject::invokeMethod(
            this,
            [this, target] {
                if (!setFolder(target)) {
                    QApplication::beep();
                    folder_list::fill(d->folders, d->folder);
                }
            },
            Qt::QueuedConnection);
    });

    connect(d->drives, &QComboBox::activated, this, [this](int index) { d->driveChosen(index); });
    d->directory->installEventFilter(this);

    window.display()->setAcceptDrops(true);
    window.display()->installEventFilter(this);
    window.setAcceptDrops(true);
    window.installEventFilter(this);

    d->buildMenu();
    d->fillDrives();
}

FileBrowser::~FileBrowser() = default;

void FileBrowser::setHooks(Hooks hooks)
{
    d->hooks = std::move(hooks);
}

QString FileBrowser::folder() const
{
    return d->folder;
}

bool FileBrowser::setFolder(const QString &folder)
{
    const QString target = cleanFolder(folder);
    if (!folder_reader::canRead(target)) {
        qCInfo(lcLibrary) << "cannot read the folder" << folder;
        return false;
    }
    d->folder = target;
    d->listFiles(target, folder_reader::contentsIfFew(target, d->pattern, kListAtOnce));
    d->showDriveOf(target);
    return true;
}

void FileBrowser::whenListed(std::function<void()> then)
{
    if (isListing())
        d->whenListed.append(std::move(then));
    else
        then();
}

bool FileBrowser::isListing() const
{
    return d->isPartial() || d->refreshing;
}

bool FileBrowser::isPartlyListed() const
{
    return d->isPartial();
}

bool FileBrowser::Private::isPartial() const
{
    return reading || pieces->isActive();
}

void FileBrowser::bringToTop(const QString &name)
{
    if (isPartlyListed())
        d->waitingCursor = name;
    whenListed([this, name] {
        if (!d->waitingCursor.isEmpty() && d->waitingCursor != name)
            return;
        d->waitingCursor.clear();
        const int row = int(d->listedNames.indexOf(name));
        if (row < 0)
            return;
        list_selection::moveCurrent(d->files, row);
        list_selection::scrollToTop(d->files, row);
    });
}

QString FileBrowser::waitingCursor() const
{
    if (!d->waitingCursor.isEmpty() || !isPartlyListed() || d->files->currentRow() >= 0)
        return d->waitingCursor;
    // A movie of this folder that started before its entry was listed
    // (resumed at start, say) is where a step goes from.
    return d->loadedName();
}

QString FileBrowser::Private::loadedName() const
{
    const QString loaded = movie.filename();
    const qsizetype slash = loaded.lastIndexOf(u'/');
    if (slash < 0 || loaded.left(slash + 1) != path::addbackslash(folder))
        return QString();
    return loaded.mid(slash + 1);
}

void FileBrowser::stepWhenListed(PlaySource::Direction direction)
{
    whenListed([this, direction] {
        if (d->files->currentRow() < 0) {
            const int row = int(d->listedNames.indexOf(d->loadedName()));
            if (row >= 0)
                list_selection::moveCurrent(d->files, row);
        }
        emit stepAgainWanted(direction == PlaySource::Direction::Next);
    });
}

void FileBrowser::refresh()
{
    if (d->folder.isEmpty())
        return;
    // A folder whose first reading is still under way is as fresh as a
    // second one would be.
    if (d->isPartial())
        return;
    d->startRefresh();
}

void FileBrowser::setMoreFormats(bool on)
{
    if (on == d->moreFormats)
        return;
    d->moreFormats = on;
    d->pattern = NamePattern(movie_list_pattern(on));
    // A first reading under way went by the old pattern: it starts again.
    if (d->isPartial())
        d->listFiles(d->folder, std::nullopt);
    else
        refresh();
}

QString FileBrowser::fullPath(int row) const
{
    if (row < 0 || row >= d->files->count())
        return QString();
    return path::addbackslash(d->folder) + fileNameOf(d->files->item(row));
}

QListWidget *FileBrowser::fileList() const
{
    return d->files;
}

QMenu *FileBrowser::fileMenu() const
{
    return d->menu;
}

QMenu *FileBrowser::folderJumpMenu() const
{
    return d->jumpMenu;
}

QMenu *FileBrowser::folderEditMenu() const
{
    return d->editMenu;
}

QComboBox *FileBrowser::driveList() const
{
    return d->drives;
}

QListWidget *FileBrowser::folderList() const
{
    return d->folders;
}

PlaySource &FileBrowser::playSource() const
{
    return *d->source;
}

FileManager &FileBrowser::fileManager() const
{
    return *d->fileManager;
}

namespace
{

// One file as a play source: the file list's play cursor while that file
// is not listed yet.
class OneFile final : public PlaySource
{
public:
    explicit OneFile(QString path) : path_(std::move(path)) {}
    int count() const override { return 1; }
    QString pathAt(int index) const override { return index == 0 ? path_ : QString(); }
    int currentIndex() const override { return 0; }
    void select(int, bool) override {}

private:
    QString path_;
};

} // namespace

void FileBrowser::play_selection()
{
    PlaySource *source = d->hooks.activeSource ? d->hooks.activeSource() : nullptr;
    // Enter while the list's play cursor is not listed yet means that
    // file (the movie playing, as a rule), not the list's first.
    const QString waiting = waitingCursor();
    if (source == d->source.get() && !waiting.isEmpty()) {
        OneFile cursor(path::addbackslash(d->folder) + waiting);
        d->player.play_selection(&cursor);
        return;
    }
    d->player.play_selection(source);
}

void FileBrowser::rename_selection()
{
    switch (d->panel.selectedTab()) {
    case ListPanel::FilePage: {
        const QList<int> rows = d->selectedRows();
        if (rows.size() == 1)
            d->renameRow(rows.first());
        break;
    }
    case ListPanel::FavouritesPage:
        if (d->hooks.renameFavourite)
            d->hooks.renameFavourite();
        break;
    default:
        break;
    }
}

void FileBrowser::toggleDirectory()
{
    if (d->directory->isVisible()) {
        d->directory->hide();
    } else {
        d->directory->show();
        d->directory->raise();
    }
}

bool FileBrowser::openDroppedMovie(const QString &dropped)
{
    const QString name = dropped.mid(dropped.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || !is_movie_ext(name.mid(dot + 1), d->moreFormats) ||
        !native_path::isFile(dropped))
        return false;
    if (!setFolder(path::getfiledir(dropped) + u'/'))
        return false;

    d->player.play_file(path::addbackslash(d->folder) + name, 0);
    bringToTop(name);
    return true;
}

QStringList FileBrowser::selectedPaths() const
{
    return d->selectedPaths();
}

QMimeData *FileBrowser::selectionMimeData() const
{
    QList<QUrl> urls;
    for (const QString &file : d->selectedPaths())
        urls.append(native_path::toFileUrl(file));
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

// ---- Folders and drives ----

void FileBrowser::Private::fillDrives()
{
    const QString root = folder.isEmpty() ? QString() : drive_list::driveOf(folder);
    fillDrivesWith(root);
    if (!root.isEmpty())
        selectDrive(root);
}

void FileBrowser::Private::fillDrivesWith(const QString &root)
{
    const QStringList roots = drive_list::withRoot(drive_list::mountedRoots(), root);
    QStringList shown;
    for (int i = 0; i < drives->count(); ++i)
        shown.append(drives->itemText(i));
    if (shown == roots)
        return;
    const QSignalBlocker blocker(drives);
    drives->clear();
    drives->addItems(roots);
}

void FileBrowser::Private::showDriveOf(const QString &where)
{
    const QString root = drive_list::driveOf(where);
    // Mounted since the list was made, or a volume the mounts leave out.
    if (drives->findText(root, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        fillDrivesWith(root);
    selectDrive(root);
}

void FileBrowser::Private::selectDrive(const QString &root)
{
    shownDrive = root;
    const QSignalBlocker blocker(drives);
    drives->setCurrentIndex(drives->findText(root, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void FileBrowser::Private::driveChosen(int index)
{
    const QString root = drives->itemText(index);
    // Picking the drive shown again is no change; most folders are on "/",
    // and going to its root would throw the user out of the folder.
    if (root == shownDrive)
        return;
    if (q.setFolder(root))
        return;
    message(QString::fromUtf8("デバイスの準備ができてません"));
    QApplication::beep();
    showDriveOf(folder.isEmpty() ? QStringLiteral("/") : folder);
}

void FileBrowser::Private::goToParent()
{
    if (folder.isEmpty() || folder == QStringLiteral("/"))
        return;
    q.setFolder(parentOf(folder));
}

void FileBrowser::Private::listFiles(const QString &where,
                                     std::optional<folder_reader::Contents> few)
{
    ++ticket;
    reading.reset();
    readingPoll->stop();
    pieces->stop();
    changing->stop();
    hunks.clear();
    refreshing = false;
    pending.clear();
    pendingNext = 0;
    firstShown.clear();
    waitingCursor.clear();
    // What waited for the folder shown before is no longer wanted.
    whenListed.clear();
    if (few) {
        folder_list::fill(folders, where, few->subfolders);
        showFiles(few->files);
        filled();
        return;
    }
    // The folders above it at once, its subfolders with its files.
    folder_list::fill(folders, where, {});
    showFiles({});
    auto job = std::make_shared<Reading>();
    job->folder = where;
    reading = job;
    // Never waited for: a folder on a dead mount only leaves its list empty.
    std::thread([job, where, pattern = pattern] {
        background_priority::lowerThisThread();
        folder_reader::Contents contents = folder_reader::contentsWithFirstFiles(
            where, pattern, kFirstScreenRows, [&job](const QStringList &first) {
                const std::lock_guard lock(job->mutex);
                job->firstFiles = first;
            });
        const std::lock_guard lock(job->mutex);
        job->contents = std::move(contents);
        job->done = true;
    }).detach();
    readingPoll->start();
}

namespace
{

// Rows in one insertion: a row made with QListWidgetItem(text, list)
// searches the whole list for itself, so a large folder took time in n².
// A name whose bytes are not UTF-8 is kept as it is on disk beside the text.
void insertRows(QListWidget *files, int first, const QStringList &names)
{
    files->insertItems(first, native_path::displayNames(names));
    for (int i = 0; i < names.size(); ++i) {
        if (native_path::hasForeignBytes(names[i]))
            files->item(first + i)->setData(NativeNameRole, names[i]);
    }
}

} // namespace

void FileBrowser::Private::appendRows(const QStringList &names)
{
    const QScopedValueRollback ours(changingRows, true);
    insertRows(files, files->count(), names);
    listedNames += names;
}

void FileBrowser::Private::showFiles(const QStringList &names)
{
    const QScopedValueRollback ours(changingRows, true);
    files->setUpdatesEnabled(false);
    files->clear();
    listedNames.clear();
    appendRows(names);
    files->setUpdatesEnabled(true);
}

// ---- Refresh ----

namespace
{

// The nearest folder from `folder` upwards that can be read.
QString readableFrom(const QString &folder)
{
    QString readable = folder;
    while (!native_path::listsEntries(readable) && readable != QStringLiteral("/"))
        readable = parentOf(readable);
    return readable;
}

// A folder read again: its subfolders, and how its files changed from those
// shown.
struct Reread {
    QStringList subfolders;
    QList<folder_reader::Hunk> changes;
};

} // namespace

void FileBrowser::Private::startRefresh()
{
    const quint64 asked = ++ticket;
    // The changes of a refresh before go with it; the rows and their names
    // still go together.
    changing->stop();
    hunks.clear();
    refreshing = true;
    file_probe::ask<QString>(
        folder, [where = folder] { return readableFrom(where); }, &q,
        [this, asked](std::optional<QString> readable) { refreshAnswered(asked, readable); },
        kRefreshAnswerMs);
}

void FileBrowser::Private::refreshAnswered(quint64 asked, const std::optional<QString> &readable)
{
    if (asked != ticket)
        return;
    if (!readable) {
        noAnswer();
        return;
    }
    if (*readable != folder) {
        qCInfo(lcLibrary) << "the folder" << folder << "has gone; showing" << *readable;
        folder = *readable;
        listFiles(folder, std::nullopt);
        showDriveOf(folder);
        return;
    }
    readAgain(asked);
}

void FileBrowser::Private::readAgain(quint64 asked)
{
    file_probe::ask<Reread>(
        folder,
        [where = folder, pattern = pattern, shown = listedNames] {
            background_priority::lowerThisThread();
            // Any number of entries: no answer at all, only an empty one.
            const folder_reader::Contents now = folder_reader::contentsIfFew(where, pattern, -1)
                                                    .value_or(folder_reader::Contents{});
            return Reread{now.subfolders, folder_reader::changes(shown, now.files)};
        },
        &q,
        [this, asked](std::optional<Reread> answer) {
            if (asked != ticket)
                return;
            if (!answer) {
                noAnswer();
                return;
            }
            folder_list::fill(folders, folder, answer->subfolders);
            applyChanges(std::move(answer->changes));
        },
        kReadingAnswerMs);
}

void FileBrowser::Private::applyChanges(QList<folder_reader::Hunk> changes)
{
    hunks = std::move(changes);
    hunkInserted = 0;
    if (applyPiece())
        changing->start();
    else
        refreshDone();
}

// The last hunk first, so the rows of those before it stay where they were
// read: its new names go in before its old rows, which then go.  A piece
// at a time, as many as fit in the time of one pass of the event loop.
bool FileBrowser::Private::applyPiece()
{
    const QScopedValueRollback ours(changingRows, true);
    QElapsedTimer budget;
    budget.start();
    while (!hunks.isEmpty() && budget.elapsed() < kPieceBudgetMs) {
        folder_reader::Hunk &hunk = hunks.last();
        const qsizetype row = hunk.row + hunkInserted;
        if (hunkInserted < hunk.inserted.size()) {
            const QStringList piece = hunk.inserted.mid(hunkInserted, kPieceRows);
            insertRows(files, int(row), piece);
            for (qsizetype i = 0; i < piece.size(); ++i)
                listedNames.insert(row + i, piece[i]);
            hunkInserted += piece.size();
        } else if (hunk.removed > 0) {
            const qsizetype rows = qMin(kPieceRows, hunk.removed);
            files->model()->removeRows(int(row), int(rows));
            listedNames.remove(row, rows);
            hunk.removed -= rows;
        } else {
            hunks.removeLast();
            hunkInserted = 0;
        }
    }
    return !hunks.isEmpty();
}

void FileBrowser::Private::refreshDone()
{
    refreshing = false;
    filled();
}

void FileBrowser::Private::noAnswer()
{
    qCInfo(lcLibrary) << "the folder" << folder << "did not answer; its list stays as it was";
    refreshing = false;
    // Once, however often F5 was pressed meanwhile.
    if (!noAnswerNotice)
        noAnswerNotice =
            rename_prompt::notice(window, QString::fromUtf8("デバイスの準備ができてません"));
    filled();
}

void FileBrowser::Private::takeWhatWasRead()
{
    if (!reading) {
        readingPoll->stop();
        return;
    }
    {
        const std::lock_guard lock(reading->mutex);
        if (!reading->done) {
            // A screenful first, while the reading thread sorts the rest.
            if (firstShown.isEmpty() && !reading->firstFiles.isEmpty()) {
                firstShown = std::move(reading->firstFiles);
                showFiles(firstShown);
            }
            return;
        }
        pending = std::move(reading->contents.files);
        folder_list::fill(folders, reading->folder, reading->contents.subfolders);
    }
    reading.reset();
    readingPoll->stop();
    // The rows shown first are the start of the whole list; should they
    // not be, the list is filled anew rather than shown wrong.
    pendingNext = firstShown.size();
    if (pending.mid(0, pendingNext) != firstShown) {
        showFiles({});
        pendingNext = 0;
    }
    firstShown.clear();
    if (addPiece())
        pieces->start();
    else
        filled();
}

bool FileBrowser::Private::addPiece()
{
    QElapsedTimer budget;
    budget.start();
    while (pendingNext < pending.size()) {
        const qsizetype rows = qMin(kPieceRows, pending.size() - pendingNext);
        appendRows(pending.mid(pendingNext, rows));
        pendingNext += rows;
        if (budget.elapsed() >= kPieceBudgetMs)
            break;
    }
    if (pendingNext < pending.size())
        return true;
    pending.clear();
    pendingNext = 0;
    return false;
}

void FileBrowser::Private::filled()
{
    const QList<std::function<void()>> waiting = std::exchange(whenListed, {});
    for (const std::function<void()> &then : waiting)
        then();
}

// ---- Selection ----

int FileBrowser::Private::targetRow() const
{
    const QList<int> rows = selectedRows();
    if (rows.size() == 1)
        return rows.first();
    return list_selection::currentRow(files);
}

QList<int> FileBrowser::Private::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : files->selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList FileBrowser::Private::selectedPaths() const
{
    QStringList paths;
    for (int row : selectedRows())
        paths.append(q.fullPath(row));
    return paths;
}

// ---- The context menu `m_FileMenu` ----

void FileBrowser::Private::buildMenu()
{
    menu = new QMenu(QString::fromUtf8("ファイル"), &window);
    menu->setObjectName("m_FileMenu");

    auto addAction = [this](const char *name, const char *caption) {
        return named_menu::addEntry(menu, name, caption);
    };
    auto addSubmenu = [this](const char *name, const char *caption) {
        return named_menu::addSubmenu(menu, name, caption);
    };

    openDirectory = addAction("m_OpenDirectory", "ディレクトリの表示(F4)");
    // The registered folders fill these two.
    jumpMenu = addSubmenu("m_jmp_directory", "ディレクトリ移動");
    editMenu = addSubmenu("m_edit_directory", "ディレクトリ編集");
    menu->addSeparator();
    filePlay = addAction("m_filePlay", "再生(Enter)");
    sceneMenu = addSubmenu("m_seen_load_file", "シーン");
    for (int i = 0; i < 10; ++i) {
        QAction *scene = sceneMenu->addAction(QString());
        scene->setObjectName(QStringLiteral("m_seen_file_%1").arg(i));
        scene->setVisible(false);
    }
    // Shown by the scene marks once the file has some.
    sceneMenu->menuAction()->setVisible(false);
    addOkini = addAction("m_addOkini", "お気に入りに追加(Ctrl+D)");
    rename = addAction("m_rename", "名前を変更(F2)");
    menu->addSeparator();
    properties = addAction("m_propaty", "プロパティ");
    menu->addSeparator();
    info = addAction("m_info", "");

    connect(openDirectory, &QAction::triggered, &q, &FileBrowser::toggleDirectory);
    connect(filePlay, &QAction::triggered, &q, [this] { playRow(targetRow()); });
    connect(addOkini, &QAction::triggered, &q, [this] {
        const QStringList paths = selectedPaths();
        if (!paths.isEmpty())
            emit q.addToFavouritesRequested(paths);
    });
    connect(rename, &QAction::triggered, &q, [this] { renameRow(targetRow()); });
    connect(properties, &QAction::triggered, &q, [this] {
        const QString file = q.fullPath(targetRow());
        if (!file.isEmpty())
            fileManager->showProperties(file);
    });
    connect(info, &QAction::triggered, &q, [this] {
        if (!folder.isEmpty())
            fileManager->showFolder(folder);
    });
}

void FileBrowser::Private::prepareMenu()
{
    const QList<int> rows = selectedRows();
    const int n = int(rows.size());
    double bytes = 0;
    // A file that has gone since the list was read counts as empty.
    for (int row : rows)
        bytes += double(native_path::fileSize(q.fullPath(row)));

    const bool one = n == 1;
    rename->setEnabled(one);
    properties->setEnabled(one);
    filePlay->setEnabled(one);
    addOkini->setEnabled(n >= 1);
    info->setText(selection_info::infoCaption(n, bytes));

    if (hooks.buildSceneMenu)
        hooks.buildSceneMenu(one ? q.fullPath(rows.first()) : QString(), sceneMenu);
}

void FileBrowser::Private::showMenuAt(const QPoint &viewportPos, const QPoint &globalPos)
{
    list_selection::selectForMenu(files, files->indexAt(viewportPos).row());
    prepareMenu();
    menu->popup(globalPos);
}

void FileBrowser::Private::playRow(int row)
{
    const QString file = q.fullPath(row);
    if (!file.isEmpty())
        player.play_file(file, 0);
}

// ---- Rename ----

void FileBrowser::Private::renameRow(int row)
{
    if (row < 0 || row >= files->count())
        return;
    const QString oldName = fileNameOf(files->item(row));
    rename_prompt::Hooks renameHooks;
    bool wasLoaded = false;
    renameHooks.beforeRename = [this, &wasLoaded](const QString &oldPath) {
        // The playing file is let go before it is renamed.
        wasLoaded = movie.filename() == oldPath;
        if (wasLoaded && hooks.stop)
            hooks.stop();
    };
    renameHooks.afterRename = [this, &wasLoaded](const QString &oldPath, const QString &newPath) {
        if (hooks.renamed)
            hooks.renamed(oldPath, newPath, wasLoaded);
    };
    // A name in an old encoding is offered as it reads, so that confirming
    // the box gives the file a name every program can open.
    const std::optional<QString> answer =
        rename_prompt::askAndRename(window, folder, oldName, files->item(row)->text(), renameHooks);
    if (!answer) {
        if (!native_path::exists(q.fullPath(row)))
            q.refresh();
        return;
    }

    q.refresh();
    q.whenListed([this, name = *answer] {
        files->clearSelection();
        const QList<QListWidgetItem *> found =
            files->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty()) {
            const int renamed = files->row(found.first());
            list_selection::moveCurrent(files, renamed);
            files->scrollToItem(found.first());
        }
    });
}

void FileBrowser::Private::message(const QString &text)
{
    rename_prompt::message(window, text);
}
