#include "search/search_page.h"

#include "base/state_file.h"

#include "base/native_path.h"
#include "base/selection_info.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "panels/okini_view.h"
#include "search/search_log.h"
#include "window/named_menu.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDrag>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <utility>

namespace
{

// The list is added to once its new results would grow it by an eighth, and
// otherwise within this time of the first of them: laying out the list anew
// after every few results would cost time in the square of its length.
constexpr qsizetype kGrowthStep = 8;
constexpr int kShowWithinMs = 100;

} // namespace

SearchPage::SearchPage(ListPanel &panel, QWidget *directory, QWidget *display,
                       const QString &programFolder, Hooks hooks, QObject *parent)
    : QObject(parent), panel_(panel), directory_(directory), display_(display),
      programFolder_(programFolder), hooks_(std::move(hooks)), source_(results_, panel_.List_Find),
      clicks_(panel_.List_Find)
{
    QListView *list = panel_.List_Find;
    list->setModel(&results_);
    // A click toggles, a drag inverts a range, as in the file list.
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    // Long result lists stay quick to add to and to scroll.
    list->setUniformItemSizes(true);
    list->viewport()->installEventFilter(this);
    panel_.FindText->installEventFilter(this);
    // The history is offered below the box, never written into it: an entry
    // completed inline would be what Enter searches for instead of what was
    // typed.
    // Offered by case too: the box takes a history entry that differs only
    // by case in place of what was typed once Enter is pressed ("ep2"
    // becoming "EP2").  The search itself ignores case all the same.
    if (QCompleter *completer = panel_.FindText->completer()) {
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setCaseSensitivity(Qt::CaseSensitive);
    }
    if (QLineEdit *edit = panel_.FindText->lineEdit()) {
        edit->installEventFilter(this);
        // Enter while the history's popup is open reaches the box past the
        // filter below, from the popup.
        connect(edit, &QLineEdit::returnPressed, this, &SearchPage::searchTyped);
    }

    findProgress = new QLabel(panel_.find);
    findProgress->setObjectName("findProgress");
    // The counts are read whole; the box gives up the room.
    findProgress->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    panel_.FindText->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    panel_.FindText->setMinimumContentsLength(4);
    if (QLayout *row = panel_.find->layout())
        row->addWidget(findProgress);

    connect(list, &QAbstractItemView::doubleClicked, this, [this] { playCurrent(); });
    showSoon_.setSingleShot(true);
    showSoon_.setInterval(kShowWithinMs);
    connect(&showSoon_, &QTimer::timeout, this, &SearchPage::showUnshown);
    connect(&run_, &SearchRun::found, this, &SearchPage::takeFound);
    connect(&run_, &SearchRun::progress, this,
            [this](const folder_walk::Progress &progress) { showProgress(progress, false); });
    connect(&run_, &SearchRun::finished, this, [this](const folder_walk::Progress &progress) {
        showUnshown();
        showProgress(progress, true);
        endBusy();
        emit searchFinished();
    });
    buildMenu();
}

SearchPage::~SearchPage()
{
    endBusy();
}

void SearchPage::run_search()
{
    // What the last search found but did not show yet is not shown now, to
    // be cleared at once.
    unshown_.clear();
    cancel_search();
    results_.clear();
    findProgress->clear();
    shown_ = {};
    const QString base = hooks_.baseFolder ? hooks_.baseFolder() : QString();
    if (!folder_walk::canSearchFrom(base)) {
        qCInfo(lcSearch) << "nothing searched: not a readable folder:" << base;
        return;
    }
    busy_ = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    run_.start(base, panel_.FindText->currentText(), hooks_.moreFormats && hooks_.moreFormats());
}

void SearchPage::cancel_search()
{
    if (!run_.isRunning())
        return;
    const folder_walk::Progress reached = shown_;
    run_.cancel();
    showUnshown();
    findProgress->setText(progressText(QString::fromUtf8("中止 "), reached));
    endBusy();
}

void SearchPage::endBusy()
{
    if (!busy_)
        return;
    busy_ = false;
    QApplication::restoreOverrideCursor();
}

void SearchPage::takeFound(const QList<SearchRun::Hit> &hits)
{
    unshown_.append(hits);
    if (unshown_.size() >= results_.count() / kGrowthStep)
        showUnshown();
    else if (!showSoon_.isActive())
        showSoon_.start();
}

void SearchPage::showUnshown()
{
    showSoon_.stop();
    if (!unshown_.isEmpty())
        results_.append(std::exchange(unshown_, {}));
}

QString SearchPage::progressText(const QString &state, const folder_walk::Progress &progress)
{
    return QString::fromUtf8("%1%2フォルダ %3件")
        .arg(state)
        .arg(progress.foldersSearched)
        .arg(progress.hits);
}

void SearchPage::showProgress(const folder_walk::Progress &progress, bool done)
{
    shown_ = progress;
    findProgress->setText(progressText(done ? QString() : QString::fromUtf8("検索中 "), progress));
}

// A text equal to an entry but for case is not added again.
void SearchPage::addToHistory(const QString &text)
{
    QComboBox *box = panel_.FindText;
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return;
    }
    const QSignalBlocker quiet(box);
    box->addItem(text);
    box->setEditText(text);
    box->setFocus();
}

