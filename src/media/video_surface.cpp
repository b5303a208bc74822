#include "media/video_surface.h"

#include "media/media_log.h"
#include "media/opengl_check.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QResizeEvent>
#include <QWindow>
#include <atomic>
#include <functional>
#include <memory>

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
    }

    mpv_handle *player() const { return mpv_; }

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

    // mpv has a new frame.  By default the view paints it at its next paint
    // event; mpv's output waits until its frame is drawn, and a hidden view
    // gets no paint events, so that one draws it here.
    virtual void showFrame()
    {
        if (!view_->isVisible())
            renderNow();
        view_->update();
    }

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

    void poll()
    {
        updateQueued_ = false;
        if (!ctx_)
            return;
        if (mpv_render_context_update(ctx_) & MPV_RENDER_UPDATE_FRAME) {
            framePending_ = true;
            showFrame();
        }
    }

    mpv_handle *mpv_ = nullptr;
    QWidget *view_ = nullptr;
    std::atomic<bool> updateQueued_{false};
    // A new frame is announced and not shown yet.
    bool framePending_ = false;
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

// The picture's own native window inside the video area, drawn with a
// context of its own.  The rest of the main window stays a plain raster
// window: no framebuffer between mpv and the screen, no second composition of
// the whole window through OpenGL, and Qt's OpenGL widget modules are not
// loaded.  Input passes through it to the window below, as the widgets'
// events pass through the surface.
class GlWindow final : public QWindow
{
public:
    explicit GlWindow(std::function<void()> draw) : draw_(std::move(draw))
    {
        setSurfaceType(QSurface::OpenGLSurface);
        setFlags(Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
        setFormat(pictureFormat());
    }

    // mpv draws its picture with neither depth nor stencil.  On Wayland the
    // window keeps an alpha channel: what covers the picture is shown
    // through pixels left transparent (see GlView::clearCovered).
    static QSurfaceFormat pictureFormat()
    {
        QSurfaceFormat format = QSurfaceFormat::defaultFormat();
        format.setDepthBufferSize(0);
        format.setStencilBufferSize(0);
        format.setAlphaBufferSize(onWayland() ? 8 : 0);
        return format;
    }

    static bool onWayland()
    {
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }

protected:
    void exposeEvent(QExposeEvent *) override
    {
        if (isExposed())
            draw_();
    }

    void resizeEvent(QResizeEvent *) override
    {
        if (isExposed())
            draw_();
    }

private:
    std::function<void()> draw_;
};

class GlView final : public QWidget, public RenderLink
{
public:
    explicit GlView(VideoSurface *surface)
        : QWidget(surface), surface_(surface), window_(new GlWindow([this] { renderNow(); }))
    {
        passEventsThrough(this);
        container_ = QWidget::createWindowContainer(window_, this);
        passEventsThrough(container_);
        // Sees the window's widgets move, come and go over the picture.
        qApp->installEventFilter(this);
        // Made with the view rather than at the first frame: creating a
        // context loads the driver, which the first picture should not wait
        // for.
        context_.setFormat(window_->requestedFormat());
        if (!context_.create())
            qCWarning(lcMedia) << "no OpenGL context for the picture";
    }

    bool canDraw() const override { return context_.isValid(); }

    ~GlView() override
    {
        if (ctx_ && makeCurrent()) {
            release();
            context_.doneCurrent();
        }
    }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        container_->setGeometry(rect());
        coverChanged();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ZOrderChange:
        case QEvent::ParentChange:
            if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == window())
                coverChanged();
            break;
        default:
            break;
        }
        return QWidget::eventFilter(watched, event);
    }

    void createContext() override
    {
        if (!makeCurrent())
            return;
        mpv_opengl_init_params init{&glProcAddress, nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        attach(params, this);
        context_.doneCurrent();
    }

    // A new frame is drawn at once, straight into the window.
    void showFrame() override { renderNow(); }

    // Into the window when it is on screen; otherwise mpv still gets its
    // frame drawn, off screen, since its output waits for that.
    void renderNow() override
    {
        if (!ctx_)
            return;
        const bool onScreen = window_->isExposed();
        if (!(onScreen ? context_.makeCurrent(window_) : makeCurrent()))
            return;
        const QSize pixels = onScreen ? window_->size() * window_->devicePixelRatio() : QSize(1, 1);
        mpv_opengl_fbo fbo{static_cast<int>(context_.defaultFramebufferObject()), pixels.width(),
                           pixels.height(), 0};
        int flipY = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flipY},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(ctx_, params);
        if (onScreen) {
            clearCovered();
            context_.swapBuffers(window_);
        }
        // Never left current: the window's native surface may go with its
        // top-level window (new flags, a new parent) at any time.
        context_.doneCurrent();
        if (onScreen)
            afterRender(surface_);
    }

