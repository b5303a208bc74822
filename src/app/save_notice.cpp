#include "app/save_notice.h"
#include "app/app_log.h"

#include "base/state_file.h"

#include <QMessageBox>

SaveNotice::SaveNotice(QWidget &window, QObject *parent) : QObject(parent), window_(window)
{
    // A save may fail on another thread; the box is shown on this one.
    state_file::setWriteFailureHandler([this](const QString &path) {
        QMetaObject::invokeMethod(this, [this, path] { cannotWrite(path); });
    });
}

SaveNotice::~SaveNotice()
{
    state_file::setWriteFailureHandler(nullptr);
}

QString SaveNotice::folderText(const QString &folder)
{
    return folder +
           QString::fromUtf8("\nには書き込めません。\n設定やリストの変更は保存されません。");
}

QString SaveNotice::notPrivateText(const QString &folder)
{
    return folder + QString::fromUtf8("\nはほかのユーザーも書き込めるフォルダです。\n"
                                      "設定やリストの変更は保存しません。");
}

QString SaveNotice::fileText(const QString &path)
{
    return path + QString::fromUtf8("\nに保存できませんでした。\n前の内容はそのまま残っています。");
}

void SaveNotice::cannotSaveIn(const QString &folder)
{
    tell(folderText(folder));
}

void SaveNotice::notPrivate(const QString &folder)
{
    tell(notPrivateText(folder));
}

void SaveNotice::cannotWrite(const QString &path)
{
    tell(fileText(path));
}

void SaveNotice::tell(const QString &text)
{
    if (told_ || ending_)
        return;
    told_ = true;
    qCInfo(lcApp) << "told the user:" << text;
    // Not modal, and no event loop of its own: playback and input go on.
    box_ = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Sazanami"), text, QMessageBox::Ok,
                           &window_);
    box_->setObjectName(QStringLiteral("SaveNotice"));
    box_->setAttribute(Qt::WA_DeleteOnClose);
    box_->setWindowModality(Qt::NonModal);
    box_->show();
}
