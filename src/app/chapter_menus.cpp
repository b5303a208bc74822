#include "app/chapter_menus.h"

#include "base/chapters.h"
#include "input/main_menu.h"
#include "media/cmovie.h"
#include "window/seek_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <cmath>

namespace
{

void jumpTo(CMovie &movie, std::optional<double> (*where)(const QList<Chapter> &, double))
{
    double position = 0;
    if (!movie.currentPosition(&position))
        return;
    if (const std::optional<double> target = where(movie.state().chapters, position))
        movie.setCurrentPosition(*target);
}

} // namespace

ChapterMenus::ChapterMenus(CMovie &movie, MainMenu &menu, SeekBar &seekBar, SeekBar &fullscreenBar,
                           QObject *parent)
    : QObject(parent), movie_(movie), menu_(menu), seekBar_(seekBar), fullscreenBar_(fullscreenBar),
      group_(new QActionGroup(this))
{
    connect(&movie_, &CMovie::chaptersChanged, this, [this] {
        refill();
        showMarks();
    });
    refill();
    showMarks();
}

void ChapterMenus::jumpToNext(CMovie &movie)
{
    jumpTo(movie, chapters::nextStart);
}

void ChapterMenus::jumpToPrevious(CMovie &movie)
{
    jumpTo(movie, chapters::previousStart);
}

// Filled anew when mpv reports other chapters; when only another one plays,
// the check moves, so that a menu open meanwhile stays as it is.
void ChapterMenus::refill()
{
    QMenu *menu = menu_.m_chapter;
    const QList<QAction *> entries = menu->actions();
    if (movie_.state().chapters == shown_) {
        for (int i = 0; i < entries.size(); ++i)
            entries[i]->setChecked(i == movie_.state().chapter);
        return;
    }
    shown_ = movie_.state().chapters;
    // An entry deleted leaves its group by itself.
    menu->clear();
    const QList<Chapter> &list = movie_.state().chapters;
    for (int i = 0; i < list.size(); ++i) {
        QAction *entry = menu->addAction(chapters::caption(list, i));
        entry->setObjectName(QStringLiteral("m_chapter_%1").arg(i));
        entry->setCheckable(true);
        entry->setChecked(i == movie_.state().chapter);
        group_->addAction(entry);
        const double start = list[i].start;
        connect(entry, &QAction::triggered, this,
                [this, start] { movie_.setCurrentPosition(start); });
    }
    menu_.showChapterMenu(!list.isEmpty());
}

// The marks are values of the bars, hundredths of a second like the rest.
void ChapterMenus::showMarks()
{
    QList<int> marks;
    for (const Chapter &chapter : movie_.state().chapters) {
        if (chapter.start > 0)
            marks.append(int(std::lround(chapter.start * 100)));
    }
    seekBar_.setChapterMarks(marks);
    fullscreenBar_.setChapterMarks(marks);
}
