#pragma once

#include <QList>
#include <QPointer>
#include <QRect>

class QBoxLayout;
class QWidget;

// Lists of the side panel laid over the picture in full screen, where the
// panel itself is hidden: each list is lent to the window's central widget
// at a place of its own and given back to its place in the panel, with the
// visibility it had there, when the overlay goes.
class ListOverlay
{
public:
    // Lends `list` to `host` at `place`; already lent, it only moves.
    void lend(QWidget *list, QWidget *host, QRect place);
    // Gives every list back, hidden or shown as it was in the panel.
    void giveBack();
    bool isLent(const QWidget *list) const;

private:
    struct Loan {
        QPointer<QWidget> list;
        QPointer<QWidget> owner;
        int index = -1;
        int stretch = 0;
        bool hidden = false;
    };
    QList<Loan> loans_;
};
