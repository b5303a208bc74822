#pragma once

#include <QWidget>

class QLabel;

// The video area `display`: a black surface that holds the media session's
// picture while a movie is open and the logo `logo` while none is.
class VideoArea : public QWidget
{
    Q_OBJECT
public:
    explicit VideoArea(QWidget *parent = nullptr);

    QLabel *logo() const { return logo_; }
    QWidget *logoShape() const { return logoShape_; }
    void showLogo(bool visible);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void centreLogo();

    QLabel *logo_;
    QWidget *logoShape_;
};
