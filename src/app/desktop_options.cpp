#include "app/desktop_options.h"
#include "app/app_log.h"

#include "base/native_path.h"
#include "base/program_folder.h"
#include "base/settings.h"
#include "desktop/balloon_help.h"
#include "desktop/file_associations.h"
#include "desktop/tray_icon.h"
#include "panels/association_page.h"
#include "panels/list_colours.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "panels/soft_info_page.h"
#include "panels/window_options.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QUrl>

namespace
{

// There is no web page of the author: the link opens the help page's
// section about the program.
QUrl homepage()
{
    QUrl page = native_path::toFileUrl(program_folder::helpFile(native_path::executableDir()));
    page.setFragment("about");
    return page;
}

// The controls with a balloon help, from the window, the list panel and the
// options that own them.
balloon_help::Controls balloonHelpControls(const MainWindow &window, const ListPanel &panel,
                                           const WindowOptions &options)
{
    balloon_help::Controls controls;
    controls.display = window.display();
    controls.favourites = panel.List_okini;
    controls.files = panel.File;
    controls.found = panel.List_Find;
    controls.findText = panel.FindText;
    controls.folders = window.folders();
    controls.tabs = panel.Tab1;
    controls.systemVolume = options.vol_control;
    controls.resume = options.check_resume;
    controls.moreFormats = options.Check_more_formats;
    controls.autoAdjust = options.check_auto_adjust;
    controls.noTaskbar = options.Check_noTaskbar;
    controls.autoHide = options.Check_auto_hide;
    controls.seekBar = window.seekBar();
    controls.volume = window.vol();
    return controls;
}

} // namespace

DesktopOptions::DesktopOptions(MainWindow &window, ListPanel &panel, WindowOptions &options,
                               const Settings &settings, QMenu &menu, const QString &programPath,
                               QObject *parent)
    : QObject(parent), window_(window), panel_(panel), options_(options),
      associations_(std::make_unique<FileAssociations>(programPath)),
      associationPage_(std::make_unique<AssociationPage>(panel.config, *associations_)),
      listColours_(std::make_unique<ListColours>(
          *options.Frame_clip,
          QList<QWidget *>{window.drives(), window.folders(), panel.File, panel.List_okini,
                           panel.List_Find, panel.labelFind, panel.FindText})),
      softInfo_(std::make_unique<SoftInfoPage>(panel.soft_info, homepage())),
      tray_(std::make_unique<TrayIcon>(window, menu))
{
    tray_->setHideOnMinimise([&settings] { return settings.noTaskBar(); });
    connect(&settings, &Settings::changed, this, [this, &settings](Settings::Option option) {
        if (option != Settings::MoreFormats)
            return;
        associations_->setMoreFormats(settings.moreFormats());
        associationPage_->setMoreFormats(settings.moreFormats());
        // The desktop entry offers the types the program now takes.
        associations_->refreshDesktopEntry();
    });
}

DesktopOptions::~DesktopOptions() = default;

void DesktopOptions::start(const QString &colorIni, bool balloonHelp)
{
    softInfo_->followTab(panel_.Tab_Config, panel_.Tab_Config->count() - 1);
    associations_->refreshDesktopEntry();
    associationPage_->showState();
    listColours_->load(colorIni);
    tray_->show();
    if (balloonHelp)
        balloon_help::install(balloonHelpControls(window_, panel_, options_));
}

void DesktopOptions::stop()
{
    tray_->remove();
}
