#pragma once

#include "panels/list_selection.h"
#include "search/search_results.h"
#include "search/search_results_source.h"
#include "search/search_run.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class ListPanel;
class QAction;
class QLabel;
class QMenu;
class QPoint;
class QWidget;

// The search page: the box `FindText` with this run's history of texts, the
// results, which the list `List_Find` shows one name a row, their menu
// `m_findMenu`, and the file searchData.ini.  A search walks off the GUI
// thread; its results appear as they are found, its progress shows beside the
// box, and Esc in the box or a new search cancels it.  The number of results
// is not limited.
class SearchPage : public QObject
{
    Q_OBJECT
public:
    // What the page asks of the rest of the program.
    struct Hooks {
        std::function<QString()> baseFolder; // the browser's folder
        std::function<bool()> relativePaths; // the relative-paths option
        std::function<bool()> moreFormats;   // mp4, mkv and the others are movies
        std::function<void(const QString &path)> play;
        std::function<void()> addToFavourites;
        std::function<void()> toggleDirectory;
        std::function<void()> showFolder; // the browser's folder in the file manager
    };

    // display: the video area, which takes no drop while results are
    // dragged over the favourites' thumbnails.
    SearchPage(ListPanel &panel, QWidget *directory, QWidget *display, const QString &programFolder,
               Hooks hooks, QObject *parent = nullptr);
    ~SearchPage() override;

    // Clears the results and searches again for the box's text below the
    // browser's folder.
    void run_search();
    void cancel_search();
    bool isSearching() const { return run_.isRunning(); }

    void load_search_results();
    // False when the file could not be written.
    bool save_search_results() const;
    // The text save_search_results writes, made when called (on any thread)
    // from the results as they are now.
    std::function<QByteArray()> resultsText() const;
    QString statePath() const { return programFolder_ + "searchData.ini"; }

    SearchResults &results() { return results_; }
    const SearchResults &results() const { return results_; }
    // The results with the list's current and selected rows.
    SearchResultsSource &playSource() { return source_; }

    QMenu *m_findMenu = nullptr;
    QAction *m_OpenDirectoryForFind = nullptr;
    QAction *m_playForFind = nullptr;
    QAction *m_addOkiniForFind = nullptr;
    QAction *m_info3 = nullptr;
    // Folders searched and hits so far, or of the last search.
    QLabel *findProgress = nullptr;

signals:
    void searchFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool resultsViewportEvent(QEvent *event);
    void buildMenu();
    void showMenuAt(const QPoint &globalPos);
    void addToHistory(const QString &text);
    // Found results go to the list in steps that grow with it: each
    // addition lays the whole list out again.
    void takeFound(const QList<SearchRun::Hit> &hits);
    void showUnshown();
    static QString progressText(const QString &state, const folder_walk::Progress &progress);
    void showProgress(const folder_walk::Progress &progress, bool done);
    // Searches for the box's text and keeps it in the history.
    void searchTyped();
    void endBusy();
    void playCurrent();
    void List_Find_Click();
    void dragSelection();

    ListPanel &panel_;
    QWidget *directory_;
    QWidget *display_;
    QString programFolder_;
    Hooks hooks_;
    SearchResults results_;
    SearchResultsSource source_;
    SearchRun run_;
    // Found but not in the list yet.
    QList<SearchRun::Hit> unshown_;
    QTimer showSoon_;
    // The counts shown last.
    folder_walk::Progress shown_;
    bool busy_ = false;
    // The left button, by the file list's rules.
    list_selection::ToggleClicks clicks_;
};
