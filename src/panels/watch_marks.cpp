#include "panels/watch_marks.h"

#include "base/play_source.h"
#include "panels/okini_view.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace
{

constexpr int kBarHeight = 2;

// The list's own drawing, with the mark under each name.
class MarkingDelegate final : public QStyledItemDelegate
{
public:
    MarkingDelegate(QAbstractItemView *list, const PlaySource &source, WatchMarks::Query query)
        : QStyledItemDelegate(list), list_(list), source_(source), query_(std::move(query))
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const WatchedPlaces::Mark mark = query_(source_.pathAt(index.row()));
        if (mark.kind == WatchedPlaces::Mark::Kind::None)
            return;
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget *widget = cell.widget ? cell.widget : list_;
        QRect name = widget->style()->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
        // Under the name, at the foot of the row.
        name.moveBottom(option.rect.bottom());
        WatchMarks::paint(painter, cell, name, mark);
    }

private:
    QAbstractItemView *list_;
    const PlaySource &source_;
    WatchMarks::Query query_;
};

QColor blended(const QColor &top, const QColor &under, double share)
{
    return QColor::fromRgbF(float(top.redF() * share + under.redF() * (1 - share)),
                            float(top.greenF() * share + under.greenF() * (1 - share)),
                            float(top.blueF() * share + under.blueF() * (1 - share)));
}

} // namespace

WatchMarks::WatchMarks(Query query, QObject *parent) : QObject(parent), query_(std::move(query)) {}

void WatchMarks::attach(QAbstractItemView *list, const PlaySource &source)
{
    list->setItemDelegate(new MarkingDelegate(list, source, query_));
    lists_.append(list);
}

void WatchMarks::attach(OkiniView *favourites, const PlaySource &source)
{
    favourites->setMarkPainter([query = query_, &source](QPainter *painter,
                                                         const QStyleOptionViewItem &option,
                                                         int row, const QRect &name) {
        paint(painter, option, name, query(source.pathAt(row)));
    });
    lists_.append(favourites);
}

void WatchMarks::refresh()
{
    for (const QPointer<QAbstractItemView> &list : std::as_const(lists_))
        if (list)
            list->viewport()->update();
}

void WatchMarks::paint(QPainter *painter, const QStyleOptionViewItem &option, const QRect &name,
                       WatchedPlaces::Mark mark)
{
    if (mark.kind == WatchedPlaces::Mark::Kind::None || name.width() < 4)
        return;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor fore = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor back = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
    painter->save();
    if (mark.kind == WatchedPlaces::Mark::Kind::PartWay) {
        const QRect track(name.left(), name.bottom() - kBarHeight + 1, name.width(), kBarHeight);
        painter->fillRect(track, blended(fore, back, 0.3));
        QRect watched = track;
        watched.setWidth(qMax(1, int(track.width() * mark.fraction + 0.5)));
        painter->fillRect(watched, fore);
    } else {
        // A check at the end of the name's line, on the row's background so
        // that a long name under it does not blur it.
        const int side = qMin(name.height(), option.fontMetrics.height());
        const QRect box(name.right() - side + 1, name.bottom() - side + 1, side, side);
        painter->fillRect(box, back);
        painter->setRenderHint(QPainter::Antialiasing);
        QPen pen(fore, qMax(1.5, side / 7.0));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter->setPen(pen);
        const QRectF in = QRectF(box).adjusted(side * 0.2, side * 0.25, -side * 0.2, -side * 0.25);
        const QPointF tick[] = {{in.left(), in.center().y()},
                                {in.left() + in.width() * 0.38, in.bottom()},
                                {in.right(), in.top()}};
        painter->drawPolyline(tick, 3);
    }
    painter->restore();
}
