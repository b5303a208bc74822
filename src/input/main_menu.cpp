#include "input/main_menu.h"

#include "window/named_menu.h"

#include <QAction>
#include <QMenu>
#include <utility>

namespace
{

using named_menu::addEntry;

QMenu *addSubmenu(QMenu *menu, const char *name, const char *caption)
{
    QMenu *submenu = named_menu::addSubmenu(menu, name, caption);
    submenu->menuAction()->setObjectName(QString(name) + "_entry");
    return submenu;
}

// Ten entries named `name_0` to `name_9`, one per scene slot.
QList<QAction *> addSlots(QMenu *menu, const char *name)
{
    QList<QAction *> slotEntries;
    for (int n = 0; n < 10; ++n) {
        QAction *action = menu->addAction(QString("[%1] -----").arg(n));
        action->setObjectName(QString("%1_%2").arg(name).arg(n));
        slotEntries.append(action);
    }
    return slotEntries;
}

} // namespace

MainMenu::MainMenu(QWidget *parent, QMenu *speedMenu, QMenu *modeMenu)
    : QObject(parent), menu_(new QMenu(QString::fromUtf8("メニュー"), parent))
{
    menu_->setObjectName("menu");
    m_addOkiniForMenu = addEntry(menu_, "m_addOkiniForMenu", "お気に入りに追加");

    m = addSubmenu(menu_, "m", "再生メニュー");
    play = addEntry(m, "play", "再生・一次停止(enter)");
    stop = addEntry(m, "stop", "停止");
    pre = addEntry(m, "pre", "前の動画");
    next = addEntry(m, "next", "次の動画");
    mTopSeek = addEntry(m, "mTopSeek", "動画の先頭へシーク(F6)");

    m_size = addSubmenu(menu_, "m_size", "再生サイズ");
    original = addEntry(m_size, "original", "再生時は常にオリジナルサイズ");
    original->setCheckable(true);
    const char *const sizes[] = {
        "フルスクリーン(Alt+Enter)", "２００％", "１５０％", "１００％(Home)", "７５％", "５０％"};
    for (int i = 0; i < 6; ++i)
        size.append(addEntry(m_size, qPrintable(QString("size_%1").arg(i)), sizes[i]));

    m_speed = speedMenu;
    menu_->addMenu(m_speed);
    m_mode = modeMenu;
    menu_->addMenu(m_mode);
    menu_->addSeparator()->setObjectName("sep10");

    m_seen_load = addSubmenu(menu_, "m_seen_load", "シーン移動(テンキー)");
    m_seen = addSlots(m_seen_load, "m_seen");
    m_edit_seen = addSubmenu(menu_, "m_edit_seen", "シーン編集");
    m_regst = addSubmenu(m_edit_seen, "m_regst", "シーン登録(ctr+テンキー)");
    m_reg_seen = addSlots(m_regst, "m_reg_seen");
    m_change_seen = addSubmenu(m_edit_seen, "m_change_seen", "シーン名変更");
    m_chg_seen = addSlots(m_change_seen, "m_chg_seen");
    m_delete_seen = addSubmenu(m_edit_seen, "m_delete_seen", "シーン削除");
    m_del_seen = addSlots(m_delete_seen, "m_del_seen");
    menu_->addSeparator()->setObjectName("sep3");

    m_window = addSubmenu(menu_, "m_window", "ウィンドウ操作");
    m_temae = addEntry(m_window, "m_temae", "常に手前表示(Ctrl+T)");
    m_temae->setCheckable(true);
    m_saiteki = addEntry(m_window, "m_saiteki", "ｳｨﾝﾄﾞｳｻｲｽﾞ最適化(F8)");
    m_small = addEntry(m_window, "m_small", "最小表示(Ctrl+M)");
    help = addEntry(menu_, "help", "ヘルプ(F1)");
    m_exit = addEntry(menu_, "m_exit", "終了(Ctrl+W)");

    // Made here, put in by showTrackMenus.
    m_audio_track = new QMenu(QString::fromUtf8("音声トラック"), menu_);
    m_audio_track->setObjectName("m_audio_track");
    m_audio_track->menuAction()->setObjectName("m_audio_track_entry");
    m_subtitle = new QMenu(QString::fromUtf8("字幕"), menu_);
    m_subtitle->setObjectName("m_subtitle");
    m_subtitle->menuAction()->setObjectName("m_subtitle_entry");
    m_chapter = new QMenu(QString::fromUtf8("チャプター"), menu_);
    m_chapter->setObjectName("m_chapter");
    m_chapter->menuAction()->setObjectName("m_chapter_entry");
    trackSeparator_ = new QAction(menu_);
    trackSeparator_->setSeparator(true);
    trackSeparator_->setObjectName("sep_tracks");
}

void MainMenu::showTrackMenus(bool audio, bool subtitles)
{
    audioShown_ = audio;
    subtitlesShown_ = subtitles;
    placeMovieMenus();
}

void MainMenu::showChapterMenu(bool shown)
{
    chaptersShown_ = shown;
    placeMovieMenus();
}

// The movie's own menus, in one order whichever changed last.
void MainMenu::placeMovieMenus()
{
    const std::pair<QMenu *, bool> menus[] = {
        {m_audio_track, audioShown_}, {m_subtitle, subtitlesShown_}, {m_chapter, chaptersShown_}};
    menu_->removeAction(trackSeparator_);
    for (const auto &[submenu, shown] : menus)
        menu_->removeAction(submenu->menuAction());
    if (!audioShown_ && !subtitlesShown_ && !chaptersShown_)
        return;
    menu_->addAction(trackSeparator_);
    for (const auto &[submenu, shown] : menus) {
        if (shown)
            menu_->addAction(submenu->menuAction());
    }
}

void MainMenu::prepare(bool movieOpen)
{
    for (QMenu *submenu : {m_size, m_speed, m_mode, m_window})
        submenu->menuAction()->setVisible(true);
    m_seen_load->menuAction()->setEnabled(movieOpen);
    m_edit_seen->menuAction()->setEnabled(movieOpen);
}