void SearchPage::playCurrent()
{
    const QString path = results_.pathAt(list_selection::currentRow(panel_.List_Find));
    if (path.isEmpty())
        return;
    directory_->hide();
    if (hooks_.play)
        hooks_.play(path);
}

void SearchPage::List_Find_Click()
{
    if (panel_.selectedTab() != ListPanel::SearchPage)
        panel_.selectTab(ListPanel::SearchPage);
    directory_->hide();
}

// The selected results dragged onto the favourites: the drag carries no
// file list, and the favourites take the selection from this page.  Over
// the thumbnails, the list itself and the video area take no drop meanwhile.
void SearchPage::dragSelection()
{
    QListView *list = panel_.List_Find;
    const bool thumbnails = panel_.List_okini->isThumbnailView();
    const bool listTook = list->acceptDrops();
    const bool displayTook = display_ && display_->acceptDrops();
    const auto takeDrops = [&](bool listOn, bool displayOn) {
        if (!thumbnails)
            return;
        list->setAcceptDrops(listOn);
        if (display_)
            display_->setAcceptDrops(displayOn);
    };
    auto *data = new QMimeData;
    data->setData(QStringLiteral("application/x-sazanami-search-results"), QByteArray());
    auto *drag = new QDrag(list);
    drag->setMimeData(data);
    takeDrops(false, false);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    takeDrops(listTook, displayTook);
}

void SearchPage::buildMenu()
{
    m_findMenu = new QMenu(panel_.List_Find);
    m_findMenu->setObjectName("m_findMenu");
    m_findMenu->setTitle(QString::fromUtf8("検索"));
    const auto add = [this](const char *name, const char *caption) {
        return named_menu::addEntry(m_findMenu, name, caption);
    };
    m_OpenDirectoryForFind = add("m_OpenDirectoryForFind", "ディレクトリの表示(F4)");
    m_findMenu->addSeparator();
    m_playForFind = add("m_playForFind", "再生(Enter)");
    m_addOkiniForFind = add("m_addOkiniForFind", "お気に入りに追加(Ctrl+D)");
    m_findMenu->addSeparator();
    m_info3 = add("m_info3", "");
    connect(m_OpenDirectoryForFind, &QAction::triggered, this, [this] {
        if (hooks_.toggleDirectory)
            hooks_.toggleDirectory();
    });
    connect(m_playForFind, &QAction::triggered, this, &SearchPage::playCurrent);
    connect(m_addOkiniForFind, &QAction::triggered, this, [this] {
        if (hooks_.addToFavourites)
            hooks_.addToFavourites();
    });
    connect(m_info3, &QAction::triggered, this, [this] {
        if (hooks_.showFolder)
            hooks_.showFolder();
    });
}

void SearchPage::showMenuAt(const QPoint &globalPos)
{
    const QStringList selected = source_.selectedPaths();
    double bytes = 0;
    // A file that has gone since it was found counts as empty.
    for (const QString &path : selected)
        bytes += double(native_path::fileSize(path));
    const int n = int(selected.size());
    m_playForFind->setEnabled(n == 1);
    m_addOkiniForFind->setEnabled(n >= 1);
    m_info3->setText(selection_info::infoCaption(n, bytes));
    m_findMenu->popup(globalPos);
}

bool SearchPage::eventFilter(QObject *watched, QEvent *event)
{
    QListView *list = panel_.List_Find;
    if (watched == list->viewport())
        return resultsViewportEvent(event);
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape && run_.isRunning()) {
        cancel_search();
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    searchTyped();
    return true;
}

// The results select as the file list does; leaving the list with the
// button down drags the selection out.
bool SearchPage::resultsViewportEvent(QEvent *event)
{
    QListView *list = panel_.List_Find;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        list->setFocus(Qt::MouseFocusReason);
        clicks_.press(list->indexAt(mouse->position().toPoint()).row());
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!clicks_.isDown() || !(mouse->buttons() & Qt::LeftButton))
            return false;
        if (!list->viewport()->rect().contains(mouse->position().toPoint()) &&
            list->selectionModel()->hasSelection()) {
            clicks_.cancel();
            dragSelection();
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            list_selection::selectForMenu(list, list->indexAt(mouse->position().toPoint()).row());
            showMenuAt(mouse->globalPosition().toPoint());
            return true;
        }
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (clicks_.release(list->indexAt(mouse->position().toPoint()).row()))
            List_Find_Click();
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const int row = list->indexAt(mouse->position().toPoint()).row();
        clicks_.doubleClick(row);
        if (row >= 0)
            playCurrent();
        return true;
    }
    default:
        return false;
    }
}

void SearchPage::searchTyped()
{
    const QString text = panel_.FindText->currentText();
    run_search();
    addToHistory(text);
}

// The folders are written relative to the program folder with the
// relative-paths option on.
bool SearchPage::save_search_results() const
{
    // A failure is logged where the file is written.
    return state_file::writeWhole(statePath(), resultsText()());
}

std::function<QByteArray()> SearchPage::resultsText() const
{
    const bool relative = hooks_.relativePaths && hooks_.relativePaths();
    return results_.text(relative ? programFolder_ : QString());
}

void SearchPage::load_search_results()
{
    results_.load(statePath(), programFolder_);
}
