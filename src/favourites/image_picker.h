#pragma once

#include <QDialog>
#include <QImage>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// The thumbnail picker `Form_OpenImage` ("サムネイル画像の選択"): drive,
// folder and file lists of pictures, a 100 x 75 preview with the picture
// fitted whole, and a save button that writes the preview as the thumbnail
// of the favourite it was opened for.
class ImagePicker : public QDialog
{
    Q_OBJECT
public:
    // target: the thumbnail file to write.  The lists start in startFolder,
    // or in programFolder when that is no folder.
    ImagePicker(QWidget *parent, const QString &target, const QString &startFolder,
                const QString &programFolder);

    QString folder() const { return folder_; }
    // Shows folder in the lists.
    void setFolder(const QString &folder);
    // Loads a picture into the preview; false (nothing changes) when it
    // cannot be read.
    bool preview(const QString &picturePath);
    // Writes the preview; false (the picker stays open) on failure.
    bool save();

signals:
    void saved();
    // The picker closes showing this folder.
    void folderLeft(const QString &folder);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QString target_;
    QString folder_;
    QImage preview_;
    QComboBox *Drive1;
    QListWidget *Dir1;
    QListWidget *File1;
    QLabel *image_name;
    QLabel *Picture2;
    QPushButton *saveButton;
};
