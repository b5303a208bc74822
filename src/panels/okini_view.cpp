#include "panels/okini_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace
{

// The room for a name under its thumbnail: the cell less the margins the
// style draws the text with.
int nameWidth(const QWidget *view, const QRect &cell)
{
    return cell.width() -
           2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
}

// In the report each entry is drawn in the header's two columns; in the grid
// as a thumbnail with its name under it.
class OkiniDelegate final : public QStyledItemDelegate
{
public:
    explicit OkiniDelegate(OkiniView *view) : QStyledItemDelegate(view), view_(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (view_->isThumbnailView()) {
            // One line under the picture, cut in the middle so that both the
            // start of the name and its extension stay readable.
            QStyleOptionViewItem cell = option;
            initStyleOption(&cell, index);
            cell.features &= ~QStyleOptionViewItem::WrapText;
            cell.text =
                OkiniView::shownName(cell.text, cell.fontMetrics, nameWidth(view_, cell.rect));
            view_->style()->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view_);
            if (view_->markPainter()) {
                // Under the one line of the name, as wide as the cell, so
                // that the check of a short name stays clear of it.
                QRect name =
                    view_->style()->subElementRect(QStyle::SE_ItemViewItemText, &cell, view_);
                const int margin = (cell.rect.width() - nameWidth(view_, cell.rect)) / 2;
                name.setLeft(cell.rect.left() + margin);
                name.setRight(cell.rect.right() - margin);
                name.setBottom(
                    qMin(cell.rect.bottom(), name.top() + cell.fontMetrics.height() + 2));
                view_->markPainter()(painter, cell, index.row(), name);
            }
            return;
        }
        const QHeaderView *header = view_->header();
        for (int column = 0; column < header->count(); ++column) {
            QStyleOptionViewItem cell = option;
            const QModelIndex at = index.siblingAtColumn(column);
            initStyleOption(&cell, at.isValid() ? at : index);
            cell.features &= ~QStyleOptionViewItem::HasDecoration;
            cell.icon = QIcon();
            cell.rect.setLeft(header->sectionViewportPosition(column));
            cell.rect.setWidth(header->sectionSize(column));
            view_->style()->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view_);
            if (column == 0 && view_->markPainter()) {
                QRect name =
                    view_->style()->subElementRect(QStyle::SE_ItemViewItemText, &cell, view_);
                name.moveBottom(cell.rect.bottom());
                view_->markPainter()(painter, cell, index.row(), name);
            }
        }
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (view_->isThumbnailView()) {
            // Every cell as wide as the grid allows, the name on one line.
            QStyleOptionViewItem cell = option;
            initStyleOption(&cell, index);
            cell.features &= ~QStyleOptionViewItem::WrapText;
            cell.text = QStringLiteral("X");
            QSize size =
                view_->style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), view_);
            size.setWidth(qMax(size.width(), view_->gridSize().width() - 4));
            return size;
        }
        return QSize(view_->header()->length(), option.fontMetrics.height() + 4);
    }

    // In the grid a name cut short shows whole as the tip.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (view_->isThumbnailView() && event->type() == QEvent::ToolTip && index.isValid()) {
            const QString name = index.data(Qt::DisplayRole).toString();
            if (OkiniView::shownName(name, option.fontMetrics, nameWidth(view_, option.rect)) !=
                name) {
                QToolTip::showText(event->globalPos(), name, view->viewport(),
                                   view->visualRect(index));
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

private:
    OkiniView *view_;
};

} // namespace

OkiniView::OkiniView(QWidget *parent)
    : QListView(parent), header_(new QHeaderView(Qt::Horizontal, this))
{
    setItemDelegate(new OkiniDelegate(this));
    // Thousands of entries: every row the same size, laid out in batches.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(500);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header_->setSectionsClickable(false);
    header_->setStretchLastSection(true);
    header_->setDefaultSectionSize(120);
    connect(header_, &QHeaderView::sectionResized, viewport(), qOverload<>(&QWidget::update));
    setThumbnailView(true);
}

