// Mouse, keys, tooltips and drag and drop of the file page.

#include "library/file_browser.h"

#include "base/native_path.h"
#include "library/file_browser_p.h"
#include "library/folder_list.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QComboBox>
#include <QDrag>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>
#include <QUrl>

namespace
{

// The first dropped file, if the data carries files at all.
QString firstLocalFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl &url : data->urls()) {
        if (const QString file = native_path::fromFileUrl(url); !file.isEmpty())
            return file;
    }
    return QString();
}

bool carriesFiles(const QMimeData *data)
{
    return !firstLocalFile(data).isEmpty();
}

// Drag enter and drag move: offer a copy, or refuse.
bool answerDrag(QEvent *event, bool accept)
{
    auto *drag = static_cast<QDragMoveEvent *>(event);
    if (accept) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
    } else {
        drag->setDropAction(Qt::IgnoreAction);
        drag->ignore();
    }
    return true;
}

} // namespace

bool FileBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == d->files->viewport())
        return d->fileViewportEvent(event);
    if (watched == d->folders || watched == d->folders->viewport())
        return d->folderListEvent(watched, event);
    if (watched == d->directory) {
        // Volumes come and go; the list is brought up to date when shown.
        if (event->type() == QEvent::Show)
            d->fillDrives();
        return false;
    }
    if (watched == d->window.display())
        return d->displayEvent(event);
    if (watched == &d->window)
        return d->windowEvent(event);
    return QObject::eventFilter(watched, event);
}

// The file list's entries live in its viewport: the mouse, tooltips and drops
// arrive there.
//
// Left button: the program's click, toggle and range rules (see
// list_selection).  Leaving the list with the button down drags the selected
// files out.
bool FileBrowser::Private::fileViewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        files->setFocus(Qt::MouseFocusReason);
        if (mouse->button() == Qt::LeftButton)
            clicks->press(files->indexAt(mouse->position().toPoint()).row());
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!clicks->isDown() || !(mouse->buttons() & Qt::LeftButton))
            return false;
        if (!draggingOut && clicks->pressedRow() >= 0 &&
            !files->viewport()->rect().contains(mouse->position().toPoint()) &&
            !selectedRows().isEmpty())
            startDragOut();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            showMenuAt(mouse->position().toPoint(), mouse->globalPosition().toPoint());
            return true;
        }
        if (mouse->button() != Qt::LeftButton ||
            !clicks->release(files->indexAt(mouse->position().toPoint()).row()))
            return true;
        // A click on the file page makes it the page shown and closes the
        // folder frame.
        if (panel.selectedTab() != ListPanel::FilePage)
            panel.selectTab(ListPanel::FilePage);
        directory->hide();
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return true;
        const int row = files->indexAt(mouse->position().toPoint()).row();
        // The entry played stays selected, whatever the first click did.
        clicks->doubleClick(row);
        if (row < 0)
            return true;
        directory->hide();
        playRow(row);
        return true;
    }
    case QEvent::ContextMenu:
        return true;
    case QEvent::ToolTip: {
        // A name cut off shows whole; elsewhere the list's own balloon help
        // (if any) shows, as the event goes on to the list.
        auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = longNameTip(help->pos());
        if (tip.isEmpty())
            return false;
        QToolTip::showText(help->globalPos(), tip, files->viewport());
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
        // What is dragged out of the list does not come back into it.
        return answerDrag(event, !draggingOut &&
                                     carriesFiles(static_cast<QDropEvent *>(event)->mimeData()));
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (draggingOut) {
            drop->ignore();
            return true;
        }
        return openDrop(drop);
    }
    default:
        return false;
    }
}

bool FileBrowser::Private::folderListEvent(QObject *watched, QEvent *event)
{
    if (watched == folders) {
        if (event->type() == QEvent::KeyRelease &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Backspace) {
            // A held Backspace repeats; it goes up one level, not to "/".
            if (!static_cast<QKeyEvent *>(event)->isAutoRepeat())
                goToParent();
            return true;
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() != Qt::RightButton)
            return false;
        directory->hide();
        return true;
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// Takes a drop of files as copied and plays the first of them if it is a movie.
bool FileBrowser::Private::openDrop(QDropEvent *drop)
{
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    q.openDroppedMovie(firstLocalFile(drop->mimeData()));
    return true;
}

// A movie dropped on the video area is taken as if dropped on the file list.
bool FileBrowser::Private::displayEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        return answerDrag(event, carriesFiles(static_cast<QDropEvent *>(event)->mimeData()));
    case QEvent::Drop:
        return openDrop(static_cast<QDropEvent *>(event));
    default:
        return false;
    }
}

// Controls without drops of their own pass a drop on to the window; such a
// drop is refused rather than taken as one on the window itself.  (The tab
// strip's drops belong to the favourites list.)
bool FileBrowser::Private::overControlWithoutDrops(const QPointF &windowPos) const
{
    const QList<const QWidget *> refusing = {window.control(), panel.Tab1, panel.config,
                                             panel.soft_info};
    for (const QWidget *w = window.childAt(windowPos.toPoint()); w && w != &window;
         w = w->parentWidget()) {
        if (refusing.contains(w))
            return true;
    }
    return false;
}

// Files dropped anywhere else on the window close the movie and are not used.
// Files dragged out of the file list are not taken back this way.
bool FileBrowser::Private::windowEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        return answerDrag(event, drag->mimeData() && drag->mimeData()->hasUrls() &&
                                     !isOwnDrag(event) &&
                                     !overControlWithoutDrops(drag->position()));
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (isOwnDrag(event) || !carriesFiles(drop->mimeData()) ||
            overControlWithoutDrops(drop->position())) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        movie.MediaClear();
        return true;
    }
    default:
        return false;
    }
}

bool FileBrowser::Private::isOwnDrag(const QEvent *event) const
{
    const QObject *source = static_cast<const QDropEvent *>(event)->source();
    return draggingOut || (source && (source == files || source == files->viewport()));
}

// The entry's full name when it is wider than the list can show.
QString FileBrowser::Private::longNameTip(const QPoint &viewportPos) const
{
    const QListWidgetItem *item = files->itemAt(viewportPos);
    if (!item)
        return QString();
    const int margin =
        files->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, files) + 1;
    const int usable = files->viewport()->width() - 2 * margin;
    const int wanted = files->fontMetrics().horizontalAdvance(item->text());
    return wanted > usable ? item->text() : QString();
}

void FileBrowser::Private::startDragOut()
{
    draggingOut = true;
    auto *drag = new QDrag(files);
    drag->setMimeData(q.selectionMimeData());
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    draggingOut = false;
    // The drag took the button's release.
    clicks->cancel();
}
