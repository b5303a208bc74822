#include "media/renderer_choice.h"

#include <QDir>
#include <QFileInfo>

namespace renderer_choice
{

Renderer choose(const Machine &machine)
{
    const QString request = machine.request.trimmed().toLower();
    if (request == QLatin1String("opengl"))
        return Renderer::OpenGL;
    if (request == QLatin1String("software"))
        return Renderer::Software;
    if (machine.softwareGLForced || machine.gpuDevices.isEmpty())
        return Renderer::Software;
    return Renderer::OpenGL;
}

namespace
{

bool softwareGLForced()
{
    const QByteArray always = qgetenv("LIBGL_ALWAYS_SOFTWARE").trimmed();
    if (!always.isEmpty() && always != "0" && always.toLower() != "false")
        return true;
    const QByteArray gallium = qgetenv("GALLIUM_DRIVER").trimmed().toLower();
    return gallium == "llvmpipe" || gallium == "softpipe" || gallium == "swr";
}

QStringList gpuDevices()
{
    QStringList devices;
    const QDir dri(QStringLiteral("/dev/dri"));
    for (const QString &name : dri.entryList({QStringLiteral("renderD*"), QStringLiteral("card*")},
                                             QDir::System | QDir::Files))
        devices.append(dri.filePath(name));
    // NVIDIA's own driver need not make DRM nodes.
    if (QFileInfo::exists(QStringLiteral("/dev/nvidiactl")))
        devices.append(QStringLiteral("/dev/nvidiactl"));
    return devices;
}

} // namespace

Machine thisMachine()
{
    return Machine{QString::fromLocal8Bit(qgetenv("SAZANAMI_RENDERER")), softwareGLForced(),
                   gpuDevices()};
}

Renderer forThisMachine()
{
    static const Renderer renderer = choose(thisMachine());
    return renderer;
}

} // namespace renderer_choice
