#pragma once

#include <QObject>

class CMovie;
class QAction;
class QMenu;
class QWidget;
class RadioMenu;

// The playback speed: the entry of the menu array `bai` that is selected,
// which the menu and the toolbar button "speed" show; picking an entry sets
// it.  The rate belongs to the open movie, so it is applied again after
// every open.
class PlaySpeed : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCount = 4;

    PlaySpeed(CMovie &movie, QWidget *menuParent, QAction *toolbarButton,
              QObject *parent = nullptr);

    QMenu *menu() const;
    QAction *entry(int index) const;

    // Selects entry `index` and sets its rate on the movie; with an index
    // outside 0..3 none is selected and the rate is left as it is.
    void bai_Click(int index);
    // The selected entry, -1 when none is.
    int checkedIndex() const { return checked_; }
    // Applies the selected speed to a newly opened movie.
    void applyToOpenMovie();

    // The rate of entry `index`, 0 outside 0..3.
    static double rateOf(int index);

signals:
    void changed(int checkedIndex);

private:
    CMovie &movie_;
    RadioMenu *entries_;
    int checked_ = -1;
};
