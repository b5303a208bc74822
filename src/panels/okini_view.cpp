#include "panels/okini_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace
{

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
            QStyledItemDelegate::paint(painter, option, index);
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
        }
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (view_->isThumbnailView())
            return QStyledItemDelegate::sizeHint(option, index);
        return QSize(view_->header()->length(), option.fontMetrics.height() + 4);
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
        setWordWrap(true);
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
