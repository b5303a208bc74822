#pragma once

#include <functional>
#include <thread>

// Prepares what the first picture needs, the graphics driver and the player,
// on a worker thread while the GUI thread builds the window.  Each part is
// made once: whoever needs one first simply waits for it, on whichever thread
// it is being made.
class EnginePreload
{
public:
    EnginePreload() = default;
    EnginePreload(const EnginePreload &) = delete;
    EnginePreload &operator=(const EnginePreload &) = delete;
    // Waits for the worker, which may still be busy.
    ~EnginePreload();

    // thenRun runs on the worker once the driver is loaded.  Starts once; a
    // later call is ignored, its thenRun with it.
    void start(std::function<void()> thenRun = {});

private:
    std::thread worker_;
};
