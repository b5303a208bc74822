#include "input/window_key_filter.h"

#include "base/virtual_keys.h"
#include "input/key_events.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabBar>
#include <QTextEdit>
#include <QVariant>

namespace
{

constexpr const char *kOwnKeysProperty = "ownKeys";

bool isTextInput(const QWidget &widget)
{
    if (qobject_cast<const QLineEdit *>(&widget) ||
        qobject_cast<const QAbstractSpinBox *>(&widget) ||
        qobject_cast<const QTextEdit *>(&widget) || qobject_cast<const QPlainTextEdit *>(&widget))
        return true;
    const auto *combo = qobject_cast<const QComboBox *>(&widget);
    return combo && combo->isEditable();
}

bool keepsOwnKey(const QWidget &widget, int qtKey)
{
    return widget.property(kOwnKeysProperty).toList().contains(qtKey);
}

// A control that cannot take the focus gets no keys of its own from the
// keyboard; only what the window passes it.
bool hasKeysOfItsOwn(const QWidget &widget)
{
    if (widget.focusPolicy() == Qt::NoFocus)
        return false;
    return qobject_cast<const QAbstractItemView *>(&widget) ||
           qobject_cast<const QComboBox *>(&widget) ||
           qobject_cast<const QAbstractSlider *>(&widget) ||
           qobject_cast<const QAbstractButton *>(&widget) || qobject_cast<const QTabBar *>(&widget);
}

// Keys that move or select in a control: they go on to it even where the
// window has a use for them too (Page Down pages the list and zooms out).
bool movesInControl(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Space:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return false;
    }
}

// A closed drop-down list takes the entry a moving key lands on at once (Home
// in the drive list would open the first drive and drop the file list): the
// window's keys are the window's alone there.
bool choosesAtOnce(const QWidget &widget)
{
    return qobject_cast<const QComboBox *>(&widget) != nullptr;
}

} // namespace

WindowKeyFilter::WindowKeyFilter(QWidget &window, Handlers handlers, QObject *parent)
    : QObject(parent), window_(window), handlers_(std::move(handlers))
{
    qApp->installEventFilter(this);
}

void WindowKeyFilter::keepOwnKeys(QWidget *control, const QList<int> &qtKeys)
{
    QVariantList keys;
    for (int key : qtKeys)
        keys << key;
    control->setProperty(kOwnKeysProperty, keys);
}

// An application filter sees a key once for each widget it propagates to;
// it is taken at the first, and its delivery from there to the control and
// the control's parents is done here, which ends the outer propagation.
bool WindowKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    // Keys held when the window goes to the background are let go where
    // this filter does not see them.
    if (event->type() == QEvent::WindowDeactivate && watched == &window_)
        heldShift_.clear();
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    if (event == passingOn_)
        return false;
    auto *receiver = qobject_cast<QWidget *>(watched);
    // The window system hands keys to the window's QWindow first; they are
    // taken when that passes them to a widget.
    if (!receiver)
        return false;

    auto *key = static_cast<QKeyEvent *>(event);
    if (receiver->window() != &window_) {
        if (key->type() == QEvent::KeyRelease && !key->isAutoRepeat())
            heldShift_.remove(virtual_keys::fromKeyEvent(*key));
        tellReleasedElsewhere(*key);
        return false;
    }

    const int code = virtual_keys::fromKeyEvent(*key);
    const int shift = shiftOfPress(*key, code, virtual_keys::shiftState(key->modifiers()));
    const Route route = routeOf(*receiver, *key, code, shift);
    const QPointer<WindowKeyFilter> self(this);
    const QPointer<QWidget> control(receiver);
    if (route == Route::ControlOnly)
        tellReleasedElsewhere(*key);
    else
        tellWindow(*key, code, shift);
    if (self && control && route != Route::WindowOnly)
        passOn(control, key);
    key->accept();
    return true;
}

WindowKeyFilter::Route WindowKeyFilter::routeOf(const QWidget &receiver, const QKeyEvent &key,
                                                int code, int shift) const
{
    if (isTextInput(receiver) || keepsOwnKey(receiver, key.key()))
        return Route::ControlOnly;
    if (!hasKeysOfItsOwn(receiver))
        return Route::WindowOnly;
    if (handlers_.wanted && handlers_.wanted(code, shift) &&
        (!movesInControl(key.key()) || choosesAtOnce(receiver)))
        return Route::WindowOnly;
    return Route::WindowThenControl;
}

void WindowKeyFilter::tellWindow(const QKeyEvent &key, int code, int shift)
{
    if (key.type() == QEvent::KeyPress) {
        if (handlers_.pressed)
            handlers_.pressed(code, shift, key.isAutoRepeat());
    } else if (!key.isAutoRepeat() && handlers_.released) {
        handlers_.released(code, shift);
    }
}

void WindowKeyFilter::tellReleasedElsewhere(const QKeyEvent &key)
{
    if (key.type() == QEvent::KeyRelease && !key.isAutoRepeat() && handlers_.releasedElsewhere)
        handlers_.releasedElsewhere(virtual_keys::fromKeyEvent(key));
}

// Noted at the press, given back at the release.  A release without a press
// seen here (the key went down in another window) keeps its own shift.
int WindowKeyFilter::shiftOfPress(const QKeyEvent &key, int code, int shift)
{
    if (key.type() == QEvent::KeyPress) {
        if (!key.isAutoRepeat())
            heldShift_.insert(code, shift);
        return heldShift_.value(code, shift);
    }
    const auto held = heldShift_.constFind(code);
    if (held == heldShift_.cend())
        return shift;
    const int atPress = *held;
    if (!key.isAutoRepeat())
        heldShift_.erase(held);
    return atPress;
}

// notify() rather than sendEvent(): the event stays spontaneous, as the
// control would have had it.
void WindowKeyFilter::passOn(QWidget *receiver, QKeyEvent *key)
{
    const QPointer<WindowKeyFilter> self(this);
    const QEvent *outer = passingOn_;
    passingOn_ = key;
    qApp->notify(receiver, key);
    if (self)
        passingOn_ = outer;
}
