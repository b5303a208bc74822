#include "panels/hover_cue.h"

#include <QEvent>
#include <QWidget>

HoverCue::HoverCue(QWidget *control, Style style, const QList<QWidget *> &areas)
    : QObject(control), control_(control), style_(style)
{
    control->installEventFilter(this);
    for (QWidget *area : areas) {
        if (area)
            area->installEventFilter(this);
    }
}

void HoverCue::mark(bool on)
{
    QFont font = control_->font();
    if ((style_ == Bold ? font.bold() : font.underline()) == on)
        return;
    if (style_ == Bold)
        font.setBold(on);
    else
        font.setUnderline(on);
    control_->setFont(font);
}

bool HoverCue::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter)
        mark(watched == control_);
    return QObject::eventFilter(watched, event);
}
