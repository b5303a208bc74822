#include "media/engine_preload.h"

#include "media/mpv_library.h"
#include "media/opengl_check.h"

EnginePreload::~EnginePreload()
{
    if (worker_.joinable())
        worker_.join();
}

void EnginePreload::start(std::function<void()> thenRun)
{
    if (worker_.joinable())
        return;
    // The driver first: the window cannot be shown without it, while the
    // player is only needed once the window is up.  Loading libraries is
    // serialized process-wide, so doing both at once would gain nothing.
    // A thread started while another one loads a library waits for that
    // load, so the worker is the only thread started here.
    worker_ = std::thread([thenRun = std::move(thenRun)] {
        opengl_check::warmUp();
        mpv_library::load();
        if (thenRun)
            thenRun();
    });
}
