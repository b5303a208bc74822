#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;
class RadioMenu;

// The play mode: which entry of the menu array `mode` is checked.  It decides
// what happens when a movie reaches its end.
class PlayMode : public QObject
{
    Q_OBJECT
public:
    enum Mode { Normal = 0, Continuous = 1, Loop = 2, Random = 3 };

    // toolbarButton is the toolbar's "mode" button, whose picture shows the mode.
    PlayMode(QWidget *menuParent, QAction *toolbarButton, QObject *parent = nullptr);

    QMenu *menu() const;
    QAction *entry(int index) const;

    // Checks entry `index` and unchecks the others; a running movie goes on
    // and the new mode applies at its end.
    void mode_Click(int index);
    // The first checked entry, 0 when none is.
    int get_play_mode() const;

private:
    RadioMenu *entries_;
};