private:
    // The picture's native window lies above every widget of the window,
    // while widgets stacked above the picture (the full-screen control bar,
    // lists laid over it) must stay in sight: the window leaves their places
    // out.  Worked out once the changes of one turn of the event loop are in.
    void coverChanged()
    {
        if (coverQueued_)
            return;
        coverQueued_ = true;
        QMetaObject::invokeMethod(
            this, [this] { applyCover(); }, Qt::QueuedConnection);
    }

    void applyCover()
    {
        coverQueued_ = false;
        const QRegion covered = coveredRegion();
        if (covered == covered_)
            return;
        covered_ = covered;
        window_->setMask(covered.isEmpty() ? QRegion() : QRegion(rect()) - covered);
        // A Wayland compositor does not clip the window to its mask; the
        // covered pixels are made transparent at the next drawing instead.
        if (GlWindow::onWayland())
            renderNow();
    }

    // The places of the visible widgets stacked above this view, in its
    // coordinates: the later siblings of the view and of each of its
    // ancestors up to the window.
    QRegion coveredRegion() const
    {
        QRegion covered;
        const QWidget *top = window();
        const QPoint origin = mapTo(top, QPoint());
        const QWidget *child = this;
        for (const QWidget *parent = parentWidget(); parent && child != top;
             child = parent, parent = parent->parentWidget()) {
            const QObjectList &siblings = parent->children();
            for (qsizetype i = siblings.indexOf(child) + 1; i < siblings.size(); ++i) {
                const auto *widget = qobject_cast<const QWidget *>(siblings.at(i));
                if (!widget || widget->isWindow() || !widget->isVisible())
                    continue;
                QRegion place = widget->mask().isEmpty() ? QRegion(widget->rect()) : widget->mask();
                place.translate(widget->mapTo(top, QPoint()) - origin);
                covered += place;
            }
        }
        return covered & rect();
    }

    // Wayland: the covered places of the picture drawn transparent, so that
    // what lies there shows through.  The context must be current.
    void clearCovered()
    {
        if (covered_.isEmpty() || !GlWindow::onWayland())
            return;
        QOpenGLFunctions *gl = context_.functions();
        const qreal ratio = window_->devicePixelRatio();
        const int height = qRound(window_->height() * ratio);
        gl->glEnable(GL_SCISSOR_TEST);
        gl->glClearColor(0, 0, 0, 0);
        for (const QRect &place : covered_) {
            const QRect pixels(qRound(place.x() * ratio), qRound(place.y() * ratio),
                               qRound(place.width() * ratio), qRound(place.height() * ratio));
            gl->glScissor(pixels.x(), height - pixels.bottom() - 1, pixels.width(),
                          pixels.height());
            gl->glClear(GL_COLOR_BUFFER_BIT);
        }
        gl->glDisable(GL_SCISSOR_TEST);
    }

    // Current on a small off-screen surface, for work that needs the context
    // but not the window (making and freeing mpv's render context).
    bool makeCurrent()
    {
        if (!context_.isValid())
            return false;
        if (!offscreen_) {
            offscreen_ = std::make_unique<QOffscreenSurface>();
            offscreen_->setFormat(context_.format());
            offscreen_->create();
        }
        return context_.makeCurrent(offscreen_.get());
    }

    VideoSurface *surface_;
    GlWindow *window_;
    QWidget *container_ = nullptr;
    QOpenGLContext context_;
    std::unique_ptr<QOffscreenSurface> offscreen_;
    QRegion covered_;
    bool coverQueued_ = false;
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
        // run on: mpv's "bgra", whose alpha mpv fills opaque for a movie.
        // Its "bgr0" leaves that byte 0, and where the window's buffer keeps
        // alpha (Wayland) the picture would then be a transparent hole.
        if (frame_.size() != pixels)
            frame_ = QImage(pixels, QImage::Format_RGB32);
        int sizeParam[2] = {pixels.width(), pixels.height()};
        size_t stride = static_cast<size_t>(frame_.bytesPerLine());
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, sizeParam},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char *>("bgra")},
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
