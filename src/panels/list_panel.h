#pragma once

#include <QObject>
#include <functional>

class QAction;
class QBoxLayout;
class QFrame;
class QHBoxLayout;
class QLabel;
class QComboBox;
class QListView;
class QListWidget;
class OkiniView;
class QTabBar;
class QWidget;

// The side panel `list`: the tab strip `Tab1` and its four pages (files,
// favourites, search results, options).  The page shown also names the list
// that continuous play walks.
class ListPanel : public QObject
{
    Q_OBJECT
public:
    enum Page { FilePage = 1, FavouritesPage = 2, SearchPage = 3, OptionsPage = 4 };

    ListPanel(QFrame *list, QWidget *directory, QWidget *display, QAction *captureButton,
              std::function<bool()> fullScreen, QObject *parent = nullptr);

    // The selected tab, 1 to 4.
    int selectedTab() const;
    // Selects a tab and shows its page.
    void selectTab(int page);

    void showFilePage();
    void showFavouritesPage();
    void showSearchPage();
    void showOptionsPage();
    void showPage(int page);
    // Keeps the right end of the tab strip free for a control laid over it;
    // tabs that do not fit then scroll rather than hide under it.
    void leaveRoomRightOfTabs(int pixels);

    // The options' own tab strip `Tab_Config` over their pages, once the
    // pages are built: each tab shows one page frame, found by its name.
    void buildConfigTabs();
    void showConfigPage(int index);

    QTabBar *Tab1 = nullptr;
    QListWidget *File = nullptr;
    OkiniView *List_okini = nullptr;
    QFrame *find = nullptr;
    QLabel *labelFind = nullptr;
    // Editable; its drop-down list is the history of search texts.
    QComboBox *FindText = nullptr;
    // A view over the search's results model, which the search page sets:
    // a long result list costs no widget item a row.
    QListView *List_Find = nullptr;
    QFrame *config = nullptr;
    QFrame *soft_info = nullptr;
    QLabel *Ver = nullptr;
    QTabBar *Tab_Config = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPages(QFrame *list);
    void Tab1_Click();
    void setCaptureImage(const char *key);
    void showOnly(QWidget *page);
    void makeScrollable(QBoxLayout *layout, QWidget *page);

    QFrame *list_;
    QHBoxLayout *tabRow_ = nullptr;
    QWidget *directory_;
    QWidget *display_;
    QAction *captureButton_;
    // The window is in full screen, where the tabs stay as they are.
    std::function<bool()> fullScreen_;
};
