#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;
class RadioMenu;

// The play mode: what happens when a movie reaches its end.  The value is
// the entry of the menu array `mode` that is checked, which the menu and the
// toolbar button "mode" show; picking an entry sets it.
class PlayMode : public QObject
{
    Q_OBJECT
public:
    enum Mode { Normal = 0, Continuous = 1, Loop = 2, Random = 3 };
    static constexpr int kCount = 4;

    // toolbarButton is the toolbar's "mode" button, whose picture shows the mode.
    PlayMode(QWidget *menuParent, QAction *toolbarButton, QObject *parent = nullptr);

    QMenu *menu() const;
    QAction *entry(int index) const;

    // Selects entry `index`; an index outside 0..3 selects none.  A running
    // movie goes on and the new mode applies at its end.
    void mode_Click(int index);
    // The selected entry, 0 (normal) when none is.
    int get_play_mode() const { return checked_ < 0 ? Normal : checked_; }

signals:
    void changed(int checkedIndex);

private:
    RadioMenu *entries_;
    int checked_ = -1;
};
