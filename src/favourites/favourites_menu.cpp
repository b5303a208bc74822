// The favourites' context menu "お気に入り", the mouse on the list, drops,
// and the file dialogs of the M3U commands.

#include "favourites/favourites_list.h"
#include "favourites/favourites_p.h"

#include "base/native_path.h"
#include "base/selection_info.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "playback/open_and_play.h"
#include "window/main_window.h"
#include "window/named_menu.h"
#include "window/video_area.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>

namespace
{

// Hands drops of files on a widget to a function.
class DropTaker final : public QObject
{
public:
    DropTaker(std::function<void(const QMimeData *)> take, QObject *parent)
        : QObject(parent), take_(std::move(take))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDropEvent *>(event);
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            take_(drop->mimeData());
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    std::function<void(const QMimeData *)> take_;
};

} // namespace

void FavouritesList::Private::buildMenu()
{
    menu = new QMenu(QString::fromUtf8("お気に入り"), &window);
    menu->setObjectName("m_okini");
    auto addAction = [this](const char *name, const char *caption) {
        return named_menu::addEntry(menu, name, caption);
    };
    play = addAction("m_okiniPlay", "再生(enter)");
    sceneMenu = menu->addMenu(QString::fromUtf8("シーン"));
    sceneMenu->setObjectName("m_seen_load_okini");
    for (int i = 0; i < 10; ++i) {
        QAction *scene = sceneMenu->addAction(QString());
        scene->setObjectName(QStringLiteral("m_seen_okini_%1").arg(i));
        scene->setVisible(false);
    }
    sceneMenu->menuAction()->setEnabled(false);
    renameAction = addAction("m_okiniRename", "ファイル名を変更(F2)");
    deleteAction = addAction("m_okiniDelete", "削除(Delete)");
    menu->addSeparator();
    selectImage = addAction("m_selectImage", "サムネイル画像の選択");
    changeView = addAction("m_changeView", "サムネイル／リスト切り替え");
    deleteAll = addAction("m_deleteAll", "全て削除");
    menu->addSeparator();
    openM3u = addAction("m_openM3u", "m3uファイルを開く");
    saveM3u = addAction("m_saveM3u", "m3uファイルを保存");
    menu->addSeparator();
    info = addAction("m_info2", "");

    connect(play, &QAction::triggered, &q, [this] { playRow(q.get_okini_index() - 1); });
    connect(renameAction, &QAction::triggered, &q, &FavouritesList::rename);
    connect(deleteAction, &QAction::triggered, &q, &FavouritesList::delete_selected_okini);
    connect(selectImage, &QAction::triggered, &q, &FavouritesList::openPicker);
    connect(changeView, &QAction::triggered, &q,
            [this] { q.setViewMode(!view->isThumbnailView()); });
    connect(deleteAll, &QAction::triggered, &q, [this] {
        if (askYesNo(QString::fromUtf8("全て削除しますか？"),
                     QString::fromUtf8("全てのアイテムを削除しますか？")))
            q.delete_all_okini();
    });
    connect(openM3u, &QAction::triggered, &q, &FavouritesList::importM3uDialog);
    connect(saveM3u, &QAction::triggered, &q, &FavouritesList::exportM3uDialog);
    connect(info, &QAction::triggered, &q, [this] {
        if (hooks.showFolder)
            hooks.showFolder();
    });
}

void FavouritesList::Private::prepareMenu()
{
    const bool any = model.count() > 0;
    for (QAction *action : {play, deleteAction, renameAction, selectImage, deleteAll, saveM3u})
        action->setEnabled(any);

    const QList<int> rows = selectedRows();
    double bytes = 0;
    for (int row : rows)
        bytes += double(native_path::fileSize(model.entry(row).path()));
    info->setText(selection_info::favouritesInfoCaption(int(rows.size()), bytes));
    // Nothing selected: no empty entry to click at the menu's end.
    info->setEnabled(!rows.isEmpty());
    info->setVisible(!rows.isEmpty());
    if (rows.size() == 1 && hooks.buildSceneMenu)
        hooks.buildSceneMenu(model.entry(rows.first()).path(), sceneMenu);
}

void FavouritesList::Private::connectView()
{
    connect(view, &QWidget::customContextMenuRequested, &q, [this](const QPoint &at) {
        prepareMenu();
        menu->exec(view->viewport()->mapToGlobal(at));
        if (!view->isThumbnailView() && hooks.focusVideo)
            hooks.focusVideo();
    });
    connect(view, &QAbstractItemView::clicked, &q, [this] { clicked(); });
    connect(view, &QAbstractItemView::doubleClicked, &q, [this] { doubleClicked(); });
    connect(view, &OkiniView::moveRequested, &q, [this](int from, int to) {
        q.moveFavourite(from + 1, to + 1);
        if (hooks.focusVideo)
            hooks.focusVideo();
    });
    // Favourites dragged out cannot be dropped back onto the program.
    connect(view, &OkiniView::outgoingDrag, &q, [this](bool active) { acceptDrops(!active); });

    auto *taker = new DropTaker([this](const QMimeData *data) { q.dropData(data); }, &q);
    view->viewport()->installEventFilter(taker);
    view->installEventFilter(taker);
    // A drop on the tab strip is one on the list.
    panel.Tab1->setAcceptDrops(true);
    panel.Tab1->installEventFilter(taker);
}

void FavouritesList::Private::acceptDrops(bool on)
{
    view->setAcceptDrops(on);
    view->viewport()->setAcceptDrops(on);
    panel.Tab1->setAcceptDrops(on);
    window.display()->setAcceptDrops(on);
    // The window would take what the video area lets through.
    window.setAcceptDrops(on);
}

void FavouritesList::Private::clicked()
{
    if (panel.selectedTab() != ListPanel::FavouritesPage)
        panel.selectTab(ListPanel::FavouritesPage);
    const int row = q.get_okini_index() - 1;
    if (row >= 0 && movie.playState() == PlayState::Paused &&
        model.entry(row).path() == movie.filename())
        movie.MediaPlay(PlayCommand::Play);
    window.directory()->hide();
}

void FavouritesList::Private::doubleClicked()
{
    if (!view->leftButtonPressed())
        return;
    window.directory()->hide();
    playRow(q.get_okini_index() - 1);
}

void FavouritesList::Private::playRow(int row)
{
    if (row >= 0 && row < model.count())
        player.play_file(model.entry(row).path(), 0);
}

void FavouritesList::importM3uDialog()
{
    const QString chosen =
        QFileDialog::getOpenFileName(&d->window, QString::fromUtf8("m3uファイルを開く"),
                                     d->programFolder, QStringLiteral("m3u(*.m3u *.m3u8)"));
    if (!chosen.isEmpty())
        importM3u(chosen);
}

void FavouritesList::exportM3uDialog()
{
    QFileDialog dialog(&d->window, QString::fromUtf8("m3uファイルに保存"), d->programFolder,
                       QStringLiteral("m3u(*.m3u)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("m3u"));
    // The dialog asks before it replaces a file.
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (chosen)
        exportM3u(dialog.selectedFiles().first());
}
