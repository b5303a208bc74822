#pragma once

#include <QWidget>

struct mpv_handle;

// The widget that shows mpv's picture.  It is a child of the window that hosts
// the video and lets every mouse and key event through to that window, so the
// window's own handlers see clicks, wheels and drops over the picture.
//
// mpv draws through its render API, with OpenGL when the platform offers it and
// in software otherwise.  The render context lives exactly as long as the
// surface; the surface must therefore be destroyed before the mpv handle.
class VideoSurface : public QWidget
{
    Q_OBJECT
public:
    enum class Backend { OpenGL, Software };

    // OpenGL unless the platform cannot host it (offscreen and minimal
    // platforms, or no OpenGL context can be created at all).
    static Backend preferredBackend();

    // An OpenGL surface sets up OpenGL when it is first shown inside a
    // visible window; a software surface can draw at once.
    VideoSurface(Backend backend, QWidget *screen);
    ~VideoSurface() override;

    Backend backend() const { return backend_; }
    // True once the surface could take a player (its OpenGL is set up).
    bool canDraw() const;
    // Makes the render context for mpv, once the surface can draw; true
    // when mpv can draw into the surface.
    bool attachPlayer(mpv_handle *mpv);

    // The turn mpv reports for the picture, in degrees clockwise.  OpenGL
    // turns it inside mpv; in software the surface turns it, since mpv's
    // software renderer cannot.
    void setTurn(int degrees);

    // A blank pointer over the picture.  Since events pass through to the
    // hosting window, that window's pointer is blanked as well and restored
    // afterwards.
    void setCursorHidden(bool hidden);

signals:
    void frameShown();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Backend backend_;
    QWidget *view_ = nullptr;
    bool cursorHidden_ = false;
    bool screenHadCursor_ = false;
    QCursor screenCursor_;
};
