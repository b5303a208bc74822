#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// Tells the user that state cannot be saved: once a session, however many
// files fail, in a message box beside the window that holds up nothing.  Once
// shut-down has begun the window is going, so the log alone says it then.
class SaveNotice : public QObject
{
    Q_OBJECT
public:
    // Takes the failures of every state file written while it lives.
    explicit SaveNotice(QWidget &window, QObject *parent = nullptr);
    ~SaveNotice() override;

    // The program folder takes no files: the state read from it stays for
    // the session only.
    void cannotSaveIn(const QString &folder);
    // The program folder is another user's or open to others: nothing is
    // written there, the state stays for the session only.
    void notPrivate(const QString &folder);
    // A state file could not be written; the old one is still there.
    void cannotWrite(const QString &path);
    void sessionEnding() { ending_ = true; }

    // The box shown, if any (for tests).
    QMessageBox *box() const { return box_; }

    static QString folderText(const QString &folder);
    static QString notPrivateText(const QString &folder);
    static QString fileText(const QString &path);

private:
    void tell(const QString &text);

    QWidget &window_;
    QPointer<QMessageBox> box_;
    bool told_ = false;
    bool ending_ = false;
};
