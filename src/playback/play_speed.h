#pragma once

#include <QObject>

class CMovie;
class QAction;
class QMenu;
class QWidget;
class RadioMenu;

// The playback speed: which entry of the menu array `bai` is checked.  The
// rate belongs to the open movie, so it is applied again after every open.
class PlaySpeed : public QObject
{
    Q_OBJECT
public:
    PlaySpeed(CMovie &movie, QWidget *menuParent, QAction *toolbarButton,
              QObject *parent = nullptr);

    QMenu *menu() const;
    QAction *entry(int index) const;

    // Checks entry `index` and sets its rate; with an index outside 0..3 no
    // entry stays checked and the rate is left as it is.
    void bai_Click(int index);
    // The highest checked entry, -1 when none is.
    int checkedIndex() const;
    // Applies the checked speed to a newly opened movie.
    void applyToOpenMovie();

    static double rateOf(int index);

private:
    CMovie &movie_;
    RadioMenu *entries_;
};
