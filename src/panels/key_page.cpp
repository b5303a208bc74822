#include "panels/key_page.h"

#include "base/virtual_keys.h"
#include "input/key_events.h"
#include "panels/hover_cue.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QTimer>
#include <functional>

namespace
{

// A box that shows one binding and takes the keys released in it.  Nothing
// typed edits its text, and no key goes on to the window: while a box has the
// focus, keys only assign bindings.
class KeyBox : public QLineEdit
{
public:
    KeyBox(std::function<void(int code)> released, QWidget *parent)
        : QLineEdit(parent), released_(std::move(released))
    {
        setReadOnly(true);
        setAlignment(Qt::AlignCenter);
        setContextMenuPolicy(Qt::NoContextMenu);
        paint(false);
    }

protected:
    bool event(QEvent *event) override
    {
        // Plain keys come here even where the window has a shortcut for them;
        // combinations with Ctrl or Alt keep their shortcuts.
        if (event->type() == QEvent::ShortcutOverride) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const Qt::KeyboardModifiers chords =
                Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
            if (!(key->modifiers() & chords)) {
                event->accept();
                return true;
            }
        }
        return QLineEdit::event(event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        held_.insert(keyId(*event));
        event->accept();
    }

    // A key counts when it is let go, and only when it was also pressed here.
    // Otherwise the Shift of Shift+4, let go after the 4 moved the focus on,
    // or the Tab that brought the focus here, would be taken as a new key for
    // the next box and refused there.
    void keyReleaseEvent(QKeyEvent *event) override
    {
        event->accept();
        if (event->isAutoRepeat() || !held_.remove(keyId(*event)))
            return;
        released_(virtual_keys::fromKeyEvent(*event));
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        deselect();
        paint(true);
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        QLineEdit::focusOutEvent(event);
        held_.clear();
        paint(false);
    }

private:
    // The physical key where the platform tells it, so that a key pressed
    // with Shift and let go without it is still the same key.
    static qint64 keyId(const QKeyEvent &event)
    {
        if (event.nativeScanCode() != 0)
            return event.nativeScanCode();
        return -qint64(event.key());
    }

    // Black on cyan with the focus, cyan on black without.  A selection, say
    // from a double click, keeps the same colours: the box holds one key, not
    // text to copy.
    void paint(bool focused)
    {
        const QColor cyan(0, 255, 255);
        const QColor ink = focused ? QColor(Qt::black) : cyan;
        const QColor paper = focused ? cyan : QColor(Qt::black);
        QPalette colours = palette();
        colours.setColor(QPalette::Text, ink);
        colours.setColor(QPalette::Base, paper);
        colours.setColor(QPalette::HighlightedText, ink);
        colours.setColor(QPalette::Highlight, paper);
        setPalette(colours);
    }

    std::function<void(int)> released_;
    QSet<qint64> held_;
};

} // namespace

KeyPage::KeyPage(KeyBindings &keys, QFrame *config, QObject *parent)
    : QObject(parent), keys_(keys), frame_(new QFrame(config))
{
    frame_->setObjectName("Frame_Key");
    auto *frameLayout = new QVBoxLayout(frame_);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    auto *group = new QGroupBox(QStringLiteral("キー設定"), frame_);
    frameLayout->addWidget(group);

    auto *grid = new QGridLayout(group);
    grid->setColumnStretch(0, 1);
    for (int function = 0; function < KeyBindings::kCount; ++function) {
        auto *box = new KeyBox([this, function](int code) { assign(function, code); }, group);
        box->setObjectName(KeyBindings::boxName(function));
        // Wide enough for the longest key name, "PageDown".
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("PageDown")) + 16);
        auto *label = new QLabel(KeyBindings::label(function), group);
        label->setBuddy(box);
        grid->addWidget(label, function, 0);
        grid->addWidget(box, function, 1);
        boxes_[function] = box;
    }

    message_ = new QLabel(group);
    message_->setObjectName("message");
    message_->setWordWrap(true);
    grid->addWidget(message_, KeyBindings::kCount, 0, 1, 2);

    bt_default_ = new QPushButton(QStringLiteral("デフォルトに戻す"), group);
    bt_default_->setObjectName("bt_default");
    bt_default_->setFlat(true);
    bt_default_->setCursor(Qt::PointingHandCursor);
    bt_default_->installEventFilter(this);
    grid->addWidget(bt_default_, KeyBindings::kCount + 1, 0, 1, 2, Qt::AlignLeft);
    connect(bt_default_, &QPushButton::clicked, this, &KeyPage::bt_default_Click);
    // Bold under the pointer, plain again once the pointer is back on the page.
    new HoverCue(bt_default_, HoverCue::Bold, {config, frame_});

    if (auto *layout = qobject_cast<QBoxLayout *>(config->layout()))
        layout->insertWidget(0, frame_);
    else if (config->layout())
        config->layout()->addWidget(frame_);

    refresh();
}

void KeyPage::refresh()
{
    for (int function = 0; function < KeyBindings::kCount; ++function)
        showBinding(function);
}

// A box names its key ("Q", "F5", "Space", "Num 0") rather than showing the
// stored character, which for most keys other than letters and digits is a
// different key's symbol (F1 is stored as "p", keypad 0 as "`").
void KeyPage::showBinding(int function)
{
    boxes_[function]->setText(virtual_keys::displayName(keys_.code(function)));
}

void KeyPage::assign(int function, int code)
{
    message_->clear();
    const KeyBindings::Assignment assignment = keys_.trySet(function, code);
    if (assignment.result == KeyBindings::Result::Ok) {
        showBinding(function);
        boxes_[assignment.nextFocus]->setFocus(Qt::OtherFocusReason);
    }
    message_->setText(assignment.message);
    // On a low window the page scrolls: the answer must not stay below it.
    QTimer::singleShot(0, message_, [label = message_] {
        for (QWidget *up = label->parentWidget(); up; up = up->parentWidget()) {
            if (auto *area = qobject_cast<QScrollArea *>(up)) {
                area->ensureWidgetVisible(label);
                return;
            }
        }
    });
}

void KeyPage::bt_default_Click()
{
    keys_.resetPlaybackKeys();
    refresh();
}

// The label button is bold while the pointer is on it.
bool KeyPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == bt_default_ &&
        (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        QFont font = bt_default_->font();
        const bool over = event->type() == QEvent::Enter;
        if (font.bold() != over) {
            font.setBold(over);
            bt_default_->setFont(font);
        }
    }
    return QObject::eventFilter(watched, event);
}
