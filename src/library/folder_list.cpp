#include "library/folder_list.h"

#include "base/folder_reader.h"
#include "base/native_path.h"

#include <QApplication>
#include <QListWidget>
#include <QStyle>
#include <QStyledItemDelegate>

namespace folder_list
{

namespace
{

constexpr int LevelRole = Qt::UserRole + 1;
constexpr int kIndent = 12;

// Moves each entry right by its level.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex &index) { return index.data(LevelRole).toInt() * kIndent; }
};

} // namespace

QList<Entry> entries(const QString &folder)
{
    return entries(folder, folder_reader::subfolders(folder));
}

QList<Entry> entries(const QString &folder, const QStringList &subfolders)
{
    QList<Entry> out;
    out.append({QStringLiteral("/"), QStringLiteral("/"), 0, true});
    QString path;
    int level = 0;
    for (const QString &part : folder.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        out.append({path, part, ++level, true});
    }
    const QString base = path.isEmpty() ? QStringLiteral("/") : path + u'/';
    for (const QString &name : subfolders)
        out.append({base + name, name, level + 1, false});
    return out;
}

void prepare(QListWidget *list)
{
    list->setItemDelegate(new IndentDelegate(list));
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
}

void fill(QListWidget *list, const QString &folder)
{
    fill(list, folder, folder_reader::subfolders(folder));
}

void fill(QListWidget *list, const QString &folder, const QStringList &subfolders)
{
    const QList<Entry> all = entries(folder, subfolders);
    QStyle *style = list->style() ? list->style() : QApplication::style();
    const QIcon openIcon = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList shown;
    shown.reserve(all.size());
    for (const Entry &entry : all)
        shown.append(native_path::displayName(entry.name));
    list->setUpdatesEnabled(false);
    list->clear();
    // One insertion (see the file page's list).
    list->addItems(shown);
    int currentRow = 0;
    for (int row = 0; row < all.size(); ++row) {
        const Entry &entry = all[row];
        QListWidgetItem *item = list->item(row);
        item->setIcon(entry.open ? openIcon : closedIcon);
        item->setData(PathRole, entry.path);
        item->setData(LevelRole, entry.level);
        item->setToolTip(native_path::displayName(entry.path));
        if (entry.open)
            currentRow = row;
    }
    list->setCurrentRow(currentRow);
    list->setUpdatesEnabled(true);
    list->scrollToItem(list->currentItem());
}

} // namespace folder_list
