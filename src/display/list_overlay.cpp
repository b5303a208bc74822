#include "display/list_overlay.h"

#include <QBoxLayout>
#include <QWidget>
#include <algorithm>

bool ListOverlay::isLent(const QWidget *list) const
{
    return std::any_of(loans_.begin(), loans_.end(),
                       [list](const Loan &loan) { return loan.list == list; });
}

void ListOverlay::lend(QWidget *list, QWidget *host, QRect place)
{
    if (!list || !host)
        return;
    if (!isLent(list)) {
        Loan loan;
        loan.list = list;
        loan.owner = list->parentWidget();
        loan.hidden = list->isHidden();
        if (auto *layout =
                loan.owner ? qobject_cast<QBoxLayout *>(loan.owner->layout()) : nullptr) {
            loan.index = layout->indexOf(list);
            if (loan.index >= 0)
                loan.stretch = layout->stretch(loan.index);
        }
        // Indices are taken before either list leaves the layout.
        for (const Loan &earlier : loans_) {
            if (earlier.owner == loan.owner && earlier.index >= 0 && earlier.index <= loan.index)
                ++loan.index;
        }
        loans_.append(loan);
        list->setParent(host);
    }
    list->setGeometry(place);
    list->show();
    list->raise();
}

void ListOverlay::giveBack()
{
    // Back in the order they stood, so each index is right when it is used.
    std::sort(loans_.begin(), loans_.end(),
              [](const Loan &a, const Loan &b) { return a.index < b.index; });
    for (const Loan &loan : loans_) {
        if (!loan.list)
            continue;
        loan.list->hide();
        if (!loan.owner)
            continue;
        loan.list->setParent(loan.owner);
        if (auto *layout = qobject_cast<QBoxLayout *>(loan.owner->layout());
            layout && loan.index >= 0)
            layout->insertWidget(loan.index, loan.list, loan.stretch);
        loan.list->setVisible(!loan.hidden);
    }
    loans_.clear();
}
