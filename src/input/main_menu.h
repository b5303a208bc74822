#pragma once

#include <QList>
#include <QObject>

class QAction;
class QMenu;
class QWidget;

// The main popup menu `menu` ("メニュー") of the video area, with its
// submenus in their order.  The speed and mode submenus are the ones the
// toolbar opens too.  Entries whose operation is not there yet stay inert.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    MainMenu(QWidget *parent, QMenu *speedMenu, QMenu *modeMenu);

    QMenu *menu() const { return menu_; }

    QAction *m_addOkiniForMenu = nullptr;
    QMenu *m = nullptr;
    QAction *play = nullptr;
    QAction *stop = nullptr;
    QAction *pre = nullptr;
    QAction *next = nullptr;
    QAction *mTopSeek = nullptr;
    QMenu *m_size = nullptr;
    QAction *original = nullptr;
    QList<QAction *> size;
    QMenu *m_speed = nullptr;
    QMenu *m_mode = nullptr;
    QMenu *m_seen_load = nullptr;
    QList<QAction *> m_seen;
    QMenu *m_edit_seen = nullptr;
    QMenu *m_regst = nullptr;
    QList<QAction *> m_reg_seen;
    QMenu *m_change_seen = nullptr;
    QList<QAction *> m_chg_seen;
    QMenu *m_delete_seen = nullptr;
    QList<QAction *> m_del_seen;
    QMenu *m_window = nullptr;
    QAction *m_temae = nullptr;
    QAction *m_saiteki = nullptr;
    QAction *m_small = nullptr;
    QAction *help = nullptr;
    QAction *m_exit = nullptr;

    // The movie's sound tracks "音声トラック" and subtitles "字幕": they
    // stand at the end of the menu only while the movie has something to
    // choose in them (see showTrackMenus); otherwise the menu holds exactly
    // the entries above.
    QMenu *m_audio_track = nullptr;
    QMenu *m_subtitle = nullptr;
    // The movie's chapters "チャプター", after the track menus, only while the
    // movie has chapters.
    QMenu *m_chapter = nullptr;

    // Before the menu opens: the scene submenus are usable only with a movie.
    void prepare(bool movieOpen);
    // Puts each track submenu at the end of the menu, or takes it out.
    void showTrackMenus(bool audio, bool subtitles);
    void showChapterMenu(bool shown);

private:
    QMenu *menu_;
    QAction *trackSeparator_ = nullptr;
    bool audioShown_ = false;
    bool subtitlesShown_ = false;
    bool chaptersShown_ = false;
    void placeMovieMenus();
};
