#pragma once

#include <QList>
#include <QSlider>

class QPainter;

// The seek bar: a horizontal slider counting hundredths of a second, with a
// section (SelStart, SelLength) that is drawn as a highlighted band and that
// the position timer keeps playback inside.
//
// The bar does not move itself under the mouse: it reports presses, moves and
// releases with the pointer's x, and whoever seeks decides what its value
// becomes.  That keeps the bar showing the playing position and nothing else.
class SeekBar : public QSlider
{
    Q_OBJECT
public:
    explicit SeekBar(QWidget *parent = nullptr);

    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void setSelStart(int value);
    void setSelLength(int value);
    // Where chapters begin, as values of the bar: drawn as thin marks.
    void setChapterMarks(const QList<int> &values);
    const QList<int> &chapterMarks() const { return chapterMarks_; }

signals:
    // x is in pixels from the bar's left edge.  A double click counts as a
    // second press.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x);
    void gotFocus();
    // The pointer rests or moves over the bar without a button (x as above),
    // or has left it, or a button went down on it.
    void hovered(int x);
    void hoverEnded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // The x of a value on the groove, as the handle's centre would have it.
    int xOfValue(int value) const;
    void paintChapterMarks(QPainter &painter) const;

    QList<int> chapterMarks_;
    int selStart_ = 0;
    int selLength_ = 0;
};
