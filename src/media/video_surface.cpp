#include "media/video_surface.h"

#include "media/media_log.h"
#include "media/opengl_check.h"

#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPainter>
#include <QResizeEvent>
#include <atomic>
#include <optional>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

namespace
{

// What both kinds of view share: the render context and the bookkeeping of
// mpv's update callback, which runs on an mpv thread and may only post a call
// to the GUI thread.
class RenderLink
{
public:
    virtual ~RenderLink() = default;
    bool ready() const { return ctx_ != nullptr; }
    // Whether the view can host a render context now.
    virtual bool canDraw() const = 0;

    // Gives the view the player to draw for and makes its render context.
    bool attachPlayer(mpv_handle *mpv)
    {
        mpv_ = mpv;
        if (!ctx_ && canDraw())
            createContext();
        return ready();
    }

    // The turn of the picture, degrees clockwise.
    virtual void setTurn(int) {}

protected:
    // Makes the render context for the player, through attach().
    virtual void createContext() = 0;

    // Creates the render context from params for the attached player and
    // installs the update callback; `view` receives the posted calls.
    void attach(mpv_render_param *params, QWidget *view)
    {
        mpv_render_context *ctx = nullptr;
        if (!mpv_)
            return;
        if (const int error = mpv_render_context_create(&ctx, mpv_, params); error < 0) {
            qCWarning(lcMedia) << "creating the render context failed:" << mpv_error_string(error);
            return;
        }
        ctx_ = ctx;
        view_ = view;
        mpv_render_context_set_update_callback(ctx_, &RenderLink::onUpdate, this);
        resumeVideo();
    }

    mpv_handle *player() const { return mpv_; }

    // Takes the picture away from mpv before the render context goes.  Freeing
    // the context under a playing video makes mpv drop the video track for
    // the rest of the file (and end a file without sound); without a track
    // there is nothing to drop.
    void suspendVideo()
    {
        if (!ctx_ || !mpv_ || suspendedTrack_)
            return;
        char *track = mpv_get_property_string(mpv_, "vid");
        if (!track)
            return;
        const QByteArray id(track);
        mpv_free(track);
        // Only a track of a loaded file is put aside; "auto" or "no" without
        // a file would otherwise keep the next file from showing its video.
        bool number = false;
        id.toInt(&number);
        if (!number)
            return;
        if (setTrack("no"))
            suspendedTrack_ = id;
    }

    // Gives the picture back once a render context exists again; mpv picks
    // the track up at the current position.
    void resumeVideo()
    {
        if (!ctx_ || !suspendedTrack_)
            return;
        setTrack(*suspendedTrack_);
        suspendedTrack_.reset();
    }

    void release()
    {
        if (!ctx_)
            return;
        // After this returns mpv will not call onUpdate again; calls already
        // posted find no context and do nothing.
        mpv_render_context_set_update_callback(ctx_, nullptr, nullptr);
        mpv_render_context_free(ctx_);
        ctx_ = nullptr;
    }

    // Called after the view drew mpv's picture: reports a new frame once.
    void afterRender(VideoSurface *surface)
    {
        if (!framePending_)
            return;
        framePending_ = false;
        emit surface->frameShown();
    }

    // Draws mpv's current picture outside a paint event.
    virtual void renderNow() = 0;

    mpv_render_context *ctx_ = nullptr;

private:
    // Runs on an mpv thread, which must not call back into mpv: only post.
    static void onUpdate(void *self)
    {
        auto *link = static_cast<RenderLink *>(self);
        if (link->updateQueued_.exchange(true))
            return;
        QMetaObject::invokeMethod(
            link->view_, [link] { link->poll(); }, Qt::QueuedConnection);
    }

    bool setTrack(const QByteArray &id)
    {
        const int error = mpv_set_property_string(mpv_, "vid", id.constData());
        if (error < 0)
            qCWarning(lcMedia) << "setting property vid to" << id
                               << "failed:" << mpv_error_string(error);
        return error >= 0;
    }