QString OkiniView::shownName(const QString &name, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(name) <= width)
        return name;
    // An extension is kept when a few letters of the name still fit before it.
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0 && name.size() - dot <= 6) {
        const QString extension = name.mid(dot);
        const int room = width - metrics.horizontalAdvance(extension);
        if (room >= metrics.horizontalAdvance(QStringLiteral("WW…")))
            return metrics.elidedText(name.left(dot), Qt::ElideMiddle, room) + extension;
    }
    return metrics.elidedText(name, Qt::ElideMiddle, width);
}

void OkiniView::setModel(QAbstractItemModel *model)
{
    QListView::setModel(model);
    header_->setModel(model);
}

void OkiniView::setThumbnailView(bool thumbnails)
{
    thumbnails_ = thumbnails;
    if (thumbnails) {
        setViewMode(QListView::IconMode);
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setIconSize(QSize(100, 75));
        setGridSize(QSize(112, 75 + 2 * fontMetrics().height() + 8));
        setTextElideMode(Qt::ElideMiddle);
        setWrapping(true);
        setFlow(QListView::LeftToRight);
        setDragEnabled(true);
        setDragDropMode(QAbstractItemView::DragOnly);
        setDefaultDropAction(Qt::CopyAction);
    } else {
        setViewMode(QListView::ListMode);
        // One entry at a time; a drag reorders instead of leaving the list.
        setSelectionMode(QAbstractItemView::SingleSelection);
        setGridSize(QSize());
        setIconSize(QSize());
        setWordWrap(false);
        setWrapping(false);
        setFlow(QListView::TopToBottom);
        setDragEnabled(false);
        setDragDropMode(QAbstractItemView::NoDragDrop);
    }
    // The favourites take drops of files themselves.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    header_->setVisible(!thumbnails);
    placeHeader();
    scheduleDelayedItemsLayout();
}

void OkiniView::updateGeometries()
{
    QListView::updateGeometries();
    placeHeader();
}

void OkiniView::placeHeader()
{
    const int height = header_->isVisible() ? header_->sizeHint().height() : 0;
    setViewportMargins(0, height, 0, 0);
    const QRect area = viewport()->geometry();
    header_->setGeometry(area.left(), area.top() - height, area.width(), height);
}

void OkiniView::mousePressEvent(QMouseEvent *event)
{
    leftPressed_ = event->button() == Qt::LeftButton;
    pressRow_ = -1;
    reordering_ = false;
    if (!thumbnails_ && leftPressed_) {
        pressRow_ = indexAt(event->position().toPoint()).row();
        pressPos_ = event->position().toPoint();
    }
    QListView::mousePressEvent(event);
}

void OkiniView::mouseMoveEvent(QMouseEvent *event)
{
    if (thumbnails_ || pressRow_ < 0 || !(event->buttons() & Qt::LeftButton)) {
        QListView::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!reordering_ && (at - pressPos_).manhattanLength() < QApplication::startDragDistance())
        return;
    reordering_ = true;
    // The entry under the pointer is selected while dragging.
    const QModelIndex under = indexAt(at);
    if (under.isValid())
        setCurrentIndex(under);
    viewport()->setCursor(Qt::DragMoveCursor);
}

void OkiniView::mouseReleaseEvent(QMouseEvent *event)
{
    const int from = pressRow_;
    const bool moved = reordering_;
    pressRow_ = -1;
    reordering_ = false;
    viewport()->unsetCursor();
    QListView::mouseReleaseEvent(event);
    if (!moved || event->button() != Qt::LeftButton)
        return;
    // Only a real drag onto another entry moves one.
    const int to = indexAt(event->position().toPoint()).row();
    if (to >= 0 && to != from)
        emit moveRequested(from, to);
}

void OkiniView::startDrag(Qt::DropActions supportedActions)
{
    emit outgoingDrag(true);
    QListView::startDrag(supportedActions);
    emit outgoingDrag(false);
}
