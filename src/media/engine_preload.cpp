#include "media/engine_preload.h"

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
    // player is only needed once the window is up.
    worker_ = std::thread([thenRun = std::move(thenRun)] {
        opengl_check::warmUp();
        if (thenRun)
            thenRun();
    });
}
