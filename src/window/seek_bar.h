#pragma once

#include <QSlider>

// The seek bar: a horizontal slider counting hundredths of a second, with a
// section (SelStart, SelLength) that is drawn as a highlighted band and that
// the position timer keeps playback inside.
class SeekBar : public QSlider
{
    Q_OBJECT
public:
    explicit SeekBar(QWidget *parent = nullptr);

    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void setSelStart(int value);
    void setSelLength(int value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int selStart_ = 0;
    int selLength_ = 0;
};
