#pragma once

#include <QObject>
#include <functional>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// The program's icon in the desktop's notification area, tip "Sazanami": a
// double click shows or hides the window, the context click pops up the
// window's menu.  Minimising the window hides it to the icon while the
// option asks for it - only where a tray is there to bring it back.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    TrayIcon(QWidget &window, QMenu &menu, QObject *parent = nullptr);
    ~TrayIcon() override;

    void setHideOnMinimise(std::function<bool()> wanted);
    // Brings the menu's entries up to date before it pops up.
    void setBeforeMenu(std::function<void()> prepare);

    void show();
    void remove();
    bool isShown() const;

    // Shows a hidden or minimised window, hides a shown one.
    void toggleWindow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void hideToTray();
    void popUpMenu();

    QWidget &window_;
    QMenu &menu_;
    QSystemTrayIcon *icon_ = nullptr;
    std::function<bool()> hideOnMinimise_;
    std::function<void()> beforeMenu_;
    // Shown from the icon after it was minimised, not yet active.
    bool restoring_ = false;
};
