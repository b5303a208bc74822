#pragma once

#include <QListView>
#include <functional>

class QFontMetrics;
class QHeaderView;

// The favourites list `List_okini`: a grid of thumbnails (the icon view,
// several entries selectable, entries dragged out as files) or a report of
// two columns, "file" and "dir", whose entries the user reorders by dragging
// one onto another.  The model gives column 0 (name, picture) and column 1
// (folder); the header shows the model's column titles.
class OkiniView : public QListView
{
    Q_OBJECT
public:
    explicit OkiniView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;

    // A name as the grid shows it in width pixels: whole when it fits,
    // otherwise cut in the middle with its extension kept.
    static QString shownName(const QString &name, const QFontMetrics &metrics, int width);

    // true: the thumbnail grid; false: the two-column report.
    void setThumbnailView(bool thumbnails);
    bool isThumbnailView() const { return thumbnails_; }
    QHeaderView *header() const { return header_; }

    // Draws a mark on the entry of a row once it is drawn; name is where
    // its name went.
    using MarkPainter =
        std::function<void(QPainter *, const QStyleOptionViewItem &, int row, const QRect &name)>;
    void setMarkPainter(MarkPainter painter) { markPainter_ = std::move(painter); }
    const MarkPainter &markPainter() const { return markPainter_; }

    // Whether the last button pressed on the list was the left one: a double
    // click plays only then.
    bool leftButtonPressed() const { return leftPressed_; }

signals:
    // In the report, an entry was dragged from row `from` onto row `to`.
    void moveRequested(int from, int to);
    // Entries are being dragged out of the thumbnail grid (true), or that
    // drag ended (false).
    void outgoingDrag(bool active);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void updateGeometries() override;

private:
    void placeHeader();

    QHeaderView *header_;
    bool thumbnails_ = true;
    bool leftPressed_ = false;
    // A press in the report: the row under it and where it was.
    int pressRow_ = -1;
    QPoint pressPos_;
    bool reordering_ = false;
    MarkPainter markPainter_;
};
