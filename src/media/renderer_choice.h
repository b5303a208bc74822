#pragma once

#include <QString>
#include <QStringList>

// Whether the picture is drawn with OpenGL or in software.  Where OpenGL has
// no graphics processor behind it (no GPU device, or Mesa told to render in
// software) it would run on the CPU through llvmpipe: mpv's own software
// renderer then shows the first frame sooner and keeps half the memory, since
// neither the GL driver nor LLVM is loaded.
namespace renderer_choice
{

enum class Renderer { OpenGL, Software };

struct Machine {
    // SAZANAMI_RENDERER: "opengl" or "software" to choose by hand; anything
    // else chooses automatically.
    QString request;
    // Mesa is told to render in software (LIBGL_ALWAYS_SOFTWARE,
    // GALLIUM_DRIVER=llvmpipe or softpipe).
    bool softwareGLForced = false;
    // Device nodes of graphics processors (/dev/dri/*, /dev/nvidiactl).
    QStringList gpuDevices;
};

Renderer choose(const Machine &machine);

// This machine as it is now.
Machine thisMachine();

// choose(thisMachine()), asked once.
Renderer forThisMachine();

} // namespace renderer_choice
