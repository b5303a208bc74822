#pragma once

#include <QObject>
#include <QString>
#include <memory>

class AssociationPage;
class FileAssociations;
class ListColours;
class ListPanel;
class MainWindow;
class QMenu;
class Settings;
class SoftInfoPage;
class TrayIcon;
class WindowOptions;

// The program's place on the desktop and the option pages that set it: the
// file association page, the list colours, the information page, the tray
// icon and the balloon help.
class DesktopOptions : public QObject
{
    Q_OBJECT
public:
    // Builds the pages into the options frame; before its tabs are made.  The
    // tray icon takes the window off the task bar when the settings say so.
    DesktopOptions(MainWindow &window, ListPanel &panel, WindowOptions &options,
                   const Settings &settings, QMenu &menu, const QString &programPath,
                   QObject *parent = nullptr);
    ~DesktopOptions() override;

    // After the window is shown: association state, colours from colorIni,
    // the tray icon, and the balloon help when asked for.
    void start(const QString &colorIni, bool balloonHelp);
    // At shut-down: the tray icon away.  The colours are saved by the caller
    // (listColours().save), which knows whether the program folder takes them.
    void stop();

    AssociationPage &associationPage() const { return *associationPage_; }
    ListColours &listColours() const { return *listColours_; }
    SoftInfoPage &softInfo() const { return *softInfo_; }
    TrayIcon &trayIcon() const { return *tray_; }

private:
    MainWindow &window_;
    ListPanel &panel_;
    WindowOptions &options_;
    std::unique_ptr<FileAssociations> associations_;
    std::unique_ptr<AssociationPage> associationPage_;
    std::unique_ptr<ListColours> listColours_;
    std::unique_ptr<SoftInfoPage> softInfo_;
    std::unique_ptr<TrayIcon> tray_;
};
