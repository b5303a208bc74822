#pragma once

#include <QColor>
#include <QList>
#include <QObject>

class QFrame;
class QPushButton;
class QWidget;

// The colours of the side panel's lists: the group "カラー設定" on the clip
// page with the text and background swatches and "デフォルトに戻す", applied
// to the lists it is given, and kept in color.ini.
class ListColours : public QObject
{
    Q_OBJECT
public:
    // The lists' colours when color.ini does not say: light blue on black.
    static const QColor kDefaultFore;
    static const QColor kDefaultBack;

    // lists: the lists and the search row that take the colours.
    ListColours(QFrame &clipPage, QList<QWidget *> lists, QObject *parent = nullptr);

    void CngListForeColor(const QColor &colour);
    void CngListbackColor(const QColor &colour);
    QColor foreColour() const { return fore_; }
    QColor backColour() const { return back_; }

    // Section "list", keys ForeColor and BackColor, each red + 256 green +
    // 65536 blue in decimal.  A missing file gives the default colours, a
    // missing key black.
    void load(const QString &path);
    bool save(const QString &path) const;

    QPushButton *bt_cngForeColor = nullptr;
    QPushButton *bt_cngBackColor = nullptr;
    QPushButton *bt_default_color = nullptr;

private:
    void choose(bool fore);
    QList<QWidget *> lists_;
    QColor fore_ = kDefaultFore;
    QColor back_ = kDefaultBack;
};
