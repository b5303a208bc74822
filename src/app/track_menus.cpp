#include "app/track_menus.h"

#include "input/main_menu.h"
#include "media/cmovie.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

TrackMenus::TrackMenus(CMovie &movie, MainMenu &menu, QObject *parent)
    : QObject(parent), movie_(movie), menu_(menu), audioGroup_(new QActionGroup(this)),
      subtitleGroup_(new QActionGroup(this))
{
    connect(&movie_, &CMovie::tracksChanged, this, &TrackMenus::refill);
    refill();
}

QString TrackMenus::caption(const MediaTrack &track)
{
    QString text = QString::number(track.id);
    if (!track.language.isEmpty())
        text += QStringLiteral(" [%1]").arg(track.language);
    if (!track.title.isEmpty())
        text += u' ' + track.title;
    return text;
}

// Filled anew whenever mpv reports the tracks: another movie, a subtitle
// found, another track chosen.
void TrackMenus::refill()
{
    QMenu *audio = menu_.m_audio_track;
    QMenu *subtitles = menu_.m_subtitle;
    // An entry deleted leaves its group by itself.
    audio->clear();
    subtitles->clear();
    QActionGroup *audioGroup = audioGroup_;
    QActionGroup *subtitleGroup = subtitleGroup_;

    const auto add = [](QMenu *menu, QActionGroup *group, const QString &text, bool checked) {
        QAction *entry = menu->addAction(text);
        entry->setCheckable(true);
        entry->setChecked(checked);
        group->addAction(entry);
        return entry;
    };

    int audioCount = 0;
    int subtitleCount = 0;
    bool subtitleShown = false;
    for (const MediaTrack &track : movie_.state().tracks) {
        if (track.kind == MediaTrack::Kind::Subtitle && track.selected)
            subtitleShown = true;
    }
    QAction *none = add(subtitles, subtitleGroup, QString::fromUtf8("字幕なし"), !subtitleShown);
    none->setObjectName("m_subtitle_none");
    connect(none, &QAction::triggered, this, [this] { movie_.setSubtitleTrack(0); });

    for (const MediaTrack &track : movie_.state().tracks) {
        const int id = track.id;
        if (track.kind == MediaTrack::Kind::Audio) {
            ++audioCount;
            QAction *entry = add(audio, audioGroup, caption(track), track.selected);
            entry->setObjectName(QStringLiteral("m_audio_track_%1").arg(id));
            connect(entry, &QAction::triggered, this, [this, id] { movie_.setAudioTrack(id); });
        } else if (track.kind == MediaTrack::Kind::Subtitle) {
            ++subtitleCount;
            QAction *entry = add(subtitles, subtitleGroup, caption(track), track.selected);
            entry->setObjectName(QStringLiteral("m_subtitle_%1").arg(id));
            connect(entry, &QAction::triggered, this, [this, id] { movie_.setSubtitleTrack(id); });
        }
    }
    menu_.showTrackMenus(audioCount > 1, subtitleCount > 0);
}
