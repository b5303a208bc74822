#pragma once

class QWidget;

// The balloon help: fifteen controls of the window get their tip texts,
// shown white on dark blue.
namespace balloon_help
{

// The controls that carry a tip, each handed over by the part that owns it.
struct Controls {
    QWidget *display = nullptr;
    QWidget *favourites = nullptr;
    QWidget *files = nullptr;
    QWidget *found = nullptr;
    QWidget *findText = nullptr;
    QWidget *folders = nullptr;
    QWidget *tabs = nullptr;
    QWidget *systemVolume = nullptr;
    QWidget *resume = nullptr;
    QWidget *moreFormats = nullptr;
    QWidget *autoAdjust = nullptr;
    QWidget *noTaskbar = nullptr;
    QWidget *autoHide = nullptr;
    QWidget *seekBar = nullptr;
    QWidget *volume = nullptr;
};

void install(const Controls &controls);

} // namespace balloon_help
