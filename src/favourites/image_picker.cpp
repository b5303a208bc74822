#include "favourites/image_picker.h"
#include "favourites/favourites_log.h"

#include "base/folder_file.h"
#include "base/folder_reader.h"
#include "base/name_pattern.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"
#include "base/thumbnail_rules.h"
#include "library/drive_list.h"
#include "library/folder_list.h"
#include "media/frame_grabber.h"
#include <QMessageBox>

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

ImagePicker::ImagePicker(QWidget *parent, const QString &target, const QString &startFolder,
                         const QString &programFolder)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), target_(target)
{
    setObjectName("Form_OpenImage");
    setWindowTitle(QString::fromUtf8("サムネイル画像の選択"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    Drive1 = new QComboBox(this);
    Drive1->setObjectName("Drive1");
    Dir1 = new QListWidget(this);
    Dir1->setObjectName("Dir1");
    folder_list::prepare(Dir1);
    File1 = new QListWidget(this);
    File1->setObjectName("File1");
    image_name = new QLabel(target, this);
    image_name->setObjectName("image_name");
    Picture2 = new QLabel(this);
    Picture2->setObjectName("Picture2");
    Picture2->setFixedSize(thumbnail_rules::kSize);
    Picture2->setFrameShape(QFrame::Box);
    saveButton = new QPushButton(QString::fromUtf8("サムネイル画像として保存"), this);
    saveButton->setObjectName("bt_save");
    saveButton->setEnabled(false);
    auto *cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
    cancel->setObjectName("bt_cancel");

    auto *layout = new QGridLayout(this);
    layout->addWidget(Drive1, 0, 0);
    layout->addWidget(Dir1, 1, 0);
    layout->addWidget(File1, 0, 1, 2, 1);
    layout->addWidget(image_name, 2, 0, 1, 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Picture2);
    bottom->addStretch(1);
    bottom->addWidget(saveButton);
    bottom->addWidget(cancel);
    layout->addLayout(bottom, 3, 0, 1, 2);

    connect(Drive1, &QComboBox::activated, this,
            [this](int index) { setFolder(Drive1->itemText(index)); });
    connect(Dir1, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        setFolder(item->data(folder_list::PathRole).toString());
    });
    connect(File1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { preview(path::addbackslash(folder_) + item->text()); });
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (save())
            close();
    });
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);

    setFolder(native_path::isDir(startFolder) ? startFolder : programFolder);
    resize(520, 360);
}

void ImagePicker::setFolder(const QString &folder)
{
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!folder_reader::canRead(clean))
        return;
    folder_ = clean;
    {
        const QSignalBlocker blocker(Drive1);
        const QString root = drive_list::driveOf(clean);
        Drive1->clear();
        Drive1->addItems(drive_list::withRoot(drive_list::mountedRoots(), root));
        Drive1->setCurrentText(root);
    }
    folder_list::fill(Dir1, clean);
    File1->clear();
    // Users keep pictures in these forms besides the classic three.
    File1->addItems(
        folder_reader::files(clean, NamePattern(QStringLiteral("*.bmp;*.jpg;*.gif;*.png;*.jpeg"))));
}

bool ImagePicker::preview(const QString &picturePath)
{
    // By the name's bytes, which need not be UTF-8; no picture file comes
    // near this size.
    constexpr qint64 kMostPictureBytes = 256 * 1024 * 1024;
    const std::optional<QByteArray> bytes = native_path::readFile(picturePath, kMostPictureBytes);
    QImage picture;
    if (!bytes || !picture.loadFromData(*bytes))
        return false;
    QImage fitted(thumbnail_rules::kSize, QImage::Format_RGB32);
    fitted.fill(Qt::black);
    QPainter painter(&fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(thumbnail_rules::fitInto(picture.size()), picture);
    painter.end();
    preview_ = fitted;
    Picture2->setPixmap(QPixmap::fromImage(preview_));
    saveButton->setEnabled(true);
    return true;
}

bool ImagePicker::save()
{
    if (preview_.isNull())
        return false;
    // Never through a link planted in an image folder beside the movies.
    const QByteArray bitmap = FrameGrabber::bitmap(preview_);
    folder_file::Result result = state_file::inUnsafeOwnFolder(target_)
                                     ? folder_file::Result::Refused
                                     : folder_file::prepareFolder(path::getfiledir(target_));
    if (result == folder_file::Result::Written)
        result = bitmap.isEmpty() ? folder_file::Result::Failed
                                  : folder_file::writePath(target_, bitmap);
    if (result != folder_file::Result::Written) {
        qCInfo(lcFavourites) << "cannot write the thumbnail" << target_;
        const char *why = result == folder_file::Result::Refused
                              ? "\nは安全に書き込めない場所なので保存しませんでした"
                              : "\nに保存できませんでした";
        QMessageBox::information(this, QStringLiteral("Sazanami"),
                                 target_ + QString::fromUtf8(why));
        return false;
    }
    saveButton->setEnabled(false);
    emit saved();
    return true;
}

void ImagePicker::closeEvent(QCloseEvent *event)
{
    emit folderLeft(folder_);
    QDialog::closeEvent(event);
}