    void poll()
    {
        updateQueued_ = false;
        if (!ctx_)
            return;
        if (mpv_render_context_update(ctx_) & MPV_RENDER_UPDATE_FRAME) {
            framePending_ = true;
            // mpv's output waits until its frame is drawn; a hidden view gets
            // no paint events, so draw it here.
            if (!view_->isVisible())
                renderNow();
            view_->update();
        }
    }

    mpv_handle *mpv_ = nullptr;
    QWidget *view_ = nullptr;
    std::atomic<bool> updateQueued_{false};
    // A new frame is announced and not shown yet.
    bool framePending_ = false;
    // The video track taken away while the render context was gone.
    std::optional<QByteArray> suspendedTrack_;
};

void *glProcAddress(void *, const char *name)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

void passEventsThrough(QWidget *w)
{
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    w->setFocusPolicy(Qt::NoFocus);
}

class GlView final : public QOpenGLWidget, public RenderLink
{
public:
    explicit GlView(VideoSurface *surface) : QOpenGLWidget(surface), surface_(surface)
    {
        passEventsThrough(this);
    }

    bool canDraw() const override { return context() && context()->isValid(); }

    ~GlView() override
    {
        if (context())
            QObject::disconnect(context(), nullptr, this, nullptr);
        releaseCurrent();
    }

protected:
    void initializeGL() override
    {
        // The GL context goes away when the widget dies and whenever its
        // window is made anew (window flags, some ways to full screen);
        // mpv's GL objects must be freed while it is still current.
        connect(
            context(), &QOpenGLContext::aboutToBeDestroyed, this,
            [this] {
                suspendVideo();
                releaseCurrent();
            },
            Qt::DirectConnection);
        // A context made anew gets the player's render context back at once,
        // and with it the picture.
        if (player())
            createCurrent();
    }

    void createContext() override
    {
        makeCurrent();
        createCurrent();
        doneCurrent();
    }

    void paintGL() override
    {
        if (!ctx_) {
            QOpenGLFunctions *f = context()->functions();
            f->glClearColor(0, 0, 0, 1);
            f->glClear(GL_COLOR_BUFFER_BIT);
            return;
        }
        render();
        afterRender(surface_);
    }

    void renderNow() override
    {
        if (!ctx_)
            return;
        makeCurrent();
        render();
        doneCurrent();
    }

private:
    // The GL context must be current.
    void createCurrent()
    {
        mpv_opengl_init_params init{&glProcAddress, nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        attach(params, this);
    }

    // Into the widget's framebuffer; the GL context must be current.
    void render()
    {
        const qreal ratio = devicePixelRatioF();
        mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                           static_cast<int>(width() * ratio), static_cast<int>(height() * ratio),
                           0};
        int flipY = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flipY},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(ctx_, params);
    }

    void releaseCurrent()
    {
        if (!ctx_)
            return;
        makeCurrent();
        release();
        doneCurrent();
    }

    VideoSurface *surface_;
};

// mpv's software renderer aborts the program on a picture that is to be
// turned by a quarter: it cuts the stored picture to its turned size.  While
// this view draws, a filter at the end of mpv's chain tells the renderer
// that nothing is to be turned, whatever the container, the frames or the
// track chosen say, and the view turns the picture itself.
constexpr const char *kUprightFilter = "@sazanami-upright:format=rotate=0";

// The nearest quarter turn of degrees clockwise: 0, 90, 180 or 270.
int quarterTurn(int degrees)
{
    return ((degrees % 360 + 360 + 45) / 90 % 4) * 90;
}

