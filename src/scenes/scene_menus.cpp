#include "scenes/scene_menus.h"

#include "input/main_menu.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "window/main_window.h"
#include "window/seek_bar.h"

#include <QAction>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <cmath>

namespace
{

// Menu texts take "&" for a shortcut mark; a caption shows it as typed.
QString menuText(const QString &caption)
{
    QString text = caption;
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

void showSlot(QAction *action, const SceneFile &scenes, int n, SceneFile::Menu menu, bool enabled)
{
    if (!action)
        return;
    action->setText(menuText(scenes.menuCaption(n, menu)));
    action->setEnabled(enabled);
}

void enableSubmenu(QMenu *submenu, bool enabled)
{
    if (submenu)
        submenu->menuAction()->setEnabled(enabled);
}

} // namespace

SceneMenus::SceneMenus(CMovie &movie, MainWindow &window, MainMenu &menu, FileBrowser &browser,
                       OpenAndPlay &player, QObject *parent)
    : QObject(parent), movie_(movie), window_(window), menu_(menu), browser_(browser),
      player_(player)
{
    for (int n = 0; n < SceneFile::kSlotCount; ++n) {
        if (QAction *action = menu_.m_seen.value(n))
            connect(action, &QAction::triggered, this, [this, n] { jump(n); });
        if (QAction *action = menu_.m_reg_seen.value(n))
            connect(action, &QAction::triggered, this, [this, n] { registerScene(n); });
        if (QAction *action = menu_.m_chg_seen.value(n))
            connect(action, &QAction::triggered, this, [this, n] { rename(n); });
        if (QAction *action = menu_.m_del_seen.value(n))
            connect(action, &QAction::triggered, this, [this, n] { remove(n); });
    }
    showMovieScenes();
}

void SceneMenus::setSceneFolder(const QString &folder)
{
    sceneFolder_ = folder;
    load_scenes();
}

SceneFile SceneMenus::sceneFileOf(const QString &moviePath) const
{
    // Without the folder a movie's file would land at the root.
    if (sceneFolder_.isEmpty() || moviePath.isEmpty())
        return SceneFile();
    return SceneFile::forMovie(sceneFolder_, moviePath);
}

void SceneMenus::load_scenes()
{
    movieScenes_ = sceneFileOf(movie_.filename());
    showMovieScenes();
}

void SceneMenus::showMovieScenes()
{
    const bool exists = movieScenes_.exists();
    enableSubmenu(menu_.m_seen_load, exists);
    enableSubmenu(menu_.m_change_seen, exists);
    enableSubmenu(menu_.m_delete_seen, exists);

    for (int n = 0; n < SceneFile::kSlotCount; ++n) {
        const bool used = movieScenes_.hasScene(n);
        QAction *view = menu_.m_seen.value(n);
        showSlot(view, movieScenes_, n, SceneFile::Menu::View, used);
        if (view)
            view->setData(movieScenes_.slot(n).position);
        // Any slot can be written, used or not.
        showSlot(menu_.m_reg_seen.value(n), movieScenes_, n, SceneFile::Menu::Register, true);
        showSlot(menu_.m_chg_seen.value(n), movieScenes_, n, SceneFile::Menu::Rename, used);
        showSlot(menu_.m_del_seen.value(n), movieScenes_, n, SceneFile::Menu::Delete, used);
    }
}

bool SceneMenus::syncWithOpenMovie()
{
    if (movie_.filename().isEmpty() || sceneFolder_.isEmpty())
        return false;
    if (movieScenes_.path() != SceneFile::pathFor(sceneFolder_, movie_.filename()))
        load_scenes();
    return true;
}

void SceneMenus::load_file_scenes(const QString &path, QMenu *sceneMenu)
{
    loadListScenes(file_, path, sceneMenu);
}

void SceneMenus::load_okini_scenes(const QString &path, QMenu *sceneMenu)
{
    loadListScenes(okini_, path, sceneMenu);
}

void SceneMenus::loadListScenes(ListMenu &list, const QString &path, QMenu *sceneMenu)
{
    list.moviePath = path;
    list.scenes = sceneFileOf(path);
    attachListMenu(list, sceneMenu);
    if (!list.menu)
        return;

    // The entries are always there; without a scene file the submenu is
    // greyed out.
    list.menu->menuAction()->setVisible(true);
    enableSubmenu(list.menu, list.scenes.exists());
    for (int n = 0; n < int(list.slotActions.size()); ++n) {
        QAction *action = list.slotActions[n];
        action->setVisible(true);
        showSlot(action, list.scenes, n, SceneFile::Menu::View, list.scenes.hasScene(n));
        action->setData(list.scenes.slot(n).position);
    }
}

void SceneMenus::attachListMenu(ListMenu &list, QMenu *sceneMenu)
{
    if (!sceneMenu || sceneMenu == list.menu)
        return;
    list.menu = sceneMenu;
    list.slotActions.clear();
    // Its first ten entries are the slots, in slot order.
    for (QAction *action : sceneMenu->actions()) {
        if (list.slotActions.size() == SceneFile::kSlotCount)
            break;
        if (action->isSeparator() || action->menu())
            continue;
        const int n = int(list.slotActions.size());
        list.slotActions.append(action);
        connect(action, &QAction::triggered, this, [this, &list, n] { playListAt(list, n); });
    }
}

void SceneMenus::seekTo(double seconds)
{
    if (!movie_.setCurrentPosition(seconds))
        return;
    // Moving the bars is not a user's seek.
    const bool wasInCommand = movie_.inCommand();
    movie_.setInCommand(true);
    const int value = int(std::lround(seconds * 100));
    window_.seekBar()->setValue(value);
    window_.seekBarForFullscreen()->setValue(value);
    movie_.setInCommand(wasInCommand);
}

void SceneMenus::jump(int n)
{
    QAction *view = menu_.m_seen.value(n);
    if (!view || !view->isEnabled())
        return;
    if (const std::optional<double> target = movieScenes_.jumpTarget(n))
        seekTo(*target);
}

void SceneMenus::registerScene(int n)
{
    if (!syncWithOpenMovie())
        return;
    double position = 0;
    if (!movie_.currentPosition(&position))
        return;
    if (movieScenes_.registerScene(n, position, window_.seekBar()->value()))
        showMovieScenes();
}

void SceneMenus::rename(int n)
{
    if (!syncWithOpenMovie() || !movieScenes_.hasScene(n))
        return;
    // The box runs the event loop, so the movie may change while it is up:
    // the answer goes to the scenes it was asked for.
    const QString path = movieScenes_.path();
    const QString caption = movieScenes_.slot(n).caption;

    bool accepted = false;
    const QString answer = QInputDialog::getText(&window_, QStringLiteral("シーン名変更"),
                                                 caption + QStringLiteral("のシーン名を変更します"),
                                                 QLineEdit::Normal, caption, &accepted);
    // Only an Enter that closed the box leaves a release behind to swallow.
    window_.swallow_enter = accepted;
    if (!accepted || answer.isEmpty())
        return;

    SceneFile scenes(path);
    if (!scenes.hasScene(n) || !scenes.rename(n, answer))
        return;
    if (path == movieScenes_.path())
        load_scenes();
}

void SceneMenus::remove(int n)
{
    if (!syncWithOpenMovie() || !movieScenes_.hasScene(n))
        return;
    if (movieScenes_.remove(n))
        showMovieScenes();
}

void SceneMenus::playFileAt(int n)
{
    if (file_.moviePath.isEmpty()) {
        // Not reached through the menu: the file list's current entry.
        const QString path = browser_.fullPath(list_selection::currentRow(browser_.fileList()));
        if (path.isEmpty())
            return;
        file_.moviePath = path;
        file_.scenes = sceneFileOf(path);
    }
    playListAt(file_, n);
}

void SceneMenus::playOkiniAt(int n)
{
    playListAt(okini_, n);
}

void SceneMenus::playListAt(ListMenu &list, int n)
{
    const QString path = list.moviePath;
    if (path.isEmpty())
        return;
    const std::optional<double> target = list.scenes.jumpTarget(n);
    if (path != movie_.filename()) {
        player_.play_file_at(path, target.value_or(0));
        return;
    }
    if (target)
        seekTo(*target);
}
