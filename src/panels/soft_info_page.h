#pragma once

#include <QObject>
#include <QUrl>

class QFrame;
class QLabel;
class QProgressBar;
class QTabBar;

// The software-information page `soft_info`: author, the link `LHomepage`,
// the memory line (`pbMem`, `lblMem`) and the display line (`lblDisplay`),
// refreshed each time its tab is clicked.
class SoftInfoPage : public QObject
{
    Q_OBJECT
public:
    // homepage is the page the author link opens.
    SoftInfoPage(QFrame *soft_info, QUrl homepage, QObject *parent = nullptr);

    // Refreshes the lines whenever the tab of soft_info on tabs is clicked.
    void followTab(QTabBar *tabs, int index);
    void refresh();

    QLabel *LHomepage = nullptr;
    QProgressBar *pbMem = nullptr;
    QLabel *lblMem = nullptr;
    QLabel *lblDisplay = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshMemory();
    void refreshDisplay();

    QFrame *page_;
    QUrl homepage_;
};
