#pragma once

#include <QSlider>

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

signals:
    // x is in pixels from the bar's left edge.  A double click counts as a
    // second press.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x);
    void gotFocus();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    int selStart_ = 0;
    int selLength_ = 0;
};
