#include "panels/list_colours.h"

#include "base/private_profile.h"

#include <QBoxLayout>
#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace
{

QColor fromColourValue(int value)
{
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

int colourValue(const QColor &colour)
{
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

void paintSwatch(QPushButton *swatch, const QColor &colour)
{
    swatch->setStyleSheet(
        QString("background-color: %1; border: 1px solid gray;").arg(colour.name()));
}

QPushButton *swatchButton(const char *name, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFixedSize(40, 18);
    return button;
}

} // namespace

const QColor ListColours::kDefaultFore(119, 150, 230);
const QColor ListColours::kDefaultBack(0, 0, 0);

ListColours::ListColours(QFrame &clipPage, QList<QWidget *> lists, QObject *parent)
    : QObject(parent), lists_(std::move(lists))
{
    auto *group = new QGroupBox(QString::fromUtf8("カラー設定"), &clipPage);
    auto *grid = new QGridLayout(group);
    bt_cngForeColor = swatchButton("bt_cngForeColor", group);
    bt_cngBackColor = swatchButton("bt_cngBackColor", group);
    bt_default_color = new QPushButton(QString::fromUtf8("デフォルトに戻す"), group);
    bt_default_color->setObjectName("bt_default_color");
    bt_default_color->setFlat(true);
    grid->addWidget(new QLabel(QString::fromUtf8("文字色"), group), 0, 0);
    grid->addWidget(bt_cngForeColor, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("背景色"), group), 1, 0);
    grid->addWidget(bt_cngBackColor, 1, 1);
    grid->addWidget(bt_default_color, 0, 2, 2, 1);
    grid->setColumnStretch(3, 1);
    if (auto *layout = qobject_cast<QBoxLayout *>(clipPage.layout()))
        layout->insertWidget(0, group);
    paintSwatch(bt_cngForeColor, fore_);
    paintSwatch(bt_cngBackColor, back_);

    connect(bt_cngForeColor, &QPushButton::clicked, this, [this] { choose(true); });
    connect(bt_cngBackColor, &QPushButton::clicked, this, [this] { choose(false); });
    connect(bt_default_color, &QPushButton::clicked, this, [this] {
        CngListForeColor(kDefaultFore);
        CngListbackColor(kDefaultBack);
    });
}

void ListColours::CngListForeColor(const QColor &colour)
{
    fore_ = colour;
    paintSwatch(bt_cngForeColor, colour);
    for (QWidget *list : lists_) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::Text, colour);
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::ButtonText, colour);
        list->setPalette(palette);
    }
}

void ListColours::CngListbackColor(const QColor &colour)
{
    back_ = colour;
    paintSwatch(bt_cngBackColor, colour);
    for (QWidget *list : lists_) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::Window, colour);
        palette.setColor(QPalette::Button, colour);
        list->setPalette(palette);
        list->setAutoFillBackground(true);
    }
}

void ListColours::choose(bool fore)
{
    // The dialog starts from black each time and remembers no custom colours.
    const QColor chosen = QColorDialog::getColor(Qt::black, bt_cngForeColor->window());
    if (!chosen.isValid())
        return;
    if (fore)
        CngListForeColor(chosen);
    else
        CngListbackColor(chosen);
}

void ListColours::load(const QString &path)
{
    // A file that is missing or cannot be read as one (a folder, binary junk)
    // leaves the default colours, never black on black.
    const std::optional<PrivateProfile> profile = PrivateProfile::read(path);
    if (!profile) {
        CngListForeColor(kDefaultFore);
        CngListbackColor(kDefaultBack);
        return;
    }
    CngListForeColor(fromColourValue(profile->readInt("list", "ForeColor")));
    CngListbackColor(fromColourValue(profile->readInt("list", "BackColor")));
}

bool ListColours::save(const QString &path) const
{
    PrivateProfile profile = PrivateProfile::load(path);
    profile.writeInt("list", "ForeColor", colourValue(fore_));
    profile.writeInt("list", "BackColor", colourValue(back_));
    return profile.save(path);
}
