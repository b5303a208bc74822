#pragma once

#include <QList>
#include <QObject>

class QWidget;

// A pointer cue: the control's font turns bold or underlined when the
// pointer moves onto it, and plain again when the pointer moves onto one of
// the areas around it.
class HoverCue : public QObject
{
    Q_OBJECT
public:
    enum Style { Bold, Underline };

    HoverCue(QWidget *control, Style style, const QList<QWidget *> &areas);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void mark(bool on);

    QWidget *control_;
    Style style_;
};
