#pragma once

#include "base/key_bindings.h"

#include <QObject>
#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The key page `Frame_Key` of the options: the key boxes, their
// labels, the status label and "デフォルトに戻す".
//
// A key box takes every key released in it as the new key of its function;
// the keys never reach the window's own key handling.  A refused key leaves
// the binding as it was and says why in the status label; an accepted one
// moves the focus on to the next box, so that the keys can be typed in one go.
class KeyPage : public QObject
{
    Q_OBJECT
public:
    // Puts the page at the top of the options frame `config`.
    KeyPage(KeyBindings &keys, QFrame *config, QObject *parent = nullptr);

    QFrame *frame() const { return frame_; }
    // Shows the bindings as they are now (after key.ini was read).
    void refresh();

    // A key released in the box of `function`.
    void assign(int function, int code);
    // "デフォルトに戻す": the playback keys back to their defaults.
    void bt_default_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showBinding(int function);

    KeyBindings &keys_;
    QFrame *frame_ = nullptr;
    std::array<QLineEdit *, KeyBindings::kCount> boxes_{};
    QLabel *message_ = nullptr;
    QPushButton *bt_default_ = nullptr;
};