class SoftwareView final : public QWidget, public RenderLink
{
public:
    explicit SoftwareView(VideoSurface *surface) : QWidget(surface), surface_(surface)
    {
        passEventsThrough(this);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    bool canDraw() const override { return true; }

    ~SoftwareView() override
    {
        release();
        setFilter("");
    }

    void setTurn(int degrees) override
    {
        const int turn = quarterTurn(degrees);
        if (turn == turn_)
            return;
        turn_ = turn;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (!render()) {
            painter.fillRect(rect(), Qt::black);
            return;
        }
        painter.drawImage(QPoint(0, 0), turned());
        afterRender(surface_);
    }

    void renderNow() override { render(); }

    void createContext() override
    {
        // Asked for before anything is played in this view: mpv carries out
        // requests in order.
        setFilter(kUprightFilter);
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        attach(params, this);
    }

private:
    // Not waited for; a failure is only logged.
    void setFilter(const char *chain)
    {
        if (!player())
            return;
        if (const int error = mpv_set_property_async(player(), 0, "vf", MPV_FORMAT_STRING, &chain);
            error < 0)
            qCWarning(lcMedia) << "setting the video filters failed:" << mpv_error_string(error);
    }

    // frame_ as it is shown.
    QImage turned() const
    {
        if (turn_ == 0)
            return frame_;
        QImage image = frame_.transformed(QTransform().rotate(turn_));
        image.setDevicePixelRatio(frame_.devicePixelRatio());
        return image;
    }

    // Into frame_, sized to the widget before the turn; false when there is
    // nothing to draw.
    bool render()
    {
        const qreal ratio = devicePixelRatioF();
        QSize pixels = size() * ratio;
        if (turn_ % 180 == 90)
            pixels.transpose();
        if (!ctx_ || pixels.isEmpty())
            return false;
        // RGB32 is B, G, R, 0xff in memory on the little-endian machines we
        // run on, which is mpv's "bgr0".
        if (frame_.size() != pixels)
            frame_ = QImage(pixels, QImage::Format_RGB32);
        int sizeParam[2] = {pixels.width(), pixels.height()};
        size_t stride = static_cast<size_t>(frame_.bytesPerLine());
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, sizeParam},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char *>("bgr0")},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride},
            {MPV_RENDER_PARAM_SW_POINTER, frame_.bits()},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_render(ctx_, params) < 0)
            frame_.fill(Qt::black);
        frame_.setDevicePixelRatio(ratio);
        return true;
    }

    VideoSurface *surface_;
    QImage frame_;
    int turn_ = 0;
};

RenderLink *linkOf(QWidget *view)
{
    return dynamic_cast<RenderLink *>(view);
}

} // namespace

VideoSurface::Backend VideoSurface::preferredBackend()
{
    return opengl_check::available() ? Backend::OpenGL : Backend::Software;
}

VideoSurface::VideoSurface(Backend backend, QWidget *screen) : QWidget(screen), backend_(backend)
{
    setObjectName("VideoSurface");
    passEventsThrough(this);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    if (backend == Backend::OpenGL)
        view_ = new GlView(this);
    else
        view_ = new SoftwareView(this);
}

VideoSurface::~VideoSurface()
{
    setCursorHidden(false);
    // The view frees the render context; do it now, while this object is
    // still whole, rather than in QWidget's destruction of the children.
    delete view_;
}

bool VideoSurface::canDraw() const
{
    const RenderLink *link = linkOf(view_);
    return link && link->canDraw();
}

bool VideoSurface::attachPlayer(mpv_handle *mpv)
{
    RenderLink *link = linkOf(view_);
    return link && link->attachPlayer(mpv);
}

void VideoSurface::setTurn(int degrees)
{
    if (RenderLink *link = linkOf(view_))
        link->setTurn(degrees);
}

void VideoSurface::setCursorHidden(bool hidden)
{
    if (hidden == cursorHidden_)
        return;
    cursorHidden_ = hidden;
    QWidget *screen = parentWidget();
    if (hidden) {
        setCursor(Qt::BlankCursor);
        view_->setCursor(Qt::BlankCursor);
        if (screen) {
            screenHadCursor_ = screen->testAttribute(Qt::WA_SetCursor);
            screenCursor_ = screen->cursor();
            screen->setCursor(Qt::BlankCursor);
        }
    } else {
        unsetCursor();
        view_->unsetCursor();
        if (screen) {
            if (screenHadCursor_)
                screen->setCursor(screenCursor_);
            else
                screen->unsetCursor();
        }
    }
}

void VideoSurface::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    view_->setGeometry(rect());
}
